#include "host/ModuleInfo.h"

#include <iostream>
#include <sstream>

#include "hostlib/PluginHost.h"
#include "modtracker/ModuleTypes.h"

nlohmann::json
ToJson(const ModuleFacts& facts)
{
    nlohmann::json info = nlohmann::json::array();
    for (const auto& [label, value] : facts.info)
        info.push_back({ { "label", label }, { "value", value } });
    nlohmann::json object;
    object["file"] = facts.file;
    object["type"] = facts.type ? nlohmann::json(*facts.type) : nlohmann::json(nullptr);
    object["type_name"] = facts.type ? nlohmann::json(facts.typeName) : nlohmann::json(nullptr);
    object["name"] = facts.name;
    object["channels"] = facts.channels;
    object["patterns"] = facts.patterns;
    object["samples"] = facts.samples;
    object["song_length"] = facts.songLength;
    object["restart"] = facts.restart;
    object["info"] = info;
    object["warnings"] = facts.warnings;
    object["companion"] = facts.companion ? nlohmann::json(*facts.companion) : nlohmann::json(nullptr);
    object["error"] = facts.error ? nlohmann::json(*facts.error) : nlohmann::json(nullptr);
    return object;
}

namespace {

std::string
CompanionText(const ModuleFacts& facts)
{
    if (facts.companion)
        return *facts.companion;
    return facts.amSoundsSilent ? "none found; its AM sounds will be silent" : "none found";
}

}   // namespace

std::string
ToText(const ModuleFacts& facts)
{
    std::ostringstream text;
    text << facts.file << "\n";
    if (facts.type)
        text << "  type:            " << *facts.type << " (" << facts.typeName << ")\n";
    else
        text << "  type:            not a module\n";
    if (facts.Loaded()) {
        text << "  name:            " << facts.name << "\n"
             << "  channels:        " << facts.channels << "\n"
             << "  patterns:        " << facts.patterns << "\n"
             << "  samples:         " << facts.samples << "\n"
             << "  song length:     " << facts.songLength << "\n"
             << "  restart:         " << facts.restart << "\n";
        for (const auto& [label, value] : facts.info)
            text << "  " << label << std::string(label.size() < 24 ? 24 - label.size() : 1, ' ')
                 << value << "\n";
        if (*facts.type == int(MODTYPE_STARTRACKER))
            text << "  companion:       " << CompanionText(facts) << "\n";
        for (size_t i = 0; i < facts.warnings.size(); i++)
            text << (i == 0 ? "  warnings:        " : "; ") << facts.warnings[i];
        if (!facts.warnings.empty())
            text << "\n";
    }
    return text.str();
}

int
PrintModuleInfo(const std::vector<std::string>& files, bool json)
{
    int status = 0;
    for (const std::string& path : files) {
        ModuleFacts facts = ReadModuleFacts(path);
        if (json)
            // File names need not be UTF-8: such bytes become U+FFFD, not an exception.
            std::cout << ToJson(facts).dump(-1, ' ', false,
                nlohmann::json::error_handler_t::replace) << std::endl;
        else
            std::cout << ToText(facts) << std::flush;
        if (!facts.Loaded()) {
            std::string reason = *facts.error;
            for (char& c : reason)
                c = c == '\n' ? ' ' : c;
            ReportError(path + ": " + reason);
            status = 1;
        }
    }
    return status;
}
