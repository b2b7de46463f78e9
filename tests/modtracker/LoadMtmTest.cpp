// The MTM loader: header, tracks, the sequence table, sample data, and hostile values.
#include "LoaderTestSupport.h"

using namespace zw;

namespace {

class LoadMtmTest : public PlayerTest
{
protected:
    // Two patterns of four channels over three stored tracks, two samples.
    static MtmWriter Module()
    {
        MtmWriter mtm(4, 64);
        mtm.name = "mtm song";
        mtm.SetPositions({ 0, 1, 0 });
        mtm.SetSample(1, std::vector<uint8>(100, 0x90));
        mtm.SetSample(2, { 0x00, 0x80, 0xFF, 0x7F });
        mtm.Row(1, 0) = { MtmNote("C-2"), 2, 0xA, 0x0F };
        mtm.Row(3, 63) = { 1, 1, 0, 0 };
        mtm.Sequence(0, 0) = 1;
        mtm.Sequence(0, 1) = 2;
        mtm.Sequence(1, 3) = 3;
        mtm.comment = "a comment";
        for (int c = 0; c < 4; c++)
            mtm.pan[c] = uint8(c * 5);
        return mtm;
    }
};

}   // namespace

TEST_F(LoadMtmTest, Layout_GoodFile_GivesHeaderTracksAndSequences)
{
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, Module().Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(player.GetModuleName(), "mtm song");
    EXPECT_EQ(std::tuple(module.patternNum, module.channelNum, module.sampleNum, module.songLength,
                  module.trackNum, module.rowsPerPattern, module.restartPos),
        std::tuple(2, 4, 2, 3, 3, 64, 0));
    EXPECT_EQ(std::tuple(module.minPeriod, module.maxPeriod, module.panning[3]),
        std::tuple(45, 1616, 15));
    EXPECT_EQ(std::tuple(module.sequences[0], module.sequences[1], module.sequences[2],
                  module.sequences[32 + 3]),
        std::tuple(1, 2, 0, 3));
    TrackLine line = module.tracks[1][0];
    EXPECT_EQ(std::tuple(line.note, line.sample, line.effect, line.effectArg),
        std::tuple(NoteNumber("C-2"), 2, 0xA, 0x0F));
    EXPECT_EQ(module.tracks[3][63].note, 14);   // MTM note 1
    EXPECT_EQ(module.tracks[3][63].sample, 1);
}

TEST_F(LoadMtmTest, EmptyTrack_NoStoredTracks_StillExists)
{
    MtmWriter mtm(2, 32);
    mtm.Sequence(0, 0) = 0;
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(module.trackNum, 0);
    ASSERT_NE(module.tracks[0], nullptr);
    for (int r = 0; r < 32; r++) {
        const TrackLine& line = module.tracks[0][r];
        EXPECT_EQ(line.note | line.sample | line.effect | line.effectArg, 0);
    }
}

// Unsigned bytes become signed; bytes a short read lacks (the last sample misses two
// of its four) are silence.
TEST_F(LoadMtmTest, SampleData_UnsignedOrMissing_BecomesSignedOrSilence)
{
    const struct
    {
        size_t            missing;
        std::vector<int8> want;
    } cases[] = {
        { 0, { -128, 0, 127, -1 } },
        { 2, { -128, 0, 0, 0 } },
    };
    for (const auto& c : cases) {
        std::vector<uint8> bytes = Module().Build();
        bytes.resize(bytes.size() - c.missing);
        ASSERT_EQ(Load(MODTYPE_MULTITRACKER, bytes), 0);
        const ModuleView module = player.Module();
        const int8*      data = module.samples[1].data;
        EXPECT_EQ(std::vector<int8>(data, data + 4), c.want) << c.missing;
        EXPECT_EQ(module.samples[0].data[99], 0x10);
    }
}

// The data section holds every byte of a sample: what the record cannot keep (an odd
// last byte, words past 65535) is stepped over, so the next sample reads its own bytes.
TEST_F(LoadMtmTest, SampleData_OddAndOverlong_KeepTheNextInPlace)
{
    MtmWriter mtm = Module();
    mtm.SetSample(1, std::vector<uint8>(5, 0x81));
    mtm.SetSample(2, std::vector<uint8>(131074, 0x82));
    mtm.SetSample(3, std::vector<uint8>(1, 0x83));
    mtm.SetSample(4, { 0x84, 0x85 });
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(
        std::tuple(module.samples[0].length, module.samples[1].length, module.samples[2].length),
        std::tuple(2, 65535, 0));
    EXPECT_EQ(module.samples[1].data[131069], 2);
    EXPECT_EQ(module.samples[2].data, nullptr);
    ASSERT_EQ(module.samples[3].length, 1);
    EXPECT_EQ(std::tuple(module.samples[3].data[0], module.samples[3].data[1]), std::tuple(4, 5));
}

