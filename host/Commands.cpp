#include "host/Commands.h"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "beos/Message.h"
#include "beos/MimeType.h"
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

std::string
Field(status_t status, const char* text)
{
    return status == B_OK ? text : "-";
}

void
PrintType(BMimeType& type)
{
    char        shortDescription[B_MIME_TYPE_LENGTH] = "";
    char        longDescription[B_MIME_TYPE_LENGTH] = "";
    BMessage    message;
    std::string extensions;
    if (type.GetFileExtensions(&message) == B_OK) {
        const char* extension;
        for (int32 i = 0; message.FindString("extensions", i, &extension) == B_OK; i++)
            extensions += (extensions.empty() ? "" : " ") + std::string(extension);
    }
    std::cout << (type.Type() != nullptr ? type.Type() : "-") << "\n"
              << "  extensions:  " << (extensions.empty() ? "-" : extensions) << "\n"
              << "  short:       "
              << Field(type.GetShortDescription(shortDescription), shortDescription) << "\n"
              << "  long:        "
              << Field(type.GetLongDescription(longDescription), longDescription) << "\n";
}

}   // namespace

int
NeedPlugins(const PluginHost& host)
{
    if (!host.AddOns().empty())
        return 0;
    ReportError("no plug-in found in " + host.Folder() + " (use --plugins DIR)");
    return 1;
}

int
RunAbout(PluginHost& host)
{
    if (NeedPlugins(host) != 0)
        return 1;
    for (const PluginHost::AddOn& addOn : host.AddOns()) {
        std::string printed;
        WithMessages(
            addOn.plugin, [&](const std::string& line) { printed += line + "\n"; },
            [&] { addOn.plugin->About(false); });
        std::cout << AlertText(printed);
    }
    return 0;
}

int
RunTypes(PluginHost& host)
{
    if (NeedPlugins(host) != 0)
        return 1;
    for (const PluginHost::AddOn& addOn : host.AddOns()) {
        for (int index = 0;; index++) {
            BMimeType type;
            if (!addOn.plugin->GetMimeType(&type, index))
                break;
            PrintType(type);
        }
    }
    return 0;
}
