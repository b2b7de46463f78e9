// PFile over the platform file: opening, typed reads and writes, the end of
// file, lines, naming, types and the static operations.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PFile.h"
#include "TempDir.h"

namespace {

class PFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    TempDir dir;
};

}   // namespace

// #pragma mark - opening

TEST_F(PFileTest, OpenMissingFile_RaisesEntryNotFoundWithName)
{
    std::string path = dir.File("missing.mod");
    try {
        PFile file(path.c_str(), PFile::pModeRead);
        FAIL();
    } catch (PFileException* e) {
        EXPECT_EQ(P_FILE_ERR_ENTRY_NOT_FOUND, e->code);
        EXPECT_STREQ(path.c_str(), (const char*)e->name);
        e->Delete();
    }
}

TEST_F(PFileTest, OpenFailure_LeavesObjectClosed)
{
    PFile file;
    EXPECT_FILE_EXCEPTION(file.Open(dir.File("none").c_str(), PFile::pModeRead),
        P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FILE_EXCEPTION(file.Read_UINT8(), P_ERR_NOT_INITIALIZED);
}

TEST_F(PFileTest, OpenDirectory_Fails)
{
    // On BeOS a directory is not a file: B_IS_A_DIRECTORY, which converts to -1.
    EXPECT_FILE_EXCEPTION(PFile file(dir.Path().c_str(), PFile::pModeRead), P_ERR_ANY);
    EXPECT_FILE_EXCEPTION(PFile file(dir.Path().c_str(), PFile::pModeReadWrite), P_ERR_ANY);
}

TEST_F(PFileTest, OpenInMissingDirectory_RaisesEntryNotFound)
{
    EXPECT_FILE_EXCEPTION(PFile file(dir.File("no/such/file").c_str(), PFile::pModeCreate |
        PFile::pModeWrite), P_FILE_ERR_ENTRY_NOT_FOUND);
}

TEST_F(PFileTest, OpenThroughFileAsDirectory_RaisesInvalidDirectory)
{
    std::string path = dir.Write("plain", "x");
    EXPECT_FILE_EXCEPTION(PFile file((path + "/inner").c_str(), PFile::pModeRead),
        P_FILE_ERR_INVALID_DIRECTORY);
}

TEST_F(PFileTest, OpenWithoutPermission_RaisesAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    std::string path = dir.Write("locked", "x");
    chmod(path.c_str(), 0);
    EXPECT_FILE_EXCEPTION(PFile file(path.c_str(), PFile::pModeRead), P_ERR_ACCESS_DENIED);
}

TEST_F(PFileTest, CreateTruncates_NoTruncateKeeps)
{
    std::string path = dir.Write("data", "abcdef");
    {
        PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeNoTruncate | PFile::pModeReadWrite);
        EXPECT_EQ(6, file.GetLength());
    }
    {
        PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeWrite);
        EXPECT_EQ(0, file.GetLength());
    }
}

TEST_F(PFileTest, FailIfExists_RaisesEntryExists)
{
    std::string path = dir.Write("there", "x");
    EXPECT_FILE_EXCEPTION(PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeFailIfExists |
        PFile::pModeWrite), P_FILE_ERR_ENTRY_EXISTS);
    PFile created(dir.File("new").c_str(), PFile::pModeCreate | PFile::pModeFailIfExists |
        PFile::pModeWrite);
    EXPECT_TRUE(created.IsOpen());
}

TEST_F(PFileTest, ReopenWithNewMode_UsesStoredName)
{
    std::string path = dir.File("reopen");
    PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeWrite);
    file.Write_L_UINT32(0x01020304);
    file.Open(PFile::pModeRead);
    EXPECT_EQ(0x01020304u, file.Read_L_UINT32());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Close();   // never fails
}

