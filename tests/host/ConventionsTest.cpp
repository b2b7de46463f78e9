// The host as a Unix command: exit statuses, messages that name the program, option
// values checked with sentences, and standard output kept for what was asked for.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

// 0 for success, 1 for a failure, 2 for a command line that cannot run; every message
// starts with the program's name.
TEST(Conventions, ExitStatusAndMessages_EachCommandLine)
{
    TempDir           dir;
    const std::string fake = FakePluginsOption();
    std::string       song = dir.Write("song.fake", "FAKE blocks=2");
    std::string       missing = dir.File("missing.fake");
    const struct
    {
        std::vector<std::string> args;
        int                      status;
        const char*              said;
    } cases[] = {
        { { "--version" }, 0, "zarnowelle 1.1" },
        { { fake, "render", song, "-q", "-o", dir.File("a.wav") }, 0, "" },
        { { fake, "render", missing, "-o", dir.File("b.wav") }, 1, "missing.fake: cannot read" },
        { { fake, "info", song }, 1, "song.fake: not a module" },
        { { "plya", song }, 2, "plya: no such file or command" },
        { { fake, "render", "--no-such-option", song, "-o", "-" }, 2, "--no-such-option" },
        { { fake, "render", song, "-o", "-", "--max-time", "nan" }, 2,
            "--max-time must be a positive number of seconds" },
        { { fake, "render", song, "-o", "-", "--max-time", "inf" }, 2, "--max-time must be" },
        { { fake, "info", "--max-time", "0", song }, 2, "--max-time must be" },
        { { fake, "render", song, "-o", "-", "--seek", "1:75" }, 2,
            "--seek must be a time: seconds (90 or 12.5) or minutes and seconds (1:30)" },
        { { fake, "render", song, "-o", "-", "--stereo", "101" }, 2,
            "--stereo must be a whole number from 0 (mono) to 100 (full stereo)" },
        { { fake, "render", song, "-o", "-", "--gain", "-inf" }, 2, "--gain must be" },
        { { fake, "render", song, "-o", "-", "--repeat", "-1" }, 2, "cannot be rendered" },
        { { fake, "render", song, "-o", dir.File("c.wav"), "--format", "mp3" }, 2,
            "--format must be wav, flac or ogg" },
        { { fake, "render", song, "-o", "-", "--samplerate", "100" }, 2, "--samplerate must" },
        { { fake, "render", song, "-o", "-", "-j", "0" }, 2, "--jobs must" },
        { { fake, "trace", "--ticks", "many", song }, 2, "--ticks must" },
        { { fake, "render", song, "-o", "-", "--interpolation", "best" }, 2,
            "--interpolation must be nearest, linear, cubic or sinc" },
        { { fake, "play", song, "--amiga", "a600" }, 2, "--amiga must be off, a500 or a1200" },
        { { fake, "render", song, "-o", "-", "--rules", "MultiTracker" }, 2,
            "--rules must be auto, SoundTracker15, " },
        { { fake, "render", song, "-o", "-", "--gain", "30.5" }, 2, "--gain must be" },
        // Global options come anywhere; the command's own stay after its word.
        { { "render", song, "-q", fake, "-o", dir.File("d.wav") }, 0, "" },
        { { "types", fake }, 0, "" },
        { { fake, "info", song, "--shuffle" }, 2, "--shuffle" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.said);
        Result result = Host(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE(
            (c.args[0] == "--version" ? result.out : result.err).find(c.said), std::string::npos)
            << result.err;
        EXPECT_EQ(HostLines(result.err), Lines(result.err));
    }
}

// The loader's own report of a broken module never reaches standard output; one line
// on standard error names the file instead, in the host's words: the loader's number
// and text are the plug-in's own.
TEST(Conventions, LoadFailure_PrintsNothingOnStandardOutput)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir              dir;
    std::vector<uint8_t> demo = ReadBytes(DemoPath());
    std::string cut = dir.Write("cut.mod", std::vector<uint8_t>(demo.begin(), demo.begin() + 1500));
    const std::vector<std::string> commands[] = {
        { "play", cut },
        { "render", cut, "-o", dir.File("cut.wav") },
        { "render", cut, "-o", "-" },
        { "trace", cut },
        { "info", "--json", cut },
    };
    for (const std::vector<std::string>& args : commands) {
        SCOPED_TRACE(args[0] + " " + args.back());
        Result result =
            Host(args, { "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.File("device.raw") });
        EXPECT_EQ(result.status, 1);
        if (args[0] != "info") {
            EXPECT_EQ(result.out, "");
        }
        EXPECT_EQ(result.out.find("ERROR"), std::string::npos) << result.out;
        std::vector<std::string> lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_EQ(lines[0], "zarnowelle: " + cut + ": cannot load: the patterns are cut short");
    }
}

// A full device: one line in the system's words, naming what could not be written, and
// a failure.
TEST(Conventions, FullDevice_OneLineAndAFailure)
{
    TempDir     dir;
    std::string song = dir.Write("song.fake", "FAKE blocks=200");
    Result      result = RunProgram("/bin/sh",
             { "-c", "exec \"$0\" \"$@\" >/dev/full", HostPath(), FakePluginsOption(), "render", song,
                 "-q", "-o", "-" });
    EXPECT_EQ(result.status, 1);
    std::vector<std::string> lines = Lines(result.err);
    ASSERT_EQ(lines.size(), 1u) << result.err;
    EXPECT_NE(lines[0].find("No space left on device"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("System error"), std::string::npos) << lines[0];
    EXPECT_EQ(HostLines(result.err), lines);
}

// SDL, libsndfile and libsoxr are opened by the commands that need them, not linked:
// loading them and all they pull in cost every run more than a short song's render. A
// library that cannot be opened is one line and a failure of that command alone.
TEST(Conventions, OpenedLibraries_NotLinkedAndTheirFailureOneLine)
{
    Result elf = RunProgram("/bin/sh", { "-c", "readelf -d \"$0\"", HostPath() });
    ASSERT_EQ(elf.status, 0) << elf.err;
    for (const char* name : { "libSDL2", "libsndfile", "libsoxr" })
        EXPECT_EQ(elf.out.find(name), std::string::npos) << name << " is linked";

    TempDir dir;
    // More than the raw output gathers for one write.
    std::string song = dir.Write("song.fake", "FAKE blocks=80");
    // Each library's name stands for a file that is no library.
    std::filesystem::create_directories(dir.File("broken"));
    for (const char* soname : { "libSDL2-2.0.so.0", "libsndfile.so.1", "libsoxr.so.0" })
        dir.Write(std::string("broken/") + soname, "not a library");
    const std::vector<std::string>              broken = { "LD_LIBRARY_PATH=" + dir.File("broken"),
                     "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.File("device.raw") };
    const std::vector<std::vector<std::string>> commands = {
        { FakePluginsOption(), "play", song },
        { FakePluginsOption(), "render", song, "-q", "-o", dir.File("song.wav") },
        { FakePluginsOption(), "render", song, "-q", "--samplerate", "48000", "-o", "-" },
    };
    for (const std::vector<std::string>& args : commands) {
        Result result = Host(args, broken);
        EXPECT_EQ(result.status, 1) << args[1];
        std::vector<std::string> lines = Lines(result.err);
        ASSERT_EQ(lines.size(), 1u) << result.err;
        EXPECT_NE(lines[0].find(".so"), std::string::npos) << lines[0];
        EXPECT_EQ(HostLines(result.err), lines);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("song.wav")));
    // A library of the name that lacks a function (another version) is named with it.
    std::filesystem::create_directories(dir.File("other"));
    std::filesystem::copy_file(FakePluginFolder() + "/fake.so", dir.File("other/libsoxr.so.0"));
    Result other =
        Host({ FakePluginsOption(), "render", song, "-q", "--samplerate", "48000", "-o", "-" },
            { "LD_LIBRARY_PATH=" + dir.File("other") });
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(Lines(other.err),
        std::vector<std::string> {
            "zarnowelle: standard output: cannot write: libsoxr.so.0 has no soxr_create" });
    // Without the libraries, a render to standard output still runs.
    Result raw = Host({ FakePluginsOption(), "render", song, "-q", "-o", "-" }, broken);
    EXPECT_EQ(raw.status, 0) << raw.err;
    EXPECT_EQ(Samples(raw.out), FakeSignal(0, 80));
}

TEST(Conventions, About_IsPlainText)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "about" });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out.rfind("Zarnowelle\nVersion 1.1\n", 0), 0u) << result.out;
    EXPECT_EQ(result.out.find('<'), std::string::npos) << result.out;
}

}   // namespace
