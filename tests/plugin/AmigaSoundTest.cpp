// The Amiga sound through the plug-in: the song's E0x is heard only with it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "plugin/MyPlugin.h"
#include "plugin/PluginSettings.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const int kBlockFrames = 1024;

// ProTracker: a looped noise sample played high on two channels for a whole pattern,
// with E0x on the first row.
std::vector<uint8>
NoiseSong(uint8 filterArg)
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;
    std::mt19937      rng(5);
    std::vector<int8> noise(4096);
    for (int8& v : noise)
        v = int8(rng());
    mod.SetSample(1, noise, 64, 0, uint16(noise.size() / 2));
    mod.Cell(0, 0, 0) = { zw::NotePeriod("B-3"), 1, 0xE, filterArg };
    mod.Cell(0, 0, 1) = { zw::NotePeriod("A-3"), 1, 0, 0 };
    mod.SetPositions({ 0 });
    return mod.Build();
}

std::vector<int16>
Render(const std::string& path, const char* amiga, int blocks)
{
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    auto*            settings = dynamic_cast<PluginSettings*>(&plugin);
    EXPECT_NE(settings, nullptr);
    if (settings != nullptr) {
        EXPECT_TRUE(settings->SetSetting("amiga", amiga, nullptr, 0));
    }
    std::vector<int16> out;
    EXPECT_TRUE(plugin.InitPlaying(path.c_str(), &info));
    char* buffer = nullptr;
    for (int b = 0; b < blocks && plugin.GetAudio(&buffer, 4 * kBlockFrames) != 0; b++) {
        const int16* samples = reinterpret_cast<const int16*>(buffer);
        out.insert(out.end(), samples, samples + 2 * kBlockFrames);
    }
    plugin.CleanupPlaying();
    return out;
}

// The share of the left channel's power above 10 kHz, in dB: Hann-windowed powers at
// 100 Hz spacing over 8192 frames after the first second.
double
ShareAbove10kHz(const std::vector<int16>& stereo)
{
    const size_t start = 44100, count = 8192;
    double       high = 0.0, all = 0.0;
    for (double f = 100.0; f < 22000.0; f += 100.0) {
        double re = 0.0, im = 0.0;
        for (size_t i = 0; i < count; i++) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / count);
            const double v = w * stereo[2 * (start + i)];
            re += v * std::cos(2.0 * M_PI * f * double(i) / 44100.0);
            im += v * std::sin(2.0 * M_PI * f * double(i) / 44100.0);
        }
        const double power = re * re + im * im;
        all += power;
        if (f >= 10000.0)
            high += power;
    }
    return 10.0 * std::log10(high / all);
}

}   // namespace


// E00 puts the LED filter in: on an A500 the song is darker above 10 kHz by far more
// than 3 dB than with E01. Without the Amiga sound E00 and E01 render alike.
TEST(AmigaSound, LedFilter_E00AgainstE01_DarkerOnlyWithTheAmigaSound)
{
    TempDir           dir;
    const std::string on = dir.Write("on.mod", NoiseSong(0x00));
    const std::string off = dir.Write("off.mod", NoiseSong(0x01));
    const int         blocks = 60;

    const double darker =
        ShareAbove10kHz(Render(off, "a500", blocks)) - ShareAbove10kHz(Render(on, "a500", blocks));
    EXPECT_GT(darker, 3.0);
    EXPECT_EQ(Render(on, "off", blocks), Render(off, "off", blocks));
}
