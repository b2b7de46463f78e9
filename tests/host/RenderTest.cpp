// `zarnowelle render`: what reaches the file is exactly what the plug-in delivered.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;

namespace {

const std::string kFakeFolder = FakePluginsOption();

class Render : public ::testing::Test
{
protected:
    TempDir dir;
};

// Whatever the format, the output holds the fake's blocks in order from the first one
// rendered: exactly for raw PCM on standard output, WAV (16-bit PCM) and FLAC, in
// length for the lossy Ogg Vorbis; files are stereo at 44100 Hz. Standard error holds
// only the summary line: no progress bar when it is no terminal, no warning for a song
// that ends in time.
TEST_F(Render, Output_EachFormatAndOption_HoldsEveryBlockInOrder)
{
    const struct
    {
        long                     blocks;
        std::vector<std::string> options;
        const char*              output;
        const char*              magic;
        bool                     lossless;
        long                     first;
    } cases[] = {
        { 5, {}, "-", "", true, 0 },
        { 7, {}, "out.wav", "RIFF", true, 0 },
        { 4, {}, "out.FLAC", "fLaC", true, 0 },
        { 20, {}, "out.ogg", "OggS", false, 0 },
        { 10, { "--seek-permille", "500" }, "-", "", true, 5 },   // from that thousandth on
        { 10, { "--max-time", "1" }, "-", "", true, 0 },
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        const auto& c = cases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << c.output);
        std::string song = dir.Write(
            "song" + std::to_string(i) + ".fake", "FAKE blocks=" + std::to_string(c.blocks));
        std::string              output = c.output == std::string("-") ? "-" : dir.File(c.output);
        std::vector<std::string> args = { kFakeFolder, "render", song };
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), { "-o", output });
        Result result = Host(args);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Lines(result.err),
            std::vector<std::string> { "zarnowelle: " + song + " -> "
                + (output == "-" ? "standard output" : output) + " (0:00."
                + std::to_string((c.blocks - c.first) * 10240 / 44100) + ")" });
        std::vector<int16_t> expected = FakeSignal(c.first, c.blocks - c.first);
        if (output == "-") {
            EXPECT_EQ(Samples(result.out), expected);
            continue;
        }
        std::vector<uint8_t> bytes = ReadBytes(output);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), c.magic);
        int                  channels = 0, rate = 0;
        std::vector<int16_t> decoded = ReadSoundFile(output, &channels, &rate);
        if (c.lossless)
            EXPECT_EQ(decoded, expected);
        else
            EXPECT_EQ(decoded.size(), expected.size());
        EXPECT_EQ(channels, 2);
        EXPECT_EQ(rate, 44100);
    }
}

// Each is refused, named where there is a name to give, and writes no file.
TEST_F(Render, Output_BadRequests_AreRefused)
{
    const struct
    {
        int                      files;
        std::vector<std::string> options;
        const char*              output;
        const char*              named;
    } cases[] = {
        { 1, {}, "out.mp3", "out.mp3" },                      // unknown extension
        { 1, {}, "no/such/out.wav", "out.wav" },              // unwritable
        { 1, { "--seek-permille", "1000" }, "-", nullptr },   // seeks out of range
        { 1, { "--seek", "-1" }, "-", nullptr },
        { 2, {}, "both.wav", nullptr },   // several files to one file
    };
    std::string a = dir.Write("a.fake", "FAKE blocks=10");
    std::string b = dir.Write("b.fake", "FAKE blocks=1");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        std::string              output = c.output == std::string("-") ? "-" : dir.File(c.output);
        std::vector<std::string> args = { kFakeFolder, "render", a };
        if (c.files == 2)
            args.push_back(b);
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.insert(args.end(), { "-o", output });
        Result result = Host(args);
        EXPECT_NE(result.status, 0);
        if (c.named != nullptr) {
            EXPECT_NE(result.err.find(c.named), std::string::npos) << result.err;
        }
        if (output != "-") {
            EXPECT_FALSE(std::filesystem::exists(output));
        }
    }
}

TEST_F(Render, MaxTime_EndlessSong_StopsAtTheFrameWithAWarning)
{
    std::string song = dir.Write("endless.fake", "FAKE endless");
    Result      result = Host({ kFakeFolder, "render", song, "--max-time", "0.5", "-o", "-" });
    EXPECT_EQ(result.status, 0);
    // Cut at the frame, not at the block.
    EXPECT_EQ(result.out.size(), 22050u * 4);
    std::vector<int16_t> expected = FakeSignal(0, 22);
    expected.resize(22050 * 2);
    EXPECT_EQ(Samples(result.out), expected);
    EXPECT_NE(result.err.find("warning"), std::string::npos);
    EXPECT_NE(result.err.find("endless.fake"), std::string::npos);
}

