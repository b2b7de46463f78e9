#include "plugin/SettingsParser.h"

#include <charconv>
#include <cmath>

#include "plugin/PluginSettings.h"

namespace {

static_assert(PLUGIN_SETTING_KEY_COUNT == SETTING_COUNT);
const char* const kInterpolations[] = { "nearest", "linear", "cubic", "sinc" };
const char* const kAmigaModels[] = { "off", "a500", "a1200" };
const char* const kSwitch[] = { "off", "on" };
const char        kAuto[] = "auto";
// A key or value longer than this is cut in a report.
const size_t kShownLength = 40;

bool
SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); i++) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] - 'A' + 'a') : b[i];
        if (x != y)
            return false;
    }
    return true;
}

std::string_view
Trim(std::string_view text)
{
    const char blanks[] = " \t\r\f\v";
    size_t     first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The index of `text` among `names`, or -1.
template<size_t N>
int
Choice(std::string_view text, const char* const (&names)[N])
{
    for (size_t i = 0; i < N; i++) {
        if (SameText(text, names[i]))
            return int(i);
    }
    return -1;
}

template<size_t N>
std::string
ChoiceList(const char* const (&names)[N])
{
    std::string list;
    for (size_t i = 0; i < N; i++)
        list += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(names[i]);
    return list;
}

// A decimal number, with an optional sign and `unit` after it; false for anything else.
bool
ParseNumber(std::string_view text, std::string_view unit, double& number)
{
    if (text.size() >= unit.size() && SameText(text.substr(text.size() - unit.size()), unit))
        text = Trim(text.substr(0, text.size() - unit.size()));
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text[0] == '-')
            return false;
    }
    const char* end = text.data() + text.size();
    auto [stop, error] = std::from_chars(text.data(), end, number, std::chars_format::fixed);
    return error == std::errc() && stop == end && std::isfinite(number);
}

std::string
NumberText(double number)
{
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), number);
    return error == std::errc() ? std::string(buffer, end) : "0";
}

// Text of a broken file, cut and made one printable line for a report.
std::string
Shown(std::string_view text)
{
    std::string shown(text.substr(0, kShownLength));
    for (char& c : shown) {
        if ((unsigned char)c < 32 || c == 127)
            c = '?';
    }
    return shown;
}

}   // namespace

SettingKey
FindSettingKey(std::string_view name)
{
    int key = Choice(name, PLUGIN_SETTING_KEYS);
    return key < 0 ? SETTING_COUNT : SettingKey(key);
}

const char*
SettingName(SettingKey key)
{
    return key >= 0 && key < SETTING_COUNT ? PLUGIN_SETTING_KEYS[key] : "";
}

bool
ParseSetting(SettingKey key, std::string_view text, const RuleNames& rules, SoundSettings& settings,
    std::string& why)
{
    text = Trim(text);
    MixerSettings& mixer = settings.mixer;
    double         number = 0;
    int            choice = -1;
    switch (key) {
        case SETTING_INTERPOLATION:
            choice = Choice(text, kInterpolations);
            why = "wants " + ChoiceList(kInterpolations);
            if (choice >= 0)
                mixer.interpolation = MixInterpolation(choice);
            break;
        case SETTING_RAMPING:
            choice = Choice(text, kSwitch);
            why = "wants " + ChoiceList(kSwitch);
            if (choice >= 0)
                mixer.ramping = choice == 1;
            break;
        case SETTING_GAIN:
            why = "wants a number of dB from " + NumberText(MIX_GAIN_MIN_DB) + " to "
                + NumberText(MIX_GAIN_MAX_DB);
            if (ParseNumber(text, "dB", number) && number >= MIX_GAIN_MIN_DB
                && number <= MIX_GAIN_MAX_DB) {
                choice = 0;
                mixer.gainDb = number;
            }
            break;
        case SETTING_STEREO:
            why = "wants a whole percentage from 0 to " + std::to_string(MIX_STEREO_MAX_PERCENT);
            if (ParseNumber(text, "%", number) && number >= 0 && number <= MIX_STEREO_MAX_PERCENT
                && number == std::floor(number)) {
                choice = 0;
                mixer.stereoPercent = int32(number);
            }
            break;
        case SETTING_AMIGA:
            choice = Choice(text, kAmigaModels);
            why = "wants " + ChoiceList(kAmigaModels);
            if (choice >= 0)
                mixer.amiga = MixAmigaModel(choice);
            break;
        case SETTING_RULES:
            why = std::string("wants ") + kAuto;
            for (size_t i = 0; i < rules.size(); i++) {
                why += (i + 1 == rules.size() ? " or " : ", ") + rules[i];
                if (SameText(text, rules[i]))
                    choice = int(i);
            }
            if (SameText(text, kAuto))
                settings.rules = SETTINGS_RULES_AUTO;
            else if (choice >= 0)
                settings.rules = choice;
            else
                return false;
            return true;
        default: why = "no such setting"; return false;
    }
    return choice >= 0;
}

std::string
SettingText(SettingKey key, const SoundSettings& settings, const RuleNames& rules)
{
    const MixerSettings& mixer = settings.mixer;
    switch (key) {
        case SETTING_INTERPOLATION: return kInterpolations[mixer.interpolation & 3];
        case SETTING_RAMPING: return kSwitch[mixer.ramping ? 1 : 0];
        case SETTING_GAIN: return NumberText(mixer.gainDb);
        case SETTING_STEREO: return std::to_string(mixer.stereoPercent);
        case SETTING_AMIGA: return mixer.amiga <= MIX_AMIGA_A1200 ? kAmigaModels[mixer.amiga] : "";
        case SETTING_RULES:
            if (settings.rules >= 0 && size_t(settings.rules) < rules.size())
                return rules[settings.rules];
            return kAuto;
        default: return "";
    }
}

void
CopySettings(SettingMask mask, const SoundSettings& from, SoundSettings& to)
{
    auto has = [mask](SettingKey key) { return (mask & (1u << key)) != 0; };
    if (has(SETTING_INTERPOLATION))
        to.mixer.interpolation = from.mixer.interpolation;
    if (has(SETTING_RAMPING))
        to.mixer.ramping = from.mixer.ramping;
    if (has(SETTING_GAIN))
        to.mixer.gainDb = from.mixer.gainDb;
    if (has(SETTING_STEREO))
        to.mixer.stereoPercent = from.mixer.stereoPercent;
    if (has(SETTING_AMIGA))
        to.mixer.amiga = from.mixer.amiga;
    if (has(SETTING_RULES))
        to.rules = from.rules;
}

SettingMask
ParseSettingsText(std::string_view text, const RuleNames& rules, SoundSettings& settings,
    std::vector<SettingsProblem>& problems)
{
    SettingMask set = 0;
    int         number = 0;
    while (!text.empty()) {
        size_t           end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        number++;
        // No value holds a '#', so a comment may follow one.
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty())
            continue;
        size_t           equals = line.find('=');
        std::string_view key = Trim(line.substr(0, equals));
        if (equals == std::string_view::npos || key.empty()) {
            problems.push_back({ number, Shown(line), "", "not a line of the form key = value" });
            continue;
        }
        SettingKey       found = FindSettingKey(key);
        std::string_view value = Trim(line.substr(equals + 1));
        std::string      why;
        if (found == SETTING_COUNT)
            problems.push_back({ number, Shown(key), "", "no such setting" });
        else if (ParseSetting(found, value, rules, settings, why))
            set |= 1u << found;
        else
            problems.push_back({ number, Shown(key), Shown(value), why });
    }
    return set;
}
