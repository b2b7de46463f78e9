// The player on a terminal: keys read raw, the terminal put back afterwards.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "tests/host/HostTestSupport.h"
#include "tests/host/fake/FakeSignal.h"

using namespace hosttest;

namespace {

class Keys : public ::testing::Test
{
protected:
    void
    Start(const std::vector<std::string>& files)
    {
        std::vector<std::string> args = { HostPath(), FakePluginsOption(), "play" };
        args.insert(args.end(), files.begin(), files.end());
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            setenv("SDL_AUDIODRIVER", "disk", 1);
            setenv("SDL_DISKAUDIOFILE", dir.File("device.raw").c_str(), 1);
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }

    // Reads the terminal until one of `texts` shows or the time is up.
    bool
    WaitFor(const std::vector<std::string>& texts, int milliseconds = 5000)
    {
        auto shown = [&] {
            return std::any_of(texts.begin(), texts.end(),
                [&](const std::string& text) { return screen.find(text) != std::string::npos; });
        };
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            if (shown())
                return true;
            struct pollfd input = { master, POLLIN, 0 };
            if (poll(&input, 1, 20) > 0) {
                char buffer[4096];
                ssize_t count = read(master, buffer, sizeof(buffer));
                if (count <= 0)
                    break;
                screen.append(buffer, count);
            }
        }
        return shown();
    }

    bool            WaitFor(const std::string& text, int milliseconds = 5000)
                        { return WaitFor(std::vector<std::string>{ text }, milliseconds); }

    void            Press(const std::string& keys) { ASSERT_EQ(write(master, keys.data(),
                        keys.size()), (ssize_t)keys.size()); }

    int
    Finish()
    {
        WaitFor("\x01never", 300);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The terminal's line editing and echo bits (both set when it is restored).
    tcflag_t
    LineModes() const
    {
        struct termios modes{};
        EXPECT_EQ(tcgetattr(master, &modes), 0);
        return modes.c_lflag & (ICANON | ECHO);
    }

    void
    TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            close(master);
    }

    std::vector<int16_t> Device() const { return DeviceSamples(dir.File("device.raw")); }

    TempDir         dir;
    pid_t           pid = -1;
    int             master = -1;
    std::string     screen;
};

// The fake's block number of every frame the device heard after the leading silence.
std::vector<long>
BlocksHeard(const std::vector<int16_t>& device)
{
    size_t first = std::find_if(device.begin(), device.end(),
        [](int16_t s) { return s != 0; }) - device.begin();
    std::vector<long> blocks;
    for (size_t i = first - first % 2; i + 1 < device.size(); i += 2) {
        if (device[i] == 0 && device[i + 1] == 0)
            break;
        blocks.push_back(device[i + 1]);
    }
    return blocks;
}

TEST_F(Keys, RightSeeksForwardAndQQuits)
{
    std::string song = dir.Write("long.fake", "FAKE blocks=4000");
    Start({ song });
    ASSERT_TRUE(WaitFor("long.fake")) << screen;
    ASSERT_TRUE(WaitFor("0:01")) << screen;
    Press("\x1b[C");
    // A second or so in, 5 % of 4000 blocks further on.
    ASSERT_TRUE(WaitFor(std::vector<std::string>{ "  6%", "  7%", "  8%", "  9%", " 10%" }))
        << screen.substr(screen.size() - 200);
    Press("q");
    EXPECT_EQ(Finish(), 0);
    // The device heard block 0 on, then one jump of about 200 blocks.
    std::vector<long> blocks = BlocksHeard(Device());
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(blocks.front(), 0);
    int jumps = 0;
    for (size_t i = 1; i < blocks.size(); i++) {
        if (blocks[i] != blocks[i - 1] && blocks[i] != blocks[i - 1] + 1) {
            jumps++;
            EXPECT_GE(blocks[i] - blocks[i - 1], 190);
            EXPECT_LE(blocks[i] - blocks[i - 1], 210);
        }
    }
    EXPECT_EQ(jumps, 1);
}

TEST_F(Keys, NextFileAndPause_AndTheTerminalIsRestored)
{
    std::string first = dir.Write("first.fake", "FAKE blocks=4000");
    std::string second = dir.Write("second.fake", "FAKE blocks=4000");
    Start({ first, second });
    ASSERT_TRUE(WaitFor("first.fake")) << screen;
    Press(" ");
    ASSERT_TRUE(WaitFor("|| ")) << screen;
    Press(" ");
    Press("n");
    ASSERT_TRUE(WaitFor("second.fake")) << screen;
    EXPECT_EQ(LineModes(), 0u);
    Press("q");
    EXPECT_EQ(Finish(), 0);
    EXPECT_EQ(LineModes(), (tcflag_t)(ICANON | ECHO));
}

TEST_F(Keys, InterruptRestoresTheTerminal)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=4000");
    Start({ song });
    ASSERT_TRUE(WaitFor("song.fake")) << screen;
    ASSERT_TRUE(WaitFor("0:00")) << screen;
    kill(pid, SIGTERM);
    EXPECT_EQ(Finish(), 128 + SIGTERM);
    EXPECT_EQ(LineModes(), (tcflag_t)(ICANON | ECHO));
}

}   // namespace