TEST_F(LoadMtmTest, Bounds_Loops_KeptCutOrDropped)
{
    const struct
    {
        uint32 length, start, end;
        uint16 wantStart, wantLength;
    } cases[] = {
        { 200, 20, 120, 10, 50 },    // inside: kept, in words
        { 200, 120, 20, 0, 0 },      // end before start: no loop
        { 200, 100, 400, 50, 50 },   // past the end: cut
        { 200, 200, 300, 0, 0 },     // starts at the end: none
        { 200, 0, 0, 0, 0 },
        { 0, 10, 20, 0, 0 },   // nothing to loop
        { 200, 0xFFFFFFF0, 0xFFFFFFFF, 0, 0 },
    };
    MtmWriter mtm = Module();
    for (size_t i = 0; i < std::size(cases); i++) {
        mtm.SetSample(int(i + 1), std::vector<uint8>(cases[i].length, 0x80), 64, cases[i].start,
            cases[i].end);
    }
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    const ModuleView module = player.Module();
    for (size_t i = 0; i < std::size(cases); i++) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        EXPECT_EQ(std::tuple(module.samples[i].loopStart, module.samples[i].loopLength),
            std::tuple(cases[i].wantStart, cases[i].wantLength));
        ExpectLoopInside(module.samples[i], false);
    }
}

TEST_F(LoadMtmTest, Bounds_PositionsTracksSamplesAndPans_OutOfRangeBecomeSafe)
{
    MtmWriter mtm = Module();
    mtm.positions[1] = 2;   // only patterns 0 and 1 exist
    mtm.positions[127] = 255;
    mtm.Sequence(1, 0) = 4;   // only tracks 0 to 3 exist
    mtm.Sequence(1, 31) = 0xFFFF;
    mtm.Row(2, 0) = { 1, 3, 0, 0 };   // only samples 1 and 2 exist
    mtm.pan[0] = 16;
    mtm.pan[31] = 255;
    mtm.SetSample(2, { 0x80, 0x80 }, 200);
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(std::tuple(module.positions[1], module.positions[127]), std::tuple(0, 0));
    EXPECT_EQ(std::tuple(module.sequences[32], module.sequences[32 + 31], module.sequences[32 + 3]),
        std::tuple(0, 0, 3));
    EXPECT_EQ(module.tracks[2][0].sample, 0);
    EXPECT_EQ(std::tuple(module.panning[0], module.panning[31]), std::tuple(15, 15));
    EXPECT_EQ(module.samples[1].volume, 64);
}

TEST_F(LoadMtmTest, Bounds_SongLengthAndRows_CappedOrKept)
{
    MtmWriter mtm = Module();
    mtm.lastPosition = 255;
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    EXPECT_EQ(player.Module().songLength, 128);

    MtmWriter tall(2, 200);
    tall.Row(1, 199) = { 5, 0, 0, 0 };
    tall.Sequence(0, 1) = 1;
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, tall.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(module.rowsPerPattern, 200);
    EXPECT_EQ(module.tracks[1][199].note, 18);
}

TEST_F(LoadMtmTest, Errors_BadChannelsOrRows_RefuseTheHeader)
{
    const struct
    {
        int channels;
        int rows;
    } cases[] = { { 0, 64 }, { 33, 64 }, { 4, 0 } };
    for (const auto& c : cases) {
        MtmWriter mtm = Module();
        mtm.channels = uint8(c.channels);
        mtm.rowsPerTrack = uint8(c.rows);
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.rows << " rows");
        ExpectLoadError(MODTYPE_MULTITRACKER, mtm.Build(), 2);
    }
}

TEST_F(LoadMtmTest, Errors_EachTruncation_HasItsLine)
{
    MtmWriter          mtm = Module();
    std::vector<uint8> bytes = mtm.Build();
    const size_t       samples = 66, positions = samples + 2 * 37, tracks = positions + 128,
                 sequences = tracks + 3 * 64 * 3, comment = sequences + 2 * 64, data = comment + 9;
    ASSERT_EQ(bytes.size(), data + 104);
    // Cut inside the comment or the sample data, it loads: what is missing stays silent.
    const struct
    {
        size_t cut;
        int    error;
        uint32 missing;
    } cases[] = {
        { 40, 2, 0 },
        { 65, 2, 0 },
        { samples + 36, 4, 0 },
        { positions + 10, 3, 0 },
        { sequences - 1, 3, 0 },
        { comment - 1, 3, 0 },
        { comment, 0, 104 },
        { data + 100, 0, 4 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cut);
        if (c.error != 0) {
            ExpectLoadError(MODTYPE_MULTITRACKER, Truncated(bytes, c.cut), c.error);
            continue;
        }
        ASSERT_EQ(Load(MODTYPE_MULTITRACKER, Truncated(bytes, c.cut)), 0);
        const ModuleView module = player.Module();
        EXPECT_EQ(module.samples[0].missing + module.samples[1].missing, c.missing);
    }
}
