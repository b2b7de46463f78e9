#include "host/ModuleInfo.h"

#include <iostream>
#include <sstream>

#include "hostlib/PluginHost.h"

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
    object["error"] = facts.error ? nlohmann::json(*facts.error) : nlohmann::json(nullptr);
    return object;
}

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
            std::cout << ToJson(facts).dump() << std::endl;
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
