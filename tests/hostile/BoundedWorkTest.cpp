// Songs that never end by themselves (endless pattern loops, jumps back, breaks onto
// rows already heard) and songs at the extremes of speed and tempo: blocks keep coming,
// each after a bounded number of ticks, and the song's end is signalled again and again.
#include "HostileTestSupport.h"

using namespace hostile;

namespace {

const int kLongRun = 10000;

zw::ModWriter
Song(int positions = 1)
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;   // ProTracker: tempo and extended commands
    mod.SetSample(1, Ramp(400), 64, 20, 150);
    std::vector<uint8> list;
    for (int p = 0; p < positions; p++)
        mod.positions[size_t(p)] = uint8(p);
    mod.songLength = uint8(positions);
    for (int p = 0; p < positions; p++) {
        for (int row = 0; row < 64; row += 8)
            mod.Cell(p, row, 3) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    }
    return mod;
}

void
FastestTempo(zw::ModWriter& mod)
{
    mod.Cell(0, 0, 2) = { 0, 0, 0xF, 0x01 };
    mod.Cell(0, 1, 2) = { 0, 0, 0xF, 0xFF };
}

void
ExpectEndlessButBounded(const Outcome& o)
{
    ExpectPlays(o, kLongRun);
    // The song keeps ending and starting again, block after block.
    EXPECT_GT(o.ends, 1);
    EXPECT_LT(o.ends, kLongRun);
    EXPECT_GT(o.loudBlocks, kLongRun / 2);
}

}   // namespace


