// Ticks, rows and positions: when rows are read, where the song goes next, when it ends.
#include "ReplayTest.h"

using namespace replaytest;

// Speed 6: counter runs 1..5 on Plays 1..5, the row tick (counter 0) is Play 6.
//   Play  1..5 : no row yet; the tick dispatcher re-sends period 0 (frequency 0)
//   Play  6    : pos 0 row 0 tick 0, C-2 (856) triggers sample 1, 4143 Hz, volume 256
//   Play  7..11: ticks 1..5 of row 0
//   Play 12    : row 1
TEST(ReplayDriver, Play_FirstTicks_ReadTheFirstRowOnTheSixth)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0, 0 } }), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(12);

    for (int i = 0; i < 5; i++) {
        const zw::TraceChannel& ch = ticks[i].channels[0];
        EXPECT_EQ(ticks[i].row, -1) << "Play " << i + 1;
        EXPECT_EQ(ticks[i].tick, uint32(i + 1));
        EXPECT_FALSE(ch.triggered);
        EXPECT_EQ(ch.told, uint32(RV_CHANNEL_FREQUENCY));
        EXPECT_EQ(ch.frequency, 0u);
        EXPECT_TRUE(ch.mute);
    }
    const zw::TraceChannel& first = ticks[5].channels[0];
    EXPECT_EQ(Where(ticks[5]), std::tuple(0, 0, 0u, 6u, 125u));
    EXPECT_EQ(std::tuple(first.triggered, first.sample, first.start, first.length, first.looping),
        std::tuple(true, 1u, 0u, 512u, false));
    EXPECT_EQ(
        std::tuple(first.frequency, first.volume, first.mute), std::tuple(4143u, 256u, false));
    for (int i = 6; i < 11; i++) {
        EXPECT_EQ(Where(ticks[i]), std::tuple(0, 0, uint32(i - 5), 6u, 125u));
        EXPECT_FALSE(ticks[i].channels[0].triggered);
    }
    EXPECT_EQ(Where(ticks[11]), std::tuple(0, 1, 0u, 6u, 125u));
}

// Each song at speed 1 (F01 on the first row: one Play per row from Play 6) ends on the
// Plays listed, once per pass: on the row tick after the song's last row, before the
// next row is read.
TEST(ReplayDriver, ModuleEnds_EachPass_OnceAtTheEndOfTheListOrAJumpBack)
{
    // Two positions of 64 rows: the last row of the song is read on Play 6 + 127 = 133,
    // and the song ends on 134, which reads row 0 again; the second pass ends on 262.
    Song list(ProTrackerModule(
                  { { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 1, 63, 0, "D-2", 1, 0, 0 } }, { 0, 1 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(list.Loaded());
    std::vector<zw::TraceTick> ticks = list.Record(300);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 134, 262 }));
    EXPECT_EQ(Where(ticks[132]), std::tuple(1, 63, 0u, 1u, 125u));
    EXPECT_EQ(Where(ticks[133]), std::tuple(0, 0, 0u, 1u, 125u));
    EXPECT_EQ(list.Player()->GetSongPosition(), 0);

    // B00 on the first row of the fourth position: the jump back ends each pass, the end
    // of the list is never reached. Row 0 of position 3 is read on Play 6 + 192 = 198;
    // the second pass starts on Play 199, which tells the end, and reaches it on 391.
    Song back(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 3, 0, 1, "", 0, 0xB, 0x00 } },
                  { 0, 1, 2, 3 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(back.Loaded());
    ticks = back.Record(400);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 199, 392 }));
    EXPECT_EQ(ticks[197].pos, 3);
    EXPECT_EQ(Where(ticks[198]), std::tuple(0, 0, 0u, 1u, 125u));
}

// The last row plays all its ticks, its pattern-delay repeats included: at speed 3 from
// row 0 (Play 6) with EE1 on the song's last row (row 63, read on Play 6 + 63 * 3 = 195),
// the repeat runs on 198 and the end is told on 201, the tick that reads row 0 again.
TEST(ReplayDriver, ModuleEnds_AfterTheLastRowsDelay)
{
    Song song(
        ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x03 }, { 0, 63, 0, "D-2", 1, 0xE, 0xE1 } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(205);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 201 }));
    EXPECT_EQ(std::tuple(ticks[194].row, ticks[197].row, ticks[200].row), std::tuple(63, 63, 0));
}

