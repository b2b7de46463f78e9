// The settings channel: what a host of our own may ask of one plug-in object beyond the
// InputPlugin contract. The object the add-on's NewPlugin returns also derives from
// PluginSettings; a host reaches it with
//
//     PluginSettings* settings = dynamic_cast<PluginSettings*>(plugin);
//
// and gets null from a plug-in that has none. A host built for the bare contract never
// asks, and the plug-in then plays its own sound, as a host that sets nothing gets it
// (apart from what the user's settings file says).
//
// Settings are per object: two objects in one process play in two modes. Keys and values
// are text, as in the settings file:
//
//     interpolation  nearest | linear | cubic | sinc          default nearest
//     ramping        off | on                                 default off
//     gain           dB, -60 to 30                            default 0
//     stereo         percent, 0 (mono) to 100 (hard panning)  default 100
//     amiga          off | a500 | a1200                       default off
//     rules          auto | a MOD-family type name            default auto
//
// gain, stereo, interpolation, ramping and amiga take effect from the next block; rules
// at the next InitPlaying. A setting made here overrides the settings file.
//
// amiga a500 or a1200 plays each voice as the Amiga's Paula does (every sample value held
// until the next, its steps band-limited), through that model's fixed filters and the
// LED filter the song switches with E0x; interpolation then has no meaning.
#ifndef PLUGIN_PLUGINSETTINGS_H
#define PLUGIN_PLUGINSETTINGS_H

#include <cstddef>

// Receives one message line of the plug-in (no trailing newline), on the thread that
// called into the plug-in.
typedef void (*PluginMessageSink)(void* context, const char* line);

// Every key, in the order of the table above.
const char* const PLUGIN_SETTING_KEYS[] = { "interpolation", "ramping", "gain", "stereo", "amiga",
    "rules" };
const int PLUGIN_SETTING_KEY_COUNT = sizeof(PLUGIN_SETTING_KEYS) / sizeof(PLUGIN_SETTING_KEYS[0]);

// How the loader's error line begins; the loader's message follows it.
const char PLUGIN_LOADER_ERROR_PREFIX[] = "Ravlo Mod plugin ERROR: ";

class PluginSettings
{
public:
    PluginSettings() {}
    virtual ~PluginSettings() {}
    PluginSettings(const PluginSettings&) = delete;
    PluginSettings& operator=(const PluginSettings&) = delete;

    // Sets `key` to `value`. False when the key is unknown or the value out of range or
    // of the wrong kind; the setting then keeps its value and `why` (when not null)
    // receives a one-line reason, cut to `whySize` bytes with its terminating zero.
    virtual bool SetSetting(const char* key, const char* value, char* why, size_t whySize) = 0;
    // The setting's value as text into `value` (`size` bytes with the zero); false for
    // an unknown key or a buffer too small.
    virtual bool GetSetting(const char* key, char* value, size_t size) const = 0;
    // Forgets every setting this host made, so the settings file's (or the default)
    // apply again.
    virtual void ResetSettings() = 0;

    // Where the plug-in's messages go: the loader's error line and the settings file's
    // warnings. With a sink set they go to it alone; with none (null), the loader's line
    // goes to standard output and warnings to standard error, as before. The loader's
    // line reaches a sink as one line that begins with PLUGIN_LOADER_ERROR_PREFIX; with
    // a sink set, About(false) also gives its text to the sink, a line at a time, instead
    // of showing a box.
    virtual void SetMessageSink(PluginMessageSink sink, void* context) = 0;
};

#endif
