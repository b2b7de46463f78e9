#include "host/ListeningOptions.h"

#include <CLI/CLI.hpp>

#include "host/Arguments.h"

void
ListeningArgs::Add(CLI::App& command)
{
    command
        .add_option(
            "--seek", seek, "start at this time: seconds (90, 12.5) or minutes and seconds (1:30)")
        ->type_name("TIME");
    command
        .add_option("--max-time", maxTime,
            "seconds a song may play before it counts as one that does not end (default "
            "1800)")
        ->type_name("SECONDS");
    command
        .add_option("--repeat", repeat,
            "play each song this many more times (default 0: once; -1: for ever, in play "
            "only)")
        ->type_name("N");
    command
        .add_option("--stereo", stereo,
            "stereo width in percent: 100 is the plug-in's own panning (default), 0 is mono")
        ->type_name("PERCENT");
    command
        .add_option("--gain", gain,
            "gain in dB, -60 to 30 (default 0), applied in the plug-in's mixer; loud peaks "
            "saturate")
        ->type_name("DB");
    command
        .add_option("--interpolation", interpolation,
            "how samples are read between their points: nearest (default, the player's "
            "own sound), linear, cubic or sinc")
        ->type_name("MODE");
    command.add_flag("--ramping", ramping,
        "ramp volume and panning changes, note starts and cuts over a few milliseconds");
    command
        .add_option("--rules", rules,
            "replay rules for MOD-family files: auto (default, the detected type) or a type "
            "name as `info` prints it (ProTracker, NoiseTracker, ...)")
        ->type_name("TYPE");
    command
        .add_option("--amiga", amiga,
            "play as an Amiga would, with its filters: off (default), a500 or a1200; "
            "interpolation has no meaning then")
        ->type_name("MODEL");
    command.footer(
        "Sound settings no option gives come from the plug-in's settings file: "
        "$ZARNOWELLE_SETTINGS, else $XDG_CONFIG_HOME/zarnowelle/settings.conf "
        "(~/.config/zarnowelle/settings.conf), with lines `key = value` and # comments. "
        "The keys are interpolation, ramping (on|off), gain, stereo, rules and amiga; an "
        "option given here overrides the file. For example:\n\n"
        "    interpolation = cubic\n"
        "    ramping = on\n"
        "    gain = -3      # headroom\n");
}

double
ListeningArgs::Seek() const
{
    return seek.empty() ? -1 : ParseTime("--seek", seek);
}

double
ListeningArgs::MaxTime() const
{
    return ParsePositiveSeconds("--max-time", maxTime);
}

Sound
ListeningArgs::ParseSound() const
{
    Sound sound;
    const struct
    {
        const char*        key;
        const std::string& value;
    } given[] = {
        { "gain", gain },
        { "stereo", stereo },
        { "interpolation", interpolation },
        { "rules", rules },
        { "amiga", amiga },
    };
    for (const auto& option : given) {
        if (!option.value.empty())
            sound.Ask(option.key, option.value, std::string("--") + option.key);
    }
    if (ramping)
        sound.Ask("ramping", "on", "--ramping");
    return sound;
}
