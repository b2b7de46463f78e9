// Effect 14: pattern loops and delays, note delay, cut and retrigger, fine slides,
// finetune, glissando and the funk effect.
#include "ReplayTest.h"

using namespace replaytest;

namespace {

std::vector<int32>
Rows(const std::vector<zw::TraceTick>& ticks, size_t first, size_t count)
{
    std::vector<int32> rows;
    for (size_t i = first; i < first + count && i < ticks.size(); i++)
        rows.push_back(ticks[i].row);
    return rows;
}

std::vector<uint32>
TriggerPlays(const std::vector<zw::TraceTick>& ticks, int channel = 0)
{
    std::vector<uint32> plays;
    for (const zw::TraceTick& tick : ticks) {
        if (tick.channels[channel].triggered)
            plays.push_back(tick.index);
    }
    return plays;
}

std::vector<int32>
IncreasingRows(int32 first, int32 last)
{
    std::vector<int32> rows;
    for (int32 row = first; row <= last; row++)
        rows.push_back(row);
    return rows;
}

}   // namespace


// Speed 1 (one Play per row from Play 6): E60 on row 8, E62 on row 15.
TEST(ExtendedEffects, PatternLoopPlaysTheRowsThreeTimes)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 3, "C-2", 1, 0xF, 0x01);
    SetCell(mod, 0, 8, 1, "", 0, 0xE, 0x60);
    SetCell(mod, 0, 15, 1, "", 0, 0xE, 0x62);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(38);

    std::vector<int32> expected = IncreasingRows(0, 15);
    for (int pass = 0; pass < 2; pass++) {
        std::vector<int32> again = IncreasingRows(8, 15);
        expected.insert(expected.end(), again.begin(), again.end());
    }
    expected.push_back(16);
    EXPECT_EQ(Rows(ticks, 5, 33), expected);
    EXPECT_FALSE(ticks.back().ended);
}


// Loops on two channels that overlap: rows 0-3 on channel 0, rows 2-5 on channel 1.
TEST(ExtendedEffects, PatternLoopsNestedAcrossChannels)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 3, "C-2", 1, 0xF, 0x01);
    SetCell(mod, 0, 0, 0, "", 0, 0xE, 0x60);
    SetCell(mod, 0, 3, 0, "", 0, 0xE, 0x61);
    SetCell(mod, 0, 2, 1, "", 0, 0xE, 0x60);
    SetCell(mod, 0, 5, 1, "", 0, 0xE, 0x61);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(24);
    EXPECT_EQ(Rows(ticks, 5, 19), (std::vector<int32>{
        0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 2, 3, 0, 1, 2, 3, 4, 5, 6 }));
}


// EE1 and E61 on one row: the delay plays out before the loop jumps, and the loop runs
// once more only. Rows: 0, 1, (1 repeated), 0, 1, (1), 2, 3.
TEST(ExtendedEffects, PatternDelayInsideALoopEnds)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 3, "C-2", 1, 0xF, 0x01);
    SetCell(mod, 0, 1, 0, "D-2", 1, 0xE, 0x61);
    SetCell(mod, 0, 1, 1, "", 0, 0xE, 0xE1);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(13);
    EXPECT_EQ(Rows(ticks, 5, 8), (std::vector<int32>{ 0, 1, 1, 0, 1, 1, 2, 3 }));
    EXPECT_EQ(TriggerPlays(ticks), (std::vector<uint32>{ 7, 10 }));
}


// Two E61 on one channel share its counter and loop for ever; the replay keeps playing
// inside the pattern and, after 4096 loop jumps in a pass, reports the song as ended.
TEST(ExtendedEffects, EndlessLoopIsReportedAsAnEnd)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 3, "C-2", 1, 0xF, 0x01);
    SetCell(mod, 0, 2, 0, "", 0, 0xE, 0x61);
    SetCell(mod, 0, 4, 0, "", 0, 0xE, 0x61);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    uint32 ends = 0;
    for (int t = 0; t < 25000; t++) {
        const zw::TraceTick& tick = song.Step();
        ends += tick.ended ? 1 : 0;
        ASSERT_LE(tick.row, 4);
        ASSERT_LE(tick.pos, 0);
    }
    EXPECT_EQ(ends, 1u);
}


