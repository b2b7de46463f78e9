// The settings channel as hosts use it, through the real add-on: settings applied with
// their refusals, a second object that plays as the first, and the plug-in's messages
// taken from the channel with standard output left alone.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "hostlib/PluginHost.h"
#include "hostlib/PluginPlayback.h"
#include "hostlib/SettingsChannel.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const std::string kDemo = std::string(ZW_BUILD_DIR) + "/demo.mod";

class SettingsChannel : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("ZARNOWELLE_SETTINGS", "", 1);
        plugin = host.FindPlugin(kDemo);
        ASSERT_NE(plugin, nullptr);
        ASSERT_NE(SettingsOf(plugin), nullptr);
    }
    void TearDown() override
    {
        if (plugin != nullptr)
            SettingsOf(plugin)->ResetSettings();
        unsetenv("ZARNOWELLE_SETTINGS");
    }

    static std::string Get(InputPlugin* p, const char* key)
    {
        char value[64] = "";
        SettingsOf(p)->GetSetting(key, value, sizeof(value));
        return value;
    }

    PluginHost   host { std::string(ZW_BUILD_DIR) + "/plugins" };
    InputPlugin* plugin = nullptr;
    TempDir      dir;
};

TEST_F(SettingsChannel, ApplySettings_RefusesBadValues_SecondObjectGetsTheSame)
{
    std::vector<std::string> refused = ApplySettings(plugin,
        { { "gain", "-3" }, { "rules", "ProTracker" }, { "stereo", "200" }, { "tempo", "1" } });
    ASSERT_EQ(refused.size(), 2u);
    EXPECT_EQ(refused[0].rfind("stereo = 200: ", 0), 0u) << refused[0];
    EXPECT_EQ(refused[1], "tempo: no such setting");
    EXPECT_EQ(Get(plugin, "stereo"), "100");

    std::unique_ptr<InputPlugin> second = host.NewInstance(plugin);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Get(second.get(), "gain"), "-3");
    EXPECT_EQ(Get(second.get(), "rules"), "ProTracker");
}

TEST_F(SettingsChannel, Playback_TakesTheLoaderReportAndWarningsOffStandardOutput)
{
    zw::ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(512, 40));
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    mod.SetPositions({ 0, 0 });
    std::string cut = dir.Write("cut.mod", zw::Truncated(mod.Build(), 1084 + 512));
    std::string settings = dir.Write("bad.conf", std::string("gain=x\n"));
    setenv("ZARNOWELLE_SETTINGS", settings.c_str(), 1);

    PluginPlayback           playback(plugin);
    std::vector<std::string> messages;
    playback.SetMessageHandler([&](const std::string& line) { messages.push_back(line); });
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_FALSE(playback.Start(cut));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(playback.LoadError(), "Error 3: Couldn't read the module patterns");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("settings file " + settings + ", line 1: gain = x: ", 0), 0u)
        << messages[0];

    // A start that works clears the report; the sink is the playback's only while it
    // starts.
    EXPECT_TRUE(playback.Start(kDemo));
    EXPECT_EQ(playback.LoadError(), "");
}

}   // namespace
