// Registering module types with the MIME database for the framework's application.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "beos/Bitmap.h"
#include "beos/Message.h"
#include "beos/MimeType.h"
#include "framework/RVGlobal.h"

namespace {

struct Icons
{
    uint8   mini[256];
    uint8   large[1024];

    Icons()
    {
        for (int i = 0; i < 256; i++)
            mini[i] = (uint8)(i * 7 + 1);
        for (int i = 0; i < 1024; i++)
            large[i] = (uint8)(i * 13 + 5);
    }
};

std::vector<std::string>
Extensions(const char* type)
{
    BMimeType mime(type);
    BMessage message;
    std::vector<std::string> list;
    if (mime.GetFileExtensions(&message) != B_OK)
        return list;
    const char* extension;
    for (int32 i = 0; message.FindString("extensions", i, &extension) == B_OK; i++)
        list.push_back(extension);
    return list;
}

std::string
PreferredApp(const char* type)
{
    BMimeType mime(type);
    char signature[B_MIME_TYPE_LENGTH];
    if (mime.GetPreferredApp(signature, B_OPEN) != B_OK)
        return "(none)";
    return signature;
}

TEST(InstallModType, FreeType_IsInstalledWithEverything)
{
    const char* type = "audio/x-zw-free";
    Icons icons;
    RVGlobal global;
    global.InstallModType(type, "mod|nst", "A long text", "Short", icons.mini, icons.large);

    BMimeType mime(type);
    ASSERT_TRUE(mime.IsInstalled());
    EXPECT_EQ(PreferredApp(type), RV_APP_SIGNATURE);
    EXPECT_EQ(Extensions(type), (std::vector<std::string>{"mod", "nst"}));
    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(mime.GetLongDescription(text), B_OK);
    EXPECT_STREQ(text, "A long text");
    ASSERT_EQ(mime.GetShortDescription(text), B_OK);
    EXPECT_STREQ(text, "Short");

    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_OK);
    ASSERT_EQ(mime.GetIcon(&large, B_LARGE_ICON), B_OK);
    EXPECT_EQ(memcmp(mini.Bits(), icons.mini, 256), 0);
    EXPECT_EQ(memcmp(large.Bits(), icons.large, 1024), 0);
    mime.Delete();
}

TEST(InstallModType, TypeOfAnotherApplication_IsLeftAlone)
{
    const char* type = "audio/x-zw-taken";
    BMimeType mime(type);
    ASSERT_EQ(mime.SetPreferredApp("application/x-vnd.Other-Player"), B_OK);
    ASSERT_EQ(mime.SetShortDescription("Theirs"), B_OK);

    Icons icons;
    RVGlobal global;
    global.InstallModType(type, "mod", "Ours, long", "Ours", icons.mini, icons.large);

    EXPECT_EQ(PreferredApp(type), "application/x-vnd.Other-Player");
    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(mime.GetShortDescription(text), B_OK);
    EXPECT_STREQ(text, "Theirs");
    EXPECT_EQ(mime.GetLongDescription(text), B_ENTRY_NOT_FOUND);
    EXPECT_TRUE(Extensions(type).empty());
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    EXPECT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_ENTRY_NOT_FOUND);
    mime.Delete();
}

TEST(InstallModType, OwnTypeInAnyCase_IsUpdated)
{
    const char* type = "audio/x-zw-ours";
    BMimeType mime(type);
    ASSERT_EQ(mime.SetPreferredApp("Application/X-VND.Brindle.RAVLO"), B_OK);
    ASSERT_EQ(mime.SetShortDescription("Old"), B_OK);

    Icons icons;
    RVGlobal global;
    global.InstallModType(type, "mtm", "New long", "New", icons.mini, icons.large);

    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(mime.GetShortDescription(text), B_OK);
    EXPECT_STREQ(text, "New");
    EXPECT_EQ(PreferredApp(type), RV_APP_SIGNATURE);
    EXPECT_EQ(Extensions(type), (std::vector<std::string>{"mtm"}));
    mime.Delete();
}

TEST(InstallModType, ExtensionPieces_KeepEmptyOnesAtTheEdges)
{
    const char* type = "audio/x-zw-pieces";
    Icons icons;
    RVGlobal global;
    global.InstallModType(type, "|a||b|", "Long", "Short", icons.mini, icons.large);
    EXPECT_EQ(Extensions(type), (std::vector<std::string>{"", "a", "", "b", ""}));
    BMimeType(type).Delete();
}

TEST(InstallModType, MissingIcons_AreInstalledBlank)
{
    const char* type = "audio/x-zw-noicons";
    RVGlobal global;
    global.InstallModType(type, "x", "Long", "Short", nullptr, nullptr);
    BMimeType mime(type);
    EXPECT_TRUE(mime.IsInstalled());
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_OK);
    const uint8* bits = (const uint8*)mini.Bits();
    EXPECT_EQ(std::count(bits, bits + 256, 0), 256);
    mime.Delete();
}

}   // namespace
