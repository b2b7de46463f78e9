// `cmake --install` into a fresh prefix: the installed host finds the installed plug-in
// without being told where.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

TEST(Install, InstalledHostFindsItsPlugin)
{
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    TempDir prefix;
    Result  install =
        RunProgram(ZW_CMAKE_COMMAND, { "--install", ZW_BUILD_DIR, "--prefix", prefix.path });
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    std::string host = prefix.File("bin/zarnowelle");
    ASSERT_TRUE(std::filesystem::exists(host));
    EXPECT_TRUE(std::filesystem::exists(prefix.File("lib/zarnowelle/plugins/zarnowelle.so")));

    Result types = RunProgram(host, { "types" });
    EXPECT_EQ(types.status, 0) << types.err;
    EXPECT_NE(types.out.find("audio/x-mod"), std::string::npos);

    Result render = RunProgram(host, { "render", DemoPath(), "-o", prefix.File("demo.wav") });
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(ReadSoundFile(prefix.File("demo.wav")), PluginBlocks(DemoPath()));
}
