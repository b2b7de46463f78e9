// What every command takes as its inputs (playlists as players write them, companions
// beside their modules), and how the sound a listener asks for reaches the plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/host/HostTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;

namespace {

bool
Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// #EXTM3U and #EXTINF are comments, blanks around a name go, file:// URIs are decoded;
// a URI of another machine is named and the rest still play. `trace` takes lists too.
TEST(Inputs, Playlist_AsPlayersWriteIt_NamesItsFiles)
{
    TempDir dir;
    std::filesystem::create_directory(dir.File("a dir"));
    std::string spaced = dir.Write("a dir/50% one.fake", "FAKE blocks=1");
    dir.Write("two.fake", "FAKE blocks=2");
    std::string list = dir.Write("list.m3u",
        "#EXTM3U\n#EXTINF:12,Someone - One\n  file://" + dir.path
            + "/a%20dir/50%25%20one.fake \t\n#EXTINF:3,Two\n\t two.fake  \n"
              "file://elsewhere/three.fake\nFILE://localhost"
            + dir.path + "/two.fake\n");
    Result      result = Host({ FakePluginsOption(), "render", list, "-o", dir.File("out/") });
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(HostLines(result.err), Lines(result.err));
    EXPECT_TRUE(Contains(result.err, list + ": file://elsewhere/three.fake: not a file"))
        << result.err;
    EXPECT_EQ(ReadSoundFile(dir.File("out/50% one.wav")), FakeSignal(0, 1)) << spaced;
    EXPECT_EQ(ReadSoundFile(dir.File("out/two.fake.wav")), FakeSignal(0, 2));
    EXPECT_EQ(ReadSoundFile(dir.File("out/two.fake-2.wav")), FakeSignal(0, 2));

    zw::ModWriter mod("M.K.", 31);
    mod.SetSample(1, std::vector<int8>(64, 20), 48, 0, 32);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("A-2"), 1, 0, 0 };
    dir.Write("song.mod", mod.Build());
    std::string song = dir.Write("other.mod", mod.Build());
    std::string songs = dir.Write("songs.m3u8", " song.mod\r\n" + song + "\r\n");
    Result      trace = Host({ "trace", "--ticks", "2", songs });
    EXPECT_EQ(trace.status, 0) << trace.err;
    std::vector<std::string> lines = Lines(trace.out);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "# " + dir.File("song.mod")), 1) << trace.out;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "# " + song), 1) << trace.out;
}

// A file that cannot be read says why on standard output too, and its JSON has nulls
// for all a load would have told.
TEST(Inputs, Info_UnreadableFile_SaysWhyEverywhere)
{
    TempDir     dir;
    std::string missing = dir.File("missing.mod");
    Result      text = Host({ "info", missing, dir.path });
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out,
        missing + "\n  error:           cannot read: No such file or directory\n" + dir.path
            + "\n  error:           cannot read: is a directory\n");
    EXPECT_EQ(Lines(text.err).size(), 2u) << text.err;
    Result json = Host({ "info", "--json", missing });
    for (const char* unknown : { "\"name\":null", "\"channels\":null", "\"duration_s\":null",
             "\"type\":null", "\"error\":\"cannot read: No such file or directory\"" })
        EXPECT_TRUE(Contains(json.out, unknown)) << unknown << "\n" << json.out;
}

// With a plug-in that takes settings, every sound option goes to it (its signal stays
// as it was: the host applies no gain or width of its own) and the summary names what
// is not the default, also for the objects of parallel jobs. Without, gain and width
// are the host's and the rest is named as not heard.
TEST(Sound, Options_ReachThePluginThroughItsSettings)
{
    TempDir                        dir;
    std::string                    one = dir.Write("one.fake", "FAKE blocks=2");
    std::string                    two = dir.Write("two.fake", "FAKE blocks=3");
    const std::vector<std::string> sound = { "--gain", "+6", "--stereo", "50", "--interpolation",
        "Cubic", "--ramping", "--amiga", "a500", "--rules", "protracker" };
    std::vector<std::string> args = { FakeSettingsPluginsOption(), "render", one, two, "-j", "2",
        "-o", dir.File("out/") };
    args.insert(args.end(), sound.begin(), sound.end());
    Result result = Host(args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadSoundFile(dir.File("out/one.wav")), FakeSignal(0, 2));
    EXPECT_EQ(ReadSoundFile(dir.File("out/two.wav")), FakeSignal(0, 3));
    for (const std::string& file : { one, two }) {
        std::string output =
            dir.File("out/" + std::filesystem::path(file).stem().string() + ".wav");
        EXPECT_TRUE(Contains(result.err,
            file + " -> " + output
                + " (0:00.0, cubic, ramping, A500, rules ProTracker, +6 dB, stereo 50%)"))
            << result.err;
    }

    args = { FakePluginsOption(), "render", one, "-o", "-", "--gain", "-6", "--amiga", "a1200" };
    Result plain = Host(args);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(Samples(plain.out), FakeSignal(0, 2));
    EXPECT_TRUE(Contains(plain.err,
        one
            + ": warning: its plug-in takes no sound settings; "
              "--amiga is not heard"))
        << plain.err;
    EXPECT_TRUE(Contains(plain.err, "(0:00.0, -6 dB)")) << plain.err;
}

// A song loud enough to clip: six voices of a full-scale square in phase, three a side.
// At 0 dB its peaks are cut flat at full scale; --gain -6 lowers the mix before the
// conversion to 16 bits, so none are left, and the peaks are half the unclipped sum.
TEST(Sound, Gain_LoudSong_MinusSixLeavesNoFlatTops)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir           dir;
    zw::ModWriter     mod("6CHN", 31);
    std::vector<int8> square(64, 127);
    std::fill(square.begin() + 32, square.end(), -128);
    mod.SetSample(1, square, 64, 0, 32);
    mod.SetPositions({ 0 });
    for (int c = 0; c < 6; c++)
        mod.Cell(0, 0, c) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    mod.Cell(0, 7, 0) = { 0, 0, 0xD, 0 };   // ends the song after eight rows
    const std::string song = dir.Write("loud.mod", mod.Build());

    auto flatTops = [&](const char* gain, int& peak) {
        Result result = Host({ "render", "-q", song, "--gain", gain, "-o", "-" });
        EXPECT_EQ(result.status, 0) << result.err;
        const std::vector<int16_t> samples = Samples(result.out);
        EXPECT_GT(samples.size(), 44100u) << gain;
        size_t full = 0;
        peak = 0;
        for (int16_t v : samples) {
            full += v >= 32767 || v <= -32768;
            peak = std::max(peak, std::abs(int(v)));
        }
        return full;
    };
    int peak = 0;
    EXPECT_GT(flatTops("0", peak), 10000u);
    EXPECT_EQ(flatTops("-6", peak), 0u);
    EXPECT_GT(peak, 20000) << "the wave lowered after its clip would peak at 16422";
}

}   // namespace
