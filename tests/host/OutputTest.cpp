// What `render` does with the files around it: existing files and inputs are kept, each
// input gets its own output, an interrupted render leaves a file that reads, tags and
// listening controls reach the output, and parallel renders change no output.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sndfile.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/host/HostTestSupport.h"
#include "tools/busysongs/BusySongs.h"
#include "tools/modwriter/ModWriter.h"

extern char** environ;

using namespace hosttest;
namespace fs = std::filesystem;

namespace {

const std::string kFake = FakePluginsOption();

class Output : public ::testing::Test
{
protected:
    TempDir dir;
};

// Each line: a render that must fail (status 1) or succeed, and what the file named
// holds afterwards: the bytes it held, or the song.
TEST_F(Output, ExistingFilesAndInputs_AreKeptUnlessReplacingIsAsked)
{
    std::string song = dir.Write("song.fake", "FAKE blocks=3");
    std::string kept = dir.Write("kept.wav", "precious");
    std::string input = dir.Write("tune.wav", "FAKE blocks=2");
    fs::create_directory(dir.File("out"));
    std::string taken = dir.Write("out/song.wav", "old");
    const struct
    {
        std::vector<std::string> args;
        int                      status;
        std::string              file;
        bool                     replaced;
    } cases[] = {
        { { song, "-o", kept }, 1, kept, false },
        { { song, "-o", dir.File("out") }, 1, taken, false },
        { { input, "-o", input, "--force" }, 1, input, false },
        { { input, "-o", dir.path, "--force" }, 1, input, false },
        { { song, "-o", kept, "--force" }, 0, kept, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[2] + (c.args.size() > 3 ? " --force" : ""));
        std::string              before = TempDir::Read(c.file);
        std::vector<std::string> args = { kFake, "render" };
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result result = Host(args);
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.replaced) {
            EXPECT_EQ(ReadSoundFile(c.file), FakeSignal(0, 3));
        } else {
            EXPECT_EQ(TempDir::Read(c.file), before) << result.err;
        }
    }
    // No temporary file is left behind.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(dir.path))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

// Inputs that share a base name keep it whole; playlists name files relative to
// themselves; --format chooses what a folder gets.
TEST_F(Output, FolderRender_SameNamesAndPlaylists_EachInputGetsItsOwnFile)
{
    fs::create_directory(dir.File("lists"));
    dir.Write("tune.mod", "FAKE blocks=2");
    dir.Write("tune.mtm", "FAKE blocks=3");
    std::string other = dir.Write("other.fake", "FAKE blocks=1");
    std::string list = dir.Write("lists/all.m3u8",
        "\xEF\xBB\xBF#EXTM3U\r\n../tune.mod\r\n"
        "# a comment\r\n\r\n../tune.mtm\r\n"
            + other + "\r\n");
    Result result = Host({ kFake, "render", list, "--format", "flac", "-o", dir.File("out/") });
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(ReadSoundFile(dir.File("out/tune.mod.flac")), FakeSignal(0, 2));
    EXPECT_EQ(ReadSoundFile(dir.File("out/tune.mtm.flac")), FakeSignal(0, 3));
    EXPECT_EQ(ReadSoundFile(dir.File("out/other.flac")), FakeSignal(0, 1));
}

// The file rendered so far is closed properly and kept under its name: a WAV header
// that matches its data.
TEST_F(Output, StopSignal_MidRender_LeavesAFileThatReads)
{
    std::string song = dir.Write("endless.fake", "FAKE endless");
    for (int signal : { SIGINT, SIGTERM }) {
        SCOPED_TRACE(signal);
        std::string              wav = dir.File("cut" + std::to_string(signal) + ".wav");
        std::vector<std::string> args = { HostPath(), kFake, "render", song, "--max-time", "3000",
            "-o", wav };
        std::vector<char*>       argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&quiet);
        // Wait until the render has written a few megabytes (under a temporary name).
        for (int i = 0; i < 500; i++) {
            uintmax_t written = 0;
            for (const fs::directory_entry& entry : fs::directory_iterator(dir.path)) {
                if (entry.path().filename().string().find(fs::path(wav).filename().string())
                    != std::string::npos)
                    written = entry.file_size();
            }
            if (written > 4000000)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        kill(pid, signal);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        std::vector<int16_t> frames = ReadSoundFile(wav);
        ASSERT_GT(frames.size(), 1000000u);
        std::vector<int16_t> expected = FakeSignal(0, long(frames.size() / 2048 + 1));
        expected.resize(frames.size());
        EXPECT_EQ(frames, expected);
    }
}

// TITLE is the module's name, COMMENT its sample names, one a line.
TEST_F(Output, Tags_FlacAndOgg_ReadBack)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    zw::ModWriter mod("M.K.");
    mod.name = "Tagged Tune";
    mod.SetSample(1, std::vector<int8>(64, 30)).name = "Greetings to";
    mod.Sample(3).name = "everyone \xe9";   // ISO-8859-1
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    std::string song = dir.Write("tagged.mod", mod.Build());
    for (const char* name : { "tagged.flac", "tagged.ogg" }) {
        SCOPED_TRACE(name);
        Result result = Host({ "render", song, "-o", dir.File(name) });
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(SoundFileString(dir.File(name), SF_STR_TITLE), "Tagged Tune");
        EXPECT_EQ(
            SoundFileString(dir.File(name), SF_STR_COMMENT), "Greetings to\n\neveryone \xc3\xa9");
    }
}

