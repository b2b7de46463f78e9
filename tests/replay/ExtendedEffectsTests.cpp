// Effect 14: pattern loops and delays, note delay, cut and retrigger, fine slides,
// finetune, glissando and the funk effect.
#include "ReplayTest.h"

using namespace replaytest;

namespace {

std::vector<int32>
IncreasingRows(int32 first, int32 last)
{
    std::vector<int32> rows;
    for (int32 row = first; row <= last; row++)
        rows.push_back(row);
    return rows;
}

}   // namespace

// Songs at speed 1 (F01 on channel 3 of row 0: one Play per row from Play 6): the rows
// read from Play 6 on, and the Plays on which channel 0 started a note.
TEST(ExtendedEffects, PatternLoop_LoopsAndDelays_PlayTheRowsInOrder)
{
    std::vector<int32> threeTimes = IncreasingRows(0, 15);
    for (int pass = 0; pass < 2; pass++) {
        std::vector<int32> again = IncreasingRows(8, 15);
        threeTimes.insert(threeTimes.end(), again.begin(), again.end());
    }
    threeTimes.push_back(16);
    struct Case
    {
        const char*         what;
        std::vector<At>     cells;
        std::vector<int32>  rows;
        std::vector<uint32> triggers;
    };
    const Case cases[] = {
        { "E60 on row 8, E62 on row 15: rows 8-15 three times",
            { { 0, 8, 1, "", 0, 0xE, 0x60 }, { 0, 15, 1, "", 0, 0xE, 0x62 } }, threeTimes, {} },
        { "overlapping loops: rows 0-3 on channel 0, rows 2-5 on channel 1",
            { { 0, 0, 0, "", 0, 0xE, 0x60 }, { 0, 3, 0, "", 0, 0xE, 0x61 },
                { 0, 2, 1, "", 0, 0xE, 0x60 }, { 0, 5, 1, "", 0, 0xE, 0x61 } },
            { 0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 2, 3, 0, 1, 2, 3, 4, 5, 6 }, {} },
        // The delay plays out before the loop jumps, and the loop runs once more only.
        { "EE1 and E61 on one row: 0, 1, (1), 0, 1, (1), 2, 3",
            { { 0, 1, 0, "D-2", 1, 0xE, 0x61 }, { 0, 1, 1, "", 0, 0xE, 0xE1 } },
            { 0, 1, 1, 0, 1, 1, 2, 3 }, { 7, 10 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zw::ModWriter mod = ProTrackerModule({ { 0, 0, 3, "C-2", 1, 0xF, 0x01 } });
        for (const At& cell : c.cells)
            SetCells(mod, { cell });
        Song song(mod, MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<zw::TraceTick> ticks = song.Record(uint32(5 + c.rows.size()));
        EXPECT_EQ(Rows(ticks, 5, c.rows.size()), c.rows);
        EXPECT_EQ(TriggerPlays(ticks), c.triggers);
        EXPECT_TRUE(EndTicks(ticks).empty());
    }
}

// Two E61 on one channel share its counter and loop for ever; the replay keeps playing
// inside the pattern and, after 4096 loop jumps in a pass, reports the song as ended.
TEST(ExtendedEffects, PatternLoop_Endless_IsReportedAsAnEnd)
{
    Song song(ProTrackerModule({ { 0, 0, 3, "C-2", 1, 0xF, 0x01 }, { 0, 2, 0, "", 0, 0xE, 0x61 },
                  { 0, 4, 0, "", 0, 0xE, 0x61 } }),
        MODTYPE_PROTRACKER);
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
TEST(ExtendedEffects, PatternDelay_Two_MakesTheRowThreeTimesAsLong)
{
    Song song(
        ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0x0, 0x00 }, { 0, 1, 0, "D-2", 1, 0xE, 0xE2 } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(30);
    for (int i = 11; i < 29; i++)
        EXPECT_EQ(ticks[i].row, 1) << "Play " << i + 1;
    EXPECT_EQ(ticks[17].tick, 0u);
    EXPECT_EQ(ticks[23].tick, 0u);
    EXPECT_EQ(ticks[29].row, 2);
    EXPECT_EQ(TriggerPlays(ticks), (std::vector<uint32> { 6, 12 }));
}

// ED3: the note starts on tick 3 (Play 9); EC3 cuts the volume on tick 3; E51 plays C-2
// at 850 in every type. NoiseTracker ignores delay and cut, except that the delayed
// note never sounds.
TEST(ExtendedEffects, NoteDelayCutAndFineTune_ProTrackerAndNoiseTracker_ActAsTheTypeDoes)
{
    for (bool pro : { true, false }) {
        SCOPED_TRACE(pro ? "ProTracker" : "NoiseTracker");
        std::initializer_list<At> cells = { { 0, 0, 0, "C-2", 1, 0xE, 0xD3 },
            { 0, 0, 1, "C-2", 1, 0xE, 0xC3 }, { 0, 0, 2, "C-2", 1, 0xE, 0x51 } };
        Song                      song(pro ? ProTrackerModule(cells) : NoiseTrackerModule(cells),
            pro ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER, Song::Forced {});
        ASSERT_TRUE(song.Loaded());
        std::vector<zw::TraceTick> ticks = song.Record(12);
        EXPECT_EQ(TriggerPlays(ticks, 0), pro ? std::vector<uint32> { 9 } : std::vector<uint32> {});
        if (pro) {
            EXPECT_EQ(ticks[8].channels[0].frequency, Hz(856));
        }
        EXPECT_EQ(TriggerPlays(ticks, 1), (std::vector<uint32> { 6 }));
        EXPECT_EQ(ticks[7].channels[1].volume, 256u);
        EXPECT_EQ(ticks[8].channels[1].volume, pro ? 0u : 256u);
        EXPECT_EQ(ticks[5].channels[2].frequency, Hz(850));
    }
}

// E93 at speed 6: with a note, ticks 0 (the note) and 3; without one, ticks 0 and 3.
TEST(ExtendedEffects, Retrigger_E93_RestartsEveryThirdTick)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, 0x93 }, { 0, 1, 0, "", 0, 0xE, 0x93 } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(TriggerPlays(song.Record(17)), (std::vector<uint32> { 6, 9, 12, 15 }));
}

// EA4 on volume 40 adds 4 once per row; from 62 it stops at 64. EB4 and E12/E22 act
// once per row as well. NoiseTracker ignores them all.
TEST(ExtendedEffects, FineSlides_ProTracker_ActOncePerRow)
{
    for (bool pro : { true, false }) {
        std::initializer_list<At> cells = { { 0, 0, 0, "C-2", 2, 0xE, 0xA4 },
            { 0, 1, 0, "", 0, 0xE, 0xA4 }, { 0, 0, 1, "C-2", 3, 0xE, 0xA4 },
            { 0, 0, 2, "C-2", 2, 0xE, 0x12 }, { 0, 1, 2, "", 0, 0xE, 0x12 },
            { 0, 0, 3, "C-2", 3, 0xE, 0xB4 } };
        zw::ModWriter             mod = pro ? ProTrackerModule(cells) : NoiseTrackerModule(cells);
        mod.SetSample(2, Ramp(64), 40);
        mod.SetSample(3, Ramp(64), 62);
        Song song(mod, pro ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER, Song::Forced {});
        ASSERT_TRUE(song.Loaded());
        std::vector<zw::TraceTick> ticks = song.Record(12);
        auto volume = [&](int i, int c) { return uint32(ticks[i].channels[c].volume); };
        EXPECT_EQ(
            std::tuple(volume(5, 0), volume(10, 0), volume(11, 0), volume(5, 1), volume(10, 3)),
            pro ? std::tuple(44u * 4, 44u * 4, 48u * 4, 64u * 4, 58u * 4)
                : std::tuple(40u * 4, 40u * 4, 40u * 4, 62u * 4, 62u * 4));
        EXPECT_EQ(std::tuple(ticks[10].channels[2].frequency, ticks[11].channels[2].frequency),
            std::tuple(Hz(pro ? 854 : 856), Hz(pro ? 852 : 856)));
    }
}

// E31: the tone portamento from C-2 towards D-2 (762) at 4 a tick is heard in
// semitones (808, the first note at or above the sliding pitch) while the period
// slides on smoothly. E30 switches glissando off without touching the funk speed.
TEST(ExtendedEffects, Glissando_On_RoundsToSemitones)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, 0x31 }, { 0, 1, 0, "D-2", 0, 0x3, 0x04 },
                  { 0, 2, 0, "", 0, 0xE, 0xF5 }, { 0, 3, 0, "", 0, 0xE, 0x30 } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.RowFrequencies(12), Hz({ 856, 808, 808, 808, 808, 808 }));
    EXPECT_EQ(song.Player()->Replay().channels[0].period, 856 - 5 * 4);
    song.PlayTo(18);
    EXPECT_EQ(song.Player()->Replay().channels[0].glissFunk, 0x51);
    song.PlayTo(24);
    EXPECT_EQ(song.Player()->Replay().channels[0].glissFunk, 0x50);
}

