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


// Each sound property reaches the element's plug-in object as the same line in the
// settings file reaches the host's.
TEST(ElementSettings, PropertiesSoundAsTheSettingsFileDoes)
{
    if (!AddOnHasSettings())
        GTEST_SKIP() << "the add-on has no settings channel";
    // A short ProTracker song whose last row sets a tempo that older rules take for a speed.
    zw::ModWriter     mod("M.K.");
    std::vector<int8> wave(400);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = int8((i * 13) % 200 - 100);
    mod.SetSample(1, wave, 50, 0, 200);
    mod.SetPositions({ 0 });
    for (int row = 0; row < 64; row += 4)
        mod.Cell(0, row, row % 4) = { zw::NotePeriod(row % 8 ? "C-2" : "G-2"), 1, 0, 0 };
    mod.Cell(0, 63, 1) = { 0, 0, 0xF, 0x21 };
    TempDir           dir;
    const std::string song = dir.Write("song.mod", mod.Build());
    struct Case
    {
        const char* property;
        const char* line;
    };
    const Case cases[] = {
        { "interpolation=sinc", "interpolation = sinc" },
        { "gain=-6.5", "gain = -6.5" },
        { "stereo=40", "stereo = 40" },
        { "ramping=true", "ramping = on" },
        { "amiga=a1200", "amiga = a1200" },
        { "rules=SoundTracker15", "rules = SoundTracker15" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.property);
        std::string          file = dir.Write("settings.conf", std::string(c.line) + "\n");
        std::vector<int16_t> expected = Rendered(song, {}, { "ZARNOWELLE_SETTINGS=" + file });
        ASSERT_FALSE(expected.empty());
        Outcome run = PlayFile(song, nullptr, 0, c.property);
        EXPECT_TRUE(run.eos) << run.error;
        EXPECT_TRUE(run.samples == expected) << run.samples.size() << " vs " << expected.size();
    }
    // And as the host's options do.
    for (const char* option : { "interpolation=sinc", "amiga=a500" }) {
        SCOPED_TRACE(option);
        std::string          name(option);
        size_t               equals = name.find('=');
        std::vector<int16_t> expected =
            Rendered(song, { "--" + name.substr(0, equals), name.substr(equals + 1) });
        EXPECT_TRUE(PlayFile(song, nullptr, 0, option).samples == expected);
    }
    // The rules alone change the song's timing already.
    EXPECT_NE(PlayFile(song, nullptr, 0, "rules=SoundTracker15").samples.size(),
        PlayFile(song).samples.size());
}


// The plug-in's messages reach the bus as warnings naming the file; the song plays on.
TEST(ElementSettings, PlugInMessagesAreBusWarnings)
{
    if (!AddOnHasSettings())
        GTEST_SKIP() << "the add-on has no settings channel";
    TempDir           dir;
    const std::string song = dir.Write("song.mod", SoundTracker15Song());
    const std::string file = dir.Write("settings.conf", "gain = loud\n");
    setenv("ZARNOWELLE_SETTINGS", file.c_str(), 1);
    Outcome fromFile = PlayFile(song);
    unsetenv("ZARNOWELLE_SETTINGS");
    EXPECT_TRUE(fromFile.eos) << fromFile.error;
    EXPECT_NE(fromFile.warnings.find(song + ": "), std::string::npos) << fromFile.warnings;
    EXPECT_NE(fromFile.warnings.find(file), std::string::npos) << fromFile.warnings;
    EXPECT_NE(fromFile.warnings.find("gain"), std::string::npos) << fromFile.warnings;

    Outcome refused = PlayFile(song, nullptr, 0, "rules=Amiga");
    EXPECT_TRUE(refused.eos) << refused.error;
    EXPECT_NE(refused.warnings.find(song + ": "), std::string::npos) << refused.warnings;
    EXPECT_NE(refused.warnings.find("Amiga"), std::string::npos) << refused.warnings;
    EXPECT_TRUE(refused.samples == PlayFile(song).samples);
}


// num-loops repeats as the host's --repeat does, from the block that holds the end.
TEST(ElementInput, NumLoops_RepeatsAsTheHostsRepeat)
{
    TempDir           dir;
    const std::string song = dir.Write("song.mod", SoundTracker15Song());
    for (const char* loops : { "1", "2" }) {
        SCOPED_TRACE(loops);
        std::vector<int16_t> expected = Rendered(song, { "--repeat", loops });
        Outcome              run = PlayFile(song, nullptr, 0, std::string("num-loops=") + loops);
        EXPECT_TRUE(run.eos) << run.error;
        EXPECT_GT(expected.size(), Rendered(song).size());
        EXPECT_TRUE(run.samples == expected) << run.samples.size() << " vs " << expected.size();
    }
}