// Mono gives equal sides; a large gain saturates rather than wrapping; a new rate
// changes the length in proportion.
TEST_F(Output, ListeningControlsAndRate_ReachTheOutput)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result               mono = Host({ "render", "-q", DemoPath(), "--stereo", "0", "-o", "-" });
    std::vector<int16_t> sides = Samples(mono.out);
    ASSERT_FALSE(sides.empty());
    size_t unequal = 0;
    for (size_t i = 0; i + 1 < sides.size(); i += 2)
        unequal += sides[i] != sides[i + 1];
    EXPECT_EQ(unequal, 0u);

    std::vector<int16_t> plain = Samples(Host({ "render", "-q", DemoPath(), "-o", "-" }).out);
    std::vector<int16_t> loud =
        Samples(Host({ "render", "-q", DemoPath(), "--gain", "20", "-o", "-" }).out);
    ASSERT_EQ(loud.size(), plain.size());
    size_t flipped = 0, full = 0;
    for (size_t i = 0; i < plain.size(); i++) {
        flipped += (plain[i] > 0 && loud[i] < 0) || (plain[i] < 0 && loud[i] > 0);
        full += std::abs(plain[i]) > 3300 && std::abs(loud[i]) >= 32767;
    }
    EXPECT_EQ(flipped, 0u);
    EXPECT_GT(full, 1000u);

    Result slow =
        Host({ "render", "-q", DemoPath(), "--samplerate", "22050", "-o", dir.File("half.wav") });
    EXPECT_EQ(slow.status, 0) << slow.err;
    int    rate = 0;
    size_t frames = ReadSoundFile(dir.File("half.wav"), nullptr, &rate).size() / 2;
    EXPECT_EQ(rate, 22050);
    EXPECT_NEAR(double(frames), plain.size() / 4.0, 2);
    // The same render again is the same file: the converter adds no random dither.
    Result again = Host({ "render", "-q", DemoPath(), "--samplerate", "22050", "-o", "-" });
    EXPECT_TRUE(Samples(again.out) == ReadSoundFile(dir.File("half.wav")));
}

// Several jobs at once write exactly what one job writes.
TEST_F(Output, ParallelJobs_WriteWhatOneJobWrites)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    std::vector<std::string> songs = { DemoPath() };
    for (const zw::BusySong& song : zw::StandardBusySongs())
        songs.push_back(dir.Write(song.name, song.bytes));
    for (const char* jobs : { "1", "3" }) {
        std::vector<std::string> args = { "render", "-q", "-j", jobs, "-o",
            dir.File(std::string("jobs") + jobs + "/") };
        args.insert(args.end(), songs.begin(), songs.end());
        EXPECT_EQ(Host(args).status, 0);
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.File("jobs1"))) {
        SCOPED_TRACE(entry.path());
        std::string one = TempDir::Read(entry.path());
        EXPECT_GT(one.size(), 100000u);
        EXPECT_TRUE(one == TempDir::Read(dir.File("jobs3/") + entry.path().filename().string()));
    }
}

}   // namespace
