// Module facts for `zarnowelle info`, read with the player itself rather than through a
// plug-in, since the plug-in interface carries no module facts.
#ifndef HOST_MODULEINFO_H
#define HOST_MODULEINFO_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

struct ModuleFacts
{
    std::string     file;
    std::optional<int> type;            // 0..7; empty when the file is no module
    std::string     typeName;
    std::string     name;
    int             channels = 0;
    int             patterns = 0;
    int             samples = 0;
    int             songLength = 0;
    int             restart = 0;
    std::vector<std::pair<std::string, std::string>> info;  // label, value
    std::optional<std::string> error;   // why the file is not a module that loads

    bool            Loaded() const { return type && !error; }
};

ModuleFacts         ReadModuleFacts(const std::string& path);
nlohmann::json      ToJson(const ModuleFacts& facts);
// The human-readable form, several lines ending in a newline.
std::string         ToText(const ModuleFacts& facts);

// 0 when every file is a module that loads, 1 otherwise.
int                 PrintModuleInfo(const std::vector<std::string>& files, bool json);

#endif