TEST_F(PFileTest, WriteToReadOnly_RaisesAndStaysOpen)
{
    std::string path = dir.Write("ro", "abc");
    PFile file(path.c_str(), PFile::pModeRead);
    bool thrown = false;
    try {
        file.Write_UINT8(1);
    } catch (PFileException* e) {
        thrown = true;
        EXPECT_STREQ(path.c_str(), (const char*)e->name);
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ('a', file.Read_UINT8());
}

// #pragma mark - reads and the end of file

TEST_F(PFileTest, TypedReads_LittleAndBigEndian)
{
    std::string bytes = "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d";
    PFile file(dir.Write("typed", bytes).c_str(), PFile::pModeRead);
    EXPECT_EQ(0x01, file.Read_UINT8());
    EXPECT_EQ(0x0302, file.Read_L_UINT16());
    EXPECT_EQ(0x07060504u, file.Read_L_UINT32());
    EXPECT_EQ(0x0809, file.Read_B_UINT16());
    EXPECT_EQ(0x0a0b0c0du, file.Read_B_UINT32());
    EXPECT_FALSE(file.IsEOF());
}

TEST_F(PFileTest, TypedArrays_ReadAndWriteRoundTrip)
{
    std::string path = dir.File("arrays");
    const uint16 words[3] = {0x1234, 0xffff, 0};
    const uint32 longs[2] = {0xdeadbeef, 7};
    {
        PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeWrite);
        file.WriteArray_L_UINT16s(words, 3);
        file.WriteArray_B_UINT16s(words, 3);
        file.WriteArray_L_UINT32s(longs, 2);
        file.WriteArray_B_UINT32s(longs, 2);
        file.Write_B_UINT16(0xabcd);
        file.Write_B_UINT32(0x11223344);
    }
    EXPECT_EQ(std::string("\x34\x12\xff\xff\x00\x00\x12\x34\xff\xff\x00\x00", 12),
        TempDir::Read(path).substr(0, 12));
    PFile file(path.c_str(), PFile::pModeRead);
    uint16 w[3];
    uint32 l[2];
    file.ReadArray_L_UINT16s(w, 3);
    EXPECT_EQ(0, memcmp(w, words, sizeof(w)));
    file.ReadArray_B_UINT16s(w, 3);
    EXPECT_EQ(0, memcmp(w, words, sizeof(w)));
    file.ReadArray_L_UINT32s(l, 2);
    EXPECT_EQ(0, memcmp(l, longs, sizeof(l)));
    file.ReadArray_B_UINT32s(l, 2);
    EXPECT_EQ(0, memcmp(l, longs, sizeof(l)));
    EXPECT_EQ(0xabcd, file.Read_B_UINT16());
    EXPECT_EQ(0x11223344u, file.Read_B_UINT32());
}

TEST_F(PFileTest, BigEndian32WithTwoBytesLeft_HighHalfThenEofOnlyAfterEmptyRead)
{
    PFile file(dir.Write("short", "\xAB\xCD").c_str(), PFile::pModeRead);
    EXPECT_EQ(0xABCD0000u, file.Read_B_UINT32());
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0u, file.Read_B_UINT32());
    EXPECT_TRUE(file.IsEOF());
}

TEST_F(PFileTest, ShortReads_EveryWidthZeroFilled)
{
    PFile file(dir.Write("three", "\x11\x22\x33").c_str(), PFile::pModeRead);
    EXPECT_EQ(0x00332211u, file.Read_L_UINT32());
    file.SeekToBegin();
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0x0033, file.Read_L_UINT16());
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0x3300, file.Read_B_UINT16());
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0, file.Read_UINT8());
    EXPECT_TRUE(file.IsEOF());
}

TEST_F(PFileTest, SeekClearsEof)
{
    PFile file(dir.Write("one", "x").c_str(), PFile::pModeRead);
    char buffer[4];
    EXPECT_EQ(1, file.Read(buffer, 4));
    EXPECT_EQ(0, file.Read(buffer, 4));
    EXPECT_TRUE(file.IsEOF());
    EXPECT_EQ(1, file.SeekToEnd());
    EXPECT_FALSE(file.IsEOF());
}

TEST_F(PFileTest, ReadNegativeCount_ReadsNothing)
{
    PFile file(dir.Write("neg", "abc").c_str(), PFile::pModeRead);
    char buffer[4] = {'q', 'q', 'q', 'q'};
    EXPECT_EQ(0, file.Read(buffer, -5));
    EXPECT_EQ('q', buffer[0]);
    EXPECT_EQ(0, file.GetPosition());
}

TEST_F(PFileTest, Seek_AllOrigins)
{
    PFile file(dir.Write("seek", "0123456789").c_str(), PFile::pModeRead);
    EXPECT_EQ(4, file.Seek(4, PFile::pSeekBegin));
    EXPECT_EQ(6, file.Seek(2, PFile::pSeekCurrent));
    EXPECT_EQ(7, file.Seek(-3, PFile::pSeekEnd));
    EXPECT_EQ('7', file.Read_UINT8());
    EXPECT_EQ(3, file.Seek(3, (PFile::PSeekFlags)9));   // unknown: from the beginning
    EXPECT_EQ(3, file.GetPosition());
    EXPECT_EQ(10, file.GetLength());
}

