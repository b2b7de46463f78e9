// Effects 0 to 13, tick by tick. Periods come from finetune row 0: C-2 856, D#2 720,
// E-2 678, G-2 570, C-1 1712, B-6 28.
#include "ReplayTest.h"

using namespace replaytest;

// One cell on channel 0, row 0, at speed 6: what the channel sends on the six ticks of
// row `row` (Play 6 + 6 * row on), and the period it keeps afterwards.
TEST(RowEffects, PitchEffects_OneCell_SendTheirPeriodsTickByTick)
{
    const struct
    {
        const char*         note;
        uint8               effect, param;
        uint32              row;
        std::vector<uint32> periods;
        uint16              periodAfter;
    } cases[] = {
        // 037: base, +3, +7, base, +3, +7 (tick 0 only re-sends); the base period stays.
        { "C-2", 0x0, 0x37, 0, { 856, 720, 570, 856, 720, 570 }, 856 },
        // At the top note there is nothing above: the steps stay on B-6.
        { "B-6", 0x0, 0xFF, 0, { 28, 28, 28, 28, 28, 28 }, 28 },
        // A cell of four zero bytes re-sends the base period, ending the arpeggio.
        { "C-2", 0x0, 0x37, 1, { 856, 856, 856, 856, 856, 856 }, 856 },
        // Portamento up and down clamp to the type's period limits without wrapping.
        { "B-2", 0x1, 0xFF, 0, { 453, 198, 113, 113, 113, 113 }, 113 },    // 453 - 255 < 113
        { "C-1", 0x2, 0xFF, 0, { 1712, 856, 856, 856, 856, 856 }, 856 },   // 1712 + 255 > 856
        // ProTracker slides only between rows (MultiTracker below slides on the row tick).
        { "C-2", 0x1, 0x10, 0, { 856, 840, 824, 808, 792, 776 }, 776 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
            << c.note << " " << int(c.effect) << int(c.param) << " row " << c.row);
        Song song(
            ProTrackerModule({ { 0, 0, 0, c.note, 1, c.effect, c.param } }), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<uint32> want;
        for (uint32 period : c.periods)
            want.push_back(Hz(period));
        EXPECT_EQ(song.RowFrequencies(6 + 6 * c.row), want);
        EXPECT_EQ(song.Player()->Replay().channels[0].period, c.periodAfter);
    }
}

// Row 1: E-2 with 340 slides from 856 by 64 per tick and stops at 678 on tick 3; on
// ticks 4 and 5 nothing more is sent, and the note never restarts. Row 2: C-2 with 300
// keeps speed 64 and slides back up.
TEST(RowEffects, TonePortamento_ReachesItsTarget_StopsThere)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0x0, 0x00 },
        { 0, 1, 0, "E-2", 1, 0x3, 0x40 }, { 0, 2, 0, "C-2", 0, 0x3, 0x00 } });
    Song          song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.RowFrequencies(12), Hz({ 856, 792, 728, 678, 678, 678 }));
    EXPECT_EQ(song.Player()->Replay().channels[0].wantedPeriod, 0);
    // Replay ticks 4 and 5 of row 1 to look at what was sent.
    Song                       again(mod, MODTYPE_PROTRACKER);
    std::vector<zw::TraceTick> ticks = again.Record(18);
    EXPECT_FALSE(ticks[11].channels[0].triggered);
    auto sent = [&](int i) { return (ticks[i].channels[0].told & RV_CHANNEL_FREQUENCY) != 0; };
    EXPECT_EQ(std::tuple(sent(14), sent(15), sent(16)), std::tuple(true, false, false));

    EXPECT_EQ(song.RowFrequencies(18), Hz({ 678, 742, 806, 856, 856, 856 }));
}

