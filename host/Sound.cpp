#include "host/Sound.h"

#include <cstdio>
#include <cstdlib>

#include "host/Arguments.h"
#include "hostlib/ModuleFacts.h"
#include "plugin/InputPlugin.h"
#include "plugin/PluginSettings.h"

namespace {

std::string
Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

std::string
Choices(const std::vector<std::string>& values)
{
    std::string text;
    for (size_t i = 0; i < values.size(); i++)
        text += (i == 0 ? "" : i + 1 == values.size() ? " or " : ", ") + values[i];
    return text;
}

// The canonical spelling of `value` among `values`, or empty.
std::string
Match(const std::string& value, const std::vector<std::string>& values)
{
    for (const std::string& known : values) {
        if (Lower(known) == Lower(value))
            return known;
    }
    return "";
}

std::vector<std::string>
RuleNames()
{
    std::vector<std::string> names = { "auto" };
    for (const std::string& name : ModFamilyTypeNames())
        names.push_back(name);
    return names;
}

}   // namespace

const std::vector<std::string>&
InterpolationModes()
{
    static const std::vector<std::string> modes = { "nearest", "linear", "cubic", "sinc" };
    return modes;
}

const std::vector<std::string>&
AmigaModels()
{
    static const std::vector<std::string> models = { "off", "a500", "a1200" };
    return models;
}

void
Sound::Ask(const std::string& key, const std::string& value, const std::string& option)
{
    std::vector<std::string> values = key == "interpolation" ? InterpolationModes()
        : key == "amiga"                                     ? AmigaModels()
        : key == "rules"                                     ? RuleNames()
                         : std::vector<std::string> { "on", "off" };
    if (key == "gain") {
        listening.gain = ParseNumber(option, value, Listening::kMinGain, Listening::kMaxGain,
            "a number of decibels from -60 to 30");
        char text[32];
        snprintf(text, sizeof(text), "%g", listening.gain);
        asked[key] = text;
    } else if (key == "stereo") {
        listening.stereo = int(ParseWhole(option, value, 0, Listening::kFullStereo,
            "a whole number from 0 (mono) to 100 (full stereo)"));
        asked[key] = std::to_string(listening.stereo);
    } else {
        std::string known = Match(value, values);
        if (known.empty())
            throw UsageError(option + " must be " + Choices(values));
        asked[key] = known;
    }
}

SoundControl::SoundControl(InputPlugin* plugin) : settings(dynamic_cast<PluginSettings*>(plugin)) {}

void
SoundControl::Apply(const Sound& sound, const std::string& file, std::vector<std::string>& warnings)
{
    for (const auto& [key, value] : sound.asked) {
        char why[256] = "";
        if (settings == nullptr) {
            if (key != "gain" && key != "stereo") {
                warnings.push_back(file + ": warning: its plug-in takes no sound settings; --" + key
                    + " is not heard");
            }
        } else if (!settings->SetSetting(key.c_str(), value.c_str(), why, sizeof(why))) {
            warnings.push_back(file + ": warning: --" + key + " " + value + ": " + why);
        }
    }
}

bool
SoundControl::Set(const std::string& key, const std::string& value)
{
    return settings != nullptr && settings->SetSetting(key.c_str(), value.c_str(), nullptr, 0);
}

std::string
SoundControl::Get(const std::string& key) const
{
    char value[128] = "";
    if (settings == nullptr || !settings->GetSetting(key.c_str(), value, sizeof(value)))
        return "";
    return value;
}

Listening
SoundControl::HostListening(const Listening& asked) const
{
    return settings != nullptr ? Listening() : asked;
}

std::vector<std::string>
SoundControl::Differences(const Listening& asked) const
{
    std::vector<std::string> words;
    Listening                heard = asked;
    if (settings != nullptr) {
        std::string interpolation = Get("interpolation"), amiga = Get("amiga");
        std::string rules = Get("rules");
        if (!interpolation.empty() && interpolation != "nearest")
            words.push_back(interpolation);
        if (Get("ramping") == "on")
            words.push_back("ramping");
        if (!amiga.empty() && amiga != "off")
            words.push_back(amiga == "a500" ? "A500" : amiga == "a1200" ? "A1200" : amiga);
        if (!rules.empty() && rules != "auto")
            words.push_back("rules " + rules);
        std::string gain = Get("gain"), stereo = Get("stereo");
        heard.gain = gain.empty() ? 0 : atof(gain.c_str());
        heard.stereo = stereo.empty() ? Listening::kFullStereo : atoi(stereo.c_str());
    }
    char text[48];
    if (heard.gain != 0) {
        snprintf(text, sizeof(text), "%+g dB", heard.gain);
        words.push_back(text);
    }
    if (heard.stereo != Listening::kFullStereo)
        words.push_back("stereo " + std::to_string(heard.stereo) + "%");
    return words;
}