TEST_F(PFileTest, SeekBeforeBeginning_RaisesBadArgument)
{
    PFile file(dir.Write("seekneg", "abc").c_str(), PFile::pModeRead);
    EXPECT_FILE_EXCEPTION(file.Seek(-1, PFile::pSeekBegin), P_ERR_BAD_ARGUMENT);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(0, file.GetPosition());
}

TEST_F(PFileTest, SetLength_GrowsAndShrinks)
{
    std::string path = dir.Write("len", "abcdef");
    PFile file(path.c_str(), PFile::pModeReadWrite);
    file.SetLength(3);
    EXPECT_EQ(3, file.GetLength());
    file.SetLength(100);
    EXPECT_EQ(100, file.GetLength());
    EXPECT_FILE_EXCEPTION(file.SetLength(-1), P_ERR_BAD_ARGUMENT);
}

// #pragma mark - strings and lines

TEST_F(PFileTest, ReadStringBuffer_ShortFileTerminatesAfterBytesRead)
{
    PFile file(dir.Write("str", "abc").c_str(), PFile::pModeRead);
    char buffer[11];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(3, file.ReadString(buffer, 10));
    EXPECT_STREQ("abc", buffer);
}

TEST_F(PFileTest, WriteStringReadString_RoundTrip)
{
    std::string path = dir.File("pstr");
    {
        PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeWrite);
        file.WriteString("h\xC3\xA9llo");
        file.WriteString("");
    }
    EXPECT_EQ(std::string("\x06\x00h\xC3\xA9llo\x00\x00", 10), TempDir::Read(path));
    PFile file(path.c_str(), PFile::pModeRead);
    PString s = file.ReadString();
    EXPECT_STREQ("h\xC3\xA9llo", (const char*)s);
    EXPECT_EQ(5, s.GetLength());
    EXPECT_TRUE(file.ReadString().IsEmpty());
}

TEST_F(PFileTest, ReadStringCountBeyondFile_HoldsBytesRead)
{
    PFile file(dir.Write("pstr2", std::string("\xff\x00" "abc", 5)).c_str(), PFile::pModeRead);
    PString s = file.ReadString();
    EXPECT_STREQ("abc", (const char*)s);
    EXPECT_EQ(3, s.GetLength());
}

TEST_F(PFileTest, ReadLineWithCrLf_ThreeLettersAndPositionAfterNewline)
{
    PFile file(dir.Write("lines", "abc\r\nsecond\nthird").c_str(), PFile::pModeRead);
    EXPECT_STREQ("abc", (const char*)file.ReadLine());
    EXPECT_EQ(5, file.GetPosition());
    EXPECT_STREQ("second", (const char*)file.ReadLine());
    EXPECT_EQ(12, file.GetPosition());
    EXPECT_STREQ("third", (const char*)file.ReadLine());    // last line, no newline
    EXPECT_STREQ("", (const char*)file.ReadLine());
}

TEST_F(PFileTest, ReadLineZeroByte_EndsLine)
{
    PFile file(dir.Write("zero", std::string("ab\0cd\n", 6)).c_str(), PFile::pModeRead);
    EXPECT_STREQ("ab", (const char*)file.ReadLine());
    EXPECT_STREQ("cd", (const char*)file.ReadLine());
}

TEST_F(PFileTest, ReadLine512WithoutNewline_RaisesEofReached)
{
    std::string path = dir.Write("long", std::string(600, 'x'));
    PFile file(path.c_str(), PFile::pModeRead);
    EXPECT_FILE_EXCEPTION(file.ReadLine(), P_FILE_ERR_EOF);
    PFile exact(dir.Write("exact", std::string(511, 'y') + "\n").c_str(), PFile::pModeRead);
    EXPECT_EQ(511, exact.ReadLine().GetByteLength());
}

TEST_F(PFileTest, WriteLine_AddsNewline)
{
    std::string path = dir.File("wl");
    {
        PFile file(path.c_str(), PFile::pModeCreate | PFile::pModeWrite);
        file.WriteLine("one");
        file.WriteLine("");
    }
    EXPECT_EQ("one\n\n", TempDir::Read(path));
}

// #pragma mark - naming and types

