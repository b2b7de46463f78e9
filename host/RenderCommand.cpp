// `zarnowelle render`: whole songs to sound files or raw PCM.
#include <algorithm>
#include <thread>

#include <CLI/CLI.hpp>

#include "host/Arguments.h"
#include "host/Command.h"
#include "host/ListeningOptions.h"
#include "host/Playlist.h"
#include "host/Renderer.h"

namespace {

class RenderCommand : public Command
{
public:
    void AddOptions(CLI::App& command) override
    {
        command.add_option("files", files, "module files and .m3u playlists")->required();
        command
            .add_option(
                "-o,--output", output, "output file, - for raw PCM, or a folder for several files")
            ->required();
        listening.Add(command);
        command
            .add_option("--seek-permille", seekPermille,
                "start at this position, in thousandths of the song (jumps to the song "
                "position)")
            ->type_name("N");
        command
            .add_option("--samplerate", sampleRate,
                "rate of the output in Hz (default 44100, the plug-in's own)")
            ->type_name("HZ");
        command
            .add_option("--format", format,
                "wav, flac or ogg: the format of the files a folder gets (default wav)")
            ->type_name("FORMAT");
        command.add_flag("--force", force, "replace output files that exist");
        command.add_flag("-q,--quiet", quiet, "no summary line for each file");
        command
            .add_option("-j,--jobs", jobs, "files rendered at once (default: the number of cores)")
            ->type_name("N");
    }

    int Run(CommandContext& context) override
    {
        RenderOptions options;
        options.output = output;
        if (options.output.empty())
            throw UsageError("-o must name a file, a folder or -");
        options.seek = listening.Seek();
        if (!seekPermille.empty() && options.seek >= 0)
            throw UsageError("give --seek or --seek-permille, not both");
        if (!seekPermille.empty()) {
            options.seekPermille = int(ParseWhole(
                "--seek-permille", seekPermille, 0, 999, "a whole number from 0 to 999"));
        }
        options.maxTime = listening.MaxTime();
        options.repeat = int(ParseWhole("--repeat", listening.repeat, -1, 1000000,
            "-1 (for ever, in play only), 0 (once) or a number of repeats"));
        if (options.repeat < 0)
            throw UsageError("--repeat -1 plays for ever, which cannot be rendered");
        options.sound = listening.ParseSound();
        if (!sampleRate.empty()) {
            options.sampleRate = int(ParseWhole("--samplerate", sampleRate, 8000, 384000,
                "a whole number of hertz from 8000 to 384000"));
        }
        options.format = ParseFormat(format);
        int cores = int(std::max(1u, std::thread::hardware_concurrency()));
        options.jobs = jobs.empty() ? cores
                                    : int(ParseWhole("--jobs", jobs, 1, 1024,
                                        "a positive whole number of files rendered at once"));
        options.force = force;
        options.quiet = quiet;
        bool ok;
        options.files = InputFiles(files, ok);
        PluginHost* host = context.NeedPlugins();
        if (host == nullptr)
            return 1;
        int status = RenderFiles(*host, options);
        return status == 0 && !ok ? 1 : status;
    }

private:
    std::vector<std::string> files;
    std::string              output;
    std::string              seekPermille;
    std::string              sampleRate;
    std::string              format;
    std::string              jobs;
    bool                     force = false;
    bool                     quiet = false;
    ListeningArgs            listening;
};

}   // namespace

std::unique_ptr<Command>
NewRenderCommand()
{
    return std::make_unique<RenderCommand>();
}