// ch0 B00, ch1 a note, ch2 B05 on one row of position 3: the later jump wins, so the song
// moves forward and does not end, and ch1 still reads position 3's pattern.
TEST(ReplayDriver, PositionJump_LaterChannelsOfTheRow_ReadTheSamePatternAndLastJumpWins)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "", 0, 0xB, 0x03 }, { 3, 0, 0, "", 0, 0xB, 0x00 },
                                   { 3, 0, 1, "E-2", 1, 0, 0 }, { 3, 0, 2, "", 0, 0xB, 0x05 } },
                  { 0, 1, 2, 3, 4, 5 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_FALSE(song.PlayTo(6).ended);
    const zw::TraceTick& jumpRow = song.PlayTo(12);
    EXPECT_EQ(std::tuple(jumpRow.pos, jumpRow.ended, jumpRow.channels[1].triggered,
                  jumpRow.channels[1].frequency),
        std::tuple(3, false, true, Hz(678)));
    const zw::TraceTick& next = song.PlayTo(18);
    EXPECT_EQ(std::tuple(next.pos, next.row), std::tuple(5, 0));
}

// A jump to the position that plays, onto rows not yet heard, plays on; onto a row
// already heard in this pass, it ends the song. Rows played: 0 3 2 1 | 0 3 2 1 | ...
TEST(ReplayDriver, JumpToThisPosition_RowsNotHeard_PlayOnUntilOneWasHeard)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 },
        { 0, 0, 1, "", 0, 0xB, 0x00 }, { 0, 0, 2, "", 0, 0xD, 0x03 } });
    for (int row = 3; row >= 1; row--)
        SetCells(
            mod, { { 0, row, 1, "", 0, 0xB, 0x00 }, { 0, row, 2, "", 0, 0xD, uint8(row - 1) } });
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(18);
    EXPECT_EQ(Rows(ticks, 5, 12), (std::vector<int32> { 0, 3, 2, 1, 0, 3, 2, 1, 0, 3, 2, 1 }));
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 10, 14, 18 }));
}

// Row 2 jumps to row 10 of this position, row 12 back to row 2, heard: the song ends.
// A seek back to position 0 forgets the rows heard: after it the jump from row 2 onto
// row 10 is new to this pass and plays on.
TEST(ReplayDriver, JumpOntoARowHeard_InThisPass_EndsTheSongUnlessASeekCameBetween)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 },
        { 0, 2, 1, "", 0, 0xB, 0x00 }, { 0, 2, 2, "", 0, 0xD, 0x10 },
        { 0, 12, 1, "", 0, 0xB, 0x00 }, { 0, 12, 2, "", 0, 0xD, 0x02 } });
    Song          song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(12);
    EXPECT_EQ(Rows(ticks, 5, 7), (std::vector<int32> { 0, 1, 2, 10, 11, 12, 2 }));
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32> { 12 }));

    Song seek(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(seek.Loaded());
    ticks = seek.Record(9);
    EXPECT_EQ(Rows(ticks, 5, 4), (std::vector<int32> { 0, 1, 2, 10 }));
    seek.Player()->SetSongPosition(0);
    ticks = seek.Record(4);
    EXPECT_EQ(Rows(ticks, 0, 4), (std::vector<int32> { 0, 1, 2, 10 }));
    EXPECT_TRUE(EndTicks(ticks).empty());
}

