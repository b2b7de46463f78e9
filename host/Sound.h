// The sound a listener asks of the plug-in: interpolation, ramping, replay rules, the
// Amiga model, gain and stereo width, set on each plug-in object through its settings
// channel. A plug-in without the channel plays its own sound; the host then applies
// gain and stereo itself, after it.
#ifndef HOST_SOUND_H
#define HOST_SOUND_H

#include <map>
#include <string>
#include <vector>

#include "host/Listening.h"

class InputPlugin;
class PluginSettings;

// The settings asked for, by their key in the channel, and the host's own gain and
// stereo for a plug-in without one. Settings not asked for stay the plug-in's (its
// settings file's, or its default).
struct Sound
{
    std::map<std::string, std::string> asked;
    Listening                          listening;

    // Checks and records one setting; throws UsageError naming `option` for a value
    // the plug-in would refuse. `value` may be in any case.
    void Ask(const std::string& key, const std::string& value, const std::string& option);
};

// Values in the order the player's keys cycle them.
const std::vector<std::string>& InterpolationModes();
const std::vector<std::string>& AmigaModels();

// One plug-in object's sound.
class SoundControl
{
public:
    explicit SoundControl(InputPlugin* plugin);

    // Sets every setting `sound` asks for; what the plug-in refuses, or cannot hear for
    // want of the channel, becomes a warning naming `file`.
    void Apply(const Sound& sound, const std::string& file, std::vector<std::string>& warnings);
    // One setting at once, as a key asks; false when the plug-in has no channel or
    // refuses it.
    bool Set(const std::string& key, const std::string& value);
    // The setting as the plug-in has it now; empty without a channel.
    std::string Get(const std::string& key) const;
    bool        HasChannel() const { return settings != nullptr; }

    // What the host must still apply after the plug-in: none of it with a channel.
    Listening HostListening(const Listening& asked) const;
    // The parts of the sound that are not the default, as short words for the status
    // and summary lines ("cubic", "A500", "-3 dB"); `asked` gives gain and stereo
    // without a channel.
    std::vector<std::string> Differences(const Listening& asked) const;

private:
    PluginSettings* settings;
};

#endif
