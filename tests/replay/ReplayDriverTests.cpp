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
    EXPECT_EQ(std::tuple(first.frequency, first.volume, first.mute), std::tuple(4143u, 256u, false));
    for (int i = 6; i < 11; i++) {
        EXPECT_EQ(Where(ticks[i]), std::tuple(0, 0, uint32(i - 5), 6u, 125u));
        EXPECT_FALSE(ticks[i].channels[0].triggered);
    }
    EXPECT_EQ(Where(ticks[11]), std::tuple(0, 1, 0u, 6u, 125u));
}

// Each song at speed 1 (F01 on the first row: one Play per row from Play 6) ends on the
// Plays listed, once per pass.
TEST(ReplayDriver, ModuleEnds_EachPass_OnceAtTheEndOfTheListOrAJumpBack)
{
    // Two positions of 64 rows: the last row of the song on Play 6 + 127 = 133 ends it;
    // the second pass ends on 261.
    Song list(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 1, 63, 0, "D-2", 1, 0, 0 } },
        { 0, 1 }), MODTYPE_PROTRACKER);
    ASSERT_TRUE(list.Loaded());
    std::vector<zw::TraceTick> ticks = list.Record(300);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32>{ 133, 261 }));
    EXPECT_EQ(Where(ticks[132]), std::tuple(1, 63, 0u, 1u, 125u));
    EXPECT_EQ(Where(ticks[133]), std::tuple(0, 0, 0u, 1u, 125u));
    EXPECT_EQ(list.Player()->GetSongPosition(), 0);

    // B00 on the first row of the fourth position: the jump back ends each pass, the end
    // of the list is never reached. Row 0 of position 3 is read on Play 6 + 192 = 198;
    // the second pass starts on Play 199 and reaches it on 199 + 192 = 391.
    Song back(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 3, 0, 1, "", 0, 0xB, 0x00 } },
        { 0, 1, 2, 3 }), MODTYPE_PROTRACKER);
    ASSERT_TRUE(back.Loaded());
    ticks = back.Record(400);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32>{ 198, 391 }));
    EXPECT_EQ(ticks[197].pos, 3);
    EXPECT_EQ(Where(ticks[198]), std::tuple(0, 0, 0u, 1u, 125u));
}

// ch0 B00, ch1 a note, ch2 B05 on one row of position 3: the later jump wins, so the song
// moves forward and does not end, and ch1 still reads position 3's pattern.
TEST(ReplayDriver, PositionJump_LaterChannelsOfTheRow_ReadTheSamePatternAndLastJumpWins)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "", 0, 0xB, 0x03 }, { 3, 0, 0, "", 0, 0xB, 0x00 },
        { 3, 0, 1, "E-2", 1, 0, 0 }, { 3, 0, 2, "", 0, 0xB, 0x05 } }, { 0, 1, 2, 3, 4, 5 }),
        MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_FALSE(song.PlayTo(6).ended);
    const zw::TraceTick& jumpRow = song.PlayTo(12);
    EXPECT_EQ(std::tuple(jumpRow.pos, jumpRow.ended, jumpRow.channels[1].triggered,
        jumpRow.channels[1].frequency), std::tuple(3, false, true, Hz(678)));
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
        SetCells(mod, { { 0, row, 1, "", 0, 0xB, 0x00 }, { 0, row, 2, "", 0, 0xD, uint8(row - 1) } });
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(17);
    EXPECT_EQ(Rows(ticks, 5, 12), (std::vector<int32>{ 0, 3, 2, 1, 0, 3, 2, 1, 0, 3, 2, 1 }));
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32>{ 9, 13, 17 }));
}

