// The player on a terminal: keys read raw, the terminal put back afterwards, and a
// status line that fits the terminal.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
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
    void Start(const std::vector<std::string>& files, unsigned short columns = 0)
    {
        std::vector<std::string> args = { "play" };
        args.insert(args.end(), files.begin(), files.end());
        Run(args, columns);
    }

    // The host with `args` on a terminal of `columns` (0: one that gives no size).
    void Run(std::vector<std::string> args, unsigned short columns = 0)
    {
        args.insert(args.begin(), { HostPath(), plugins });
        struct winsize size = { 24, columns, 0, 0 };
        pid = forkpty(&master, nullptr, nullptr, &size);
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

    // Reads the terminal until one of `texts` shows after the last key pressed, or the
    // time is up.
    bool WaitFor(const std::vector<std::string>& texts, int milliseconds = 5000)
    {
        auto shown = [&] {
            return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
                return screen.find(text, pressedAt) != std::string::npos;
            });
        };
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (std::chrono::steady_clock::now() < end) {
            if (shown())
                return true;
            struct pollfd input = { master, POLLIN, 0 };
            if (poll(&input, 1, 20) > 0) {
                char    buffer[4096];
                ssize_t count = read(master, buffer, sizeof(buffer));
                if (count <= 0)
                    break;
                screen.append(buffer, count);
            }
        }
        return shown();
    }

    bool WaitFor(const std::string& text, int milliseconds = 5000)
    {
        return WaitFor(std::vector<std::string> { text }, milliseconds);
    }

    void Press(const std::string& keys)
    {
        pressedAt = screen.size();
        ASSERT_EQ(write(master, keys.data(), keys.size()), (ssize_t)keys.size());
    }

    int Finish()
    {
        WaitFor("\x01never", 300);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The terminal's line editing and echo bits (both set when it is restored).
    tcflag_t LineModes() const
    {
        struct termios modes
        {};
        EXPECT_EQ(tcgetattr(master, &modes), 0);
        return modes.c_lflag & (ICANON | ECHO);
    }

    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            close(master);
    }

    std::vector<int16_t> Device() const { return DeviceSamples(dir.File("device.raw")); }

    TempDir     dir;
    std::string plugins = FakePluginsOption();
    pid_t       pid = -1;
    int         master = -1;
    std::string screen;
    size_t      pressedAt = 0;
};

// The fake's frame numbers in what the device heard, from the first sound to the
// trailing silence: the left channel is a formula of the frame, the right its block.
std::vector<int64_t>
FramesHeard(const std::vector<int16_t>& device)
{
    size_t first = std::find_if(device.begin(), device.end(), [](int16_t s) { return s != 0; })
        - device.begin();
    std::vector<int64_t> frames;
    for (size_t i = first - first % 2; i + 1 < device.size(); i += 2) {
        if (device[i] == 0 && device[i + 1] == 0)
            break;
        int64_t frame = int64_t(device[i + 1]) * fake::kBlockFrames;
        while (fake::Sample(frame, 0) != device[i] && frame % fake::kBlockFrames != 1023)
            frame++;
        frames.push_back(frame);
    }
    return frames;
}

// Each seek moves on from the frame heard last by exactly its time, and the clock
// follows.
TEST_F(Keys, ArrowKeys_SeekByTheirTimeToTheFrame_AndQQuits)
{
    std::string song = dir.Write("long.fake", "FAKE blocks=4000");
    Start({ song });
    ASSERT_TRUE(WaitFor("long.fake")) << screen;
    ASSERT_TRUE(WaitFor("0:01 / 1:32")) << screen;
    const struct
    {
        const char*              key;
        std::vector<std::string> clock;
        int                      seconds;
    } seeks[] = {
        { "\x1b[C", { "0:06", "0:07" }, 5 },
        { "\x1b[A", { "0:36", "0:37" }, 30 },
        { "\x1b[B", { "0:06", "0:07" }, -30 },
        { "\x1b[D", { "0:01", "0:02" }, -5 },
    };
    for (const auto& seek : seeks) {
        Press(seek.key);
        ASSERT_TRUE(WaitFor(seek.clock)) << seek.seconds << screen.substr(pressedAt);
        WaitFor("\x01never", 250);   // for the device to hear where the seek went
    }
    Press("q");
    EXPECT_EQ(Finish(), 0);
    std::vector<int64_t> frames = FramesHeard(Device());
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front(), 0);
    std::vector<int64_t> jumps;
    for (size_t i = 1; i < frames.size(); i++) {
        if (frames[i] != frames[i - 1] + 1)
            jumps.push_back(frames[i] - frames[i - 1] - 1);
    }
    ASSERT_EQ(jumps.size(), std::size(seeks));
    for (size_t i = 0; i < jumps.size(); i++)
        EXPECT_EQ(jumps[i], seeks[i].seconds * 44100LL) << i;
}

TEST_F(Keys, NextPreviousAndPause_AndTheTerminalIsRestored)
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
    Press("p");
    ASSERT_TRUE(WaitFor("first.fake")) << screen.substr(pressedAt);
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


// Columns of the status lines drawn: every character of the test's names is ASCII or
// a wide CJK one.
std::vector<int>
DrawnWidths(const std::string& screen)
{
    std::vector<int> widths;
    for (size_t at = 0; (at = screen.find("\r\x1b[K", at)) != std::string::npos;) {
        at += 4;
        size_t end = screen.find_first_of("\r\n", at);
        int    width = 0;
        for (size_t i = at; i < std::min(end, screen.size()); i++) {
            unsigned char c = (unsigned char)screen[i];
            width += c < 0x80 ? 1 : c >= 0xE0 ? 2 : 0;
        }
        widths.push_back(width);
    }
    return widths;
}

