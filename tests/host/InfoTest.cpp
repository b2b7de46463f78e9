// `zarnowelle info` and `zarnowelle trace` on modules written in code.
#include <gtest/gtest.h>

#include <tuple>

#include <nlohmann/json.hpp>

#include "tests/host/HostTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;
using nlohmann::json;

namespace {

std::vector<uint8_t>
Mod(const std::string& mark, int sampleCount = 31, uint8_t restart = 0, bool tempo = false)
{
    zw::ModWriter mod(mark, sampleCount);
    mod.name = "info test";
    mod.restart = restart;
    mod.SetSample(1, std::vector<int8>(64, 20), 48, 0, 32);
    mod.SetPositions({ 0, 1, 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("A-2"), 1, tempo ? (uint8)0xF : (uint8)0, 0x40 };
    mod.Cell(1, 5, 0) = { zw::NotePeriod("C-3"), 1, 0, 0 };
    return mod.Build();
}

std::vector<uint8_t>
Mtm()
{
    zw::MtmWriter mtm(6);
    mtm.name = "mtm info test";
    mtm.SetSample(1, std::vector<uint8_t>(64, 140));
    mtm.Row(1, 0) = { zw::MtmNote("C-3"), 1, 0, 0 };
    mtm.Sequence(0, 0) = 1;
    mtm.SetPositions({ 0, 0 });
    return mtm.Build();
}

// Every line of standard output is one JSON object.
std::vector<json>
JsonLines(const std::string& out)
{
    std::vector<json> objects;
    for (const std::string& line : Lines(out))
        objects.push_back(json::parse(line));
    return objects;
}

TEST(Info, Json_EachOfTheEightTypes_GivesItsFacts)
{
    TempDir dir;
    // The restart position is kept by NoiseTracker alone, and only inside the song.
    struct Case
    {
        std::string          name;
        std::vector<uint8_t> bytes;
        int                  type;
        const char*          typeName;
        int                  channels;
        int                  samples;
        int                  restart;
    };
    const Case cases[] = {
        { "st15.mod", Mod("", 15), 0, "SoundTracker15", 4, 15, 0 },
        { "st31.mod", Mod("", 31), 1, "SoundTracker31", 4, 31, 0 },
        { "nt.mod", Mod("M.K.", 31, 126), 2, "NoiseTracker", 4, 31, 0 },
        { "nt-restart.mod", Mod("M.K.", 31, 2), 2, "NoiseTracker", 4, 31, 2 },
        { "flt.mod", Mod("FLT4"), 3, "StarTracker", 4, 31, 0 },
        { "pt-restart.mod", Mod("M.K.", 31, 127), 4, "ProTracker", 4, 31, 0 },
        { "pt-tempo.mod", Mod("M!K!", 31, 0, true), 4, "ProTracker", 4, 31, 0 },
        { "ft6.mod", Mod("6CHN"), 5, "FastTracker", 6, 31, 0 },
        { "ft8.mod", Mod("8CHN"), 5, "FastTracker", 8, 31, 0 },
        { "tt2.mod", Mod("2CHN"), 6, "TakeTracker", 2, 31, 0 },
        { "tt10.mod", Mod("10CH"), 6, "TakeTracker", 10, 31, 0 },
        { "song.mtm", Mtm(), 7, "MultiTracker", 6, 1, 0 },
    };
    std::vector<std::string> args = { "info", "--json" };
    for (const Case& c : cases)
        args.push_back(dir.Write(c.name, c.bytes));
    Result result = Host(args);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<json> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), std::size(cases));
    for (size_t i = 0; i < objects.size(); i++) {
        const json& o = objects[i];
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(o["file"], dir.File(cases[i].name));
        EXPECT_EQ(std::tuple(o["type"], o["type_name"], o["channels"], o["samples"], o["restart"]),
            std::tuple(cases[i].type, cases[i].typeName, cases[i].channels, cases[i].samples,
                cases[i].restart));
        EXPECT_TRUE(o["error"].is_null());
        ASSERT_EQ(o["info"].size(), 4u);
        EXPECT_EQ(o["info"][0]["label"], "Song Length:");
        EXPECT_EQ(o["info"][0]["value"], std::to_string((int)o["song_length"]));
        EXPECT_EQ(o["info"][2]["value"], std::to_string(cases[i].samples));
    }
    EXPECT_EQ(std::tuple(objects[0]["name"], objects[0]["song_length"], objects[0]["patterns"]),
        std::tuple("info test", 3, 2));
    EXPECT_EQ(std::tuple(objects[11]["name"], objects[11]["song_length"]),
        std::tuple("mtm info test", 2));
}

// The duration is a plug-in's: with none that plays the file it is unknown, and with
// no plug-in at all `info` fails as the other commands do.
TEST(Info, Text_ProTrackerModule_ShowsTheFactsAndInfoLines)
{
    TempDir     dir;
    std::string song = dir.Write("pt.mod", Mod("M.K.", 31, 127));
    Result      result = Host({ "info", song });
    EXPECT_EQ(result.status, 0);
    for (const char* text : { "4 (ProTracker)", "info test", "duration:        0:",
             "Song Length:", "Used Patterns:", "Supported/Used Samples:", "Actual Speed (BPM):" })
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;

    Result unplayed = Host({ FakePluginsOption(), "info", song });
    EXPECT_EQ(unplayed.status, 0) << unplayed.err;
    EXPECT_NE(unplayed.out.find("duration:        unknown: no plug-in plays the file"),
        std::string::npos) << unplayed.out;
    Result none = Host({ "--plugins", dir.File("nowhere"), "info", song });
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("no plug-in found in"), std::string::npos) << none.err;
}

