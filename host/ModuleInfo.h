// `zarnowelle info`: module facts as text or one JSON line per file.
#ifndef HOST_MODULEINFO_H
#define HOST_MODULEINFO_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "hostlib/ModuleFacts.h"

nlohmann::json      ToJson(const ModuleFacts& facts);
// The human-readable form, several lines ending in a newline.
std::string         ToText(const ModuleFacts& facts);

// 0 when every file is a module that loads, 1 otherwise.
int                 PrintModuleInfo(const std::vector<std::string>& files, bool json);

#endif