// EE2 on row 1 at speed 6: row 1 is read on Play 12 and repeated on the row ticks of
// Plays 18 and 24 without its note; row 2 follows on Play 30.
TEST(ExtendedEffects, PatternDelayMakesTheRowThreeTimesAsLong)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x0, 0x00);
    SetCell(mod, 0, 1, 0, "D-2", 1, 0xE, 0xE2);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(30);
    for (int i = 11; i < 29; i++)
        EXPECT_EQ(ticks[i].row, 1) << "Play " << i + 1;
    EXPECT_EQ(ticks[17].tick, 0u);
    EXPECT_EQ(ticks[23].tick, 0u);
    EXPECT_EQ(ticks[29].row, 2);
    EXPECT_EQ(TriggerPlays(ticks), (std::vector<uint32>{ 6, 12 }));
}


// ED3: the note starts on tick 3 (Play 9); EC3 cuts the volume on tick 3. NoiseTracker
// ignores both, except that the delayed note never sounds.
TEST(ExtendedEffects, NoteDelayAndNoteCutOnTickThree)
{
    for (bool pro : { true, false }) {
        zw::ModWriter mod = pro ? ProTrackerModule() : NoiseTrackerModule();
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0xD3);
        SetCell(mod, 0, 0, 1, "C-2", 1, 0xE, 0xC3);
        Song song(mod.Build(), pro ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<zw::TraceTick> ticks = song.Record(12);
        EXPECT_EQ(TriggerPlays(ticks, 0), pro ? std::vector<uint32>{ 9 } : std::vector<uint32>{});
        if (pro) {
            EXPECT_EQ(ticks[8].channels[0].frequency, Hz(856));
        }
        EXPECT_EQ(TriggerPlays(ticks, 1), (std::vector<uint32>{ 6 }));
        EXPECT_EQ(ticks[7].channels[1].volume, 256u);
        EXPECT_EQ(ticks[8].channels[1].volume, pro ? 0u : 256u);
    }
}


// E93 at speed 6: with a note, ticks 0 (the note) and 3; without one, ticks 0 and 3.
TEST(ExtendedEffects, RetriggerEveryThirdTick)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0x93);
    SetCell(mod, 0, 1, 0, "", 0, 0xE, 0x93);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(17);
    EXPECT_EQ(TriggerPlays(ticks), (std::vector<uint32>{ 6, 9, 12, 15 }));
}


// E5x gives the note in its cell finetune x in every type: E51 plays C-2 at 850.
TEST(ExtendedEffects, FineTuneAppliesToTheNoteInItsCell)
{
    for (bool pro : { true, false }) {
        zw::ModWriter mod = pro ? ProTrackerModule() : NoiseTrackerModule();
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0x51);
        Song song(mod.Build(), pro ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(song.PlayTo(6).channels[0].frequency, Hz(850));
    }
}


// EA4 on volume 40 adds 4 once per row; from 62 it stops at 64. EB4 and E12/E22 act
// once per row as well. NoiseTracker ignores them all.
TEST(ExtendedEffects, FineSlidesOncePerRow)
{
    for (bool pro : { true, false }) {
        zw::ModWriter mod = pro ? ProTrackerModule() : NoiseTrackerModule();
        mod.SetSample(2, Ramp(64), 40);
        mod.SetSample(3, Ramp(64), 62);
        SetCell(mod, 0, 0, 0, "C-2", 2, 0xE, 0xA4);
        SetCell(mod, 0, 1, 0, "", 0, 0xE, 0xA4);
        SetCell(mod, 0, 0, 1, "C-2", 3, 0xE, 0xA4);
        SetCell(mod, 0, 0, 2, "C-2", 2, 0xE, 0x12);
        SetCell(mod, 0, 1, 2, "", 0, 0xE, 0x12);
        SetCell(mod, 0, 0, 3, "C-2", 3, 0xE, 0xB4);
        Song song(mod.Build(), pro ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<zw::TraceTick> ticks = song.Record(12);
        EXPECT_EQ(ticks[5].channels[0].volume, pro ? 44u * 4 : 40u * 4);
        EXPECT_EQ(ticks[10].channels[0].volume, pro ? 44u * 4 : 40u * 4);
        EXPECT_EQ(ticks[11].channels[0].volume, pro ? 48u * 4 : 40u * 4);
        EXPECT_EQ(ticks[5].channels[1].volume, pro ? 64u * 4 : 62u * 4);
        EXPECT_EQ(ticks[10].channels[2].frequency, Hz(pro ? 854 : 856));
        EXPECT_EQ(ticks[11].channels[2].frequency, Hz(pro ? 852 : 856));
        EXPECT_EQ(ticks[10].channels[3].volume, pro ? 58u * 4 : 62u * 4);
    }
}


// E31: the tone portamento from C-2 towards D-2 (762) at 4 a tick is heard in
// semitones (808, the first note at or above the sliding pitch) while the period
// slides on smoothly. E30 switches glissando off without touching the funk speed.
TEST(ExtendedEffects, GlissandoRoundsToSemitones)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0x31);
    SetCell(mod, 0, 1, 0, "D-2", 0, 0x3, 0x04);
    SetCell(mod, 0, 2, 0, "", 0, 0xE, 0xF5);
    SetCell(mod, 0, 3, 0, "", 0, 0xE, 0x30);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<uint32> heard;
    for (uint32 play = 12; play < 18; play++)
        heard.push_back(song.PlayTo(play).channels[0].frequency);
    EXPECT_EQ(heard, (std::vector<uint32>{ Hz(856), Hz(808), Hz(808), Hz(808), Hz(808), Hz(808) }));
    EXPECT_EQ(song.Player()->channels[0].period, 856 - 5 * 4);
    song.PlayTo(18);
    EXPECT_EQ(song.Player()->channels[0].glissFunk, 0x51);
    song.PlayTo(24);
    EXPECT_EQ(song.Player()->channels[0].glissFunk, 0x50);
}