// Row 2 jumps to row 10 of this position, row 12 back to row 2, heard: the song ends.
// A seek back to position 0 forgets the rows heard: after it the jump from row 2 onto
// row 10 is new to this pass and plays on.
TEST(ReplayDriver, JumpOntoARowHeard_InThisPass_EndsTheSongUnlessASeekCameBetween)
{
    zw::ModWriter mod = ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 },
        { 0, 2, 1, "", 0, 0xB, 0x00 }, { 0, 2, 2, "", 0, 0xD, 0x10 },
        { 0, 12, 1, "", 0, 0xB, 0x00 }, { 0, 12, 2, "", 0, 0xD, 0x02 } });
    Song song(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    std::vector<zw::TraceTick> ticks = song.Record(11);
    EXPECT_EQ(Rows(ticks, 5, 6), (std::vector<int32>{ 0, 1, 2, 10, 11, 12 }));
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32>{ 11 }));

    Song seek(mod, MODTYPE_PROTRACKER);
    ASSERT_TRUE(seek.Loaded());
    ticks = seek.Record(9);
    EXPECT_EQ(Rows(ticks, 5, 4), (std::vector<int32>{ 0, 1, 2, 10 }));
    seek.Player()->SetSongPosition(0);
    ticks = seek.Record(4);
    EXPECT_EQ(Rows(ticks, 0, 4), (std::vector<int32>{ 0, 1, 2, 10 }));
    EXPECT_TRUE(EndTicks(ticks).empty());
}

// F00 in ProTracker: speed 6, tempo 125, ModuleEnds, next position. Row 0 sets tempo 64,
// row 2 (Play 18) stops; position 1 row 0 follows on Play 24.
TEST(ReplayDriver, SpeedZero_ProTracker_StopsTheSong)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x40 }, { 0, 2, 0, "", 0, 0xF, 0x00 } },
        { 0, 1 }), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    EXPECT_EQ(song.PlayTo(6).bpm, 64u);
    const zw::TraceTick& stop = song.PlayTo(18);
    EXPECT_EQ(Where(stop), std::tuple(0, 2, 0u, 6u, 125u));
    EXPECT_TRUE(stop.ended);
    EXPECT_EQ(Where(song.PlayTo(24)), std::tuple(1, 0, 0u, 6u, 125u));
}

// The SoundTracker types have no tempo: F00 is speed 1, F40 speed 31, and nothing ends.
TEST(ReplayDriver, SpeedCommand_SoundTracker_IsSpeedOnly)
{
    Song song(SoundTracker15Module({ { 0, 0, 0, "C-2", 1, 0xF, 0x00 }, { 0, 1, 0, "", 0, 0xF, 0x40 } }),
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
        { 0, 2, 0, "", 0, 0xF, 0xFF }, { 0, 3, 0, "", 0, 0xF, 0x1F } }), MODTYPE_PROTRACKER);
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
    const struct { uint8 param; int32 row; } cases[] = {
        { 0x10, 10 }, { 0x0F, 15 }, { 0x99, 0 }, { 0xFF, 0 }, { 0x64, 0 },
    };
    for (const auto& c : cases) {
        Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 0, 0, 1, "", 0, 0xD, c.param } },
            { 0, 1 }), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        const zw::TraceTick& next = song.PlayTo(7);
        EXPECT_EQ(std::tuple(next.pos, next.row, next.ended), std::tuple(1, c.row, false))
            << int(c.param);
    }
}

// Jumps past the song end it and restart; B80 wraps to position 0, a jump back.
TEST(ReplayDriver, PositionJump_PastTheSong_EndsAndRestarts)
{
    for (uint8 target : { uint8(0x02), uint8(0x7F), uint8(0x80), uint8(0xFF) }) {
        Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 }, { 1, 0, 0, "", 0, 0xB, target } },
            { 0, 1 }), MODTYPE_PROTRACKER);
        ASSERT_TRUE(song.Loaded());
        const zw::TraceTick& jump = song.PlayTo(70);
        EXPECT_EQ(std::tuple(jump.pos, jump.ended), std::tuple(1, true)) << int(target);
        const zw::TraceTick& next = song.PlayTo(71);
        EXPECT_EQ(std::tuple(next.pos, next.row), std::tuple(0, 0)) << int(target);
        EXPECT_LT(song.Player()->songPos, song.Player()->songLength);
    }
}

// A position list that names a pattern the module lacks plays silence there, and the
// song still ends at the end of its list.
TEST(ReplayDriver, Position_OfAMissingPattern_PlaysEmptyRows)
{
    Song song(ProTrackerModule({ { 0, 0, 0, "C-2", 1, 0xF, 0x01 } }, { 0, 1 }), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    ModTracker* player = song.Player();
    player->positions[1] = uint8(player->patternNum + 3);
    std::vector<zw::TraceTick> ticks = song.Record(140);
    EXPECT_EQ(EndTicks(ticks), (std::vector<uint32>{ 133 }));
    EXPECT_FALSE(ticks[80].channels[0].triggered);
}
