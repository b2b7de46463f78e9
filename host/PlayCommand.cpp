// `zarnowelle play` (and bare file names): files one after another on the audio device.
#include <filesystem>
#include <iostream>

#include <CLI/CLI.hpp>

#include "host/Arguments.h"
#include "host/Command.h"
#include "host/ListeningOptions.h"
#include "host/Player.h"
#include "host/Playlist.h"

namespace {

class PlayCommand : public Command
{
public:
    void AddOptions(CLI::App& command) override
    {
        command.add_option("files", files, "module files and .m3u playlists");
        command.add_flag("--check-audio", checkAudio,
            "only check that an audio device can be opened (exit status 0 when it can)");
        command.add_flag("--shuffle", shuffle, "play the files in random order");
        listening.Add(command);
    }

    bool WantsHelp() const override { return files.empty() && !checkAudio; }

    int Run(CommandContext& context) override
    {
        if (checkAudio)
            return CheckAudio();
        // A bare first word that names nothing is more likely a mistyped command than a
        // file.
        std::error_code error;
        if (context.Implied() && !std::filesystem::exists(files.front(), error))
            throw UsageError(files.front() + ": no such file or command");
        PlayOptions options;
        options.seek = listening.Seek();
        options.maxTime = listening.MaxTime();
        options.repeat = int(ParseWhole("--repeat", listening.repeat, -1, 1000000,
            "-1 (for ever), 0 (once) or a number of repeats"));
        options.shuffle = shuffle;
        options.sound = listening.ParseSound();
        bool ok;
        options.files = InputFiles(files, ok);
        PluginHost* host = context.NeedPlugins();
        if (host == nullptr)
            return 1;
        int status = PlayFiles(*host, options);
        return ok ? status : 1;
    }

private:
    std::vector<std::string> files;
    bool                     checkAudio = false;
    bool                     shuffle = false;
    ListeningArgs            listening;
};

}   // namespace

std::unique_ptr<Command>
NewPlayCommand()
{
    return std::make_unique<PlayCommand>();
}