// Two loops that restart each other: channel 0 loops rows 0 to 2, channel 1 rows 1 to
// 3, and each finishing loop re-arms the other.
TEST(BoundedWork, InterlockedPatternLoops_KeepDeliveringAndEnd)
{
    zw::ModWriter mod = Song();
    FastestTempo(mod);
    mod.Cell(0, 0, 0) = { 0, 0, 0xE, 0x60 };
    mod.Cell(0, 2, 0) = { 0, 0, 0xE, 0x61 };
    mod.Cell(0, 1, 1) = { 0, 0, 0xE, 0x60 };
    mod.Cell(0, 3, 1) = { 0, 0, 0xE, 0x61 };
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


TEST(BoundedWork, PatternLoopOnEveryRowOfEveryChannel_KeepsDelivering)
{
    zw::ModWriter mod = Song();
    FastestTempo(mod);
    for (int row = 2; row < 64; row++) {
        for (int c = 0; c < 3; c++)
            mod.Cell(0, row, c) = { 0, 0, 0xE, uint8(row % 2 ? 0x6F : 0x60) };
    }
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


TEST(BoundedWork, JumpsBackAndForth_EndEveryPass)
{
    zw::ModWriter mod = Song(2);
    FastestTempo(mod);
    mod.Cell(0, 3, 0) = { 0, 0, 0xB, 0x01 };
    mod.Cell(1, 3, 0) = { 0, 0, 0xB, 0x00 };
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


TEST(BoundedWork, JumpOntoItsOwnPosition_Ends)
{
    zw::ModWriter mod = Song(3);
    FastestTempo(mod);
    mod.Cell(1, 5, 0) = { 0, 0, 0xB, 0x01 };
    Outcome o = PlayBytes(mod.Build(), kLongRun, false);
    ExpectEndlessButBounded(o);
}


TEST(BoundedWork, BreakOntoARowAlreadyHeard_Ends)
{
    zw::ModWriter mod = Song(2);
    FastestTempo(mod);
    mod.Cell(0, 10, 0) = { 0, 0, 0xB, 0x00 };
    mod.Cell(0, 10, 1) = { 0, 0, 0xD, 0x05 };
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


// Breaks to rows past the pattern, and jumps past the song.
TEST(BoundedWork, BreaksAndJumpsPastTheEnd_KeepDelivering)
{
    zw::ModWriter mod = Song(4);
    FastestTempo(mod);
    mod.Cell(0, 4, 0) = { 0, 0, 0xD, 0xFF };
    mod.Cell(1, 4, 0) = { 0, 0, 0xD, 0x99 };
    mod.Cell(2, 4, 0) = { 0, 0, 0xB, 0xFF };
    mod.Cell(2, 4, 1) = { 0, 0, 0xD, 0x64 };
    mod.Cell(3, 4, 0) = { 0, 0, 0xB, 0x7F };
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


TEST(BoundedWork, StopCommandOnEveryRow_EndsAndGoesOn)
{
    zw::ModWriter mod = Song(2);
    for (int p = 0; p < 2; p++) {
        for (int row = 0; row < 64; row++)
            mod.Cell(p, row, 0) = { 0, 0, 0xF, 0x00 };
    }
    ExpectEndlessButBounded(PlayBytes(mod.Build(), kLongRun, false));
}


// Ticks started by each of `blocks` blocks, after `warmUp` blocks that let the song
// reach its tempo.
std::vector<int>
TicksPerBlock(const std::vector<uint8>& module, int warmUp, int blocks)
{
    TempDir          dir;
    std::string      path = dir.Write("song.mod", module);
    CountingPlugin   plugin;
    PlayerInfoStruct info = {};
    std::vector<int> ticks;
    if (!plugin.InitPlaying(path.c_str(), &info))
        return ticks;
    char* buffer = nullptr;
    for (int b = 0; b < warmUp; b++)
        plugin.GetAudio(&buffer, kBlockBytes);
    for (int b = 0; b < blocks; b++) {
        plugin.ticks = 0;
        plugin.GetAudio(&buffer, kBlockBytes);
        ticks.push_back(plugin.ticks);
    }
    plugin.CleanupPlaying();
    return ticks;
}


// Speed 1 at tempo 255: a tick of 432 frames, so a 1024-frame block starts two or
// three ticks, never more.
TEST(BoundedWork, FastestSong_AtMostThreeTicksPerBlock)
{
    zw::ModWriter mod = Song();
    FastestTempo(mod);
    const int        blocks = 2000;
    std::vector<int> ticks = TicksPerBlock(mod.Build(), 10, blocks);
    ASSERT_EQ(ticks.size(), size_t(blocks));
    EXPECT_EQ(*std::max_element(ticks.begin(), ticks.end()), 3);
    EXPECT_EQ(*std::min_element(ticks.begin(), ticks.end()), 2);
    int total = 0;
    for (int t : ticks)
        total += t;
    EXPECT_NEAR(total, blocks * 1024.0 / 432, 2);
}


// The slowest song: speed 31, tempo 32 (3445 frames a tick) and a pattern delay of 15
// on every row: no block starts more than one tick, and the song never ends in the run.
TEST(BoundedWork, SlowestSong_OneTickPerBlockAtMost)
{
    zw::ModWriter mod = Song();
    for (int row = 0; row < 64; row++) {
        mod.Cell(0, row, 0) = { 0, 0, 0xE, 0xEF };
        mod.Cell(0, row, 1) = { 0, 0, 0xF, uint8(row == 0 ? 31 : 32) };
    }
    // Row 1, which sets the tempo, is read on tick 6 + 31 * 16.
    std::vector<int> ticks = TicksPerBlock(mod.Build(), 440, 3000);
    ASSERT_EQ(ticks.size(), 3000u);
    EXPECT_EQ(*std::max_element(ticks.begin(), ticks.end()), 1);
    EXPECT_EQ(*std::min_element(ticks.begin(), ticks.end()), 0);
    Outcome o = PlayBytes(mod.Build(), 3000, false);
    ExpectPlays(o, 3000);
    EXPECT_EQ(o.ends, 0);
}


// A MultiTracker song of short tracks whose breaks name rows past them.
TEST(BoundedWork, MtmBreaksPastShortTracks_KeepDelivering)
{
    zw::MtmWriter mtm(4, 8);
    mtm.SetSample(1, URamp(300), 64, 0, 300);
    for (int row = 0; row < 8; row++)
        mtm.Row(1, row) = { zw::MtmNote("C-3"), 1, uint8(row == 3 ? 0xD : 0xF),
            uint8(row == 3 ? 0x40 : 1) };
    mtm.Row(2, 5) = { 0, 0, 0xE, 0x6F };
    mtm.Row(2, 7) = { 0, 0, 0xB, 0x00 };
    for (int c = 0; c < 4; c++) {
        mtm.Sequence(0, c) = uint16(1 + c % 2);
        mtm.Sequence(1, c) = 2;
    }
    mtm.SetPositions({ 0, 1 });
    Outcome o = PlayBytes(mtm.Build(), kLongRun, false, nullptr, "song.mtm");
    ExpectEndlessButBounded(o);
}


// Seeks from the host into a song that loops for ever: every block still arrives.
TEST(BoundedWork, SeeksIntoAnEndlessSong_KeepDelivering)
{
    zw::ModWriter mod = Song(3);
    FastestTempo(mod);
    mod.Cell(2, 0, 0) = { 0, 0, 0xE, 0x60 };
    mod.Cell(2, 1, 0) = { 0, 0, 0xE, 0x61 };
    mod.Cell(2, 1, 1) = { 0, 0, 0xE, 0x61 };
    mod.Cell(2, 0, 1) = { 0, 0, 0xE, 0x60 };
    Outcome o = PlayBytes(mod.Build(), kLongRun, true);
    ExpectPlays(o, kLongRun);
    EXPECT_GT(o.loudBlocks, kLongRun / 2);
}
