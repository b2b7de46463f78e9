// How a sample change sets up the voice: loops by type, short and empty samples, loops
// and sample numbers beyond what the module holds.
#include "ReplayTest.h"

#include "modtracker/ReplayLookups.h"
#include "support/PMemFile.h"

using namespace replaytest;

// Loop start 100 and loop length 50 words on a 400-byte sample. SoundTracker reads the
// start in bytes and plays the loop alone: 100 bytes from byte 100, all looped.
// NoiseTracker reads words: 300 bytes from the start, looping the last 100.
TEST(Samples, Loop_SoundTrackerOrNoiseTracker_StartsInBytesOrWords)
{
    const struct
    {
        bool   old;
        uint32 start, length, loopStart;
    } cases[] = {
        { true, 100, 100, 0 },
        { false, 0, 300, 200 },
    };
    for (const auto& c : cases) {
        zw::ModWriter mod = c.old ? SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 } })
                                  : NoiseTrackerModule({ { 0, 0, 0, "C-2", 1, 0, 0 } });
        mod.SetSample(1, Ramp(400), 64, 100, 50);
        Song song(mod, c.old ? MODTYPE_SOUNDTRACKER15 : MODTYPE_NOISETRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(Voice(song.PlayTo(6).channels[0]),
            std::tuple(true, c.start, c.length, true, c.loopStart, 100u));
    }
}

// Loops that reach past the data are cut at its end, so no voice plays beyond it. The
// loader bounds each loop for the type it loads as; a check of another file as
// ProTracker then makes the player read a SoundTracker loop start, in bytes, as words.
TEST(Samples, Loop_PastTheEnd_IsCut)
{
    zw::ModWriter st = SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 } });
    st.SetSample(1, Ramp(64), 64, 24, 20);   // bytes 24..63 of 64
    Song song(st, MODTYPE_SOUNDTRACKER15);
    ASSERT_TRUE(song.Loaded());
    std::vector<uint8> bytes = ProTrackerModule().Build();
    PMemFile           pro;
    pro.Write(bytes.data(), int32(bytes.size()));
    ASSERT_EQ(song.Player()->ModuleCheck(MODTYPE_PROTRACKER, &pro), 0);   // words 24..43 of 32
    const zw::TraceChannel& a = song.PlayTo(6).channels[0];
    EXPECT_EQ(std::tuple(a.length, a.loopStart, a.loopLength), std::tuple(64u, 48u, 16u));
}

// Records no load makes, straight to the look-up: a SoundTracker loop of 40 words from
// byte 32 of 64 plays the 32 bytes there are; one starting past the data plays nothing,
// which mutes the voice at its note.
TEST(Samples, Loop_SoundTrackerRecordPastTheEnd_IsCut)
{
    std::vector<int8> data(64);
    Sample            smp = {};
    smp.data = data.data();
    smp.length = 32;
    smp.loopStart = 32;
    smp.loopLength = 40;
    Channel ch = {};
    TakeLoop(smp, true, ch);
    EXPECT_EQ(
        std::tuple(ch.sampleData - data.data(), ch.length, ch.loopLength), std::tuple(32, 16, 16));
    smp.loopStart = 200;
    smp.loopLength = 4;
    TakeLoop(smp, true, ch);
    EXPECT_EQ(
        std::tuple(ch.sampleData - data.data(), ch.length, ch.loopLength), std::tuple(64, 0, 0));
}

// A pattern, track or row the module lacks reads no cell: the row plays empty.
TEST(Samples, Cell_OfAMissingPatternTrackOrRow_IsNone)
{
    TrackLine        rows[2][64] = {};
    const TrackLine* tracks[3] = { rows[0], rows[1], nullptr };
    uint16           sequences[2 * 32] = {};
    sequences[1] = 1;
    sequences[2] = 2;    // a track without a buffer
    sequences[32] = 7;   // past the buffers
    const TrackTable table = { tracks, 3, sequences, 2, 64 };
    EXPECT_EQ(table.Cell(0, 63, 1), &rows[1][63]);
    EXPECT_EQ(table.Cell(0, 63, 2), nullptr);
    EXPECT_EQ(table.Cell(1, 0, 0), nullptr);
    EXPECT_EQ(table.Cell(2, 0, 0), nullptr);   // pattern 2 of 2
    EXPECT_EQ(table.Cell(0, 64, 0), nullptr);
    EXPECT_FALSE(TrackTable({ nullptr, 0, nullptr, 1, 64 }).HasRow(0, 0));
}

