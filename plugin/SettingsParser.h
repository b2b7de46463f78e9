// The sound settings as values, and their text: one key and value as a host sets them,
// and the `key = value` lines of a settings file. Pure text to values; reading the file
// and deciding who wins is MyPlugin's.
#ifndef PLUGIN_SETTINGSPARSER_H
#define PLUGIN_SETTINGSPARSER_H

#include <string>
#include <string_view>
#include <vector>

#include "mixer/MixerSettings.h"

const int32 SETTINGS_RULES_AUTO = -1;   // the replay rules of the detected type

struct SoundSettings
{
    MixerSettings mixer;
    int32         rules = SETTINGS_RULES_AUTO;   // else a MOD-family type number
};

enum SettingKey : int {
    SETTING_INTERPOLATION,
    SETTING_RAMPING,
    SETTING_GAIN,
    SETTING_STEREO,
    SETTING_AMIGA,
    SETTING_RULES,
    SETTING_COUNT,   // also: no such key
};

// One bit per SettingKey: which settings a source gives.
typedef uint32 SettingMask;

// The names of the MOD-family types that `rules` takes, indexed by type number.
typedef std::vector<std::string> RuleNames;

// The key called `name` (any case), or SETTING_COUNT.
SettingKey  FindSettingKey(std::string_view name);
const char* SettingName(SettingKey key);

// Reads `text` as the value of `key` into `settings`. False when it is of the wrong kind
// or out of range: `settings` is then unchanged and `why` says what was wanted.
bool ParseSetting(SettingKey key, std::string_view text, const RuleNames& rules,
    SoundSettings& settings, std::string& why);

// The value of `key` as text that ParseSetting reads back to the same value.
std::string SettingText(SettingKey key, const SoundSettings& settings, const RuleNames& rules);

// Copies the settings of `mask` from `from` into `to`.
void CopySettings(SettingMask mask, const SoundSettings& from, SoundSettings& to);

// A line of a settings file that was not taken.
struct SettingsProblem
{
    int         line;    // 1-based
    std::string key;     // as written; the line's start when it named none
    std::string value;   // as written, when the key was known
    std::string why;
};

// Parses a settings file's text into `settings`, a later line for a key winning over an
// earlier one; returns the keys it set. Blank lines and `#` comments (also after a value)
// are skipped; every other line that is not a valid `key = value` is a problem.
SettingMask ParseSettingsText(std::string_view text, const RuleNames& rules,
    SoundSettings& settings, std::vector<SettingsProblem>& problems);

#endif
