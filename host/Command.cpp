#include "host/Command.h"

#include "hostlib/PluginHost.h"

CommandContext::CommandContext(const std::string& folder, bool implied)
    : folder(folder), implied(implied)
{
}

CommandContext::~CommandContext() {}

PluginHost&
CommandContext::Host()
{
    if (host == nullptr)
        host = std::make_unique<PluginHost>(folder.empty() ? PluginHost::DefaultFolder() : folder);
    return *host;
}

PluginHost*
CommandContext::NeedPlugins()
{
    PluginHost& plugins = Host();
    if (!plugins.AddOns().empty())
        return &plugins;
    ReportError("no plug-in found in " + plugins.Folder() + " (use --plugins DIR)");
    return nullptr;
}
