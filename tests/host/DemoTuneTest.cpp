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
    int pattern, row, channel;
    int period, sample, effect, param;
};

class DemoTune : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bytes = ReadBytes(DemoPath());
        ASSERT_GT(bytes.size(), 1084u) << "no demo tune at " << DemoPath();
        songLength = bytes[950];
        int patternCount = 0;
        for (int i = 0; i < 128; i++)
            patternCount = std::max(patternCount, bytes[952 + i] + 1);
        for (int p = 0; p < patternCount; p++) {
            for (int row = 0; row < 64; row++) {
                for (int c = 0; c < 4; c++) {
                    const uint8_t* b = &bytes[1084 + p * 1024 + row * 16 + c * 4];
                    cells.push_back({ p, row, c, (b[0] & 0x0F) << 8 | b[1],
                        (b[0] & 0xF0) | b[2] >> 4, b[2] & 0x0F, b[3] });
                }
            }
        }
    }

    bool Uses(int effect, int low, int high, int pattern = -1) const
    {
        for (const Cell& cell : cells) {
            if ((pattern < 0 || cell.pattern == pattern) && cell.effect == effect
                && cell.param >= low && cell.param <= high)
                return true;
        }
        return false;
    }

    std::vector<uint8_t> bytes;
    int                  songLength = 0;
    std::vector<Cell>    cells;   // of every pattern the song lists
};

TEST_F(DemoTune, File_Header_IsAFourChannelProTrackerSong)
{
    EXPECT_EQ(std::string(bytes.begin() + 1080, bytes.begin() + 1084), "M.K.");
    // A tempo command in the first listed pattern is what marks ProTracker.
    EXPECT_TRUE(Uses(0xF, 0x20, 0xFF, bytes[952]));
    EXPECT_GE(songLength, 4);
}

TEST_F(DemoTune, Patterns_Effects_ShowOffWhatTheyShould)
{
    const struct
    {
        int         effect, low, high;
        const char* name;
    } wanted[] = {
        { 0x0, 1, 255, "arpeggio" },
        { 0x1, 1, 255, "portamento up" },
        { 0x2, 1, 255, "portamento down" },
        { 0x3, 1, 255, "tone portamento" },
        { 0x4, 1, 255, "vibrato" },
        { 0xA, 1, 255, "volume slide" },
        { 0xE, 0x60, 0x60, "pattern loop start" },
        { 0xE, 0x61, 0x6F, "pattern loop" },
    };
    for (const auto& w : wanted)
        EXPECT_TRUE(Uses(w.effect, w.low, w.high)) << w.name;
    std::set<int> tempos;
    for (const Cell& cell : cells) {
        if (cell.effect == 0xF && cell.param >= 0x20)
            tempos.insert(cell.param);
    }
    EXPECT_GE(tempos.size(), 2u) << "a tempo change";
}

TEST_F(DemoTune, Samples_UsedByNotes_AreMadeAndInRange)
{
    std::set<int> used;
    for (const Cell& cell : cells) {
        if (cell.sample == 0)
            continue;
        used.insert(cell.sample);
        // Every note names a pitch within ProTracker's three octaves.
        EXPECT_GE(cell.period, 113) << cell.pattern << ":" << cell.row << ":" << cell.channel;
        EXPECT_LE(cell.period, 856) << cell.pattern << ":" << cell.row << ":" << cell.channel;
    }
    ASSERT_GE(used.size(), 5u);
    for (int n : used) {
        int length = bytes[20 + 30 * (n - 1) + 22] << 8 | bytes[20 + 30 * (n - 1) + 23];
        EXPECT_GT(length, 0) << "sample " << n;
    }
}

// Traced tick by tick (one JSON object a tick, four channels), every channel starts
// notes and is heard, on into the player's next pass.
TEST_F(DemoTune, Trace_EveryChannel_StartsNotesAndSounds)
{
    Result result = Host({ "trace", "--json", "--past-end", "--ticks", "3000", DemoPath() });
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<std::string> lines = Lines(result.out);
    EXPECT_EQ(lines.size(), 3000u);
    std::map<int, int> triggers, loudTicks;
    for (const std::string& line : lines) {
        nlohmann::json tick = nlohmann::json::parse(line);
        ASSERT_EQ(tick["channels"].size(), 4u);
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

TEST_F(DemoTune, Render_EverySecond_IsNeitherSilentNorClipped)
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