// A sample of length 0 mutes the voice; one of one word plays its two bytes unlooped.
TEST(Samples, ShortSample_EmptyOrOneWord_MutesOrPlaysTwoBytes)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0, 0 }, { 0, 1, 0, "C-2", 2, 0, 0 },
        { 0, 0, 1, "C-2", 3, 0, 0 }, { 0, 1, 1, "C-2", 3, 0x9, 0x01 } });
    mod.SetSample(2, {}, 64);
    mod.SetSample(3, Ramp(2), 64);
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceChannel& one = song.PlayTo(6).channels[1];
    EXPECT_EQ(std::tuple(one.triggered, one.length, one.looping), std::tuple(true, 2u, false));
    const zw::TraceTick&    row1 = song.PlayTo(12);
    const zw::TraceChannel& empty = row1.channels[0];
    EXPECT_EQ(std::tuple(empty.triggered, (empty.told & RV_CHANNEL_MUTE) != 0, empty.mute),
        std::tuple(false, true, true));
    // An offset past the one word starts at its "loop", the same two bytes.
    EXPECT_EQ(
        std::tuple(row1.channels[1].triggered, row1.channels[1].length), std::tuple(true, 2u));
}

// Sample 20 in a 15-sample module is no sample change: the note plays sample 1 on.
// On a channel that never had a sample, it stays silent.
TEST(Samples, SampleNumber_BeyondTheModule_IsNoChange)
{
    zw::ModWriter mod = SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 },
        { 0, 1, 0, "D-2", 20, 0, 0 }, { 0, 0, 1, "C-2", 31, 0, 0 } });
    mod.SetSample(1, Ramp(512), 40);
    Song song(mod, MODTYPE_SOUNDTRACKER15);
    ASSERT_TRUE(song.Loaded());
    ASSERT_EQ(song.Player()->Module().sampleNum, 15);
    const zw::TraceChannel& never = song.PlayTo(6).channels[1];
    EXPECT_EQ(std::tuple(never.triggered, never.mute), std::tuple(false, true));
    const zw::TraceChannel& next = song.PlayTo(12).channels[0];
    EXPECT_EQ(std::tuple(next.triggered, next.sample, next.frequency, next.volume),
        std::tuple(true, 1u, Hz(762), 160u));
}

// MultiTracker cells reach sample 63; a module with two samples plays only those.
TEST(Samples, SampleNumber_BeyondAMultiTrackerModule_IsNoChange)
{
    zw::MtmWriter mtm(4, 64);
    mtm.SetSample(1, std::vector<uint8>(64, 200), 64);
    mtm.SetSample(2, std::vector<uint8>(64, 100), 32);
    mtm.Row(1, 0) = { zw::MtmNote("C-2"), 2, 0, 0 };
    mtm.Row(1, 1) = { zw::MtmNote("D-2"), 63, 0, 0 };
    mtm.Row(2, 0) = { zw::MtmNote("C-2"), 40, 0, 0 };
    mtm.Sequence(0, 0) = 1;
    mtm.Sequence(0, 1) = 2;
    mtm.SetPositions({ 0 });
    Song song(mtm.Build(), MODTYPE_MULTITRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_FALSE(song.PlayTo(6).channels[1].triggered);
    const zw::TraceChannel& next = song.PlayTo(12).channels[0];
    EXPECT_EQ(std::tuple(next.triggered, next.sample, next.volume), std::tuple(true, 2u, 128u));
}
