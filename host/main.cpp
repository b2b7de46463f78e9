// zarnowelle: a command-line host for the module player plug-in.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "host/Arguments.h"
#include "host/Command.h"
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

// clang-format off
const struct
{
    const char* name;
    const char* description;
    std::unique_ptr<Command> (*make)();
} kCommands[] = {
    { "play",
        "Play files one after another on the default audio device (the default command).\n"
        "Keys: space pauses, left/right seek 5 s, down/up seek 30 s, p/n previous/next "
        "file, l loops the song, -/+ gain, [/] stereo width, i interpolation, a Amiga "
        "model, q quits.",
        NewPlayCommand },
    { "render",
        "Render whole songs to sound files (.wav, .flac or .ogg) or to raw signed 16-bit "
        "little-endian stereo PCM on standard output (-o -).",
        NewRenderCommand },
    { "about", "Show each plug-in's About text.", NewAboutCommand },
    { "types", "List the file types each plug-in announces.", NewTypesCommand },
    { "info",
        "Print the module type, duration and facts of each file (exit status 0 when all "
        "load).",
        NewInfoCommand },
    { "trace",
        "Play modules tick by tick without sound and print what the player tells each "
        "channel (trigger, sample, frequency, volume, panning, loop), up to the song's end.",
        NewTraceCommand },
};
// clang-format on

// Options of the program as a whole, which may come anywhere on the line: they are
// moved in front of the command word before parsing.
const char* const kGlobalOptions[] = { "--plugins" };

bool
IsCommand(const std::string& word)
{
    for (const auto& command : kCommands) {
        if (word == command.name)
            return true;
    }
    return false;
}

// The words after the program's name, global options first; `implied` is set when
// the line names no command, so that `play` is put in front of the rest.
std::vector<std::string>
Arrange(int argc, char** argv, bool& implied)
{
    std::vector<std::string> global, rest;
    bool                     ended = false;   // after "--" every word is a file
    for (int i = 1; i < argc; i++) {
        std::string word = argv[i];
        bool        taken = false;
        for (const char* option : kGlobalOptions) {
            size_t length = strlen(option);
            if (ended || word.compare(0, length, option) != 0)
                continue;
            if (word.size() == length && i + 1 < argc) {
                global.insert(global.end(), { word, argv[++i] });
                taken = true;
            } else if (word.size() > length && word[length] == '=') {
                global.push_back(word);
                taken = true;
            }
        }
        ended |= word == "--";
        if (!taken)
            rest.push_back(word);
    }
    const std::string first = rest.empty() ? "" : rest.front();
    implied = !rest.empty() && !IsCommand(first) && first != "-h" && first != "--help"
        && first != "--version";
    if (implied)
        rest.insert(rest.begin(), "play");
    global.insert(global.end(), rest.begin(), rest.end());
    return global;
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
        "../lib/zarnowelle/plugins); may come anywhere on the line");
    std::vector<std::pair<CLI::App*, std::unique_ptr<Command>>> commands;
    for (const auto& entry : kCommands) {
        CLI::App* sub = app.add_subcommand(entry.name, entry.description);
        commands.emplace_back(sub, entry.make());
        commands.back().second->AddOptions(*sub);
    }
    app.require_subcommand(0, 1);

    bool                     implied = false;
    std::vector<std::string> words = Arrange(argc, argv, implied);
    std::vector<std::string> reversed(words.rbegin(), words.rend());
    try {
        app.parse(reversed);
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
        for (auto& [sub, command] : commands) {
            if (!*sub)
                continue;
            if (command->WantsHelp()) {
                std::cout << sub->help();
                return kUsage;
            }
            CommandContext context(pluginFolder, implied);
            return command->Run(context);
        }
        std::cout << app.help();
        return kUsage;
    } catch (const UsageError& error) {
        ReportError(error.what());
        return kUsage;
    }
}
