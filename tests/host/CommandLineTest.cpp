// The command line as a user meets it: help texts, the plug-ins folder, what each
// failure looks like.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

// Each command line succeeds or fails, and prints every text given on standard output
// (on standard error, which must not be empty, when `onErr`). Lines that need the real
// plug-in are skipped without it.
TEST(CommandLine, Run_EachCommandLine_PrintsWhatItShould)
{
    const std::string fake = FakePluginsOption();
    const struct
    {
        std::vector<std::string> args;
        bool                     succeeds, realPlugin, onErr;
        std::vector<const char*> texts;
    } cases[] = {
        { { "--help" }, true, false, false,
            { "play", "render", "about", "types", "info", "trace", "--plugins" } },
        { { "play", "--help" }, true, false, false, { "--check-audio" } },
        { { "render", "--help" }, true, false, false, { "--max-time", "--seek" } },
        { { "about", "--help" }, true, false, false, { "About" } },
        { { "types", "--help" }, true, false, false, { "types" } },
        { { "info", "--help" }, true, false, false, { "--json" } },
        { { "trace", "--help" }, true, false, false, { "--ticks" } },
        { {}, false, false, false, { "render" } },   // the help, and a failure
        { { "render", "--no-such-option" }, false, false, true, {} },
        { { fake, "types" }, true, false, false,
            { "audio/x-zw-fake", "fake", "Fake signal", "A known signal for testing hosts" } },
        { { fake, "about" }, true, false, false, { "Fake plug-in for tests" } },
        // The default folder is plugins/ beside the program.
        { { "types" }, true, true, false,
            { "audio/x-mod", "audio/x-mtm", "MOD Sound Module", "MultiTracker Module", "mod",
                "mtm" } },
        { { "about" }, true, true, false, { "Zarnowelle" } },
    };
    for (const auto& c : cases) {
        std::string line;
        for (const std::string& arg : c.args)
            line += " " + arg;
        SCOPED_TRACE("zarnowelle" + line);
        if (c.realPlugin && !HavePlugin())
            continue;
        Result result = Host(c.args);
        EXPECT_EQ(result.status == 0, c.succeeds) << result.status;
        const std::string& where = c.onErr ? result.err : result.out;
        if (c.onErr) {
            EXPECT_FALSE(where.empty());
        }
        for (const char* text : c.texts)
            EXPECT_NE(where.find(text), std::string::npos) << text << "\n" << where;
    }
}

// An empty folder is named and fails; an add-on that is no object file is skipped with
// a warning naming it, and the other plug-ins still play.
TEST(CommandLine, PluginFolder_EmptyOrWithABrokenAddOn_SaysSo)
{
    TempDir     empty;
    std::string file = empty.Write("song.fake", "FAKE blocks=2");
    Result      none = Host({ "--plugins=" + empty.path, "render", file, "-o", "-" });
    EXPECT_NE(none.status, 0);
    EXPECT_NE(none.err.find("no plug-in found in " + empty.path), std::string::npos) << none.err;

    TempDir folder;
    folder.Write("broken.so", "not an object file");
    std::filesystem::create_symlink(FakePluginFolder() + "/fake.so", folder.File("fake.so"));
    file = folder.Write("song.fake", "FAKE blocks=3");
    Result result = Host({ "--plugins=" + folder.path, "render", file, "-o", "-" });
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("broken.so"), std::string::npos);
    EXPECT_EQ(result.out.size(), 3u * 4096);
}

TEST(CommandLine, PluginFolder_TwoPlugins_FirstThatTakesTheFilePlaysIt)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir folder;
    std::filesystem::create_symlink(FakePluginFolder() + "/fake.so", folder.File("a-fake.so"));
    std::filesystem::create_symlink(
        PluginFolder() + "/zarnowelle.so", folder.File("b-zarnowelle.so"));
    std::string fakeSong = folder.Write("song.fake", "FAKE blocks=2");
    Result      fake = Host({ "--plugins=" + folder.path, "render", fakeSong, "-o", "-" });
    EXPECT_EQ(Samples(fake.out), FakeSignal(0, 2));
    Result real = Host({ "--plugins=" + folder.path, "render", DemoPath(), "-o", "-" });
    EXPECT_EQ(real.status, 0);
    EXPECT_EQ(Samples(real.out), PluginBlocks(DemoPath()));
}

}   // namespace
