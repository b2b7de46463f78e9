// `zarnowelle about`: each plug-in's About text.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/Command.h"
#include "hostlib/PluginHost.h"
#include "hostlib/SettingsChannel.h"

namespace {

bool
Enclosed(const std::string& line, char open, char close)
{
    return line.size() >= 2 && line.front() == open && line.back() == close;
}

// A plug-in shows its About text in an alert; where there is no window system the
// alert prints itself as "[title]", the text and "<button>" lines. Only the text is
// wanted.
std::string
AlertText(const std::string& printed)
{
    std::vector<std::string> lines;
    std::istringstream       in(printed);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (!lines.empty() && Enclosed(lines.front(), '[', ']'))
        lines.erase(lines.begin());
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (!lines.empty() && Enclosed(lines.back(), '<', '>'))
        lines.pop_back();
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class AboutCommand : public Command
{
public:
    void AddOptions(CLI::App&) override {}

    int Run(CommandContext& context) override
    {
        PluginHost* host = context.NeedPlugins();
        if (host == nullptr)
            return 1;
        for (const PluginHost::AddOn& addOn : host->AddOns()) {
            std::string printed;
            WithMessages(
                addOn.plugin, [&](const std::string& line) { printed += line + "\n"; },
                [&] { addOn.plugin->About(false); });
            std::cout << AlertText(printed);
        }
        return 0;
    }
};

}   // namespace

std::unique_ptr<Command>
NewAboutCommand()
{
    return std::make_unique<AboutCommand>();
}
