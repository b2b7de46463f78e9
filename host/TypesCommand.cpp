// `zarnowelle types`: the file types each plug-in announces.
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "beos/Message.h"
#include "beos/MimeType.h"
#include "host/Command.h"
#include "hostlib/PluginHost.h"

namespace {

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

class TypesCommand : public Command
{
public:
    void AddOptions(CLI::App&) override {}

    int Run(CommandContext& context) override
    {
        PluginHost* host = context.NeedPlugins();
        if (host == nullptr)
            return 1;
        for (const PluginHost::AddOn& addOn : host->AddOns()) {
            for (int index = 0;; index++) {
                BMimeType type;
                if (!addOn.plugin->GetMimeType(&type, index))
                    break;
                PrintType(type);
            }
        }
        return 0;
    }
};

}   // namespace

std::unique_ptr<Command>
NewTypesCommand()
{
    return std::make_unique<TypesCommand>();
}