TEST_F(PFileTest, Names_LeafDirectoryAndFullPath)
{
    std::string path = dir.Write("song.mod", "x");
    PFile file(path.c_str(), PFile::pModeRead);
    EXPECT_STREQ("song.mod", (const char*)file.GetFileName());
    char real[PATH_MAX];
    ASSERT_NE(nullptr, realpath(dir.Path().c_str(), real));
    EXPECT_EQ(std::string(real) + "/", (const char*)file.GetFilePath());
    EXPECT_EQ(std::string(real) + "/song.mod", (const char*)file.GetFullPath());
}

TEST_F(PFileTest, SetFilePath_ChangesNameOnly)
{
    std::string path = dir.Write("a.mod", "x");
    PFile file(path.c_str(), PFile::pModeRead);
    file.SetFilePath(dir.File("b.mod").c_str());
    EXPECT_STREQ("b.mod", (const char*)file.GetFileName());
    EXPECT_EQ('x', file.Read_UINT8());
}

TEST_F(PFileTest, NameInMissingDirectory_EntryRaisesEntryNotFound)
{
    PFile file;
    std::string path = dir.File("nodir/x.mod");
    file.SetFilePath(path.c_str());
    EXPECT_FILE_EXCEPTION(file.GetFileName(), P_FILE_ERR_ENTRY_NOT_FOUND);
    // A clean absolute path is taken as it is, as BPath does without touching the disk;
    // one that needs normalising must have its directory.
    EXPECT_EQ(path, (const char*)file.GetFullPath());
    file.SetFilePath((dir.File("nodir/../nodir2/x.mod")).c_str());
    EXPECT_FILE_EXCEPTION(file.GetFullPath(), P_FILE_ERR_ENTRY_NOT_FOUND);
}

TEST_F(PFileTest, FileType_RoundTripThroughXattr)
{
    std::string path = dir.Write("typed.mod", "x");
    if (setxattr(path.c_str(), "user.zw_probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "the file system refuses user extended attributes";
    PFile file(path.c_str(), PFile::pModeRead);
    file.SetFileType("audio/x-mod");
    EXPECT_STREQ("audio/x-mod", (const char*)file.GetFileType());
    char stored[64] = {};
    EXPECT_GT(getxattr(path.c_str(), "user.mime_type", stored, sizeof(stored)), 0);
    EXPECT_STREQ("audio/x-mod", stored);
}

TEST_F(PFileTest, FileTypeMissing_RaisesEntryNotFound)
{
    std::string path = dir.Write("untyped", "x");
    if (setxattr(path.c_str(), "user.zw_probe", "1", 1, 0) != 0)
        GTEST_SKIP() << "the file system refuses user extended attributes";
    PFile file(path.c_str(), PFile::pModeRead);
    EXPECT_FILE_EXCEPTION(file.GetFileType(), P_FILE_ERR_ENTRY_NOT_FOUND);
}

// #pragma mark - Rename and Remove

TEST_F(PFileTest, Rename_MovesFile)
{
    std::string from = dir.Write("from", "data");
    std::string to = dir.File("to");
    PFile::Rename(from.c_str(), to.c_str());
    EXPECT_EQ("data", TempDir::Read(to));
    EXPECT_NE(0, access(from.c_str(), F_OK));
}

TEST_F(PFileTest, RenameOntoExisting_RefusesToClobber)
{
    std::string from = dir.Write("from", "new");
    std::string to = dir.Write("to", "old");
    try {
        PFile::Rename(from.c_str(), to.c_str());
        FAIL();
    } catch (PFileException* e) {
        EXPECT_EQ(P_FILE_ERR_ENTRY_EXISTS, e->code);
        EXPECT_STREQ(from.c_str(), (const char*)e->name);
        e->Delete();
    }
    EXPECT_EQ("old", TempDir::Read(to));
    EXPECT_EQ("new", TempDir::Read(from));
}

TEST_F(PFileTest, RenameMissing_RaisesEntryNotFound)
{
    EXPECT_FILE_EXCEPTION(PFile::Rename(dir.File("nothing").c_str(), dir.File("x").c_str()),
        P_FILE_ERR_ENTRY_NOT_FOUND);
}

TEST_F(PFileTest, Remove_DeletesAndRaisesWhenMissing)
{
    std::string path = dir.Write("gone", "x");
    PFile::Remove(path.c_str());
    EXPECT_NE(0, access(path.c_str(), F_OK));
    EXPECT_FILE_EXCEPTION(PFile::Remove(path.c_str()), P_FILE_ERR_ENTRY_NOT_FOUND);
}
