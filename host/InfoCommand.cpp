// `zarnowelle info`: what the player makes of each file.
#include <CLI/CLI.hpp>

#include "host/Arguments.h"
#include "host/Command.h"
#include "host/ModuleInfo.h"
#include "host/Playlist.h"

namespace {

class InfoCommand : public Command
{
public:
    void AddOptions(CLI::App& command) override
    {
        command.add_option("files", files, "module files and .m3u playlists")->required();
        command.add_flag("--json", json, "one JSON object per file and line");
        command.add_flag(
            "--samples", samples, "list the samples: number, name, length, volume, finetune, loop");
        command
            .add_option("--max-time", maxTime,
                "seconds a song may play before its duration counts as none (default 1800)")
            ->type_name("SECONDS");
    }

    int Run(CommandContext& context) override
    {
        InfoOptions options;
        options.json = json;
        options.samples = samples;
        options.maxTime = ParsePositiveSeconds("--max-time", maxTime);
        bool ok;
        options.files = InputFiles(files, ok);
        // Durations are what a plug-in delivers: without one they would all read "none".
        PluginHost* host = context.NeedPlugins();
        if (host == nullptr)
            return 1;
        int status = PrintModuleInfo(*host, options);
        return ok ? status : 1;
    }

private:
    std::vector<std::string> files;
    bool                     json = false;
    bool                     samples = false;
    std::string              maxTime = "1800";
};

}   // namespace

std::unique_ptr<Command>
NewInfoCommand()
{
    return std::make_unique<InfoCommand>();
}
