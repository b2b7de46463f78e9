// Effects 0 to 13, tick by tick. Periods come from finetune row 0: C-2 856, D#2 720,
// E-2 678, G-2 570, C-1 1712, B-6 28.
#include "ReplayTest.h"

using namespace replaytest;

namespace {

// Frequencies of channel 0 on the six ticks of the row read on Play `rowPlay`.
std::vector<uint32>
RowFrequencies(Song& song, uint32 rowPlay, int channel = 0)
{
    std::vector<uint32> result;
    for (uint32 play = rowPlay; play < rowPlay + 6; play++)
        result.push_back(song.PlayTo(play).channels[channel].frequency);
    return result;
}

std::vector<uint32>
RowVolumes(Song& song, uint32 rowPlay)
{
    std::vector<uint32> result;
    for (uint32 play = rowPlay; play < rowPlay + 6; play++)
        result.push_back(song.PlayTo(play).channels[0].volume);
    return result;
}

std::vector<uint32>
Hz(std::initializer_list<uint32> periods)
{
    std::vector<uint32> result;
    for (uint32 period : periods)
        result.push_back(replaytest::Hz(period));
    return result;
}

}   // namespace


// 037 at speed 6, ticks 0..5: base, +3, +7, base, +3, +7 (tick 0 only re-sends).
TEST(RowEffects, ArpeggioSteps)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x0, 0x37);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(RowFrequencies(song, 6), Hz({ 856, 720, 570, 856, 720, 570 }));
}


// At the top note there is nothing above: the steps stay on B-6.
TEST(RowEffects, ArpeggioStopsAtTheLastNote)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "B-6", 1, 0x0, 0xFF);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(RowFrequencies(song, 6), Hz({ 28, 28, 28, 28, 28, 28 }));
}


// Row 1: E-2 with 340 slides from 856 by 64 per tick and stops at 678 on tick 3; on
// ticks 4 and 5 nothing more is sent, and the note never restarts. Row 2: C-2 with 300
// keeps speed 64 and slides back up.
TEST(RowEffects, TonePortamentoStopsAtItsTarget)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x0, 0x00);
    SetCell(mod, 0, 1, 0, "E-2", 1, 0x3, 0x40);
    SetCell(mod, 0, 2, 0, "C-2", 0, 0x3, 0x00);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());

    EXPECT_EQ(RowFrequencies(song, 12), Hz({ 856, 792, 728, 678, 678, 678 }));
    EXPECT_EQ(song.Player()->channels[0].wantedPeriod, 0);
    // Replay ticks 4 and 5 of row 1 to look at what was sent.
    Song again(mod.Build(), MODTYPE_PROTRACKER);
    std::vector<zw::TraceTick> ticks = again.Record(18);
    EXPECT_FALSE(ticks[11].channels[0].triggered);
    EXPECT_NE(ticks[14].channels[0].told & RV_CHANNEL_FREQUENCY, 0u);
    EXPECT_EQ(ticks[15].channels[0].told & RV_CHANNEL_FREQUENCY, 0u);
    EXPECT_EQ(ticks[16].channels[0].told & RV_CHANNEL_FREQUENCY, 0u);

    EXPECT_EQ(RowFrequencies(song, 18), Hz({ 678, 742, 806, 856, 856, 856 }));
}


// Portamento up and down clamp to the type's period limits without wrapping.
TEST(RowEffects, PortamentoClampsToThePeriodLimits)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "B-2", 1, 0x1, 0xFF);     // 453 - 255 < 113
    SetCell(mod, 0, 0, 1, "C-1", 1, 0x2, 0xFF);     // 1712 + 255 > 856
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(RowFrequencies(song, 6, 0), Hz({ 453, 198, 113, 113, 113, 113 }));
    EXPECT_EQ(song.Player()->channels[0].period, 113);
    Song down(mod.Build(), MODTYPE_PROTRACKER);
    EXPECT_EQ(RowFrequencies(down, 6, 1), Hz({ 1712, 856, 856, 856, 856, 856 }));
}


