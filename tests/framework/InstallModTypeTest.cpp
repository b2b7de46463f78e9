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
    uint8 mini[256];
    uint8 large[1024];

    Icons()
    {
        for (int i = 0; i < 256; i++)
            mini[i] = (uint8)(i * 7 + 1);
        for (int i = 0; i < 1024; i++)
            large[i] = (uint8)(i * 13 + 5);
    }
};

const Icons kIcons;

void
Install(const char* type, const char* extensions, const char* longText, const char* shortText,
    bool icons = true)
{
    RVGlobal global;
    global.InstallModType(type, extensions, longText, shortText, icons ? kIcons.mini : nullptr,
        icons ? kIcons.large : nullptr);
}

std::vector<std::string>
Extensions(const char* type)
{
    BMimeType                mime(type);
    BMessage                 message;
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
    char      signature[B_MIME_TYPE_LENGTH];
    if (mime.GetPreferredApp(signature, B_OPEN) != B_OK)
        return "(none)";
    return signature;
}

std::string
ShortDescription(const char* type)
{
    char text[B_MIME_TYPE_LENGTH];
    return BMimeType(type).GetShortDescription(text) == B_OK ? text : "(none)";
}

TEST(InstallModType, FreeType_IsInstalledWithEverything)
{
    const char* type = "audio/x-zw-free";
    Install(type, "mod|nst", "A long text", "Short");

    BMimeType mime(type);
    ASSERT_TRUE(mime.IsInstalled());
    EXPECT_EQ(PreferredApp(type), RV_APP_SIGNATURE);
    EXPECT_EQ(Extensions(type), (std::vector<std::string> { "mod", "nst" }));
    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(mime.GetLongDescription(text), B_OK);
    EXPECT_STREQ(text, "A long text");
    EXPECT_EQ(ShortDescription(type), "Short");

    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_OK);
    ASSERT_EQ(mime.GetIcon(&large, B_LARGE_ICON), B_OK);
    EXPECT_EQ(memcmp(mini.Bits(), kIcons.mini, 256), 0);
    EXPECT_EQ(memcmp(large.Bits(), kIcons.large, 1024), 0);
    mime.Delete();
}

TEST(InstallModType, TypeOfAnotherApplication_IsLeftAlone)
{
    const char* type = "audio/x-zw-taken";
    BMimeType   mime(type);
    ASSERT_EQ(mime.SetPreferredApp("application/x-vnd.Other-Player"), B_OK);
    ASSERT_EQ(mime.SetShortDescription("Theirs"), B_OK);

    Install(type, "mod", "Ours, long", "Ours");

    EXPECT_EQ(PreferredApp(type), "application/x-vnd.Other-Player");
    EXPECT_EQ(ShortDescription(type), "Theirs");
    char text[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(mime.GetLongDescription(text), B_ENTRY_NOT_FOUND);
    EXPECT_TRUE(Extensions(type).empty());
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    EXPECT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_ENTRY_NOT_FOUND);
    mime.Delete();
}

TEST(InstallModType, OwnTypeInAnyCase_IsUpdated)
{
    const char* type = "audio/x-zw-ours";
    BMimeType   mime(type);
    ASSERT_EQ(mime.SetPreferredApp("Application/X-VND.Brindle.RAVLO"), B_OK);
    ASSERT_EQ(mime.SetShortDescription("Old"), B_OK);

    Install(type, "mtm", "New long", "New");

    EXPECT_EQ(ShortDescription(type), "New");
    EXPECT_EQ(PreferredApp(type), RV_APP_SIGNATURE);
    EXPECT_EQ(Extensions(type), (std::vector<std::string> { "mtm" }));
    mime.Delete();
}

TEST(InstallModType, ExtensionPieces_KeepEmptyOnesAtTheEdges)
{
    const char* type = "audio/x-zw-pieces";
    Install(type, "|a||b|", "Long", "Short");
    EXPECT_EQ(Extensions(type), (std::vector<std::string> { "", "a", "", "b", "" }));
    BMimeType(type).Delete();
}

TEST(InstallModType, MissingIcons_AreInstalledBlank)
{
    const char* type = "audio/x-zw-noicons";
    Install(type, "x", "Long", "Short", false);
    BMimeType mime(type);
    EXPECT_TRUE(mime.IsInstalled());
    BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(mime.GetIcon(&mini, B_MINI_ICON), B_OK);
    const uint8* bits = (const uint8*)mini.Bits();
    EXPECT_EQ(std::count(bits, bits + 256, 0), 256);
    mime.Delete();
}

}   // namespace
