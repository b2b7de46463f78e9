// Playback control with a stand-in player: the order of the calls into the player and
// the mixer, every failure path, positions and seeking.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/common/TempDir.h"
#include "tests/plugin/FakePlugin.h"

namespace {

std::vector<uint8>
FakeModule(uint8 songLength)
{
    return { 'F', 'A', 'K', 'E', songLength };
}

class PlaybackControl : public ::testing::Test
{
protected:
    void SetUp() override { memset(&record, 0xAB, sizeof(record)); }

    std::string Module(uint8 songLength) { return dir.Write("song.fake", FakeModule(songLength)); }

    TempDir          dir;
    FakePlugin       plugin;
    PlayerInfoStruct record;
    char*            buffer = nullptr;
};

TEST_F(PlaybackControl, IsOur_AsksEveryTypeAndRecognisesOnlyItsFormat)
{
    ASSERT_TRUE(plugin.IsOur(Module(4).c_str()));
    EXPECT_EQ(plugin.script.calls,
        (std::vector<std::string> { "ModuleCheck", "ModuleCheck", "ModuleCheck" }));
    plugin.script.calls.clear();
    EXPECT_FALSE(plugin.IsOur(dir.Write("other", "OTHER").c_str()));
    EXPECT_EQ(plugin.script.calls.size(), 3u);
    EXPECT_FALSE(plugin.IsOur(dir.Write("text.txt", "just some text").c_str()));
    EXPECT_FALSE(plugin.IsOur(dir.Write("empty", "").c_str()));
    EXPECT_FALSE(plugin.IsOur(dir.File("missing").c_str()));
    EXPECT_FALSE(plugin.IsOur(dir.Path().c_str()));
    EXPECT_FALSE(plugin.IsOur(nullptr));
    EXPECT_EQ(plugin.script.playersAlive, 0);
}

TEST_F(PlaybackControl, InitPlaying_CallsInOrder)
{
    std::string path = Module(10);
    ASSERT_TRUE(plugin.InitPlaying(path.c_str(), &record));
    EXPECT_EQ(plugin.script.calls,
        (std::vector<std::string> { "ModuleCheck", "ModuleCheck", "ModuleCheck", "LoadModule 2 @0",
            "ExtraLoad", "InitPlayer", "InitSound 0 with channels" }));
    EXPECT_EQ(record.flags, 29);
    EXPECT_EQ(record.sampleRate, 44100);
    EXPECT_EQ(record.hostWord108, 0);
    EXPECT_EQ(record.hostWord112, 0);
    EXPECT_TRUE(record.hostFlag124);
    EXPECT_FALSE(record.hostFlag127);
    EXPECT_EQ((uint32)record.position, 0xABABABABu);   // only GetAudio writes it

    plugin.script.calls.clear();
    plugin.CleanupPlaying();
    EXPECT_EQ(plugin.script.calls, (std::vector<std::string> { "EndSound", "EndPlayer" }));
    EXPECT_EQ(plugin.script.playersAlive, 0);
}

TEST_F(PlaybackControl, InitPlaying_Failures_LeaveNothingBehind)
{
    struct Attempt
    {
        const char* what;
        void (*arrange)(FakeScript&);
        bool badFile;
    };
    const Attempt attempts[] = {
        { "not a module", [](FakeScript&) {}, true },
        { "load fails", [](FakeScript& s) { s.loadResult = 1003; }, false },
        { "player refuses", [](FakeScript& s) { s.initPlayerResult = false; }, false },
        { "throw after mixer set-up", [](FakeScript& s) { s.throwInInitSound = true; }, false },
        { "no player", [](FakeScript& s) { s.noPlayer = true; }, false },
    };
    for (const Attempt& attempt : attempts) {
        FakePlugin fresh;
        attempt.arrange(fresh.script);
        std::string path = attempt.badFile ? dir.Write("bad", "NOT A MODULE") : Module(4);
        EXPECT_FALSE(fresh.InitPlaying(path.c_str(), &record)) << attempt.what;
        EXPECT_EQ(fresh.script.playersAlive, 0) << attempt.what;
        EXPECT_EQ(fresh.GetAudio(&buffer, 4096), 0) << attempt.what;
        EXPECT_EQ(record.flags, 29) << attempt.what;   // written before the failure
    }
}

TEST_F(PlaybackControl, InitPlaying_ThrowAfterMixerSetUp_UndoesPlayerAndMixer)
{
    plugin.script.throwInInitSound = true;
    EXPECT_FALSE(plugin.InitPlaying(Module(4).c_str(), &record));
    const std::vector<std::string>& calls = plugin.script.calls;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "EndPlayer");
    // A second attempt on the same object starts cleanly.
    plugin.script.throwInInitSound = false;
    EXPECT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 4096);
}

