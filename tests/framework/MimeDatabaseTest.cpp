// The platform layer's MIME database and the message type it exchanges extensions in.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "beos/Bitmap.h"
#include "beos/Message.h"
#include "beos/MimeType.h"

namespace {

TEST(BMessage, StringFields_KeepOrderAndIndex)
{
    BMessage message(7);
    EXPECT_EQ(message.what, 7u);
    EXPECT_TRUE(message.IsEmpty());
    ASSERT_EQ(message.AddString("extensions", "mod"), B_OK);
    ASSERT_EQ(message.AddString("other", "x"), B_OK);
    ASSERT_EQ(message.AddString("extensions", "nst"), B_OK);
    EXPECT_EQ(message.CountNames(B_ANY_TYPE), 2);
    EXPECT_EQ(message.CountNames(B_STRING_TYPE), 2);
    EXPECT_EQ(message.CountNames(0x4C4F4E47), 0);

    const char* text = nullptr;
    ASSERT_EQ(message.FindString("extensions", 1, &text), B_OK);
    EXPECT_STREQ(text, "nst");
    ASSERT_EQ(message.FindString("extensions", &text), B_OK);
    EXPECT_STREQ(text, "mod");
    EXPECT_EQ(message.FindString("extensions", 2, &text), B_BAD_INDEX);
    EXPECT_EQ(message.FindString("extensions", -1, &text), B_BAD_INDEX);
    EXPECT_EQ(message.FindString("missing", 0, &text), B_NAME_NOT_FOUND);
    EXPECT_EQ(message.AddString(nullptr, "x"), B_BAD_VALUE);
    EXPECT_EQ(message.AddString("x", nullptr), B_BAD_VALUE);

    const char* name = nullptr;
    int32       count = 0;
    ASSERT_EQ(message.GetInfo(B_STRING_TYPE, 1, &name, nullptr, &count), B_OK);
    EXPECT_STREQ(name, "other");
    EXPECT_EQ(count, 1);
    EXPECT_EQ(message.GetInfo(B_STRING_TYPE, 2, &name, nullptr, &count), B_BAD_INDEX);
}

TEST(BMessage, Copy_IsIndependent)
{
    BMessage original(1);
    original.AddString("a", "1");
    BMessage copy(original);
    original.AddString("a", "2");
    original.MakeEmpty();
    const char* text = nullptr;
    ASSERT_EQ(copy.FindString("a", 0, &text), B_OK);
    EXPECT_STREQ(text, "1");
    EXPECT_EQ(copy.FindString("a", 1, &text), B_BAD_INDEX);
    EXPECT_TRUE(original.IsEmpty());
}

TEST(BBitmap, SetBits_CopiesWithinTheBitmapOnly)
{
    BBitmap bitmap(BRect(0, 0, 15, 15), B_CMAP8);
    ASSERT_EQ(bitmap.InitCheck(), B_OK);
    EXPECT_EQ(bitmap.BitsLength(), 256);
    EXPECT_EQ(bitmap.BytesPerRow(), 16);
    EXPECT_EQ(bitmap.ColorSpace(), B_CMAP8);
    EXPECT_EQ(bitmap.Bounds(), BRect(0, 0, 15, 15));

    uint8 data[300];
    for (int i = 0; i < 300; i++)
        data[i] = (uint8)(i + 1);
    bitmap.SetBits(data, 300, 250, B_CMAP8);   // only 6 bytes fit
    const uint8* bits = (const uint8*)bitmap.Bits();
    EXPECT_EQ(bits[249], 0);
    EXPECT_EQ(bits[250], 1);
    EXPECT_EQ(bits[255], 6);
    bitmap.SetBits(data, 10, 0, B_RGB32);   // no conversion: refused
    EXPECT_EQ(bits[0], 0);
    bitmap.SetBits(data, 10, -1, B_CMAP8);
    EXPECT_EQ(bits[0], 0);
}

TEST(BBitmap, OddWidth_PadsRowsToFourBytes)
{
    BBitmap bitmap(BRect(0, 0, 4, 1), B_CMAP8);
    EXPECT_EQ(bitmap.BytesPerRow(), 8);
    EXPECT_EQ(bitmap.BitsLength(), 16);
    BBitmap invalid(BRect(0, 0, -1, 5), B_CMAP8);
    EXPECT_NE(invalid.InitCheck(), B_OK);
    EXPECT_EQ(invalid.Bits(), nullptr);
}

TEST(BMimeType, SetTo_ChecksTheTypeString)
{
    BMimeType mime;
    EXPECT_EQ(mime.InitCheck(), B_NO_INIT);
    EXPECT_EQ(mime.SetTo("audio/x-mod"), B_OK);
    EXPECT_STREQ(mime.Type(), "audio/x-mod");
    for (const char* bad : { "", "/x", "audio/", "audio/x mod", "audio/x/mod", "a(b)/c" })
        EXPECT_EQ(mime.SetTo(bad), B_BAD_VALUE) << bad;
    EXPECT_EQ(mime.Type(), nullptr);
    EXPECT_EQ(mime.SetTo(nullptr), B_BAD_VALUE);
    EXPECT_EQ(mime.Install(), B_NO_INIT);
    EXPECT_EQ(mime.SetTo(std::string(B_MIME_TYPE_LENGTH, 'a').c_str()), B_BAD_VALUE);
    EXPECT_TRUE(BMimeType::IsValid("audio"));
}

TEST(BMimeType, UninstalledType_ReadsFail)
{
    BMimeType mime("audio/x-zw-never");
    EXPECT_FALSE(mime.IsInstalled());
    char     text[B_MIME_TYPE_LENGTH];
    BMessage message;
    BBitmap  icon(BRect(0, 0, 15, 15), B_CMAP8);
    EXPECT_EQ(mime.GetPreferredApp(text), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(mime.GetShortDescription(text), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(mime.GetLongDescription(text), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(mime.GetFileExtensions(&message), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(mime.GetIcon(&icon, B_MINI_ICON), B_ENTRY_NOT_FOUND);
    EXPECT_EQ(mime.Delete(), B_ENTRY_NOT_FOUND);
}

TEST(BMimeType, Install_OnceAndCaseBlind)
{
    BMimeType mime("audio/x-zw-Install");
    EXPECT_EQ(mime.Install(), B_OK);
    EXPECT_EQ(mime.Install(), B_FILE_EXISTS);
    BMimeType other("AUDIO/X-ZW-INSTALL");
    EXPECT_TRUE(other.IsInstalled());
    char text[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(other.GetShortDescription(text), B_ENTRY_NOT_FOUND);   // never set
    EXPECT_EQ(other.Delete(), B_OK);
    EXPECT_FALSE(mime.IsInstalled());
}

TEST(BMimeType, Setters_InstallAndShareThroughTheDatabase)
{
    {
        BMimeType writer("audio/x-zw-shared");
        ASSERT_EQ(writer.SetShortDescription("Short"), B_OK);
        ASSERT_EQ(writer.SetPreferredApp("application/x-vnd.Test"), B_OK);
        BMessage extensions;
        extensions.AddString("extensions", "zw");
        extensions.AddString("extensions", "zw2");
        ASSERT_EQ(writer.SetFileExtensions(&extensions), B_OK);
    }
    BMimeType reader("audio/x-zw-shared");
    ASSERT_TRUE(reader.IsInstalled());
    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(reader.GetShortDescription(text), B_OK);
    EXPECT_STREQ(text, "Short");
    ASSERT_EQ(reader.GetPreferredApp(text, B_OPEN), B_OK);
    EXPECT_STREQ(text, "application/x-vnd.Test");
    BMessage extensions;
    extensions.AddString("stale", "value");
    ASSERT_EQ(reader.GetFileExtensions(&extensions), B_OK);
    EXPECT_EQ(extensions.CountNames(B_ANY_TYPE), 1);
    const char* extension = nullptr;
    ASSERT_EQ(extensions.FindString("extensions", 1, &extension), B_OK);
    EXPECT_STREQ(extension, "zw2");

    ASSERT_EQ(reader.SetPreferredApp(nullptr), B_OK);
    EXPECT_EQ(reader.GetPreferredApp(text), B_ENTRY_NOT_FOUND);
    reader.Delete();
}

TEST(BMimeType, BadValues_AreRefusedAndInstallNothing)
{
    BMimeType   mime("audio/x-zw-refused");
    std::string tooLong(B_MIME_TYPE_LENGTH, 'd');
    EXPECT_EQ(mime.SetShortDescription(tooLong.c_str()), B_BAD_VALUE);
    EXPECT_EQ(mime.SetLongDescription(nullptr), B_BAD_VALUE);
    EXPECT_EQ(mime.SetPreferredApp("not a signature"), B_BAD_VALUE);
    BBitmap wrongSize(BRect(0, 0, 31, 31), B_CMAP8);
    EXPECT_EQ(mime.SetIcon(&wrongSize, B_MINI_ICON), B_BAD_VALUE);
    BBitmap wrongSpace(BRect(0, 0, 15, 15), B_RGB32);
    EXPECT_EQ(mime.SetIcon(&wrongSpace, B_MINI_ICON), B_BAD_VALUE);
    EXPECT_FALSE(mime.IsInstalled());

    std::string longest(B_MIME_TYPE_LENGTH - 1, 'd');
    ASSERT_EQ(mime.SetLongDescription(longest.c_str()), B_OK);
    char text[B_MIME_TYPE_LENGTH];
    ASSERT_EQ(mime.GetLongDescription(text), B_OK);
    EXPECT_EQ(std::string(text), longest);
    mime.Delete();
}

TEST(BMimeType, Icons_RoundTripBySize)
{
    BMimeType mime("audio/x-zw-icons");
    BBitmap   mini(BRect(0, 0, 15, 15), B_CMAP8);
    BBitmap   large(BRect(0, 0, 31, 31), B_CMAP8);
    uint8     pattern[1024];
    for (int i = 0; i < 1024; i++)
        pattern[i] = (uint8)(255 - i);
    mini.SetBits(pattern, 256, 0, B_CMAP8);
    large.SetBits(pattern + 3, 1024 - 3, 0, B_CMAP8);
    ASSERT_EQ(mime.SetIcon(&mini, B_MINI_ICON), B_OK);
    ASSERT_EQ(mime.SetIcon(&large, B_LARGE_ICON), B_OK);

    BBitmap readMini(BRect(0, 0, 15, 15), B_CMAP8);
    BBitmap readLarge(BRect(0, 0, 31, 31), B_CMAP8);
    ASSERT_EQ(mime.GetIcon(&readMini, B_MINI_ICON), B_OK);
    ASSERT_EQ(mime.GetIcon(&readLarge, B_LARGE_ICON), B_OK);
    EXPECT_EQ(memcmp(readMini.Bits(), pattern, 256), 0);
    EXPECT_EQ(memcmp(readLarge.Bits(), pattern + 3, 1021), 0);
    EXPECT_EQ(mime.GetIcon(&readMini, B_LARGE_ICON), B_BAD_VALUE);

    ASSERT_EQ(mime.SetIcon(nullptr, B_MINI_ICON), B_OK);
    EXPECT_EQ(mime.GetIcon(&readMini, B_MINI_ICON), B_ENTRY_NOT_FOUND);
    mime.Delete();
}

}   // namespace
