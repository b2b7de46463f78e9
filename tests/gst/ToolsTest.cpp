// The element as people meet it: through gst-inspect, decodebin, gst-discoverer and
// playbin, run on the build tree's plug-ins.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "hostlib/ModuleFacts.h"
#include "tests/gst/GstTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace gsttest;

namespace {

#ifndef ZW_GST_TOOLS
// The tools are not built with the sanitizers, so they cannot load this build's plug-in.
#define SKIP_WITHOUT_TOOLS() GTEST_SKIP() << "sanitizer build: the GStreamer tools cannot load it"
#else
#define SKIP_WITHOUT_TOOLS()                                                                       \
    do {                                                                                           \
    } while (false)
#endif

zw::MtmWriter
MultiTrackerWriter()
{
    zw::MtmWriter mtm(4, 32);
    mtm.name = "tracks";
    std::vector<uint8> wave(300);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = uint8(28 + (i * 5) % 200);
    mtm.SetSample(1, wave, 64, 20, 280);
    for (int row = 0; row < 32; row += 4)
        mtm.Row(1, row) = { zw::MtmNote(row % 8 ? "C-3" : "G-3"), 1, 0, 0 };
    for (int c = 0; c < 4; c++)
        mtm.Sequence(0, c) = uint16(c == 0 ? 1 : 0);
    mtm.SetPositions({ 0, 0 });
    return mtm;
}

std::vector<uint8_t>
MultiTrackerSong()
{
    return MultiTrackerWriter().Build();
}

// "H:MM:SS.nnnnnnnnn", as gst-discoverer prints a duration.
std::string
ClockText(GstClockTime time)
{
    char text[64];
    snprintf(text, sizeof(text), "%" GST_TIME_FORMAT, GST_TIME_ARGS(time));
    return text;
}

}   // namespace


TEST(Tools, InspectListsTheElementAndTheTypefinder)
{
    SKIP_WITHOUT_TOOLS();
    Result element = Tool("gst-inspect-1.0", { "zarnowelledec" });
    EXPECT_EQ(element.status, 0) << element.err;
    for (const char* line : { "Codec/Decoder/Audio", "primary + 3", "zarnowelle: true", "S16LE",
             "interpolation", "sinc", "amiga", "a1200", "ramping", "gain", "stereo", "rules",
             "num-loops", "PAUSED or PLAYING state" })
        EXPECT_NE(element.out.find(line), std::string::npos) << line;
    Result plugin = Tool("gst-inspect-1.0", { "zarnowelle" });
    EXPECT_NE(plugin.out.find("zarnowelle-module: mod, mtm"), std::string::npos) << plugin.out;
}


// decodebin and playbin choose the element for what it plays, also beside the stock module
// decoders, and add no lead-in and drop nothing: the WAV holds exactly the host's render,
// StarTracker AM sounds from the companion and markless files included.
TEST(Tools, DecodebinAndPlaybinToWav_HoldExactlyTheRender)
{
    SKIP_WITHOUT_TOOLS();
    TempDir                  dir;
    std::vector<std::string> files = { hosttest::DemoPath(),
        dir.Write("eight.mod", EightChannelMKSong()),
        dir.Write("fifteen.mod", SoundTracker15Song()),
        dir.Write("tracks.mtm", MultiTrackerSong()) };
    for (const char* leaf : { "zob-the-zob.mod", "TempoChange.mod" }) {
        if (!CorpusFile(leaf).empty())
            files.push_back(CorpusFile(leaf));
    }
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        std::vector<int16_t> rendered = Rendered(file);
        ASSERT_FALSE(rendered.empty());
        for (const Decoded& decoded : { DecodebinWav(file), PlaybinWav(file) }) {
            EXPECT_EQ(decoded.decoder, "zarnowelledec");
            EXPECT_EQ(decoded.samples.size(), rendered.size());
            EXPECT_TRUE(decoded.samples == rendered);
        }
    }
}


// What the player refuses reaches the module decoder that plays it, when there is one.
TEST(Tools, RefusedModule_GoesToAnotherDecoder)
{
    SKIP_WITHOUT_TOOLS();
    TempDir     dir;
    std::string file = dir.Write("refused.mod", RefusedMKSong());
    EXPECT_NE(PlayFile(file).error.find("could not load it"), std::string::npos);
    if (!HasFeature("openmptdec"))
        GTEST_SKIP() << "no openmptdec to play it";
    Decoded decoded = DecodebinWav(file);
    EXPECT_EQ(decoded.decoder, "openmptdec");
    EXPECT_TRUE(std::any_of(decoded.samples.begin(), decoded.samples.end(),
        [](int16_t sample) { return sample != 0; }));
}


// GStreamer's own typefinders take a SoundTracker15 file for something else or nothing.
TEST(Tools, SoundTracker15_IsTypefoundAsAModule)
{
    SKIP_WITHOUT_TOOLS();
    TempDir     dir;
    std::string file = dir.Write("fifteen.mod", SoundTracker15Song());
    Result      found = Tool("gst-typefind-1.0", { file });
    EXPECT_EQ(found.out, file + " - audio/x-mod, type=(string)mod, zarnowelle=(boolean)true\n")
        << found.err;
    Result stock = Tool("gst-typefind-1.0", { file },
        { "GST_PLUGIN_PATH=", "GST_REGISTRY=" + dir.File("registry.bin") });
    EXPECT_EQ(stock.out.find("audio/x-mod"), std::string::npos) << stock.out;
}