// Row 0 sets the waveform with the note, row 1 has 48F: speed 8 (position +32 a tick),
// depth 15; ticks 1..5 of row 1 have positions 0, 32, 64, 96, -128, row 2 (400)
// continues at -96. Deltas (a * 15) >> 7.
//   sine   a: 0 180 255 180 0 | 180 255 180 0 180 -> d 0 21 29 21 0 | 21 29 21 0 21
//   ramp   a: 0 64 128 192 255| 191 127 63 0 64   -> d 0 7 15 22 29 | 22 14 7 0 7
//   square d: 29 for every position (sign from the position)
TEST(RowEffects, VibratoWaveforms)
{
    struct Case { uint8 wave; std::vector<uint32> row0, row1; };
    std::vector<Case> cases = {
        { 0x40, Hz({ 856, 856, 877, 885, 877, 856 }), Hz({ 856, 835, 827, 835, 856, 877 }) },
        { 0x41, Hz({ 856, 856, 863, 871, 878, 827 }), Hz({ 856, 834, 842, 849, 856, 863 }) },
        { 0x42, Hz({ 856, 885, 885, 885, 885, 827 }), Hz({ 856, 827, 827, 827, 885, 885 }) },
        { 0x43, Hz({ 856, 885, 885, 885, 885, 827 }), Hz({ 856, 827, 827, 827, 885, 885 }) },
    };
    for (const Case& c : cases) {
        zw::ModWriter mod = ProTrackerModule();
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, c.wave);
        SetCell(mod, 0, 1, 0, "", 0, 0x4, 0x8F);
        SetCell(mod, 0, 2, 0, "", 0, 0x4, 0x00);
        Song song(mod.Build(), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(RowFrequencies(song, 12), c.row0) << int(c.wave);
        EXPECT_EQ(RowFrequencies(song, 18), c.row1) << int(c.wave);
    }
}


// 4x0 and 40y change one half of the command each.
TEST(RowEffects, VibratoKeepsTheHalfNotGiven)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x4, 0x8F);
    SetCell(mod, 0, 1, 0, "", 0, 0x4, 0x40);
    SetCell(mod, 0, 2, 0, "", 0, 0x4, 0x03);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    song.PlayTo(13);
    EXPECT_EQ(song.Player()->channels[0].vibratoCmd, 0x4F);
    song.PlayTo(19);
    EXPECT_EQ(song.Player()->channels[0].vibratoCmd, 0x43);
}


// E44 keeps the vibrato position over a new note; E40 lets the note reset it. Row 1
// (48F) leaves the position at -96; the note on row 2 then starts at -96 or at 0.
TEST(RowEffects, VibratoPositionKeptOnNewNotes)
{
    for (uint8 control : { uint8(0x44), uint8(0x40) }) {
        zw::ModWriter mod = ProTrackerModule();
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, control);
        SetCell(mod, 0, 1, 0, "", 0, 0x4, 0x8F);
        SetCell(mod, 0, 2, 0, "C-2", 1, 0x4, 0x00);
        Song song(mod.Build(), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        std::vector<uint32> expected = control == 0x44
            ? Hz({ 856, 835, 827, 835, 856, 877 }) : Hz({ 856, 856, 877, 885, 877, 856 });
        EXPECT_EQ(RowFrequencies(song, 18), expected) << int(control);
    }
}


// Row 0 sets the waveform, row 1 has 784 on volume 32: speed 8, depth 4, deltas
// (a * 4) >> 6 on positions 0, 32, 64, 96, -128.
//   sine   a: 0 180 255 180 0   -> volume 32 43 47 43 32
//   ramp   a: 0 64 128 192 255  -> 32 36 40 44 17 (255 - 0 at -128: minus 15)
//   square a: 255               -> 47 47 47 47 17
// Tick 0 keeps the trigger's volume 32; the base volume never changes.
TEST(RowEffects, TremoloWaveforms)
{
    struct Case { uint8 wave; std::vector<uint32> volumes; };
    std::vector<Case> cases = {
        { 0x70, { 128, 128, 172, 188, 172, 128 } },
        { 0x71, { 128, 128, 144, 160, 176, 68 } },
        { 0x72, { 128, 188, 188, 188, 188, 68 } },
    };
    for (const Case& c : cases) {
        zw::ModWriter mod = ProTrackerModule();
        mod.Sample(1).volume = 32;
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, c.wave);
        SetCell(mod, 0, 1, 0, "", 0, 0x7, 0x84);
        Song song(mod.Build(), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        EXPECT_EQ(RowVolumes(song, 12), c.volumes) << int(c.wave);
        EXPECT_EQ(song.Player()->channels[0].volume, 32);
    }
}


// E74 keeps the tremolo position over a new note (row 2 starts at -96: a 180, minus 11).
TEST(RowEffects, TremoloPositionKeptOnNewNotes)
{
    for (uint8 control : { uint8(0x74), uint8(0x70) }) {
        zw::ModWriter mod = ProTrackerModule();
        mod.Sample(1).volume = 32;
        SetCell(mod, 0, 0, 0, "C-2", 1, 0xE, control);
        SetCell(mod, 0, 1, 0, "", 0, 0x7, 0x84);
        SetCell(mod, 0, 2, 0, "C-2", 1, 0x7, 0x00);
        Song song(mod.Build(), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        uint32 expected = control == 0x74 ? (32 - 11) * 4 : 32 * 4;
        EXPECT_EQ(song.PlayTo(19).channels[0].volume, expected) << int(control);
    }
}


// A0F from 10 reaches 0 on tick 1; AF0 from 60 reaches 64; both given: up wins.
TEST(RowEffects, VolumeSlideClamps)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetSample(2, Ramp(64), 10);
    mod.SetSample(3, Ramp(64), 60);
    SetCell(mod, 0, 0, 0, "C-2", 2, 0xA, 0x0F);
    SetCell(mod, 0, 0, 1, "C-2", 3, 0xA, 0xF0);
    SetCell(mod, 0, 0, 2, "C-2", 3, 0xA, 0x21);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(9);
    EXPECT_EQ(ticks[5].channels[0].volume, 40u);
    EXPECT_EQ(ticks[6].channels[0].volume, 0u);
    EXPECT_EQ(ticks[6].channels[1].volume, 256u);
    EXPECT_EQ(ticks[6].channels[2].volume, 62u * 4);
    EXPECT_EQ(ticks[7].channels[2].volume, 64u * 4);
}


