#include "hostlib/SettingsChannel.h"

namespace {

void
Receive(void* context, const char* line)
{
    (*static_cast<std::function<void(const std::string&)>*>(context))(line);
}

}   // namespace

PluginSettings*
SettingsOf(InputPlugin* plugin)
{
    return dynamic_cast<PluginSettings*>(plugin);
}

std::vector<std::string>
ApplySettings(InputPlugin* plugin, const SettingList& settings)
{
    std::vector<std::string> refused;
    if (settings.empty())
        return refused;
    PluginSettings* channel = SettingsOf(plugin);
    if (channel == nullptr) {
        refused.push_back("the plug-in takes no sound settings");
        return refused;
    }
    for (const auto& [key, value] : settings) {
        char why[256] = "";
        if (!channel->SetSetting(key.c_str(), value.c_str(), why, sizeof(why)))
            refused.push_back(why[0] != '\0' ? why : key + ": refused");
    }
    return refused;
}

void
CopySettings(InputPlugin* from, InputPlugin* to)
{
    PluginSettings* source = SettingsOf(from);
    PluginSettings* target = SettingsOf(to);
    if (source == nullptr || target == nullptr)
        return;
    for (const char* key : PLUGIN_SETTING_KEYS) {
        char value[128];
        if (source->GetSetting(key, value, sizeof(value)))
            target->SetSetting(key, value, nullptr, 0);
    }
}

void
WithMessages(InputPlugin* plugin, const std::function<void(const std::string&)>& receive,
    const std::function<void()>& call)
{
    PluginSettings* channel = SettingsOf(plugin);
    if (channel == nullptr) {
        call();
        return;
    }
    std::function<void(const std::string&)> sink = receive;
    channel->SetMessageSink(&Receive, &sink);
    try {
        call();
    } catch (...) {
        channel->SetMessageSink(nullptr, nullptr);
        throw;
    }
    channel->SetMessageSink(nullptr, nullptr);
}

std::string
LoaderMessageOf(const std::string& line)
{
    const std::string prefix(PLUGIN_LOADER_ERROR_PREFIX);
    return line.rfind(prefix, 0) == 0 ? line.substr(prefix.size()) : "";
}
