// `zarnowelle info`: module facts as text or one JSON line per file.
#ifndef HOST_MODULEINFO_H
#define HOST_MODULEINFO_H

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "hostlib/ModuleFacts.h"

class PluginHost;

struct InfoOptions
{
    std::vector<std::string> files;
    bool                     json = false;
    bool                     samples = false;   // list every sample
    double                   maxTime = 1800;    // seconds a song may take to end
};

// What `info` shows of one file: the player library's facts, and the duration a
// plug-in delivers.
struct ModuleReport
{
    ModuleFacts facts;
    int64_t     frames = -1;   // to the song's end; -1 when it does not end in time
    bool        played = true; // a plug-in played the file, so `frames` was measured
    std::string comment;       // a MultiTracker file's comment
};

nlohmann::json ToJson(const ModuleReport& report, bool samples);
// The human-readable form, several lines ending in a newline.
std::string ToText(const ModuleReport& report, bool samples, double maxTime);

// 0 when every file is a module that loads, 1 otherwise. Durations come from the
// plug-ins of `host`.
int PrintModuleInfo(PluginHost& host, const InfoOptions& options);

#endif