TEST_F(Render, FileList_WithBadFiles_NamesThemAndRendersTheRest)
{
    std::filesystem::create_directory(dir.File("out"));
    std::string missing = dir.File("missing.fake");
    std::string foreign = dir.Write("foreign.txt", "hello");
    std::string failing = dir.Write("failing.fake", "FAKE fail");
    std::string good = dir.Write("good.fake", "FAKE blocks=3");
    Result      result =
        Host({ kFakeFolder, "render", missing, foreign, failing, good, "-o", dir.File("out") });
    EXPECT_NE(result.status, 0);
    std::vector<std::string> lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 4u) << result.err;
    EXPECT_NE(lines[0].find(missing), std::string::npos);
    EXPECT_NE(lines[1].find(foreign), std::string::npos);
    EXPECT_NE(lines[2].find(failing), std::string::npos);
    EXPECT_NE(lines[3].find(good + " -> "), std::string::npos);   // the summary
    EXPECT_EQ(ReadSoundFile(dir.File("out/good.wav")), FakeSignal(0, 3));
}

TEST_F(Render, OutputFolder_WithTrailingSlash_IsMade)
{
    std::string a = dir.Write("a.fake", "FAKE blocks=1");
    std::string b = dir.Write("b.fake", "FAKE blocks=2");
    Result      result = Host({ kFakeFolder, "render", a, b, "-o", dir.File("new/folder/") });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadSoundFile(dir.File("new/folder/a.wav")), FakeSignal(0, 1));
    EXPECT_EQ(ReadSoundFile(dir.File("new/folder/b.wav")), FakeSignal(0, 2));
}

// With the real plug-in.

// The whole demo to WAV, and from a seek to raw PCM, as the plug-in delivers them.
TEST_F(Render, Demo_ToWavAndFromASeek_EqualsThePluginsBlocks)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "render", DemoPath(), "-o", dir.File("demo.wav") });
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<int16_t> blocks = PluginBlocks(DemoPath());
    // About 45 seconds, and a song that ends by itself.
    EXPECT_GT(blocks.size(), 40u * 44100 * 2);
    EXPECT_LT(blocks.size(), 50u * 44100 * 2);
    EXPECT_EQ(ReadSoundFile(dir.File("demo.wav")), blocks);

    Result seek = Host({ "render", DemoPath(), "--seek-permille", "600", "-o", "-" });
    ASSERT_EQ(seek.status, 0);
    std::vector<int16_t> rest = PluginBlocks(DemoPath(), 600);
    EXPECT_FALSE(rest.empty());
    EXPECT_EQ(Samples(seek.out), rest);
    EXPECT_LT(rest.size(), blocks.size());
}

// The loader reports a broken module on standard output; raw PCM there stays clean.
TEST_F(Render, RawStream_AModuleFailsToLoad_StaysClean)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    std::vector<uint8_t> demo = ReadBytes(DemoPath());
    std::string cut = dir.Write("cut.mod", std::vector<uint8_t>(demo.begin(), demo.begin() + 1500));
    Result      result = Host({ "render", cut, DemoPath(), "-o", "-" });
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(Samples(result.out), PluginBlocks(DemoPath()));
    EXPECT_NE(result.err.find("cut.mod"), std::string::npos);
}

// The player ends every song that loops back on itself, so the real plug-in's case for
// the limit is a song longer than it: speed 31 at tempo 32 makes one pattern last
// 64 * 31 * 3445 frames, more than two minutes.
TEST_F(Render, MaxTime_LongModule_StopsThere)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    zw::ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(256, 50), 64, 0, 128);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0xF, 0x20 };
    mod.Cell(0, 0, 1) = { 0, 0, 0xF, 0x1F };
    std::string song = dir.Write("slow.mod", mod.Build());
    Result      result = Host({ "render", song, "--max-time", "2", "-o", "-" });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.size(), 2u * 44100 * 4);
    std::vector<int16_t> blocks = PluginBlocks(song, -1, 2 * 44100);
    EXPECT_EQ(Samples(result.out), blocks);
    EXPECT_NE(result.err.find("warning"), std::string::npos);
    EXPECT_NE(result.err.find("slow.mod"), std::string::npos);
}

}   // namespace
