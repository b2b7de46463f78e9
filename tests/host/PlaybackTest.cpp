// Live playback, heard through SDL's disk audio driver: what the player sent to the
// device must be the plug-in's blocks, in order, followed only by silence.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

const std::string kFakeFolder = FakePluginsOption();

class Playback : public ::testing::Test
{
protected:
    Result Play(const std::vector<std::string>& args)
    {
        return Host(args,
            { "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + Captured(), "SDL_DISKAUDIODELAY=0" });
    }

    std::string          Captured() const { return dir.File("device.raw"); }
    std::vector<int16_t> Device() const { return DeviceSamples(Captured()); }

    TempDir dir;
};

// The device writes silence until the first block arrives and after the last one; the
// song must appear whole in between.
void
ExpectSongBetweenSilence(const std::vector<int16_t>& device, const std::vector<int16_t>& song)
{
    ASSERT_FALSE(song.empty());
    auto   nonZero = [](int16_t s) { return s != 0; };
    size_t deviceLead = std::find_if(device.begin(), device.end(), nonZero) - device.begin();
    size_t songLead = std::find_if(song.begin(), song.end(), nonZero) - song.begin();
    ASSERT_GE(deviceLead, songLead);
    size_t start = deviceLead - songLead;
    EXPECT_EQ(start % 2, 0u) << "a frame was split";
    ASSERT_GE(device.size(), start + song.size());
    EXPECT_TRUE(std::equal(song.begin(), song.end(), device.begin() + start));
    EXPECT_TRUE(std::all_of(
        device.begin() + start + song.size(), device.end(), [](int16_t s) { return s == 0; }));
}

TEST_F(Playback, CheckAudio_WorkingOrMissingDriver_ReportsWhetherADeviceOpens)
{
    EXPECT_EQ(Host({ "play", "--check-audio" },
                  { "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + Captured() })
                  .status,
        0);
    EXPECT_NE(Host({ "play", "--check-audio" }, { "SDL_AUDIODRIVER=no-such-driver" }).status, 0);
}

// With the play command or with bare file names.
TEST_F(Playback, Play_FakeSong_ReachesTheDeviceUnchanged)
{
    const struct
    {
        bool command;
        long blocks;
    } cases[] = { { true, 30 }, { false, 3 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command ? "play" : "bare");
        std::filesystem::remove(Captured());
        std::string song = dir.Write("song.fake", "FAKE blocks=" + std::to_string(c.blocks));
        std::vector<std::string> args = { kFakeFolder, song };
        if (c.command)
            args.insert(args.begin() + 1, "play");
        Result result = Play(args);
        EXPECT_EQ(result.status, 0) << result.err;
        ExpectSongBetweenSilence(Device(), FakeSignal(0, c.blocks));
    }
}

TEST_F(Playback, Play_SeveralFiles_PlayInOrderAndBadOnesAreNamed)
{
    std::string first = dir.Write("first.fake", "FAKE blocks=4");
    std::string missing = dir.File("missing.mod");
    std::string foreign = dir.Write("foreign.txt", "not music");
    std::string second = dir.Write("second.fake", "FAKE blocks=2");
    Result      result = Play({ kFakeFolder, "play", first, missing, foreign, second });
    EXPECT_NE(result.status, 0);
    std::vector<std::string> ours = HostLines(result.err);
    ASSERT_EQ(ours.size(), 2u) << result.err;
    EXPECT_NE(ours[0].find(missing), std::string::npos);
    EXPECT_NE(ours[1].find(foreign), std::string::npos);
    EXPECT_NE(result.out.find("second.fake"), std::string::npos);
    // Both songs reached the device, the first one whole.
    std::vector<int16_t> device = Device();
    std::vector<int16_t> song = FakeSignal(0, 4);
    auto                 at = std::search(device.begin(), device.end(), song.begin(), song.end());
    EXPECT_NE(at, device.end());
    std::vector<int16_t> next = FakeSignal(0, 2);
    EXPECT_NE(std::search(at + song.size(), device.end(), next.begin(), next.end()), device.end());
}

// Without a terminal there are no keys, so Ctrl-C must still end the player.
TEST_F(Playback, Interrupt_WithoutTerminal_EndsThePlayer)
{
    std::string song = dir.Write("long.fake", "FAKE blocks=100000");
    pid_t       pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        signal(SIGINT, SIG_DFL);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", Captured().c_str(), 1);
        execl(HostPath().c_str(), "zarnowelle", ("--plugins=" + FakePluginFolder()).c_str(),
            song.c_str(), (char*)nullptr);
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGINT);
    int status = 0;
    for (int i = 0; i < 300 && waitpid(pid, &status, WNOHANG) == 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(pid, &status, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        FAIL() << "still playing three seconds after Ctrl-C";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT);
}

// A start time, a repeat and the listening controls sound in play as render writes
// them.
TEST_F(Playback, Play_WithOptions_ReachesTheDeviceAsRendered)
{
    std::string                    song = dir.Write("song.fake", "FAKE blocks=30");
    const std::vector<std::string> options = { "--seek", "0.25", "--repeat", "1", "--stereo", "30",
        "--gain", "-3.5", song };
    std::vector<std::string>       play = { kFakeFolder, "play" };
    play.insert(play.end(), options.begin(), options.end());
    Result result = Play(play);
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<std::string> render = { kFakeFolder, "render", "-q", "-o", "-" };
    render.insert(render.end(), options.begin(), options.end());
    std::vector<int16_t> rendered = Samples(Host(render).out);
    EXPECT_EQ(rendered.size(), size_t(2 * (30 * 1024 - 11025) + 2 * 30 * 1024));
    ExpectSongBetweenSilence(Device(), rendered);
}

TEST_F(Playback, Play_Demo_ReachesTheDeviceAsRendered)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Play({ "play", DemoPath() });
    EXPECT_EQ(result.status, 0) << result.err;
    Result rendered = Host({ "render", DemoPath(), "-o", "-" });
    ExpectSongBetweenSilence(Device(), Samples(rendered.out));
}

}   // namespace