// Row 0 sets the waveform with the note, row 1 has 48F: speed 8 (position +32 a tick),
// depth 15; ticks 1..5 of row 1 have positions 0, 32, 64, 96, -128, row 2 (400)
// continues at -96. Deltas (a * 15) >> 7.
//   sine   a: 0 180 255 180 0 | 180 255 180 0 180 -> d 0 21 29 21 0 | 21 29 21 0 21
//   ramp   a: 0 64 128 192 255| 191 127 63 0 64   -> d 0 7 15 22 29 | 22 14 7 0 7
//   square d: 29 for every position (sign from the position)
TEST(RowEffects, Vibrato_EachWaveform_FollowsItsTable)
{
    struct Case
    {
        uint8               wave;
        std::vector<uint32> row0, row1;
    };
    std::vector<Case> cases = {
        { 0x40, Hz({ 856, 856, 877, 885, 877, 856 }), Hz({ 856, 835, 827, 835, 856, 877 }) },
        { 0x41, Hz({ 856, 856, 863, 871, 878, 827 }), Hz({ 856, 834, 842, 849, 856, 863 }) },
        { 0x42, Hz({ 856, 885, 885, 885, 885, 827 }), Hz({ 856, 827, 827, 827, 885, 885 }) },
        { 0x43, Hz({ 856, 885, 885, 885, 885, 827 }), Hz({ 856, 827, 827, 827, 885, 885 }) },
    };
    for (const Case& c : cases) {
        Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, c.wave },
                      { 0, 1, 0, "", 0, 0x4, 0x8F }, { 0, 2, 0, "", 0, 0x4, 0x00 } }),
            MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(song.RowFrequencies(12), c.row0) << int(c.wave);
        EXPECT_EQ(song.RowFrequencies(18), c.row1) << int(c.wave);
    }
}

// 4x0 and 40y change one half of the command each.
TEST(RowEffects, Vibrato_HalfAParameter_KeepsTheOtherHalf)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0x4, 0x8F }, { 0, 1, 0, "", 0, 0x4, 0x40 },
                  { 0, 2, 0, "", 0, 0x4, 0x03 } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    song.PlayTo(13);
    EXPECT_EQ(song.Player()->Replay().channels[0].vibratoCmd, 0x4F);
    song.PlayTo(19);
    EXPECT_EQ(song.Player()->Replay().channels[0].vibratoCmd, 0x43);
}

// Row 0 sets the waveform, row 1 has 784 on volume 32: speed 8, depth 4, deltas
// (a * 4) >> 6 on positions 0, 32, 64, 96, -128.
//   sine   a: 0 180 255 180 0   -> volume 32 43 47 43 32
//   ramp   a: 0 64 128 192 255  -> 32 36 40 44 17 (255 - 0 at -128: minus 15)
//   square a: 255               -> 47 47 47 47 17
// Tick 0 keeps the trigger's volume 32; the base volume never changes.
TEST(RowEffects, Tremolo_EachWaveform_FollowsItsTable)
{
    struct Case
    {
        uint8               wave;
        std::vector<uint32> volumes;
    };
    std::vector<Case> cases = {
        { 0x70, { 128, 128, 172, 188, 172, 128 } },
        { 0x71, { 128, 128, 144, 160, 176, 68 } },
        { 0x72, { 128, 188, 188, 188, 188, 68 } },
    };
    for (const Case& c : cases) {
        zw::ModWriter mod =
            ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, c.wave }, { 0, 1, 0, "", 0, 0x7, 0x84 } });
        mod.Sample(1).volume = 32;
        Song song(mod, MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(song.RowVolumes(12), c.volumes) << int(c.wave);
        EXPECT_EQ(song.Player()->Replay().channels[0].volume, 32);
    }
}

// E44 / E74 keep the vibrato / tremolo position over a new note; E40 / E70 let the note
// reset it. Row 1 (48F, 784) leaves the position at -96; the note on row 2 then starts
// at -96 (tremolo: a 180, minus 11) or at 0.
TEST(RowEffects, WaveControl_KeepBit_KeepsThePositionOverANewNote)
{
    for (uint8 control : { uint8(0x44), uint8(0x40) }) {
        Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, control },
                      { 0, 1, 0, "", 0, 0x4, 0x8F }, { 0, 2, 0, "C-2", 1, 0x4, 0x00 } }),
            MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<uint32> expected = control == 0x44 ? Hz({ 856, 835, 827, 835, 856, 877 })
                                                       : Hz({ 856, 856, 877, 885, 877, 856 });
        EXPECT_EQ(song.RowFrequencies(18), expected) << int(control);
    }
    for (uint8 control : { uint8(0x74), uint8(0x70) }) {
        zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xE, control },
            { 0, 1, 0, "", 0, 0x7, 0x84 }, { 0, 2, 0, "C-2", 1, 0x7, 0x00 } });
        mod.Sample(1).volume = 32;
        Song song(mod, MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        uint32 expected = control == 0x74 ? (32 - 11) * 4 : 32 * 4;
        EXPECT_EQ(song.PlayTo(19).channels[0].volume, expected) << int(control);
    }
}

