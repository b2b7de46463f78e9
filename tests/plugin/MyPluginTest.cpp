// The plug-in object apart from playback: construction, the About box, MIME types, the
// operations that do nothing and the host record.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "beos/Alert.h"
#include "beos/Message.h"
#include "beos/MimeType.h"
#include "plugin/MyPlugin.h"

namespace {

// What the alert looked like while it was on screen.
struct ShownAlert
{
    int                   count = 0;
    std::string           title;
    std::string           text;
    std::string           button;
    int32                 buttons = 0;
    button_width          width = B_WIDTH_AS_USUAL;
    alert_type            type = B_EMPTY_ALERT;
    bool                  stylable = false;
    std::vector<text_run> runs;
};

ShownAlert sShown;

void
RecordAlert(const BAlert* alert)
{
    sShown.count++;
    sShown.title = alert->Title();
    sShown.text = alert->TextView()->Text();
    sShown.buttons = alert->CountButtons();
    sShown.button = alert->ButtonLabel(0) != nullptr ? alert->ButtonLabel(0) : "";
    sShown.width = alert->ButtonWidth();
    sShown.type = alert->Type();
    sShown.stylable = alert->TextView()->IsStylable();
    sShown.runs.clear();
    for (int32 i = 0; i < alert->TextView()->CountRuns(); i++)
        sShown.runs.push_back(alert->TextView()->RunAt(i));
}

class AboutBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sShown = ShownAlert();
        BAlert::SetShowHook(RecordAlert);
    }
    void TearDown() override { BAlert::SetShowHook(nullptr); }
};

TEST(MyPlugin, NewPlugin_WritesVersionFirstAndFillsTheHostMembers)
{
    int32        version = -7;
    InputPlugin* plugin = NewPlugin(&version);
    EXPECT_EQ(version, 2);
    ASSERT_NE(plugin, nullptr);
    EXPECT_NE(dynamic_cast<MyPlugin*>(plugin), nullptr);
    EXPECT_STREQ(plugin->extensions, "mod");
    EXPECT_STREQ(plugin->description, "Module player (from Ravlo by Quillan)");
    EXPECT_EQ(plugin->hostData, 0);
    delete plugin;
    plugin = NewPlugin(nullptr);
    EXPECT_NE(plugin, nullptr);
    delete plugin;
}

TEST_F(AboutBox, Query_ShowsNothing)
{
    MyPlugin plugin;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(plugin.About(true));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sShown.count, 0);
}

TEST_F(AboutBox, Show_TextButtonKindAndStyles)
{
    MyPlugin plugin;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(plugin.About(false));
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(sShown.count, 1);
    EXPECT_EQ(sShown.title, "");
    EXPECT_EQ(sShown.buttons, 1);
    EXPECT_EQ(sShown.button, "Aha!");
    EXPECT_EQ(sShown.width, B_WIDTH_FROM_LABEL);
    EXPECT_EQ(sShown.type, B_INFO_ALERT);

    const std::string& text = sShown.text;
    EXPECT_EQ(text.rfind("Zarnowelle\nVersion 1.1\n\nMade by ", 0), 0u) << text;
    EXPECT_NE(text.find("\nE-mail: "), std::string::npos);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\n\n");   // the web line, then an empty one
    EXPECT_NE(out.find(text), std::string::npos);
    EXPECT_NE(out.find("Aha!"), std::string::npos);

    // The name is bold at 24 points, the rest plain.
    EXPECT_TRUE(sShown.stylable);
    ASSERT_EQ(sShown.runs.size(), 2u);
    const text_run& name = sShown.runs[0];
    EXPECT_EQ(name.offset, 0);
    EXPECT_STREQ(name.font.Family(), be_bold_font->Family());
    EXPECT_STREQ(name.font.Style(), be_bold_font->Style());
    EXPECT_EQ(name.font.Face(), be_bold_font->Face());
    EXPECT_EQ(name.font.Size(), 24.0f);
    EXPECT_EQ(sShown.runs[1].offset, 10);
    EXPECT_EQ(sShown.runs[1].font, *be_plain_font);
}

