// The add-on's description, replay set-up and reset, song positions and info lines.
#include "LoaderTestSupport.h"

#include "framework/RVChannelParser.h"
#include "modtracker/Tables.h"

using namespace zw;

namespace {

class SetupTest : public PlayerTest
{
protected:
    void TearDown() override { delete[] player.virtualChannels; }

    void LoadMod(const char* mark = "M.K.")
    {
        ModWriter mod(mark);
        mod.SetPositions({ 0, 1, 2, 1 });
        mod.positions[60] = 4;
        ASSERT_EQ(Load(MODTYPE_NOISETRACKER, mod.Build()), 0);
    }
    // Loaded, set up and reset, with the voices the mixer's set-up would make.
    void Start(uint32 type, const std::vector<uint8>& bytes)
    {
        ASSERT_EQ(Load(type, bytes), 0);
        ASSERT_TRUE(player.InitPlayer());
        uint16 count = player.GetVirtualChannels();
        delete[] player.virtualChannels;
        voices.reset(new RVChannelParser[count]);
        player.virtualChannels = new RVChannel*[count];
        for (uint16 i = 0; i < count; i++)
            player.virtualChannels[i] = &voices[i];
        player.InitSound(0);
    }
    void Play(int ticks)
    {
        for (int t = 0; t < ticks; t++)
            ASSERT_EQ(player.Play(), 0);
    }

    std::unique_ptr<RVChannelParser[]> voices;
};

// The words of the base are protected; only a subclass sees them.
class WordsOf : public ModTracker
{
public:
    using ModTracker::ModTracker;
    uint32 Word(int i) const { return i == 1 ? addOnWord1 : i == 2 ? addOnWord2 : addOnWord3; }
};

}   // namespace

// The fixed answers the framework reads, then each type's name, MIME type and text.
TEST_F(SetupTest, Description_EveryType_HasItsNameMimeTypeAndText)
{
    EXPECT_FLOAT_EQ(player.GetVersion(), 1.42f);
    EXPECT_EQ(player.GetCount(), 8u);
    EXPECT_EQ(player.GetSupportFlags(), 64u);
    EXPECT_EQ(player.GetInfoCount(), 4u);
    WordsOf words(&global);
    EXPECT_EQ(std::tuple(words.Word(1), words.Word(2), words.Word(3)), std::tuple(3u, 5u, 3u));
    const char* names[] = { "SoundTracker15", "SoundTracker31", "NoiseTracker", "StarTracker",
        "ProTracker", "FastTracker", "TakeTracker", "MultiTracker" };
    const char* third[] = { nullptr, nullptr, nullptr, "This player has support for AM sounds.",
        "It can handle modules in either 64 or 100 patterns format.",
        "This is a 6 and 8 channels ProTracker clone.", "This is a 1-32 channels ProTracker clone.",
        "This is a 1-32 channels ProTracker like clone, except that the file format is "
        "totally different." };
    std::string credits = player.GetDescription(0).operator const char*();
    ASSERT_EQ(std::count(credits.begin(), credits.end(), '\n'), 1);
    for (uint32 i = 0; i < 8; i++) {
        EXPECT_EQ(player.GetName(i), names[i]);
        EXPECT_EQ(player.GetModTypeString(i), i == 7 ? "audio/x-mtm" : "audio/x-mod");
        std::string want = third[i] ? credits + "\n" + third[i] : credits;
        EXPECT_EQ(std::string(player.GetDescription(i)), want) << i;
    }
    EXPECT_TRUE(player.GetName(8).IsEmpty());
    EXPECT_TRUE(player.GetDescription(100).IsEmpty());
}

TEST_F(SetupTest, Info_EachLine_HasItsLabelAndValue)
{
    LoadMod();
    const char* labels[] = {
        "Song Length:", "Used Patterns:", "Supported/Used Samples:", "Actual Speed (BPM):"
    };
    const char* values[] = { "4", "5", "31", "125" };
    for (uint32 line = 0; line < 4; line++) {
        EXPECT_EQ(player.GetInfoString(line, RV_INFO_LABEL), labels[line]);
        EXPECT_EQ(player.GetInfoString(line, RV_INFO_VALUE), values[line]);
        EXPECT_EQ(player.GetInfoString(line, rv_infoType(7)), values[line]);
    }
    player.bpm = 140;
    EXPECT_EQ(player.GetInfoString(3, RV_INFO_VALUE), "140");
    EXPECT_TRUE(player.GetInfoString(4, RV_INFO_LABEL).IsEmpty());
    EXPECT_TRUE(player.GetInfoString(4, RV_INFO_VALUE).IsEmpty());
}

