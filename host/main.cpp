// zarnowelle: a command-line host for the module player plug-in.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "beos/Message.h"
#include "beos/MimeType.h"
#include "host/ModuleInfo.h"
#include "host/Player.h"
#include "hostlib/PluginHost.h"
#include "host/Renderer.h"
#include "host/TraceCommand.h"

// The host and every add-on link their own copy of the platform layer; through this slot
// they share one MIME database, so the host reads the types the plug-ins register.
extern "C" __attribute__((visibility("default"))) void**
zw_mime_database_slot()
{
    static void* slot = nullptr;
    return &slot;
}

namespace {

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
    for (const PluginHost::AddOn& addOn : host.AddOns())
        addOn.plugin->About(false);
    return 0;
}

std::string
Field(status_t status, const char* text)
{
    return status == B_OK ? text : "-";
}

void
PrintType(BMimeType& type)
{
    char shortDescription[B_MIME_TYPE_LENGTH] = "";
    char longDescription[B_MIME_TYPE_LENGTH] = "";
    BMessage message;
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

int
RunTypes(PluginHost& host)
{
    if (NeedPlugins(host) != 0)
        return 1;
    for (const PluginHost::AddOn& addOn : host.AddOns()) {
        for (int index = 0; ; index++) {
            BMimeType type;
            if (!addOn.plugin->GetMimeType(&type, index))
                break;
            PrintType(type);
        }
    }
    return 0;
}

int
RunPlay(PluginHost& host, const std::vector<std::string>& files)
{
    if (NeedPlugins(host) != 0)
        return 1;
    return PlayFiles(host, files);
}

void
AddPlay(CLI::App& app, std::vector<std::string>& files, bool& checkAudio)
{
    CLI::App* play = app.add_subcommand("play",
        "Play files one after another on the default audio device (the default command).\n"
        "Keys: space pauses, left/right seek by 5 %, n plays the next file, q quits.");
    play->add_option("files", files, "module files");
    play->add_flag("--check-audio", checkAudio,
        "only check that an audio device can be opened (exit status 0 when it can)");
}

CLI::App*
AddRender(CLI::App& app, RenderOptions& render)
{
    CLI::App* command = app.add_subcommand("render",
        "Render a whole song to a sound file (.wav, .flac or .ogg) or to raw signed 16-bit "
        "little-endian stereo PCM at 44100 Hz on standard output (-o -).");
    command->add_option("files", render.files, "module files")->required();
    command->add_option("-o,--output", render.output,
        "output file, - for raw PCM, or a folder for several files")->required();
    command->add_option("--seek", render.seek, "start at this position, in "
        "thousandths of the song")->check(CLI::Range(0, 999));
    command->add_option("--max-time", render.maxTime, "stop after this many seconds "
        "of audio when the song does not end (default 1800)")->check(CLI::PositiveNumber);
    return command;
}

CLI::App*
AddInfo(CLI::App& app, std::vector<std::string>& files, bool& json)
{
    CLI::App* command = app.add_subcommand("info",
        "Print the module type and facts of each file (exit status 0 when all load).");
    command->add_option("files", files, "module files")->required();
    command->add_flag("--json", json, "one JSON object per file and line");
    return command;
}

}   // namespace

int
main(int argc, char** argv)
{
    CLI::App app("zarnowelle: plays tracker modules through the Zarnowelle plug-in.\n"
        "Run `zarnowelle FILE...` to play, or one of the commands below.", "zarnowelle");
    std::string pluginFolder;
    app.add_option("--plugins", pluginFolder,
        "folder of plug-ins (default: plugins/ beside the program, else "
        "../lib/zarnowelle/plugins)");

    std::vector<std::string> playFiles;
    bool checkAudio = false;
    AddPlay(app, playFiles, checkAudio);
    // Bare file names play, as `play` does.
    std::vector<std::string> bareFiles;
    app.add_option("files", bareFiles, "module files to play");

    RenderOptions render;
    CLI::App* renderCommand = AddRender(app, render);

    CLI::App* aboutCommand = app.add_subcommand("about", "Show each plug-in's About text.");
    CLI::App* typesCommand = app.add_subcommand("types",
        "List the file types each plug-in announces.");

    std::vector<std::string> infoFiles;
    bool infoJson = false;
    CLI::App* infoCommand = AddInfo(app, infoFiles, infoJson);

    TraceOptions trace;
    CLI::App* traceCommand = AddTraceCommand(app, trace);
    app.require_subcommand(0, 1);

    CLI11_PARSE(app, argc, argv);

    if (*infoCommand)
        return PrintModuleInfo(infoFiles, infoJson);
    if (traceCommand != nullptr && *traceCommand)
        return RunTrace(trace);
    if (app.got_subcommand("play") && checkAudio)
        return CheckAudio();

    PluginHost host(pluginFolder.empty() ? PluginHost::DefaultFolder() : pluginFolder);
    if (*renderCommand)
        return NeedPlugins(host) != 0 ? 1 : RenderFiles(host, render);
    if (*aboutCommand)
        return RunAbout(host);
    if (*typesCommand)
        return RunTypes(host);
    bool play = app.got_subcommand("play");
    std::vector<std::string> files = play ? playFiles : bareFiles;
    if (files.empty()) {
        std::cout << (play ? app.get_subcommand("play")->help() : app.help());
        return 2;
    }
    return RunPlay(host, files);
}
