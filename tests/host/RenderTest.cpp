// `zarnowelle render`: what reaches the file is exactly what the plug-in delivered.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;

namespace {

const std::string kFakeFolder = "--plugins=" + FakePluginFolder();

class Render : public ::testing::Test
{
protected:
    TempDir         dir;
};

TEST_F(Render, RawToStdout_IsEveryBlockInOrder)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=5");
    Result result = Host({ kFakeFolder, "render", song, "-o", "-" });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(Samples(result.out), FakeSignal(0, 5));
    EXPECT_EQ(result.err, "");  // no progress bar when standard error is no terminal
}

TEST_F(Render, Wav_IsPcm16StereoAt44100AndExact)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=7");
    Result result = Host({ kFakeFolder, "render", song, "-o", dir.Path("out.wav") });
    ASSERT_EQ(result.status, 0) << result.err;
    int channels = 0, rate = 0;
    EXPECT_EQ(ReadSoundFile(dir.Path("out.wav"), &channels, &rate), FakeSignal(0, 7));
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(rate, 44100);
    std::vector<uint8_t> bytes = ReadBytes(dir.Path("out.wav"));
    ASSERT_GE(bytes.size(), 12u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
}

TEST_F(Render, Flac_IsLossless)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=4");
    Result result = Host({ kFakeFolder, "render", song, "-o", dir.Path("out.FLAC") });
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadSoundFile(dir.Path("out.FLAC")), FakeSignal(0, 4));
}

TEST_F(Render, Ogg_HoldsTheWholeSong)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=20");
    Result result = Host({ kFakeFolder, "render", song, "-o", dir.Path("out.ogg") });
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<uint8_t> bytes = ReadBytes(dir.Path("out.ogg"));
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "OggS");
    int channels = 0;
    // Lossy, so only the length can be compared.
    EXPECT_EQ(ReadSoundFile(dir.Path("out.ogg"), &channels).size(), FakeSignal(0, 20).size());
    EXPECT_EQ(channels, 2);
}

TEST_F(Render, UnknownExtension_FailsWithoutWriting)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=2");
    Result result = Host({ kFakeFolder, "render", song, "-o", dir.Path("out.mp3") });
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("out.mp3"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("out.mp3")));
}

TEST_F(Render, UnwritableOutput_Fails)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=2");
    Result result = Host({ kFakeFolder, "render", song, "-o", dir.Path("no/such/out.wav") });
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("out.wav"), std::string::npos);
}

TEST_F(Render, Seek_StartsAtThatThousandth)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=10");
    Result result = Host({ kFakeFolder, "render", song, "--seek", "500", "-o", "-" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(Samples(result.out), FakeSignal(5, 5));
}

TEST_F(Render, SeekOutOfRange_IsRefused)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=10");
    EXPECT_NE(Host({ kFakeFolder, "render", song, "--seek", "1000", "-o", "-" }).status, 0);
    EXPECT_NE(Host({ kFakeFolder, "render", song, "--seek", "-1", "-o", "-" }).status, 0);
}

TEST_F(Render, MaxTime_StopsAnEndlessSongWithAWarning)
{
    std::string song = dir.Write("endless.fake", "FAKE endless");
    Result result = Host({ kFakeFolder, "render", song, "--max-time", "0.5", "-o", "-" });
    EXPECT_EQ(result.status, 0);
    // Cut at the frame, not at the block.
    EXPECT_EQ(result.out.size(), 22050u * 4);
    std::vector<int16_t> expected = FakeSignal(0, 22);
    expected.resize(22050 * 2);
    EXPECT_EQ(Samples(result.out), expected);
    EXPECT_NE(result.err.find("warning"), std::string::npos);
    EXPECT_NE(result.err.find("endless.fake"), std::string::npos);
}

TEST_F(Render, SongThatEndsInTime_GivesNoWarning)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=10");
    Result result = Host({ kFakeFolder, "render", song, "--max-time", "1", "-o", "-" });
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.size(), 10u * 4096);
}

