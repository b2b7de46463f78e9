// Renders one module as the plug-in does, with mixer settings a host cannot give it
// yet, to raw signed 16-bit stereo at 44100 Hz: the input of the sound measurements
// (scripts/hf-energy) and of whole-command timing.
// Usage: zw_render_settings [--interpolation MODE] [--ramping] [--gain DB] [--stereo PCT]
//        MODULE OUTPUT.raw
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "framework/RVGlobal.h"
#include "mixer/RVMixer.h"
#include "modtracker/ModTracker.h"
#include "plugin/InputPlugin.h"
#include "support/PCacheFile.h"

namespace {

const uint32 kMaxBlocks = 1800 * 44100 / PLUGIN_BLOCK_FRAMES;   // half an hour

bool
ParseInterpolation(const char* name, MixInterpolation& mode)
{
    const char* const names[] = { "nearest", "linear", "cubic", "sinc" };
    for (uint8 i = 0; i < 4; i++) {
        if (strcmp(name, names[i]) == 0) {
            mode = MixInterpolation(i);
            return true;
        }
    }
    return false;
}

int
Fail(const std::string& line)
{
    fprintf(stderr, "zw_render_settings: %s\n", line.c_str());
    return 1;
}

}   // namespace


int
main(int argc, char** argv)
{
    MixerSettings            settings;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        const bool        hasValue = i + 1 < argc;
        if (arg == "--interpolation" && hasValue) {
            if (!ParseInterpolation(argv[++i], settings.interpolation))
                return Fail(std::string("unknown interpolation ") + argv[i]);
        } else if (arg == "--ramping") {
            settings.ramping = true;
        } else if (arg == "--gain" && hasValue) {
            settings.gainDb = atof(argv[++i]);
        } else if (arg == "--stereo" && hasValue) {
            settings.stereoPercent = atoi(argv[++i]);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 2)
        return Fail("usage: [--interpolation MODE] [--ramping] [--gain DB] [--stereo PCT] "
                    "MODULE OUTPUT.raw");

    RVGlobal   global;
    ModTracker player(&global);
    PCacheFile file(64 * 1024);
    uint32     type = 0;
    try {
        file.Open(paths[0].c_str(), PFile::pModeRead);
        bool found = false;
        for (uint32 i = 0; i < player.GetCount() && !found; i++) {
            found = player.ModuleCheck(i, &file) == 0;
            type = i;
        }
        file.SeekToBegin();
        if (!found || player.LoadModule(type, &file) != 0)
            return Fail(paths[0] + ": not a module this player reads");
        file.Close();
    } catch (...) {
        return Fail(paths[0] + ": cannot be read");
    }
    global.currentPlayer = &player;
    global.currentModType = type;
    if (!player.InitPlayer())
        return Fail(paths[0] + ": the player refuses it");

    // The output is new: an existing file is never written over.
    const int out = open(paths[1].c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (out < 0) {
        player.EndPlayer();
        return Fail(paths[1] + ": cannot be created (it may exist)");
    }

    RVMixer mixer;
    mixer.SetSettings(settings);
    mixer.InitMixer(&player);
    player.InitSound(0);
    mixer.StartMixer();
    std::vector<int16> block(PLUGIN_BLOCK_FRAMES * 2);
    bool               written = true;
    for (uint32 n = 0; n < kMaxBlocks && written; n++) {
        global.moduleEnded = false;
        mixer.Mixer(block.data(), PLUGIN_BLOCK_BYTES);
        if (global.moduleEnded)
            break;
        written = write(out, block.data(), PLUGIN_BLOCK_BYTES) == PLUGIN_BLOCK_BYTES;
    }
    mixer.EndMixer();
    player.EndSound();
    player.EndPlayer();
    if (close(out) != 0 || !written) {
        unlink(paths[1].c_str());
        return Fail(paths[1] + ": write failed");
    }
    return 0;
}