// EFF on a sample whose loop is bytes 32..47: one loop byte inverted per tick, from 33
// on, none on the row ticks of the later rows, wrapping to 32 after 47.
//   Play  6..11: 33..38   Play 12: -   Play 13..17: 39..43   Play 18: -
//   Play 19..22: 44..47   Play 23: 32
TEST(ExtendedEffects, FunkInvertsOneLoopBytePerTick)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetSample(1, Ramp(64), 64, 16, 8);
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0xFF);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const int8* data = song.Player()->samples[0].data;
    std::vector<int8> original = Ramp(64);

    std::vector<int> expected(24, -1);
    for (int play = 6; play <= 11; play++)
        expected[play] = 33 + play - 6;
    for (int play = 13; play <= 17; play++)
        expected[play] = 39 + play - 13;
    for (int play = 19; play <= 22; play++)
        expected[play] = 44 + play - 19;
    expected[23] = 32;

    std::vector<int8> before = original;
    for (int play = 1; play <= 23; play++) {
        song.PlayTo(play);
        std::vector<int> changed;
        for (int i = 0; i < 64; i++) {
            if (data[i] != before[i])
                changed.push_back(i);
        }
        std::vector<int> want;
        if (expected[play] >= 0)
            want.push_back(expected[play]);
        EXPECT_EQ(changed, want) << "Play " << play;
        if (!changed.empty()) {
            EXPECT_EQ(data[changed[0]], int8(~before[changed[0]]));
        }
        before.assign(data, data + 64);
    }
}


// EF1 adds 5 a step: the 26th step (Play 35) is the first to invert a byte.
TEST(ExtendedEffects, SlowFunkInvertsEveryTwentySixthStep)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetSample(1, Ramp(64), 64, 16, 8);
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, 0xF1);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const int8* data = song.Player()->samples[0].data;
    std::vector<int8> original = Ramp(64);
    song.PlayTo(34);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), data));
    song.PlayTo(35);
    EXPECT_EQ(data[33], int8(~original[33]));
}


// Funk on a sample without data writes nothing; without a loop it stays in the sample.
TEST(ExtendedEffects, FunkStaysInsideItsSample)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetSample(2, {}, 64);
    mod.SetSample(3, Ramp(2), 64);
    SetCell(mod, 0, 0, 0, "C-2", 2, 0xE, 0xFF);
    SetCell(mod, 0, 0, 1, "C-2", 3, 0xE, 0xFF);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row = song.PlayTo(6);
    EXPECT_TRUE(row.channels[0].mute);
    EXPECT_FALSE(row.channels[0].triggered);
    // A sample without a loop keeps a one-word "loop" at its start: the steps flip
    // byte 1, then byte 0, and never leave its two bytes (the sanitizer build checks).
    const Sample& one = song.Player()->samples[2];
    ASSERT_EQ(one.length, 1);
    std::vector<int8> original = Ramp(2);
    EXPECT_EQ(one.data[0], original[0]);
    EXPECT_EQ(one.data[1], int8(~original[1]));
    song.PlayTo(7);
    EXPECT_EQ(one.data[0], int8(~original[0]));
    EXPECT_EQ(one.data[1], int8(~original[1]));
    song.PlayTo(400);
}