// EFF on a sample whose loop is bytes 32..47: one loop byte inverted per tick, from 33
// on, none on the row ticks of the later rows, wrapping to 32 after 47.
//   Play  6..11: 33..38   Play 12: -   Play 13..17: 39..43   Play 18: -
//   Play 19..22: 44..47   Play 23: 32
TEST(ExtendedEffects, Funk_FastestSpeed_InvertsOneLoopBytePerTick)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, 0xFF } });
    mod.SetSample(1, Ramp(64), 64, 16, 8);
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const int8* data = song.Player()->Module().samples[0].data;

    std::vector<int> expected(24, -1);
    for (int play = 6; play <= 11; play++)
        expected[play] = 33 + play - 6;
    for (int play = 13; play <= 17; play++)
        expected[play] = 39 + play - 13;
    for (int play = 19; play <= 22; play++)
        expected[play] = 44 + play - 19;
    expected[23] = 32;

    std::vector<int8> before = Ramp(64);
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
TEST(ExtendedEffects, Funk_SlowestSpeed_InvertsOnTheTwentySixthStep)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, 0xF1 } });
    mod.SetSample(1, Ramp(64), 64, 16, 8);
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const int8*       data = song.Player()->Module().samples[0].data;
    std::vector<int8> original = Ramp(64);
    song.PlayTo(34);
    EXPECT_TRUE(std::equal(original.begin(), original.end(), data));
    song.PlayTo(35);
    EXPECT_EQ(data[33], int8(~original[33]));
}

