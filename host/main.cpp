// zarnowelle: a command-line host for the module player plug-in.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/Arguments.h"
#include "host/Commands.h"
#include "host/ModuleInfo.h"
#include "host/Player.h"
#include "host/Playlist.h"
#include "host/Renderer.h"
#include "host/TraceCommand.h"
#include "hostlib/PluginHost.h"

// The host and every add-on link their own copy of the platform layer; through this slot
// they share one MIME database, so the host reads the types the plug-ins register.
extern "C" __attribute__((visibility("default"))) void**
zw_mime_database_slot()
{
    static void* slot = nullptr;
    return &slot;
}

namespace {

const int kUsage = 2;

// Option values as typed; checked once parsing is done, so that each error reads as a
// sentence.
struct ListeningArgs
{
    std::string seek;
    std::string maxTime = "1800";
    std::string repeat = "0";
    std::string stereo = "100";
    std::string gain = "0";
};

void
AddListening(CLI::App* command, ListeningArgs& args)
{
    command
        ->add_option("--seek", args.seek,
            "start at this time: seconds (90, 12.5) or "
            "minutes and seconds (1:30)")
        ->type_name("TIME");
    command
        ->add_option("--max-time", args.maxTime,
            "seconds a song may play before it "
            "counts as one that does not end (default 1800)")
        ->type_name("SECONDS");
    command
        ->add_option("--repeat", args.repeat,
            "play each song this many more times "
            "(default 0: once; -1: for ever, in play only)")
        ->type_name("N");
    command
        ->add_option("--stereo", args.stereo,
            "stereo width in percent: 100 is the "
            "plug-in's own panning (default), 0 is mono")
        ->type_name("PERCENT");
    command
        ->add_option("--gain", args.gain,
            "gain in dB, -60 to 30 (default 0); loud "
            "peaks saturate")
        ->type_name("DB");
}

double
MaxTime(const ListeningArgs& args)
{
    return ParsePositiveSeconds("--max-time", args.maxTime);
}

Listening
ParseListening(const ListeningArgs& args)
{
    Listening listening;
    listening.stereo = int(ParseWhole("--stereo", args.stereo, 0, Listening::kFullStereo,
        "a whole number from 0 (mono) to 100 (full stereo)"));
    listening.gain = ParseNumber("--gain", args.gain, Listening::kMinGain, Listening::kMaxGain,
        "a number of decibels from -60 to 30");
    return listening;
}

std::vector<std::string>
Expanded(const std::vector<std::string>& inputs, bool& ok)
{
    std::vector<std::string> files;
    ok = ExpandPlaylists(inputs, files);
    return files;
}

struct PlayArgs
{
    std::vector<std::string> files;
    bool                     checkAudio = false;
    bool                     shuffle = false;
    ListeningArgs            listening;
};

void
AddPlay(CLI::App* command, PlayArgs& args, bool bare)
{
    command->add_option("files", args.files, "module files and .m3u playlists");
    if (!bare) {
        command->add_flag("--check-audio", args.checkAudio,
            "only check that an audio device can be opened (exit status 0 when it can)");
    }
    command->add_flag("--shuffle", args.shuffle, "play the files in random order");
    AddListening(command, args.listening);
}

int
RunPlay(PluginHost& host, const PlayArgs& args)
{
    PlayOptions options;
    options.seek = args.listening.seek.empty() ? -1 : ParseTime("--seek", args.listening.seek);
    options.maxTime = MaxTime(args.listening);
    options.repeat = int(ParseWhole("--repeat", args.listening.repeat, -1, 1000000,
        "-1 (for ever), 0 (once) or a number of repeats"));
    options.shuffle = args.shuffle;
    options.listening = ParseListening(args.listening);
    bool ok;
    options.files = Expanded(args.files, ok);
    if (NeedPlugins(host) != 0)
        return 1;
    int status = PlayFiles(host, options);
    return ok ? status : 1;
}

struct RenderArgs
{
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

CLI::App*
AddRender(CLI::App& app, RenderArgs& args)
{
    CLI::App* command = app.add_subcommand("render",
        "Render whole songs to sound files (.wav, .flac or .ogg) or to raw signed 16-bit "
        "little-endian stereo PCM on standard output (-o -).");
    command->add_option("files", args.files, "module files and .m3u playlists")->required();
    command
        ->add_option(
            "-o,--output", args.output, "output file, - for raw PCM, or a folder for several files")
        ->required();
    AddListening(command, args.listening);
    command
        ->add_option("--seek-permille", args.seekPermille,
            "start at this position, in "
            "thousandths of the song (jumps to the song position)")
        ->type_name("N");
    command
        ->add_option("--samplerate", args.sampleRate,
            "rate of the output in Hz "
            "(default 44100, the plug-in's own)")
        ->type_name("HZ");
    command
        ->add_option("--format", args.format,
            "wav, flac or ogg: the format of the "
            "files a folder gets (default wav)")
        ->type_name("FORMAT");
    command->add_flag("--force", args.force, "replace output files that exist");
    command->add_flag("-q,--quiet", args.quiet, "no summary line for each file");
    command
        ->add_option("-j,--jobs", args.jobs,
            "files rendered at once (default: the "
            "number of cores)")
        ->type_name("N");
    return command;
}

int
RunRender(PluginHost& host, const RenderArgs& args)
{
    RenderOptions options;
    options.output = args.output;
    if (options.output.empty())
        throw UsageError("-o must name a file, a folder or -");
    options.seek = args.listening.seek.empty() ? -1 : ParseTime("--seek", args.listening.seek);
    if (!args.seekPermille.empty() && options.seek >= 0)
        throw UsageError("give --seek or --seek-permille, not both");
    if (!args.seekPermille.empty()) {
        options.seekPermille = int(ParseWhole(
            "--seek-permille", args.seekPermille, 0, 999, "a whole number from 0 to 999"));
    }
    options.maxTime = MaxTime(args.listening);
    options.repeat = int(ParseWhole("--repeat", args.listening.repeat, -1, 1000000,
        "-1 (for ever, in play only), 0 (once) or a number of repeats"));
    if (options.repeat < 0)
        throw UsageError("--repeat -1 plays for ever, which cannot be rendered");
    options.listening = ParseListening(args.listening);
    if (!args.sampleRate.empty()) {
        options.sampleRate = int(ParseWhole("--samplerate", args.sampleRate, 8000, 384000,
            "a whole number of hertz from 8000 to 384000"));
    }
    options.format = ParseFormat(args.format);
    int cores = int(std::max(1u, std::thread::hardware_concurrency()));
    options.jobs = args.jobs.empty() ? cores
                                     : int(ParseWhole("--jobs", args.jobs, 1, 1024,
                                         "a positive whole number of files rendered at once"));
    options.force = args.force;
    options.quiet = args.quiet;
    bool ok;
    options.files = Expanded(args.files, ok);
    if (NeedPlugins(host) != 0)
        return 1;
    int status = RenderFiles(host, options);
    return status == 0 && !ok ? 1 : status;
}

struct InfoArgs
{
    std::vector<std::string> files;
    bool                     json = false;
    bool                     samples = false;
    std::string              maxTime = "1800";
};

CLI::App*
AddInfo(CLI::App& app, InfoArgs& args)
{
    CLI::App* command = app.add_subcommand("info",
        "Print the module type, duration and facts of each file (exit status 0 when all "
        "load).");
    command->add_option("files", args.files, "module files and .m3u playlists")->required();
    command->add_flag("--json", args.json, "one JSON object per file and line");
    command->add_flag("--samples", args.samples,
        "list the samples: number, name, length, "
        "volume, finetune, loop");
    command
        ->add_option("--max-time", args.maxTime,
            "seconds a song may play before its "
            "duration counts as none (default 1800)")
        ->type_name("SECONDS");
    return command;
}

int
RunInfo(PluginHost& host, const InfoArgs& args)
{
    InfoOptions options;
    options.json = args.json;
    options.samples = args.samples;
    options.maxTime = ParsePositiveSeconds("--max-time", args.maxTime);
    bool ok;
    options.files = Expanded(args.files, ok);
    int status = PrintModuleInfo(host, options);
    return ok ? status : 1;
}

// A bare first word that names nothing is more likely a mistyped command than a file.
void
CheckBareWord(const std::vector<std::string>& files)
{
    std::error_code error;
    if (!files.empty() && !std::filesystem::exists(files.front(), error))
        throw UsageError(files.front() + ": no such file or command");
}

struct Commands
{
    PlayArgs     bare;
    PlayArgs     play;
    RenderArgs   render;
    InfoArgs     info;
    TraceOptions trace;
    CLI::App*    playCommand;
    CLI::App*    renderCommand;
    CLI::App*    infoCommand;
    CLI::App*    traceCommand;
    CLI::App*    aboutCommand;
    CLI::App*    typesCommand;
};

void
AddCommands(CLI::App& app, Commands& commands)
{
    commands.playCommand = app.add_subcommand("play",
        "Play files one after another on the default audio device (the default command).\n"
        "Keys: space pauses, left/right seek 5 s, down/up seek 30 s, p/n previous/next "
        "file, l loops the song, -/+ gain, [/] stereo width, q quits.");
    AddPlay(commands.playCommand, commands.play, false);
    // Bare file names play, as `play` does.
    AddPlay(&app, commands.bare, true);
    commands.renderCommand = AddRender(app, commands.render);
    commands.aboutCommand = app.add_subcommand("about", "Show each plug-in's About text.");
    commands.typesCommand =
        app.add_subcommand("types", "List the file types each plug-in announces.");
    commands.infoCommand = AddInfo(app, commands.info);
    commands.traceCommand = AddTraceCommand(app, commands.trace);
    app.require_subcommand(0, 1);
}

int
Dispatch(CLI::App& app, Commands& commands, const std::string& pluginFolder)
{
    if (commands.traceCommand != nullptr && *commands.traceCommand)
        return RunTrace(commands.trace);
    if (*commands.playCommand && commands.play.checkAudio)
        return CheckAudio();
    PluginHost host(pluginFolder.empty() ? PluginHost::DefaultFolder() : pluginFolder);
    if (*commands.infoCommand)
        return RunInfo(host, commands.info);
    if (*commands.renderCommand)
        return RunRender(host, commands.render);
    if (*commands.aboutCommand)
        return RunAbout(host);
    if (*commands.typesCommand)
        return RunTypes(host);
    if (*commands.playCommand) {
        if (commands.play.files.empty()) {
            std::cout << commands.playCommand->help();
            return kUsage;
        }
        return RunPlay(host, commands.play);
    }
    if (commands.bare.files.empty()) {
        std::cout << app.help();
        return kUsage;
    }
    CheckBareWord(commands.bare.files);
    return RunPlay(host, commands.bare);
}

}   // namespace

int
main(int argc, char** argv)
{
    CLI::App app("zarnowelle: plays tracker modules through the Zarnowelle plug-in.\n"
                 "Run `zarnowelle FILE...` to play, or one of the commands below.",
        "zarnowelle");
    app.set_version_flag("--version", "zarnowelle " ZW_VERSION);
    std::string pluginFolder;
    app.add_option("--plugins", pluginFolder,
        "folder of plug-ins (default: plugins/ beside the program, else "
        "../lib/zarnowelle/plugins)");
    Commands commands;
    AddCommands(app, commands);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForVersion& version) {
        return app.exit(version);
    } catch (const CLI::ParseError& error) {
        ReportError(std::string(error.what()) + " (see zarnowelle --help)");
        return kUsage;
    }
    try {
        return Dispatch(app, commands, pluginFolder);
    } catch (const UsageError& error) {
        ReportError(error.what());
        return kUsage;
    }
}