TEST(Tools, Discoverer_ReportsTheTimelinesDurationAndTheTags)
{
    SKIP_WITHOUT_TOOLS();
    TempDir                  dir;
    std::vector<std::string> files = { hosttest::DemoPath(),
        dir.Write("fifteen.mod", SoundTracker15Song()) };
    if (!CorpusFile("zob-the-zob.mod").empty())
        files.push_back(CorpusFile("zob-the-zob.mod"));
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const int64_t frames = TimelineFrames(file);
        ASSERT_GT(frames, 0);
        Result found = Tool("gst-discoverer-1.0", { "-v", file },
            { "GST_DEBUG=zarnowelledec:4", "GST_DEBUG_NO_COLOR=1" });
        EXPECT_EQ(found.status, 0) << found.err;
        // (The URI discoverer makes of the path has its ".." resolved.)
        const std::string leaf = std::filesystem::path(file).filename().string();
        EXPECT_NE(found.err.find("> playing "), std::string::npos) << found.err;
        EXPECT_NE(found.err.find(leaf + ", " + ReadModuleFacts(file).typeName), std::string::npos);
        EXPECT_NE(found.out.find(
                      "Duration: " + ClockText(gst_util_uint64_scale(frames, GST_SECOND, 44100))),
            std::string::npos)
            << found.out;
        ModuleFacts facts = ReadModuleFacts(file);
        for (const std::string& tag :
            { "title: " + facts.name + "\n", "container format: " + facts.typeName + "\n",
                "comment: " + facts.sampleList.front().name })
            EXPECT_NE(found.out.find(tag), std::string::npos) << tag << "\n" << found.out;
    }
}


// An MTM's own comment is the comment; the sample names stay in the extended comment.
// Names show control bytes, C1 ones too, as '?'.
TEST(Tools, Discoverer_MtmCommentAndNamesWithControlBytes)
{
    SKIP_WITHOUT_TOOLS();
    TempDir       dir;
    zw::MtmWriter mtm = MultiTrackerWriter();
    mtm.name = "caf\xe9 \x85 bar";
    mtm.samples.at(0).name = "lead\x9b";
    mtm.comment = "first line" + std::string(30, ' ') + "second";
    std::string file = dir.Write("comment.mtm", mtm.Build());
    Result      found = Tool("gst-discoverer-1.0", { "-v", file });
    EXPECT_EQ(found.status, 0) << found.err;
    for (const std::string tag : { "title: caf\xc3\xa9 ? bar\n", "comment: first line\nsecond\n",
             "extended comment: samples=lead?\n" })
        EXPECT_NE(found.out.find(tag), std::string::npos) << tag << "\n" << found.out;
}


TEST(Tools, Playbin_ChoosesTheElementForModAndMtm)
{
    SKIP_WITHOUT_TOOLS();
    TempDir dir;
    for (const std::string& file :
        { hosttest::DemoPath(), dir.Write("tracks.mtm", MultiTrackerSong()) }) {
        SCOPED_TRACE(file);
        Result played = Tool("gst-launch-1.0",
            { "-v", "playbin", "uri=file://" + file, "audio-sink=fakesink sync=false",
                "video-sink=fakesink" });
        EXPECT_EQ(played.status, 0) << played.err;
        EXPECT_NE(played.out.find("GstZarnowelleDec:zarnowelledec"), std::string::npos);
    }
}


// (gst-discoverer: gst-launch-1.0 itself may hang after any element's error in preroll.)
TEST(Tools, NoAddOnInTheFolder_IsABusErrorNamingIt)
{
    SKIP_WITHOUT_TOOLS();
    TempDir empty;
    Result  run = Tool(
         "gst-discoverer-1.0", { hosttest::DemoPath() }, { "ZARNOWELLE_PLUGIN_DIR=" + empty.path });
    EXPECT_NE(run.out.find(hosttest::DemoPath() + ": no Zarnowelle add-on in " + empty.path),
        std::string::npos)
        << run.out << run.err;
}


// The installed GStreamer plug-in finds the add-on installed beside the host, with no
// variable to help it.
TEST(Tools, Installed_PlaysThroughTheInstalledAddOn)
{
    SKIP_WITHOUT_TOOLS();
    TempDir prefix;
    Result  install = hosttest::RunProgram(
         ZW_CMAKE_COMMAND, { "--install", ZW_BUILD_DIR, "--prefix", prefix.path });
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    std::string folder = prefix.File(ZW_GST_PLUGINS_SUBDIR);
    ASSERT_TRUE(std::filesystem::exists(folder + "/libgstzarnowelle.so"));
    Result played = Tool("gst-launch-1.0",
        { "filesrc", "location=" + hosttest::DemoPath(), "!", "decodebin", "!", "fakesink" },
        { "GST_PLUGIN_PATH=" + folder,
            "ZARNOWELLE_PLUGIN_DIR=", "GST_REGISTRY=" + prefix.File("registry.bin") });
    EXPECT_EQ(played.status, 0) << played.out << played.err;
}