// Funk on a sample without data writes nothing; without a loop it stays in the sample.
TEST(ExtendedEffects, Funk_EmptyOrUnloopedSample_StaysInsideTheSample)
{
    zw::ModWriter mod =
        ProTrackerModule({ { 0, 0, 0, "C-2", 2, 0xE, 0xFF }, { 0, 0, 1, "C-2", 3, 0xE, 0xFF } });
    mod.SetSample(2, {}, 64);
    mod.SetSample(3, Ramp(2), 64);
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row = song.PlayTo(6);
    EXPECT_TRUE(row.channels[0].mute);
    EXPECT_FALSE(row.channels[0].triggered);
    // A sample without a loop keeps a one-word "loop" at its start: the steps flip
    // byte 1, then byte 0, and never leave its two bytes (the sanitizer build checks).
    const Sample& one = song.Player()->Module().samples[2];
    ASSERT_EQ(one.length, 1);
    std::vector<int8> original = Ramp(2);
    EXPECT_EQ(one.data[0], original[0]);
    EXPECT_EQ(one.data[1], int8(~original[1]));
    song.PlayTo(7);
    EXPECT_EQ(one.data[0], int8(~original[0]));
    EXPECT_EQ(one.data[1], int8(~original[1]));
    song.PlayTo(400);
}

// The LED filter is off at the start; E00 (any even x) puts it in, E01 takes it out, in
// ProTracker. Types 0 to 3 leave it off, and a new start clears it.
TEST(ExtendedEffects, Filter_E00AndE01_SwitchTheLedInProTrackerOnly)
{
    std::initializer_list<At> cells = { { 0, 1, 0, "", 0, 0xE, 0x00 },
        { 0, 2, 1, "", 0, 0xE, 0x01 }, { 0, 3, 2, "", 0, 0xE, 0x02 } };
    const struct
    {
        zw::ModWriter mod;
        uint32        type;
        bool          switches;
    } songs[] = { { ProTrackerModule(cells), MODTYPE_PROTRACKER, true },
        { NoiseTrackerModule(cells), MODTYPE_NOISETRACKER, false },
        { SoundTracker15Module(cells), MODTYPE_SOUNDTRACKER15, false } };
    for (const auto& s : songs) {
        SCOPED_TRACE(s.type);
        Song song(s.mod, s.type);
        ASSERT_TRUE(song.Loaded());
        std::vector<bool> led;
        for (uint32 row = 0; row < 4; row++) {
            song.PlayTo((row + 1) * 6);   // the row's last tick
            led.push_back(song.Player()->ledFilter);
        }
        const std::vector<bool> expected = s.switches
            ? std::vector<bool> { false, true, false, true }
            : std::vector<bool>(4, false);
        EXPECT_EQ(led, expected);
        song.Player()->InitSound(0);
        EXPECT_FALSE(song.Player()->ledFilter);
    }
}
