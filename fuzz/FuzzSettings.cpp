// Fuzz target: the settings parser on any text, as a settings file or as one value a
// host sends. What it takes must be in range and read back the same from its own text.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "plugin/SettingsParser.h"

namespace {

const RuleNames kRules = { "SoundTracker15", "SoundTracker31", "NoiseTracker", "StarTracker",
    "ProTracker", "FastTracker", "TakeTracker" };

void
CheckInRange(const SoundSettings& s)
{
    ZW_FUZZ_CHECK(s.mixer.interpolation <= MIX_INTERPOLATION_SINC);
    ZW_FUZZ_CHECK(s.mixer.amiga <= MIX_AMIGA_A1200);
    ZW_FUZZ_CHECK(s.mixer.gainDb >= MIX_GAIN_MIN_DB && s.mixer.gainDb <= MIX_GAIN_MAX_DB);
    ZW_FUZZ_CHECK(s.mixer.stereoPercent >= 0 && s.mixer.stereoPercent <= MIX_STEREO_MAX_PERCENT);
    ZW_FUZZ_CHECK(s.rules >= SETTINGS_RULES_AUTO && s.rules < int32(kRules.size()));
}

// Every key's text reads back to the same settings.
void
CheckRoundTrip(const SoundSettings& s)
{
    for (int k = 0; k < SETTING_COUNT; k++) {
        SettingKey    key = SettingKey(k);
        SoundSettings back;
        std::string   why;
        ZW_FUZZ_CHECK(ParseSetting(key, SettingText(key, s, kRules), kRules, back, why));
        ZW_FUZZ_CHECK(SettingText(key, back, kRules) == SettingText(key, s, kRules));
    }
}

}   // namespace

extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view             text(reinterpret_cast<const char*>(data), size);
    SoundSettings                file;
    std::vector<SettingsProblem> problems;
    SettingMask                  set = ParseSettingsText(text, kRules, file, problems);
    ZW_FUZZ_CHECK(set < (1u << SETTING_COUNT));
    CheckInRange(file);
    CheckRoundTrip(file);
    int lines = 1;
    for (char c : text)
        lines += c == '\n';
    for (const SettingsProblem& problem : problems) {
        ZW_FUZZ_CHECK(problem.line >= 1 && problem.line <= lines);
        ZW_FUZZ_CHECK(problem.key.find('\n') == std::string::npos);
        ZW_FUZZ_CHECK(problem.value.find('\n') == std::string::npos);
        ZW_FUZZ_CHECK(!problem.why.empty());
    }

    // The same bytes as one value of each key, as a host may send it.
    for (int k = 0; k < SETTING_COUNT; k++) {
        SoundSettings value;
        std::string   why;
        if (ParseSetting(SettingKey(k), text, kRules, value, why)) {
            CheckInRange(value);
            CheckRoundTrip(value);
        } else {
            ZW_FUZZ_CHECK(!why.empty());
        }
    }
    return 0;
}