// A0F from 10 reaches 0 on tick 1; AF0 from 60 reaches 64; both given: up wins. C41 is
// full volume, C00 silence, and a sample volume above 64 is sent as 64, also after a
// slide up.
TEST(RowEffects, Volume_SlidesAndSettings_StayWithinSilenceAndFull)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 2, 0xA, 0x0F },
        { 0, 0, 1, "C-2", 3, 0xA, 0xF0 }, { 0, 0, 2, "C-2", 3, 0xA, 0x21 } });
    mod.SetSample(2, Ramp(64), 10);
    mod.SetSample(3, Ramp(64), 60);
    Song slides(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(slides.Loaded());
    std::vector<zw::TraceTick> ticks = slides.Record(9);
    EXPECT_EQ(
        std::tuple(ticks[5].channels[0].volume, ticks[6].channels[0].volume,
            ticks[6].channels[1].volume, ticks[6].channels[2].volume, ticks[7].channels[2].volume),
        std::tuple(40u, 0u, 256u, 62u * 4, 64u * 4));

    zw::ModWriter set =
        ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xC, 0x41 }, { 0, 0, 1, "C-2", 1, 0xC, 0x00 },
            { 0, 0, 2, "C-2", 2, 0x0, 0x00 }, { 0, 1, 2, "", 0, 0xA, 0xF0 } });
    set.SetSample(2, Ramp(64), 200);
    Song song(set, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row = song.PlayTo(6);
    EXPECT_EQ(std::tuple(row.channels[0].volume, row.channels[1].volume, row.channels[2].volume),
        std::tuple(256u, 0u, 256u));
    EXPECT_EQ(song.PlayTo(13).channels[2].volume, 256u);
}

// 9xx: 901 starts 256 bytes in; 900 re-uses it; past a looped sample the note starts at
// the loop; past a sample without loop it plays its one-word "loop" at the start.
TEST(RowEffects, SampleOffset_InsideAndPastTheSample_StartsWhereItCan)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0x9, 0x01 },
        { 0, 1, 0, "C-2", 1, 0x9, 0x00 }, { 0, 0, 1, "C-2", 2, 0x9, 0x04 },
        { 0, 0, 2, "C-2", 1, 0x9, 0x02 } });   // sample 1: 256 words
    mod.SetSample(2, Ramp(512), 64, 64, 64);   // loop words 64..127
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row0 = song.PlayTo(6);
    EXPECT_EQ(std::tuple(row0.channels[0].start, row0.channels[0].length), std::tuple(256u, 512u));
    EXPECT_EQ(Voice(row0.channels[1]), std::tuple(true, 128u, 128u, true, 0u, 128u));
    const zw::TraceChannel& past = row0.channels[2];
    EXPECT_EQ(std::tuple(past.triggered, past.start, past.length), std::tuple(true, 0u, 2u));
    EXPECT_EQ(song.PlayTo(12).channels[0].start, 256u);
}

// MultiTracker slides on the row tick as well (ProTracker only between rows, above), and
// its pan 15 reaches the voice as 240.
TEST(RowEffects, MultiTracker_Portamento_SlidesOnTheRowTick)
{
    zw::MtmWriter mtm(4, 64);
    mtm.SetSample(1, std::vector<uint8>(512, 128), 64);
    mtm.Row(1, 0) = { zw::MtmNote("C-2"), 1, 0x1, 0x10 };
    mtm.Sequence(0, 0) = 1;
    mtm.pan[0] = 15;
    mtm.SetPositions({ 0 });
    Song song(mtm.Build(), MODTYPE_MULTITRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.RowFrequencies(6), Hz({ 840, 824, 808, 792, 776, 760 }));
    Song again(mtm.Build(), MODTYPE_MULTITRACKER);
    EXPECT_EQ(again.PlayTo(6).channels[0].panning, 240u);
}