// F00 in ProTracker: speed 6, tempo 125, next position, and the end told on the next
// row tick. Row 0 sets tempo 64, row 2 (Play 18) stops; Play 24 ends the song and reads
// row 0 of position 1.
TEST(ReplayDriver, SpeedZero_ProTracker_StopsTheSong)
{
    Song song(ProTrackerModule(
                  { { 0, 0, 0, "C-2", 1, 0xF, 0x40 }, { 0, 2, 0, "", 0, 0xF, 0x00 } }, { 0, 1 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.PlayTo(6).bpm, 64u);
    const zw::TraceTick& stop = song.PlayTo(18);
    EXPECT_EQ(Where(stop), std::tuple(0, 2, 0u, 6u, 125u));
    EXPECT_FALSE(stop.ended);
    const zw::TraceTick& next = song.PlayTo(24);
    EXPECT_EQ(Where(next), std::tuple(1, 0, 0u, 6u, 125u));
    EXPECT_TRUE(next.ended);
}

// The SoundTracker types have no tempo: F00 is speed 1, F40 speed 31, and nothing ends.
TEST(ReplayDriver, SpeedCommand_SoundTracker_IsSpeedOnly)
{
    Song song(
        SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0xF, 0x00 }, { 0, 1, 0, "", 0, 0xF, 0x40 } }),
        MODTYPE_SOUNDTRACKER15);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(40);
    EXPECT_EQ(ticks[5].speed, 1u);
    EXPECT_EQ(Where(ticks[6]), std::tuple(0, 1, 0u, 31u, 125u));
    EXPECT_EQ(std::tuple(ticks[36].row, ticks[37].row), std::tuple(1, 2));
    EXPECT_TRUE(EndTicks(ticks).empty());
}

// Fxx extremes in ProTracker: F01 speed 1, F1F speed 31, F20 tempo 32, FFF tempo 255.
TEST(ReplayDriver, SpeedCommand_Extremes_SetSpeedOrTempo)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 0, 1, 0, "", 0, 0xF, 0x20 },
                  { 0, 2, 0, "", 0, 0xF, 0xFF }, { 0, 3, 0, "", 0, 0xF, 0x1F } }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(40);
    EXPECT_EQ(ticks[5].speed, 1u);
    EXPECT_EQ(std::tuple(ticks[6].speed, ticks[6].bpm, ticks[7].bpm), std::tuple(1u, 32u, 255u));
    EXPECT_EQ(Where(ticks[8]), std::tuple(0, 3, 0u, 31u, 255u));
    EXPECT_EQ(std::tuple(ticks[38].row, ticks[39].row), std::tuple(3, 4));
}

// Breaks read decimal digits (D10 row 10, D0F row 15); rows the pattern does not have
// (D99, DFF, D64) continue at row 0 of the next position, without ending the song.
TEST(ReplayDriver, PatternBreak_Parameter_GoesToThatRowOfTheNextPosition)
{
    const struct
    {
        uint8 param;
        int32 row;
    } cases[] = {
        { 0x10, 10 },
        { 0x0F, 15 },
        { 0x99, 0 },
        { 0xFF, 0 },
        { 0x64, 0 },
    };
    for (const auto& c : cases) {
        Song song(
            ProTrackerModule(
                { { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 0, 0, 1, "", 0, 0xD, c.param } }, { 0, 1 }),
            MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        const zw::TraceTick& next = song.PlayTo(7);
        EXPECT_EQ(std::tuple(next.pos, next.row, next.ended), std::tuple(1, c.row, false))
            << int(c.param);
    }
}

// Jumps past the song end it and restart, the end told with the row that follows; B80
// wraps to position 0, a jump back.
TEST(ReplayDriver, PositionJump_PastTheSong_EndsAndRestarts)
{
    for (uint8 target : { uint8(0x02), uint8(0x7F), uint8(0x80), uint8(0xFF) }) {
        Song song(
            ProTrackerModule(
                { { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 1, 0, 0, "", 0, 0xB, target } }, { 0, 1 }),
            MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        const zw::TraceTick& jump = song.PlayTo(70);
        EXPECT_EQ(std::tuple(jump.pos, jump.ended), std::tuple(1, false)) << int(target);
        const zw::TraceTick& next = song.PlayTo(71);
        EXPECT_EQ(std::tuple(next.pos, next.row, next.ended), std::tuple(0, 0, true))
            << int(target);
        EXPECT_LT(song.Player()->Replay().songPos, song.Player()->Module().songLength);
    }
}
