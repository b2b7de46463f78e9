// The command line as a user meets it: help texts, the plug-ins folder, what each
// failure looks like.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

const std::string kFakeFolder = "--plugins=" + FakePluginFolder();

TEST(CommandLine, Help_ListsEveryCommand)
{
    Result result = Host({ "--help" });
    EXPECT_EQ(result.status, 0);
    for (const char* command : { "play", "render", "about", "types", "info", "trace",
            "--plugins" })
        EXPECT_NE(result.out.find(command), std::string::npos) << command;
}

TEST(CommandLine, SubcommandHelp_SaysWhatItDoes)
{
    const std::pair<const char*, const char*> commands[] = {
        { "play", "--check-audio" }, { "render", "--max-time" }, { "render", "--seek" },
        { "about", "About" }, { "types", "types" }, { "info", "--json" },
        { "trace", "--ticks" },
    };
    for (const auto& [command, expected] : commands) {
        Result result = Host({ command, "--help" });
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_NE(result.out.find(expected), std::string::npos) << command << result.out;
    }
}

TEST(CommandLine, NoArguments_ShowsHelpAndFails)
{
    Result result = Host({});
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.out.find("render"), std::string::npos);
}

TEST(CommandLine, UnknownOption_Fails)
{
    Result result = Host({ "render", "--no-such-option" });
    EXPECT_NE(result.status, 0);
    EXPECT_FALSE(result.err.empty());
}

TEST(CommandLine, EmptyPluginFolder_SaysSoAndFails)
{
    TempDir empty;
    std::string file = empty.Write("song.fake", "FAKE blocks=2");
    Result result = Host({ "--plugins=" + empty.path, "render", file, "-o", "-" });
    EXPECT_NE(result.status, 0);
    EXPECT_NE(result.err.find("no plug-in found in " + empty.path), std::string::npos)
        << result.err;
}

TEST(CommandLine, BrokenAddOnInFolder_IsSkippedWithWarning)
{
    TempDir folder;
    folder.Write("broken.so", "not an object file");
    std::filesystem::create_symlink(FakePluginFolder() + "/fake.so", folder.Path("fake.so"));
    std::string file = folder.Write("song.fake", "FAKE blocks=3");
    Result result = Host({ "--plugins=" + folder.path, "render", file, "-o", "-" });
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("broken.so"), std::string::npos);
    EXPECT_EQ(result.out.size(), 3u * 4096);
}

TEST(CommandLine, Types_ListsWhatThePluginAnnounces)
{
    Result result = Host({ kFakeFolder, "types" });
    EXPECT_EQ(result.status, 0);
    for (const char* text : { "audio/x-zw-fake", "fake", "Fake signal",
            "A known signal for testing hosts" })
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
}

TEST(CommandLine, Types_OfTheRealPlugin)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "types" });
    EXPECT_EQ(result.status, 0);
    for (const char* text : { "audio/x-mod", "audio/x-mtm", "MOD Sound Module",
            "MultiTracker Module", "mod", "mtm" })
        EXPECT_NE(result.out.find(text), std::string::npos) << text << "\n" << result.out;
}

TEST(CommandLine, About_RunsEachPluginsAbout)
{
    Result result = Host({ kFakeFolder, "about" });
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Fake plug-in for tests"), std::string::npos);
}

TEST(CommandLine, DefaultFolder_IsPluginsBesideTheProgram)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result result = Host({ "about" });
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Zarnowelle"), std::string::npos) << result.out;
}

TEST(CommandLine, FirstPluginThatTakesTheFile_PlaysIt)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir folder;
    std::filesystem::create_symlink(FakePluginFolder() + "/fake.so", folder.Path("a-fake.so"));
    std::filesystem::create_symlink(PluginFolder() + "/zarnowelle.so",
        folder.Path("b-zarnowelle.so"));
    std::string fakeSong = folder.Write("song.fake", "FAKE blocks=2");
    Result fake = Host({ "--plugins=" + folder.path, "render", fakeSong, "-o", "-" });
    EXPECT_EQ(Samples(fake.out), FakeSignal(0, 2));
    Result real = Host({ "--plugins=" + folder.path, "render", DemoPath(), "-o", "-" });
    EXPECT_EQ(real.status, 0);
    EXPECT_EQ(Samples(real.out), PluginBlocks(DemoPath()));
}

}   // namespace