// A MultiTracker module shows its own sample count, and its pans reach the channels.
TEST_F(SetupTest, MultiTracker_ThreeChannels_ShowItsSamplesAndPans)
{
    MtmWriter mtm(3, 64);
    mtm.SetSample(5, { 0x80, 0x80 });
    mtm.pan = { 0, 7, 15 };
    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, mtm.Build()), 0);
    EXPECT_EQ(player.GetInfoString(2, RV_INFO_VALUE), "5");
    EXPECT_EQ(player.GetVirtualChannels(), 3);
    ASSERT_TRUE(player.InitPlayer());
    player.InitSound(0);
    const Channel* channels = player.Replay().channels;
    EXPECT_EQ(std::tuple(channels[0].panning, channels[1].panning, channels[2].panning),
        std::tuple(0, 112, 240));
}

// A check of another file sets the type the replay follows, not the module loaded: the
// MOD's tracks, one fewer than an MTM of as many would have, are all it reads (the ASan
// build saw InitSound's tempo scan read one past them).
TEST_F(SetupTest, CheckAfterLoad_AnotherType_ReadsOnlyTheTracksLoaded)
{
    ModWriter mod;
    mod.Cell(0, 63, 3) = { 0, 0, 0xF, 0x90 };   // the last cell of the last track
    ASSERT_EQ(Load(MODTYPE_PROTRACKER, mod.Build()), 0);
    ASSERT_EQ(player.ModuleCheck(MODTYPE_MULTITRACKER, MemFile(MtmWriter(4, 64).Build()).get()), 0);
    ASSERT_TRUE(player.InitPlayer());
    player.InitSound(0);
    EXPECT_EQ(player.Module().trackNum, 4);
    player.EndPlayer();
}

// Cleanup on a fresh player frees nothing; InitPlayer makes channels and mutex, and
// EndPlayer frees all.
TEST_F(SetupTest, InitPlayer_MakesChannelsAndMutex_EndPlayerFreesAll)
{
    player.Cleanup();
    player.Cleanup();
    ExpectNothingOwned();
    LoadMod("TDZ3");
    ASSERT_TRUE(player.InitPlayer());
    EXPECT_NE(player.Replay().mutex, nullptr);
    EXPECT_NE(player.Replay().channels, nullptr);
    ASSERT_TRUE(player.InitPlayer());   // again: replaces, the ASan build sees no leak
    player.EndPlayer();
    ExpectNothingOwned();
    player.Cleanup();
    ExpectNothingOwned();
}

