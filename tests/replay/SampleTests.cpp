// How a sample change sets up the voice: loops by type, short and empty samples, loops
// and sample numbers beyond what the module holds.
#include "ReplayTest.h"

using namespace replaytest;

// Loop start 100 and loop length 50 words on a 400-byte sample. SoundTracker reads the
// start in bytes and plays the loop alone: 100 bytes from byte 100, all looped.
// NoiseTracker reads words: 300 bytes from the start, looping the last 100.
TEST(Samples, Loop_SoundTrackerOrNoiseTracker_StartsInBytesOrWords)
{
    const struct { bool old; uint32 start, length, loopStart; } cases[] = {
        { true, 100, 100, 0 }, { false, 0, 300, 200 },
    };
    for (const auto& c : cases) {
        zw::ModWriter mod = c.old ? SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 } })
            : NoiseTrackerModule({ { 0, 0, 0, "C-2", 1, 0, 0 } });
        mod.SetSample(1, Ramp(400), 64, 100, 50);
        Song song(mod, c.old ? MODTYPE_SOUNDTRACKER15 : MODTYPE_NOISETRACKER);
        ASSERT_TRUE(song.Loaded());
        const zw::TraceChannel& ch = song.PlayTo(6).channels[0];
        EXPECT_TRUE(ch.triggered);
        EXPECT_EQ(ch.start, c.start);
        EXPECT_EQ(ch.length, c.length);
        EXPECT_TRUE(ch.looping);
        EXPECT_EQ(ch.loopStart, c.loopStart);
        EXPECT_EQ(ch.loopLength, 100u);
    }
}

// Loops that reach past the data are cut at its end, so no voice plays beyond it. The
// loader bounds loops already; the records are spoilt after loading to show the replay
// keeps to the data on its own.
TEST(Samples, Loop_PastTheEnd_IsCut)
{
    zw::ModWriter pro = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0, 0 } });
    pro.SetSample(1, Ramp(64), 64, 24, 4);
    Song song(pro, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    song.Player()->samples[0].loopLength = 20;          // words 24..43 of 32
    const zw::TraceChannel& a = song.PlayTo(6).channels[0];
    EXPECT_EQ(a.length, 64u);
    EXPECT_EQ(a.loopStart, 48u);
    EXPECT_EQ(a.loopLength, 16u);

    zw::ModWriter st = SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 }, { 0, 0, 1, "C-2", 2, 0, 0 } });
    st.SetSample(1, Ramp(64), 64, 32, 4);
    st.SetSample(2, Ramp(64), 64, 8, 4);
    Song old(st, MODTYPE_SOUNDTRACKER15);
    ASSERT_TRUE(old.Loaded());
    old.Player()->samples[0].loopLength = 40;          // bytes 32..111 of 64
    old.Player()->samples[1].loopStart = 200;          // starts past the data
    const zw::TraceTick& row = old.PlayTo(6);
    EXPECT_EQ(row.channels[0].start, 32u);
    EXPECT_EQ(row.channels[0].length, 32u);
    EXPECT_EQ(row.channels[0].loopLength, 32u);
    EXPECT_FALSE(row.channels[1].triggered);
    EXPECT_TRUE(row.channels[1].mute);
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
    const zw::TraceTick& row0 = song.PlayTo(6);
    EXPECT_TRUE(row0.channels[1].triggered);
    EXPECT_EQ(row0.channels[1].length, 2u);
    EXPECT_FALSE(row0.channels[1].looping);
    const zw::TraceTick& row1 = song.PlayTo(12);
    EXPECT_FALSE(row1.channels[0].triggered);
    EXPECT_NE(row1.channels[0].told & RV_CHANNEL_MUTE, 0u);
    EXPECT_TRUE(row1.channels[0].mute);
    // An offset past the one word starts at its "loop", the same two bytes.
    EXPECT_TRUE(row1.channels[1].triggered);
    EXPECT_EQ(row1.channels[1].length, 2u);
}

// Sample 20 in a 15-sample module is no sample change: the note plays sample 1 on.
// On a channel that never had a sample, it stays silent.
TEST(Samples, SampleNumber_BeyondTheModule_IsNoChange)
{
    zw::ModWriter mod = SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0, 0 }, { 0, 1, 0, "D-2", 20, 0, 0 },
        { 0, 0, 1, "C-2", 31, 0, 0 } });
    mod.SetSample(1, Ramp(512), 40);
    Song song(mod, MODTYPE_SOUNDTRACKER15);
    ASSERT_TRUE(song.Loaded());
    ASSERT_EQ(song.Player()->sampleNum, 15);
    const zw::TraceTick& row0 = song.PlayTo(6);
    EXPECT_FALSE(row0.channels[1].triggered);
    EXPECT_TRUE(row0.channels[1].mute);
    const zw::TraceTick& row1 = song.PlayTo(12);
    EXPECT_TRUE(row1.channels[0].triggered);
    EXPECT_EQ(row1.channels[0].sample, 1u);
    EXPECT_EQ(row1.channels[0].frequency, Hz(762));
    EXPECT_EQ(row1.channels[0].volume, 160u);
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
    const zw::TraceTick& row0 = song.PlayTo(6);
    EXPECT_FALSE(row0.channels[1].triggered);
    const zw::TraceTick& row1 = song.PlayTo(12);
    EXPECT_TRUE(row1.channels[0].triggered);
    EXPECT_EQ(row1.channels[0].sample, 2u);
    EXPECT_EQ(row1.channels[0].volume, 128u);
}
