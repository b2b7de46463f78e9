// The trace's two renderings, checked once by hand on a one-note song.
#include "ReplayTest.h"

#include <nlohmann/json.hpp>

using namespace replaytest;

namespace {

std::vector<zw::TraceTick>
OneNoteSong(uint32 ticks)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 1, "A-3", 2, 0xC, 0x30 } });
    mod.SetSample(2, Ramp(200), 32, 50, 25);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    EXPECT_TRUE(song.Loaded());
    return song.Record(ticks);
}

}   // namespace


// Play 6: channel 1 starts sample 2 (A-3, period 254: 13964 Hz) at volume 0x30 * 4,
// 150 bytes looping bytes 100..149; the other channels have never sounded.
TEST(TraceFormat, FormatJson_OneNoteSong_IsOneObjectPerTick)
{
    std::vector<zw::TraceTick> ticks = OneNoteSong(6);
    nlohmann::json             before = nlohmann::json::parse(zw::FormatJson(ticks[4]));
    EXPECT_EQ(before["pos"], -1);
    EXPECT_EQ(before["row"], -1);
    EXPECT_EQ(before["tick"], 5);

    std::string line = zw::FormatJson(ticks[5]);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(line,
        "{\"pos\":0,\"row\":0,\"tick\":0,\"speed\":6,\"bpm\":125,\"channels\":["
        "{\"trigger\":null,\"frequency\":0,\"volume\":0,\"panning\":0,\"loop\":null,\"mute\":true},"
        "{\"trigger\":{\"sample\":2,\"start\":0},\"frequency\":13964,\"volume\":192,\"panning\":0,"
        "\"loop\":{\"start\":100,\"length\":50},\"mute\":false},"
        "{\"trigger\":null,\"frequency\":0,\"volume\":0,\"panning\":0,\"loop\":null,\"mute\":true},"
        "{\"trigger\":null,\"frequency\":0,\"volume\":0,\"panning\":0,\"loop\":null,\"mute\":true}]"
        "}");
}


TEST(TraceFormat, FormatText_OneNoteSong_IsOneLinePerTick)
{
    std::vector<zw::TraceTick> ticks = OneNoteSong(7);
    std::string                first = zw::FormatText(ticks[0]);
    EXPECT_EQ(first.substr(0, 40), "     1  -- --  t1  speed  6 bpm 125     ");
    std::string row = zw::FormatText(ticks[5]);
    EXPECT_NE(row.find("     6  00:00 t0  speed  6 bpm 125"), std::string::npos) << row;
    EXPECT_NE(row.find("| s02@0      13964Hz v192 p0   L100+50      |"), std::string::npos) << row;
    EXPECT_EQ(std::count(row.begin(), row.end(), '|'), 4);
    std::string next = zw::FormatText(ticks[6]);
    EXPECT_NE(next.find("| --------  13964Hz v192"), std::string::npos) << next;
}


// The song of one pattern ends on the row tick after its last row (Play 6 + 64 * 6),
// which both renderings mark.
TEST(TraceFormat, EndOfTheSong_IsMarkedOnTheTickThatTellsIt)
{
    std::vector<zw::TraceTick> ticks = OneNoteSong(391);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 390 }));
    EXPECT_EQ(nlohmann::json::parse(zw::FormatJson(ticks[389]))["end"], true);
    EXPECT_FALSE(nlohmann::json::parse(zw::FormatJson(ticks[388])).contains("end"));
    EXPECT_NE(zw::FormatText(ticks[389]).find(" END |"), std::string::npos);
}