// Position 1, row 0: a note on every channel, speed 3, tempo 150. Row 1 marks a loop;
// on row 2 the loop jump waits for a pattern delay.
TEST_F(SetupTest, InitSound_ResetsReplayStateAndChannels)
{
    ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(64, 9), 40);
    mod.SetPositions({ 0, 1 });
    for (int c = 0; c < 4; c++)
        mod.Cell(1, 0, c) = { NotePeriod("C-2"), 1, 0, 0 };
    mod.Cell(1, 0, 0).effect = 0xF;
    mod.Cell(1, 0, 0).param = 0x03;
    mod.Cell(1, 0, 1).effect = 0xF;
    mod.Cell(1, 0, 1).param = 150;
    mod.Cell(1, 1, 2) = { 0, 0, 0xE, 0x60 };
    mod.Cell(1, 2, 2) = { 0, 0, 0xE, 0x61 };
    mod.Cell(1, 2, 3) = { 0, 0, 0xE, 0xE2 };
    Start(MODTYPE_PROTRACKER, mod.Build());
    player.SetSongPosition(1);
    Play(6 + 3 + 3 + 2);   // to tick 2 of row 2
    const ReplayView played = player.Replay();
    // A position jump and a new pattern delay are taken within the tick that sets them:
    // between ticks posJumpFlag and patternDelay are always clear.
    EXPECT_EQ(
        std::tuple(played.speed, played.counter, played.songPos, played.patternPos, played.breakPos,
            played.posJumpFlag, played.loopJumpFlag, played.patternDelay, played.patternDelayCount),
        std::tuple(3, 2, 1, 2, 1, false, true, 0, 2));
    Channel zero {};
    for (int i = 0; i < 4; i++)
        EXPECT_NE(memcmp(&played.channels[i], &zero, sizeof(Channel)), 0) << i;

    player.InitSound(0);
    const ReplayView replay = player.Replay();
    EXPECT_EQ(
        std::tuple(replay.speed, replay.counter, replay.songPos, replay.patternPos, replay.breakPos,
            replay.posJumpFlag, replay.loopJumpFlag, replay.patternDelay, replay.patternDelayCount),
        std::tuple(6, 0, 0, 0, 0, false, false, 0, 0));
    EXPECT_EQ(player.bpm, 150);
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(memcmp(&replay.channels[i], &zero, sizeof(Channel)), 0) << i;

    // A StarTracker tick rewrites the noise waveform.
    Start(MODTYPE_STARTRACKER, ModWriter("FLT4").Build());
    Play(1);
    EXPECT_NE(memcmp(player.Replay().amWaveforms, amWaveformTable, sizeof(amWaveformTable)), 0);
    player.InitSound(0);
    EXPECT_EQ(memcmp(player.Replay().amWaveforms, amWaveformTable, sizeof(amWaveformTable)), 0);
}

TEST_F(SetupTest, AmWaveforms_TwoPlayers_EachHasItsOwnCopy)
{
    ModTracker other(&global);
    Start(MODTYPE_STARTRACKER, ModWriter("FLT4").Build());
    Play(1);
    EXPECT_NE(memcmp(player.Replay().amWaveforms[3], amWaveformTable[3], 32), 0);
    EXPECT_EQ(other.Replay().amWaveforms[3][5], 0);
    EXPECT_EQ(other.Replay().amWaveforms[0][0], 0);
    EXPECT_EQ(amWaveformTable[3][5], 0);
}

// Speed 1 from row 0; row 9 delays the pattern by three rows.
TEST_F(SetupTest, Positions_SetResetsTheRowAndStaysOnTheList)
{
    ModWriter mod("M.K.");
    mod.SetPositions({ 0, 1, 2, 1 });
    mod.Cell(0, 0, 0) = { 0, 0, 0xF, 0x01 };
    mod.Cell(0, 9, 0) = { 0, 0, 0xE, 0xE3 };
    Start(MODTYPE_PROTRACKER, mod.Build());
    EXPECT_EQ(player.GetSongLength(), 4);
    Play(6 + 9);   // row 0, then a row a tick to row 9
    const ReplayView played = player.Replay();
    EXPECT_EQ(std::tuple(played.patternPos, played.patternDelay, played.patternDelayCount),
        std::tuple(9, 0, 3));
    player.SetSongPosition(2);
    const ReplayView replay = player.Replay();
    EXPECT_EQ(std::tuple(player.GetSongPosition(), replay.patternPos, replay.patternDelay,
                  replay.patternDelayCount),
        std::tuple(2, 0, 0, 0));
    player.SetSongPosition(4);   // a seek to the very end
    EXPECT_EQ(player.GetSongPosition(), 3);
    player.SetSongPosition(-5);
    EXPECT_EQ(player.GetSongPosition(), 0);
}

TEST(TablesTest, Periods_EachFineTuneRow_IsOrderedByPitch)
{
    for (int note = 0; note < PERIOD_NOTES; note++) {
        for (int row = 1; row < 8; row++)
            EXPECT_LE(periods[row][note], periods[row - 1][note]) << row << " " << note;
        EXPECT_GE(periods[8][note], periods[15][note]);
        EXPECT_GE(periods[15][note], periods[0][note]);
    }
    EXPECT_EQ(periods[10][60], 112);
    EXPECT_EQ(periods[8][24], 907);
    EXPECT_EQ(periods[15][0], 862 * 4);
}