// Cut by display width to the terminal, drawn anew at its new width after a resize,
// with a peak meter (the fake's left side is at full scale, its right side quiet), and
// left standing when the song ends.
TEST_F(Keys, StatusLine_FitsTheTerminal_AndStaysWhenTheSongEnds)
{
    std::string song = dir.Write("日本語の長い曲名です.fake", "FAKE blocks=120");
    Start({ song }, 30);
    ASSERT_TRUE(WaitFor("0:00 / 0:02")) << screen;
    WaitFor("\x01never", 300);
    std::vector<int> narrow = DrawnWidths(screen);
    ASSERT_FALSE(narrow.empty());
    EXPECT_LE(*std::max_element(narrow.begin(), narrow.end()), 29);
    EXPECT_EQ(screen.find("日本"), std::string::npos) << "the name is the first to go";

    struct winsize wide = { 24, 100, 0, 0 };
    ioctl(master, TIOCSWINSZ, &wide);
    pressedAt = screen.size();
    // The last status shows the whole song and ends its line.
    ASSERT_TRUE(WaitFor("0:02 / 0:02  L[")) << screen.substr(pressedAt);
    ASSERT_TRUE(WaitFor("日本語の長い曲名です.fake\r\n")) << screen.substr(pressedAt);
    EXPECT_EQ(Finish(), 0);
    EXPECT_NE(screen.find("L[##########] R[", pressedAt), std::string::npos);
    EXPECT_EQ(screen.find("R[##########]", pressedAt), std::string::npos);
}

// With `l` the song plays on past its end into a second pass, of passes without end.
TEST_F(Keys, LoopKey_PlaysTheSongAgain)
{
    std::string song = dir.Write("short.fake", "FAKE blocks=60");
    Start({ song });
    ASSERT_TRUE(WaitFor("short.fake")) << screen;
    Press("l");
    ASSERT_TRUE(WaitFor("loop")) << screen;
    ASSERT_TRUE(WaitFor("pass 2/\u221E")) << screen.substr(pressedAt);
    Press("q");
    EXPECT_EQ(Finish(), 0);
}

// With loop on, a seek past the end goes on into the next pass at the same distance
// from the start: the song of 1000 blocks (23.2 s) seeked 30 s on from its start plays
// on in pass 2 at 30 s minus its length, and does not end.
TEST_F(Keys, SeekPastTheEndWithLoopOn_GoesOnIntoTheNextPass)
{
    const int64_t length = 1000 * fake::kBlockFrames;
    std::string   song = dir.Write("short.fake", "FAKE blocks=1000");
    Start({ song, "--repeat", "-1" });
    ASSERT_TRUE(WaitFor("0:00 / 0:23")) << screen;
    Press("\x1b[A");
    ASSERT_TRUE(WaitFor(std::vector<std::string> { "0:07", "0:08" })) << screen.substr(pressedAt);
    EXPECT_NE(screen.find("pass 2", pressedAt), std::string::npos) << screen.substr(pressedAt);
    WaitFor("\x01never", 250);
    Press("q");
    EXPECT_EQ(Finish(), 0);
    std::vector<int64_t> frames = FramesHeard(Device());
    auto jump = std::adjacent_find(frames.begin(), frames.end(),
        [](int64_t a, int64_t b) { return b != a + 1; });
    ASSERT_NE(jump, frames.end());
    EXPECT_EQ(jump[1], jump[0] + 1 + 30 * 44100LL - length);
}

// The sound keys reach a plug-in that takes settings, and the status line names what is
// not the default; `i` and `a` cycle back round to it.
TEST_F(Keys, SoundKeys_ReachThePlugin_AndTheStatusLineNamesThem)
{
    plugins = FakeSettingsPluginsOption();
    std::string song = dir.Write("long.fake", "FAKE blocks=2000");
    Start({ song, "--interpolation", "cubic" }, 120);
    ASSERT_TRUE(WaitFor("cubic")) << screen;
    Press("i");
    ASSERT_TRUE(WaitFor("sinc")) << screen.substr(pressedAt);
    Press("a");
    ASSERT_TRUE(WaitFor("sinc  A500")) << screen.substr(pressedAt);
    Press("a-[");
    ASSERT_TRUE(WaitFor("sinc  A1200  -1 dB  stereo 90%")) << screen.substr(pressedAt);
    Press("ia+]");
    ASSERT_TRUE(WaitFor("L[")) << screen.substr(pressedAt);
    WaitFor("\x01never", 300);
    size_t last = screen.rfind("\r");
    ASSERT_NE(last, std::string::npos);
    std::string line = screen.substr(last, screen.find("long.fake", last) - last);
    EXPECT_EQ(line.find("dB"), std::string::npos) << line;
    EXPECT_EQ(line.find("A"), std::string::npos) << line;
    EXPECT_EQ(line.find("sinc"), std::string::npos) << line;
    Press("q");
    EXPECT_EQ(Finish(), 0);
}

// Raw PCM would fill the terminal with noise.
TEST_F(Keys, RawOutputToATerminal_IsRefused)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=3");
    Run({ "render", song, "-o", "-" });
    ASSERT_TRUE(WaitFor("zarnowelle: -o - writes raw PCM")) << screen;
    EXPECT_EQ(Finish(), 2);
}

}   // namespace