TEST(MyPlugin, GetMimeType_FillsBothTypes)
{
    MyPlugin plugin;
    struct Expected
    {
        const char* type;
        const char* extension;
        const char* shortText;
        const char* longText;
    };
    const Expected expected[] = {
        { "audio/x-mod", "mod", "MOD Sound Module",
            "ProTracker and various module formats with 4 or more channels" },
        { "audio/x-mtm", "mtm", "MultiTracker Module", "2-32 channels MultiTracker module format" },
    };
    for (int index = 0; index < 2; index++) {
        BMimeType type;
        ASSERT_TRUE(plugin.GetMimeType(&type, index));
        EXPECT_STREQ(type.Type(), expected[index].type);
        char text[B_MIME_TYPE_LENGTH];
        ASSERT_EQ(type.GetShortDescription(text), B_OK);
        EXPECT_STREQ(text, expected[index].shortText);
        ASSERT_EQ(type.GetLongDescription(text), B_OK);
        EXPECT_STREQ(text, expected[index].longText);
        BMessage extensions;
        ASSERT_EQ(type.GetFileExtensions(&extensions), B_OK);
        int32 count = 0;
        ASSERT_EQ(extensions.GetInfo("extensions", nullptr, &count), B_OK);
        EXPECT_EQ(count, 1);
        const char* extension = nullptr;
        ASSERT_EQ(extensions.FindString("extensions", 0, &extension), B_OK);
        EXPECT_STREQ(extension, expected[index].extension);
    }
    BMimeType("audio/x-mod").Delete();
    BMimeType("audio/x-mtm").Delete();
}

TEST(MyPlugin, GetMimeType_OtherIndexesChangeNothing)
{
    MyPlugin  plugin;
    BMimeType type("audio/x-zw-untouched");
    for (int index : { 2, 3, -1, -1000, 1 << 30 }) {
        EXPECT_FALSE(plugin.GetMimeType(&type, index)) << index;
        EXPECT_STREQ(type.Type(), "audio/x-zw-untouched");
    }
    EXPECT_FALSE(type.IsInstalled());
    EXPECT_FALSE(BMimeType("audio/x-mod").IsInstalled());
    EXPECT_FALSE(plugin.GetMimeType(nullptr, 0));
}

TEST(MyPlugin, GetSongInfo_WritesOnlyTheFixedFields)
{
    MyPlugin         plugin;
    PlayerInfoStruct record;
    memset(&record, 0xAB, sizeof(record));
    ASSERT_TRUE(plugin.GetSongInfo("/no/such/file.mod", &record));

    const uint8* bytes = (const uint8*)&record;
    for (size_t i = 0; i < sizeof(record); i++) {
        bool written = (i >= 100 && i < 104) || (i >= 108 && i < 120) || i == 124 || i == 127;
        if (!written) {
            EXPECT_EQ(bytes[i], 0xAB) << "byte " << i;
        }
    }
    EXPECT_EQ(record.flags, 29);
    EXPECT_EQ(record.hostWord108, 0);
    EXPECT_EQ(record.hostWord112, 0);
    EXPECT_EQ(record.sampleRate, 44100);
    EXPECT_EQ(bytes[124], 1);
    EXPECT_EQ(bytes[127], 0);
    EXPECT_FALSE(plugin.GetSongInfo("x", nullptr));
}

TEST(MyPlugin, Idle_PlaybackOperationsAreHarmlessAndNothingToEdit)
{
    MyPlugin plugin;
    EXPECT_FALSE(plugin.Prefs(true));
    EXPECT_FALSE(plugin.Prefs(false));
    EXPECT_FALSE(plugin.Edit("/tmp/x.mod", true));
    EXPECT_FALSE(plugin.Edit(nullptr, false));
    char  marker = 0;
    char* buffer = &marker;
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 0);
    EXPECT_EQ(buffer, &marker);
    EXPECT_EQ(plugin.GetAudio(nullptr, 4096), 0);
    plugin.JumpTo(500);
    plugin.JumpTo(-1);
    plugin.CleanupPlaying();
    plugin.CleanupPlaying();
    plugin.Init();
    plugin.Pause(true);
    plugin.NewSpeed(200);
    plugin.NewVolume(0);
    plugin.AbortPlaying();
    plugin.Cleanup();
    EXPECT_EQ(plugin.GetAudio(&buffer, 4096), 0);
}

TEST(MyPlugin, SeekPosition_StaysInsideTheSong)
{
    struct Case
    {
        int32 value;
        int32 length;
        int32 position;
    };
    const Case cases[] = {
        { 0, 10, 0 },
        { 300, 10, 3 },
        { 999, 10, 9 },
        { 1000, 10, 9 },
        { 5000, 10, 9 },
        { -5, 10, 0 },
        { -1, 10, 0 },
        { 99, 10, 0 },
        { 100, 10, 1 },
        { INT32_MAX, 128, 127 },
        { INT32_MIN, 128, 0 },
        { 999, 128, 127 },
        { 500, 1, 0 },
        { 0, 0, -1 },
        { 500, 0, -1 },
        { 500, -3, -1 },
        { 999, 32767, 32734 },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MyPlugin::SeekPosition(c.value, c.length), c.position)
            << c.value << " of " << c.length;
    }
}

}   // namespace