// C41 is full volume, C00 silence, and a sample volume above 64 is sent as 64.
TEST(RowEffects, VolumeNeverAboveFull)
{
    zw::ModWriter mod = ProTrackerModule();
    mod.SetSample(2, Ramp(64), 200);
    SetCell(mod, 0, 0, 0, "C-2", 1, 0xC, 0x41);
    SetCell(mod, 0, 0, 1, "C-2", 1, 0xC, 0x00);
    SetCell(mod, 0, 0, 2, "C-2", 2, 0x0, 0x00);
    SetCell(mod, 0, 1, 2, "", 0, 0xA, 0xF0);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row = song.PlayTo(6);
    EXPECT_EQ(row.channels[0].volume, 256u);
    EXPECT_EQ(row.channels[1].volume, 0u);
    EXPECT_EQ(row.channels[2].volume, 256u);
    EXPECT_EQ(song.PlayTo(13).channels[2].volume, 256u);
}


// 9xx: 901 starts 256 bytes in; 900 re-uses it; past a looped sample the note starts at
// the loop; past a sample without loop it plays its one-word "loop" at the start.
TEST(RowEffects, SampleOffset)
{
    zw::ModWriter mod = ProTrackerModule();                 // sample 1: 256 words
    mod.SetSample(2, Ramp(512), 64, 64, 64);                // loop words 64..127
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x9, 0x01);
    SetCell(mod, 0, 1, 0, "C-2", 1, 0x9, 0x00);
    SetCell(mod, 0, 0, 1, "C-2", 2, 0x9, 0x04);
    SetCell(mod, 0, 0, 2, "C-2", 1, 0x9, 0x02);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& row0 = song.PlayTo(6);
    EXPECT_EQ(row0.channels[0].start, 256u);
    EXPECT_EQ(row0.channels[0].length, 512u);
    EXPECT_TRUE(row0.channels[1].triggered);
    EXPECT_EQ(row0.channels[1].start, 128u);
    EXPECT_EQ(row0.channels[1].length, 128u);
    EXPECT_TRUE(row0.channels[1].looping);
    EXPECT_EQ(row0.channels[1].loopStart, 0u);
    EXPECT_EQ(row0.channels[1].loopLength, 128u);
    EXPECT_TRUE(row0.channels[2].triggered);
    EXPECT_EQ(row0.channels[2].start, 0u);
    EXPECT_EQ(row0.channels[2].length, 2u);
    EXPECT_EQ(song.PlayTo(12).channels[0].start, 256u);
}


// MultiTracker slides on the row tick as well; ProTracker only between rows.
TEST(RowEffects, MultiTrackerSlidesOnTheRowTick)
{
    zw::MtmWriter mtm(4, 64);
    mtm.SetSample(1, std::vector<uint8>(512, 128), 64);
    mtm.Row(1, 0) = { zw::MtmNote("C-2"), 1, 0x1, 0x10 };
    mtm.Sequence(0, 0) = 1;
    mtm.pan[0] = 15;
    mtm.SetPositions({ 0 });
    Song song(mtm.Build(), MODTYPE_MULTITRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(RowFrequencies(song, 6), Hz({ 840, 824, 808, 792, 776, 760 }));
    Song again(mtm.Build(), MODTYPE_MULTITRACKER);
    EXPECT_EQ(again.PlayTo(6).channels[0].panning, 240u);

    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x1, 0x10);
    Song pro(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(pro.Loaded());
    EXPECT_EQ(RowFrequencies(pro, 6), Hz({ 856, 840, 824, 808, 792, 776 }));
}


// A cell of four zero bytes re-sends the base period, ending an arpeggio.
TEST(RowEffects, EmptyCellRestoresThePeriod)
{
    zw::ModWriter mod = ProTrackerModule();
    SetCell(mod, 0, 0, 0, "C-2", 1, 0x0, 0x37);
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.PlayTo(11).channels[0].frequency, Hz(570));
    EXPECT_EQ(RowFrequencies(song, 12), Hz({ 856, 856, 856, 856, 856, 856 }));
}