TEST_F(PlaybackControl, InitPlaying_BadPaths)
{
    EXPECT_FALSE(plugin.InitPlaying(dir.File("missing").c_str(), &record));
    EXPECT_FALSE(plugin.InitPlaying(dir.Path().c_str(), &record));
    EXPECT_FALSE(plugin.InitPlaying(dir.Write("empty", "").c_str(), &record));
    EXPECT_FALSE(plugin.InitPlaying(dir.Write("short", "FAK").c_str(), &record));
    EXPECT_FALSE(plugin.InitPlaying(nullptr, &record));
    EXPECT_FALSE(plugin.InitPlaying(Module(4).c_str(), nullptr));
    EXPECT_EQ(plugin.script.playersAlive, 0);
}

TEST_F(PlaybackControl, InitPlayingTwice_EndsTheFirstPlayback)
{
    ASSERT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    ASSERT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    EXPECT_EQ(plugin.script.playersAlive, 1);
}

TEST_F(PlaybackControl, JumpTo_AnyValueLandsInsideTheSongAndGetAudioReportsThousandths)
{
    plugin.script.ticksPerPosition = 1000;   // the song stands still between seeks
    ASSERT_TRUE(plugin.InitPlaying(Module(10).c_str(), &record));
    struct
    {
        int32 value;
        int16 position;
    } jumps[] = {
        { 300, 3 },
        { 999, 9 },
        { 0, 0 },
        { -5, 0 },
        { 5000, 9 },
        { 1000, 9 },
        { INT32_MAX, 9 },
        { INT32_MIN, 0 },
        { -1, 0 },
    };
    std::vector<int16> expected;
    for (const auto& jump : jumps) {
        plugin.JumpTo(jump.value);
        expected.push_back(jump.position);
        EXPECT_EQ(plugin.GetAudio(&buffer, 1), 4096) << jump.value;   // the size asked is ignored
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(record.position, jump.position * 100) << jump.value;
    }
    EXPECT_EQ(plugin.script.positionsSet, expected);
}

TEST_F(PlaybackControl, SongLengthZero_NoDivisionAndNoSeek)
{
    plugin.script.forcedSongLength = 0;
    ASSERT_TRUE(plugin.InitPlaying(Module(10).c_str(), &record));
    plugin.JumpTo(500);
    EXPECT_TRUE(plugin.script.positionsSet.empty());
    plugin.script.ticksPerPosition = 1000000;   // keep clear of the end-of-song path
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 4096);
    EXPECT_EQ(record.position, 0);
}

TEST_F(PlaybackControl, EndOfSong_ReturnsZeroAndKeepsPosition)
{
    ASSERT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    int32 before = -1;
    int   blocks = 0;
    int   result;
    while ((result = plugin.GetAudio(&buffer, 4096)) != 0 && blocks < 100) {
        before = record.position;
        blocks++;
    }
    ASSERT_EQ(result, 0);
    // 4 positions of 2 ticks of 882 frames: the eighth tick starts at frame 6174, in
    // the seventh block of 1024 frames.
    EXPECT_EQ(blocks, 6);
    EXPECT_EQ(before, 750);
    EXPECT_EQ(record.position, before);
    // The playback stays until CleanupPlaying: the song goes on from its start, and
    // the tenth tick (frame 7938) reaches position 1.
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 4096);
    EXPECT_EQ(record.position, 250);
}

TEST_F(PlaybackControl, CleanupPlayingTwice_IsHarmless)
{
    ASSERT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    plugin.CleanupPlaying();
    plugin.CleanupPlaying();
    EXPECT_EQ(plugin.script.playersAlive, 0);
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 0);
    plugin.JumpTo(100);
    EXPECT_TRUE(plugin.script.positionsSet.empty());
}

TEST_F(PlaybackControl, FaultInsideATick_StaysInsideThePlugin)
{
    ASSERT_TRUE(plugin.InitPlaying(Module(4).c_str(), &record));
    plugin.script.throwInPlay = true;
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 0);
    plugin.script.throwInPlay = false;
    plugin.CleanupPlaying();
    EXPECT_EQ(plugin.script.playersAlive, 0);
}

}   // namespace