TEST_F(Render, BadFilesInAList_AreNamedAndTheRestStillRender)
{
    std::filesystem::create_directory(dir.Path("out"));
    std::string missing = dir.Path("missing.fake");
    std::string foreign = dir.Write("foreign.txt", "hello");
    std::string failing = dir.Write("failing.fake", "FAKE fail");
    std::string good = dir.Write("good.fake", "FAKE blocks=3");
    Result result = Host({ kFakeFolder, "render", missing, foreign, failing, good, "-o",
        dir.Path("out") });
    EXPECT_NE(result.status, 0);
    std::vector<std::string> lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 3u) << result.err;
    EXPECT_NE(lines[0].find(missing), std::string::npos);
    EXPECT_NE(lines[1].find(foreign), std::string::npos);
    EXPECT_NE(lines[2].find(failing), std::string::npos);
    EXPECT_EQ(ReadSoundFile(dir.Path("out/good.wav")), FakeSignal(0, 3));
}

TEST_F(Render, FolderWithTrailingSlash_IsMade)
{
    std::string a = dir.Write("a.fake", "FAKE blocks=1");
    std::string b = dir.Write("b.fake", "FAKE blocks=2");
    Result result = Host({ kFakeFolder, "render", a, b, "-o", dir.Path("new/folder/") });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadSoundFile(dir.Path("new/folder/a.wav")), FakeSignal(0, 1));
    EXPECT_EQ(ReadSoundFile(dir.Path("new/folder/b.wav")), FakeSignal(0, 2));
}

TEST_F(Render, SeveralFilesToOneFile_IsRefused)
{
    std::string a = dir.Write("a.fake", "FAKE blocks=1");
    std::string b = dir.Write("b.fake", "FAKE blocks=1");
    Result result = Host({ kFakeFolder, "render", a, b, "-o", dir.Path("both.wav") });
    EXPECT_NE(result.status, 0);
    EXPECT_FALSE(std::filesystem::exists(dir.Path("both.wav")));
}

// With the real plug-in.

TEST_F(Render, Demo_WavEqualsThePluginsBlocks)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "render", DemoPath(), "-o", dir.Path("demo.wav") });
    ASSERT_EQ(result.status, 0) << result.err;
    std::vector<int16_t> blocks = PluginBlocks(DemoPath());
    // About 45 seconds, and a song that ends by itself.
    EXPECT_GT(blocks.size(), 40u * 44100 * 2);
    EXPECT_LT(blocks.size(), 50u * 44100 * 2);
    EXPECT_EQ(ReadSoundFile(dir.Path("demo.wav")), blocks);
}

TEST_F(Render, Demo_SeekMatchesJumpTo)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "render", DemoPath(), "--seek", "600", "-o", "-" });
    ASSERT_EQ(result.status, 0);
    std::vector<int16_t> blocks = PluginBlocks(DemoPath(), 600);
    EXPECT_FALSE(blocks.empty());
    EXPECT_EQ(Samples(result.out), blocks);
    EXPECT_LT(blocks.size(), PluginBlocks(DemoPath()).size());
}

// The loader reports a broken module on standard output; raw PCM there stays clean.
TEST_F(Render, RawStream_StaysCleanWhenAModuleFailsToLoad)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    std::vector<uint8_t> demo = ReadBytes(DemoPath());
    std::string cut = dir.Write("cut.mod", std::vector<uint8_t>(demo.begin(),
        demo.begin() + 1500));
    Result result = Host({ "render", cut, DemoPath(), "-o", "-" });
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(Samples(result.out), PluginBlocks(DemoPath()));
    EXPECT_NE(result.err.find("cut.mod"), std::string::npos);
}

// The player ends every song that loops back on itself, so the real plug-in's case for
// the limit is a song longer than it: speed 31 at tempo 32 makes one pattern last
// 64 * 31 * 3445 frames, more than two minutes.
TEST_F(Render, LongModule_StopsAtMaxTime)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    zw::ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(256, 50), 64, 0, 128);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0xF, 0x20 };
    mod.Cell(0, 0, 1) = { 0, 0, 0xF, 0x1F };
    std::string song = dir.Write("slow.mod", mod.Build());
    Result result = Host({ "render", song, "--max-time", "2", "-o", "-" });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.size(), 2u * 44100 * 4);
    std::vector<int16_t> blocks = PluginBlocks(song, -1, 2 * 44100);
    EXPECT_EQ(Samples(result.out), blocks);
    EXPECT_NE(result.err.find("warning"), std::string::npos);
    EXPECT_NE(result.err.find("slow.mod"), std::string::npos);
}

}   // namespace
