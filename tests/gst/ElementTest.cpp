// The element in this process: seeks exact to the frame, segment seeks, refused rates,
// input without a file, and failures that reach the bus with the file's name.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/gst/GstTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace gsttest;

namespace {

const int64_t kTenSeconds = 441000;   // frames

std::vector<int16_t>
Slice(const std::vector<int16_t>& samples, int64_t first, int64_t end)
{
    if (end > int64_t(samples.size() / 2))
        return {};
    return std::vector<int16_t>(samples.begin() + 2 * first, samples.begin() + 2 * end);
}

}   // namespace


TEST(ElementSeek, FlushingSeek_PlaysOnAsFromTheStart)
{
    const std::string          demo = hosttest::DemoPath();
    const std::vector<int16_t> expected = Rendered(demo, { "--seek", "0:10" });
    ASSERT_FALSE(expected.empty());
    const GstClockTime tenSeconds = 10 * GST_SECOND;
    struct Case
    {
        const char*  name;
        GstFormat    format;
        gint64       start;
        GstClockTime time;
    };
    const Case cases[] = {
        { "10 s", GST_FORMAT_TIME, gint64(tenSeconds), tenSeconds },
        { "441000 frames", GST_FORMAT_DEFAULT, kTenSeconds, tenSeconds },
        // Between two frames: the first frame at or after the time.
        { "a hair before 10 s", GST_FORMAT_TIME, gint64(tenSeconds) - 20000, tenSeconds - 20000 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Seek seek;
        seek.format = c.format;
        seek.start = c.start;
        Outcome run = PlayFile(demo, &seek);
        EXPECT_TRUE(run.seekAccepted);
        EXPECT_TRUE(run.eos) << run.error;
        EXPECT_EQ(run.segment.start, c.time);
        EXPECT_TRUE(run.samples == expected) << run.samples.size() << " vs " << expected.size();
    }
}


TEST(ElementSeek, SegmentSeek_StopsAtItsEndWithSegmentDone)
{
    const std::string          demo = hosttest::DemoPath();
    const std::vector<int16_t> whole = Rendered(demo);
    Seek                       seek;
    seek.flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_SEGMENT);
    seek.start = 2 * GST_SECOND;
    seek.stop = 4 * GST_SECOND;
    Outcome run = PlayFile(demo, &seek);
    EXPECT_TRUE(run.segmentDone) << run.error;
    EXPECT_FALSE(run.eos);
    EXPECT_TRUE(run.samples == Slice(whole, 88200, 176400)) << run.samples.size();
}


TEST(ElementSeek, OtherRatesAndSeeksPastTheEnd)
{
    const std::string demo = hosttest::DemoPath();
    Seek              faster;
    faster.rate = 2.0;
    Outcome refused = PlayFile(demo, &faster);
    EXPECT_FALSE(refused.seekAccepted);
    EXPECT_EQ(refused.samples.size(), Rendered(demo).size());   // plays on from the start

    Seek beyond;
    beyond.start = gint64(3600) * GST_SECOND;
    Outcome past = PlayFile(demo, &beyond);
    EXPECT_TRUE(past.eos) << past.error;
    EXPECT_TRUE(past.samples.empty());
}


// Without a file:// URI the module goes to the plug-in through a memory file: the sound
// is the same, and no companion can be found.
TEST(ElementInput, BytesWithoutAFile_PlayThroughAMemoryFile)
{
    const std::string    demo = hosttest::DemoPath();
    std::vector<uint8_t> bytes = hosttest::ReadBytes(demo);
    Outcome              run = PlayBytes(bytes);
    EXPECT_TRUE(run.eos) << run.error;
    EXPECT_TRUE(run.samples == Rendered(demo));

    const std::string zob = CorpusFile("zob-the-zob.mod");
    if (zob.empty())
        GTEST_SKIP() << "no shared corpus";
    TempDir     alone;
    std::string copy = alone.Write("zob.mod", hosttest::ReadBytes(zob));
    EXPECT_TRUE(PlayBytes(hosttest::ReadBytes(zob)).samples == Rendered(copy));
    EXPECT_FALSE(Rendered(copy) == Rendered(zob));   // the companion matters
}


TEST(ElementErrors, FailuresReachTheBusWithTheFilesName)
{
    TempDir              dir;
    std::vector<uint8_t> song = SoundTracker15Song();
    std::string          big = dir.File("big.mod");
    ASSERT_EQ(truncate(dir.Write("big.mod", song).c_str(), (64 << 20) + 1), 0);
    // A header that passes detection with no pattern after it.
    std::vector<uint8_t> marked = zw::Truncated(zw::ModWriter("M.K.").Build(), 1200);
    struct Case
    {
        std::string path;
        std::string says;
    };
    const Case cases[] = {
        { dir.Write("text.mod", std::string(2000, 'x')), "not a module this player plays" },
        { dir.Write("empty.mod", std::string()), "not a module this player plays" },
        { dir.Write("cut.mod", marked),
            "the plug-in could not load it: the patterns are cut short" },
        { big, "larger than 64 MiB, too large for a module" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        Outcome run = PlayFile(c.path);
        EXPECT_EQ(run.error.substr(0, c.path.size() + 2 + c.says.size()), c.path + ": " + c.says);
        EXPECT_TRUE(run.samples.empty());
    }
    // At the limit the bytes are taken: the song at their start plays.
    ASSERT_EQ(truncate(big.c_str(), 64 << 20), 0);
    Outcome atLimit = PlayFile(big);
    EXPECT_TRUE(atLimit.eos) << atLimit.error;
    EXPECT_FALSE(atLimit.samples.empty());
}


// A song that never ends stops at max-time, mid-block, as the host's --max-time does.
TEST(ElementInput, MaxTime_StopsTheSongAtItsFrame)
{
    const std::string demo = hosttest::DemoPath();
    Outcome           run = PlayFile(demo, nullptr, 2.0);
    EXPECT_TRUE(run.eos) << run.error;
    EXPECT_TRUE(run.samples == Slice(Rendered(demo), 0, 88200)) << run.samples.size();
}
