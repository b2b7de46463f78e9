// Time as the host knows it: a song's duration is the frames that render writes, a seek
// lands on its frame, a repeat plays the song again, and the time limit warns only
// about songs that have not ended by then.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "tests/host/HostTestSupport.h"
#include "tools/busysongs/BusySongs.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;

namespace {

// Speed 31 at tempo 32: one pattern lasts more than two minutes.
std::vector<uint8_t>
SlowSong()
{
    zw::ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(256, 50), 64, 0, 128);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0xF, 0x20 };
    mod.Cell(0, 0, 1) = { 0, 0, 0xF, 0x1F };
    return mod.Build();
}

size_t
RenderedFrames(const std::vector<std::string>& args)
{
    std::vector<std::string> all = { "render", "-q", "-o", "-" };
    all.insert(all.end(), args.begin(), args.end());
    Result result = Host(all);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out.size() / 4;
}

TEST(Time, Duration_DemoAndBusySongs_EqualsTheFramesRendered)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir                  dir;
    std::vector<std::string> songs = { DemoPath() };
    for (const zw::BusySong& song : zw::StandardBusySongs())
        songs.push_back(dir.Write(song.name, song.bytes));
    std::vector<std::string> args = { "info", "--json" };
    args.insert(args.end(), songs.begin(), songs.end());
    std::vector<std::string> lines = Lines(Host(args).out);
    ASSERT_EQ(lines.size(), songs.size());
    for (size_t i = 0; i < songs.size(); i++) {
        SCOPED_TRACE(songs[i]);
        nlohmann::json info = nlohmann::json::parse(lines[i]);
        ASSERT_TRUE(info["duration_s"].is_number()) << lines[i];
        EXPECT_EQ(std::llround(info["duration_s"].get<double>() * 44100),
            (long long)RenderedFrames({ songs[i] }));
    }
    // A song longer than the limit has no duration within it.
    std::string slow = dir.Write("slow.mod", SlowSong());
    Result      limited = Host({ "info", "--json", "--max-time", "2", slow });
    EXPECT_TRUE(nlohmann::json::parse(limited.out)["duration_s"].is_null()) << limited.out;
}

// From 0:10 on, exactly the whole render's frames from 441000 on; a repeat is the song,
// then a second pass of it, which starts inside the end's block and, played on as a loop,
// without the five lead-in ticks (882 frames each) before the song's first row.
TEST(Time, SeekAndRepeat_Demo_AreExactToTheFrame)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result whole = Host({ "render", "-q", DemoPath(), "-o", "-" });
    Result rest = Host({ "render", "-q", DemoPath(), "--seek", "0:10", "-o", "-" });
    ASSERT_GT(whole.out.size(), 441000u * 4);
    EXPECT_TRUE(rest.out == whole.out.substr(441000 * 4));
    Result     again = Host({ "render", "-q", DemoPath(), "--repeat", "1", "-o", "-" });
    const long leadIn = 5 * 882 * 4;
    EXPECT_NEAR(long(again.out.size()), long(2 * whole.out.size()) - leadIn, 4096);
    EXPECT_TRUE(again.out.compare(0, whole.out.size(), whole.out) == 0);
}

// A plug-in that gives nothing after its end is started again for a repeat.
TEST(Time, Repeat_SongThatStopsAtItsEnd_IsPlayedAgain)
{
    TempDir     dir;
    std::string song = dir.Write("song.fake", "FAKE blocks=3");
    Result result = Host({ FakePluginsOption(), "render", "-q", song, "--repeat", "2", "-o", "-" });
    std::vector<int16_t> once = FakeSignal(0, 3), expected;
    for (int pass = 0; pass < 3; pass++)
        expected.insert(expected.end(), once.begin(), once.end());
    EXPECT_EQ(Samples(result.out), expected);
}

// A song that ends right at the limit ends by itself; one that has not ended by then is
// cut at the frame with a warning.
TEST(Time, MaxTime_WarnsOnlyWhenTheSongHasNotEnded)
{
    TempDir     dir;
    std::string song = dir.Write("ten.fake", "FAKE blocks=10");
    const struct
    {
        int  limitFrames;
        bool warned;
    } cases[] = {
        { 10 * 1024, false },
        { 10 * 1024 + 1, false },
        { 10 * 1024 - 1, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limitFrames);
        char seconds[32];
        snprintf(seconds, sizeof(seconds), "%.17g", c.limitFrames / 44100.0);
        Result result =
            Host({ FakePluginsOption(), "render", "-q", song, "--max-time", seconds, "-o", "-" });
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.size(), std::min(c.limitFrames, 10 * 1024) * 4u);
        EXPECT_EQ(result.err.find("warning") != std::string::npos, c.warned) << result.err;
    }
}

}   // namespace