TEST(Info, Json_BadFiles_AreNamedAndTheRestStillShown)
{
    TempDir     dir;
    std::string missing = dir.File("missing.mod");
    std::string text = dir.Write("notes.txt", std::string(3000, 'x'));
    // The header passes detection, but the pattern data is cut short.
    std::string truncated = dir.Write("cut.mod", zw::Truncated(Mod("M.K.", 31, 127), 1400));
    std::string good = dir.Write("good.mod", Mod("FLT4"));
    Result      result = Host({ "info", "--json", missing, text, truncated, good });
    EXPECT_NE(result.status, 0);
    std::vector<json> objects = JsonLines(result.out);   // the loader's line stays out
    ASSERT_EQ(objects.size(), 4u) << result.out;
    // Missing and foreign files have no type; the cut one has its type and an error.
    for (int i : { 0, 1 })
        EXPECT_EQ(std::tuple(objects[i]["type"].is_null(), objects[i]["error"].is_string()),
            std::tuple(true, true))
            << i;
    EXPECT_EQ(objects[2]["type"], 4);
    ASSERT_TRUE(objects[2]["error"].is_string());
    EXPECT_FALSE(objects[2]["error"].get<std::string>().empty());
    EXPECT_EQ(std::tuple(objects[3]["type"], objects[3]["error"].is_null()), std::tuple(3, true));

    std::vector<std::string> ours = HostLines(result.err);
    ASSERT_EQ(ours.size(), 3u) << result.err;
    for (size_t i = 0; i < 3; i++)
        EXPECT_NE(ours[i].find(std::vector { missing, text, truncated }[i]), std::string::npos)
            << ours[i];
    // The message names the loader's error.
    EXPECT_NE(ours[2].find(objects[2]["error"].get<std::string>().substr(0, 8)), std::string::npos);
}

// The sample table, the song length said once, and a MultiTracker comment, as text and
// as JSON (sample lengths and loops in bytes).
TEST(Info, SamplesAndComment_AreListed)
{
    TempDir       dir;
    zw::ModWriter mod("M.K.");
    mod.restart = 127;   // ProTracker, which keeps finetunes
    mod.SetSample(1, std::vector<int8>(512, 20), 40, 100, 50).name = "lead";
    mod.Sample(1).fineTune = 3;
    mod.SetSample(2, std::vector<int8>(64, 20), 64).name = "drum";
    mod.SetPositions({ 0 });
    std::string   song = dir.Write("samples.mod", mod.Build());
    zw::MtmWriter mtm(4);
    mtm.SetSample(1, std::vector<uint8_t>(64, 140));
    mtm.SetPositions({ 0 });
    mtm.Sequence(0, 0) = 0;
    mtm.comment =
        std::string("first line") + std::string(30, '\0') + "second line" + std::string(29, ' ');
    std::string commented = dir.Write("comment.mtm", mtm.Build());

    Result            result = Host({ "info", "--json", "--samples", song, commented });
    std::vector<json> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), 2u) << result.err;
    const json& lead = objects[0]["sample_list"][0];
    EXPECT_EQ(std::tuple(lead["number"], lead["name"], lead["length"], lead["volume"],
                  lead["finetune"], lead["loop_start"], lead["loop_length"]),
        std::tuple(1, "lead", 512, 40, 3, 200, 100));
    EXPECT_EQ(objects[0]["sample_list"][1]["loop_length"], 0);
    EXPECT_EQ(objects[0]["sample_list"].size(), 31u);
    EXPECT_TRUE(objects[0]["comment"].is_null());
    EXPECT_EQ(objects[1]["comment"], "first line\nsecond line");

    Result text = Host({ "info", "--samples", song, commented });
    for (const char* shown : { "  1  lead                       512   40     3  200+100",
             "  2  drum                        64   64     0  -",
             "  comment:\n    first line\n"
             "    second line\n" })
        EXPECT_NE(text.out.find(shown), std::string::npos) << shown << "\n" << text.out;
    size_t said = 0;
    for (size_t at = 0; (at = text.out.find("ong ", at)) != std::string::npos; at++)
        said += text.out.compare(at - 1, 8, "Song Len") == 0
            || text.out.compare(at - 1, 8, "song len") == 0;
    EXPECT_EQ(said, 2u) << "once for each file";
}

// The trace ends with the tick that ends the song, unless asked to go on; with several
// files a line names each.
TEST(Trace, Run_StopsAtTheEnd_AndTakesSeveralFiles)
{
    TempDir                  dir;
    std::string              song = dir.Write("one.mod", Mod("M.K.", 31, 127));
    std::vector<std::string> ticks = Lines(Host({ "trace", "--ticks", "5000", song }).out);
    ASSERT_GT(ticks.size(), 100u);
    EXPECT_LT(ticks.size(), 5000u);
    EXPECT_NE(ticks.back().find(" END"), std::string::npos) << ticks.back();
    EXPECT_EQ(Lines(Host({ "trace", "--past-end", "--ticks", "5000", song }).out).size(), 5000u);

    Result                   both = Host({ "trace", "--json", "--ticks", "3", song, song });
    std::vector<std::string> lines = Lines(both.out);
    ASSERT_EQ(lines.size(), 8u) << both.out;
    EXPECT_EQ(json::parse(lines[0]), json({ { "file", song } }));
    EXPECT_EQ(json::parse(lines[4]), json({ { "file", song } }));
}

TEST(Trace, Run_NotAModule_NamesItAndFails)
{
    TempDir     dir;
    std::string text = dir.Write("notes.txt", std::string(3000, 'x'));
    Result      result = Host({ "trace", text });
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find(text), std::string::npos);
    EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
}

}   // namespace
