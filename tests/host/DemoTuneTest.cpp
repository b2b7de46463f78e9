// The bundled demo tune: a ProTracker module that uses the effects it is meant to show
// off, on every channel.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

struct Cell
{
    int             period;
    int             sample;
    int             effect;
    int             param;
};

class DemoTune : public ::testing::Test
{
protected:
    void
    SetUp() override
    {
        bytes = ReadBytes(DemoPath());
        ASSERT_GT(bytes.size(), 1084u) << "no demo tune at " << DemoPath();
        songLength = bytes[950];
        for (int i = 0; i < 128; i++)
            patternCount = std::max(patternCount, bytes[952 + i] + 1);
    }

    Cell
    At(int pattern, int row, int channel) const
    {
        const uint8_t* b = &bytes[1084 + pattern * 1024 + row * 16 + channel * 4];
        return { (b[0] & 0x0F) << 8 | b[1], (b[0] & 0xF0) | b[2] >> 4, b[2] & 0x0F, b[3] };
    }

    // Every effect the song's patterns use, as effect << 8 | parameter.
    std::set<int>
    Effects() const
    {
        std::set<int> used;
        for (int p = 0; p < patternCount; p++) {
            for (int row = 0; row < 64; row++) {
                for (int c = 0; c < 4; c++) {
                    Cell cell = At(p, row, c);
                    used.insert(cell.effect << 8 | cell.param);
                }
            }
        }
        return used;
    }

    bool
    Uses(int effect, int low = 0, int high = 255) const
    {
        for (int e : Effects()) {
            if (e >> 8 == effect && (e & 0xFF) >= low && (e & 0xFF) <= high)
                return true;
        }
        return false;
    }

    std::vector<uint8_t> bytes;
    int             songLength = 0;
    int             patternCount = 0;
};

TEST_F(DemoTune, IsAFourChannelProTrackerFile)
{
    EXPECT_EQ(std::string(bytes.begin() + 1080, bytes.begin() + 1084), "M.K.");
    // A tempo command in the first listed pattern is what marks ProTracker.
    bool tempoFirst = false;
    for (int row = 0; row < 64; row++) {
        for (int c = 0; c < 4; c++) {
            Cell cell = At(bytes[952], row, c);
            tempoFirst |= cell.effect == 0xF && cell.param >= 0x20;
        }
    }
    EXPECT_TRUE(tempoFirst);
    EXPECT_GE(songLength, 4);
}

TEST_F(DemoTune, UsesTheEffectsItShowsOff)
{
    EXPECT_TRUE(Uses(0x0, 1, 255)) << "arpeggio";
    EXPECT_TRUE(Uses(0x1, 1)) << "portamento up";
    EXPECT_TRUE(Uses(0x2, 1)) << "portamento down";
    EXPECT_TRUE(Uses(0x3, 1)) << "tone portamento";
    EXPECT_TRUE(Uses(0x4, 1)) << "vibrato";
    EXPECT_TRUE(Uses(0xA, 1)) << "volume slide";
    EXPECT_TRUE(Uses(0xE, 0x60, 0x60)) << "pattern loop start";
    EXPECT_TRUE(Uses(0xE, 0x61, 0x6F)) << "pattern loop";
    std::set<int> tempos;
    for (int e : Effects()) {
        if (e >> 8 == 0xF && (e & 0xFF) >= 0x20)
            tempos.insert(e & 0xFF);
    }
    EXPECT_GE(tempos.size(), 2u) << "a tempo change";
}

TEST_F(DemoTune, SamplesAreMadeAndUsed)
{
    std::set<int> used;
    for (int p = 0; p < patternCount; p++) {
        for (int row = 0; row < 64; row++) {
            for (int c = 0; c < 4; c++) {
                Cell cell = At(p, row, c);
                if (cell.sample == 0)
                    continue;
                used.insert(cell.sample);
                // Every note names a pitch within ProTracker's three octaves.
                EXPECT_GE(cell.period, 113) << p << ":" << row << ":" << c;
                EXPECT_LE(cell.period, 856) << p << ":" << row << ":" << c;
            }
        }
    }
    ASSERT_GE(used.size(), 5u);
    for (int n : used) {
        int length = bytes[20 + 30 * (n - 1) + 22] << 8 | bytes[20 + 30 * (n - 1) + 23];
        EXPECT_GT(length, 0) << "sample " << n;
    }
}

// Played tick by tick, every channel starts notes and is heard.
TEST_F(DemoTune, EveryChannelSounds)
{
    Result result = Host({ "trace", "--json", "--ticks", "3000", DemoPath() });
    ASSERT_EQ(result.status, 0) << result.err;
    std::map<int, int> triggers, loudTicks;
    for (const std::string& line : Lines(result.out)) {
        nlohmann::json tick = nlohmann::json::parse(line);
        for (size_t c = 0; c < tick["channels"].size(); c++) {
            const nlohmann::json& channel = tick["channels"][c];
            if (!channel["trigger"].is_null())
                triggers[c]++;
            if (!channel["mute"].get<bool>() && channel["volume"].get<int>() > 0
                && channel["frequency"].get<int>() > 0)
                loudTicks[c]++;
        }
    }
    for (int c = 0; c < 4; c++) {
        EXPECT_GE(triggers[c], 10) << "channel " << c;
        EXPECT_GE(loudTicks[c], 500) << "channel " << c;
    }
}

TEST_F(DemoTune, IsNeitherSilentNorClipped)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    std::vector<int16_t> song = PluginBlocks(DemoPath());
    ASSERT_FALSE(song.empty());
    // In every second: sound, and no run of full-scale samples.
    const size_t second = 44100 * 2;
    for (size_t start = 0; start + second <= song.size(); start += second) {
        int peak = 0, clipped = 0;
        for (size_t i = start; i < start + second; i++) {
            peak = std::max(peak, std::abs((int)song[i]));
            clipped += std::abs((int)song[i]) >= 32767;
        }
        EXPECT_GT(peak, 1000) << "second " << start / second;
        EXPECT_LT(clipped, 10) << "second " << start / second;
    }
}

}   // namespace
