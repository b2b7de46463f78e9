// PFile over the platform file: opening, typed reads and writes, the end of
// file, lines, naming, types and the static operations.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PFile.h"
#include "tests/common/CaughtException.h"
#include "tests/common/TempDir.h"

namespace {

class PFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    // Opens a new file holding bytes for reading.
    PFile* Reader(const std::string& leaf, const std::string& bytes)
    {
        file.Open(dir.Write(leaf, bytes).c_str(), PFile::pModeRead);
        return &file;
    }

    TempDir dir;
    PFile   file;
};

const int32 kCreateWrite = PFile::pModeCreate | PFile::pModeWrite;

}   // namespace

// #pragma mark - opening

TEST_F(PFileTest, OpenMissingFile_RaisesEntryNotFoundWithNameAndStaysClosed)
{
    std::string path = dir.File("missing.mod");
    auto        e = CatchP<PFileException>([&] { file.Open(path.c_str(), PFile::pModeRead); });
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(P_FILE_ERR_ENTRY_NOT_FOUND, e->code);
    EXPECT_STREQ(path.c_str(), (const char*)e->name);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FILE_EXCEPTION(file.Read_UINT8(), P_ERR_NOT_INITIALIZED);
}

TEST_F(PFileTest, OpenBadPaths_RaiseTheirCodes)
{
    std::string plain = dir.Write("plain", "x");
    struct
    {
        std::string path;
        int32       mode;
        int32       code;
    } cases[] = {
        // On BeOS a directory is not a file: B_IS_A_DIRECTORY, which converts to -1.
        { dir.Path(), PFile::pModeRead, P_ERR_ANY },
        { dir.Path(), PFile::pModeReadWrite, P_ERR_ANY },
        { dir.File("no/such/file"), kCreateWrite, P_FILE_ERR_ENTRY_NOT_FOUND },
        { plain + "/inner", PFile::pModeRead, P_FILE_ERR_INVALID_DIRECTORY },
        { plain, kCreateWrite | PFile::pModeFailIfExists, P_FILE_ERR_ENTRY_EXISTS },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FILE_EXCEPTION(PFile opened(c.path.c_str(), c.mode), c.code);
    }
    PFile created(dir.File("new").c_str(), kCreateWrite | PFile::pModeFailIfExists);
    EXPECT_TRUE(created.IsOpen());
}

TEST_F(PFileTest, OpenWithoutPermission_RaisesAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    std::string path = dir.Write("locked", "x");
    chmod(path.c_str(), 0);
    EXPECT_FILE_EXCEPTION(PFile opened(path.c_str(), PFile::pModeRead), P_ERR_ACCESS_DENIED);
}

TEST_F(PFileTest, CreateTruncates_NoTruncateKeeps)
{
    std::string path = dir.Write("data", "abcdef");
    file.Open(path.c_str(), PFile::pModeCreate | PFile::pModeNoTruncate | PFile::pModeReadWrite);
    EXPECT_EQ(6, file.GetLength());
    file.Open(path.c_str(), kCreateWrite);
    EXPECT_EQ(0, file.GetLength());
}

TEST_F(PFileTest, ReopenWithNewMode_UsesStoredName)
{
    file.Open(dir.File("reopen").c_str(), kCreateWrite);
    file.Write_L_UINT32(0x01020304);
    file.Open(PFile::pModeRead);
    EXPECT_EQ(0x01020304u, file.Read_L_UINT32());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Close();   // never fails
}

TEST_F(PFileTest, WriteToReadOnly_RaisesAndStaysOpen)
{
    Reader("ro", "abc");
    auto e = CatchP<PFileException>([&] { file.Write_UINT8(1); });
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ(dir.File("ro").c_str(), (const char*)e->name);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ('a', file.Read_UINT8());
}

// #pragma mark - reads and the end of file

TEST_F(PFileTest, TypedReads_LittleAndBigEndian)
{
    Reader("typed", "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d");
    EXPECT_EQ(0x01, file.Read_UINT8());
    EXPECT_EQ(0x0302, file.Read_L_UINT16());
    EXPECT_EQ(0x07060504u, file.Read_L_UINT32());
    EXPECT_EQ(0x0809, file.Read_B_UINT16());
    EXPECT_EQ(0x0a0b0c0du, file.Read_B_UINT32());
    EXPECT_FALSE(file.IsEOF());
}

TEST_F(PFileTest, TypedArrays_ReadAndWriteRoundTrip)
{
    std::string  path = dir.File("arrays");
    const uint16 words[3] = { 0x1234, 0xffff, 0 };
    const uint32 longs[2] = { 0xdeadbeef, 7 };
    file.Open(path.c_str(), kCreateWrite);
    file.WriteArray_L_UINT16s(words, 3);
    file.WriteArray_B_UINT16s(words, 3);
    file.WriteArray_L_UINT32s(longs, 2);
    file.WriteArray_B_UINT32s(longs, 2);
    file.Write_B_UINT16(0xabcd);
    file.Write_B_UINT32(0x11223344);
    file.Close();
    EXPECT_EQ(std::string("\x34\x12\xff\xff\x00\x00\x12\x34\xff\xff\x00\x00", 12),
        TempDir::Read(path).substr(0, 12));
    file.Open(PFile::pModeRead);
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

TEST_F(PFileTest, ShortReads_ZeroFilledAndEofOnlyAfterAnEmptyRead)
{
    Reader("short", "\xAB\xCD");
    EXPECT_EQ(0xABCD0000u, file.Read_B_UINT32());
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0u, file.Read_B_UINT32());
    EXPECT_TRUE(file.IsEOF());

    Reader("three", "\x11\x22\x33");
    EXPECT_EQ(0x00332211u, file.Read_L_UINT32());
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0x0033, file.Read_L_UINT16());
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0x3300, file.Read_B_UINT16());
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0, file.Read_UINT8());
    EXPECT_TRUE(file.IsEOF());
}

TEST_F(PFileTest, RawReads_NegativeCountNothingAndSeekClearsEof)
{
    Reader("neg", "abc");
    char buffer[4] = { 'q', 'q', 'q', 'q' };
    EXPECT_EQ(0, file.Read(buffer, -5));
    EXPECT_EQ('q', buffer[0]);
    EXPECT_EQ(0, file.GetPosition());
    EXPECT_EQ(3, file.Read(buffer, 4));
    EXPECT_EQ(0, file.Read(buffer, 4));
    EXPECT_TRUE(file.IsEOF());
    EXPECT_EQ(3, file.SeekToEnd());
    EXPECT_FALSE(file.IsEOF());
}

TEST_F(PFileTest, Seek_AllOrigins)
{
    Reader("seek", "0123456789");
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
    Reader("seekneg", "abc");
    EXPECT_FILE_EXCEPTION(file.Seek(-1, PFile::pSeekBegin), P_ERR_BAD_ARGUMENT);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(0, file.GetPosition());
}

TEST_F(PFileTest, SetLength_GrowsAndShrinks)
{
    file.Open(dir.Write("len", "abcdef").c_str(), PFile::pModeReadWrite);
    file.SetLength(3);
    EXPECT_EQ(3, file.GetLength());
    file.SetLength(100);
    EXPECT_EQ(100, file.GetLength());
    EXPECT_FILE_EXCEPTION(file.SetLength(-1), P_ERR_BAD_ARGUMENT);
}

// #pragma mark - strings and lines (ReadLine and counted strings: PFileKindsTest.cpp)

TEST_F(PFileTest, ReadStringBuffer_ShortFileTerminatesAfterBytesRead)
{
    Reader("str", "abc");
    char buffer[11];
    memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(3, file.ReadString(buffer, 10));
    EXPECT_STREQ("abc", buffer);
}

TEST_F(PFileTest, WriteStringAndLine_RoundTrip)
{
    std::string path = dir.File("pstr");
    file.Open(path.c_str(), kCreateWrite);
    file.WriteString("h\xC3\xA9llo");
    file.WriteString("");
    file.WriteLine("one");
    file.WriteLine("");
    file.Close();
    EXPECT_EQ(std::string("\x06\x00h\xC3\xA9llo\x00\x00one\n\n", 15), TempDir::Read(path));
    file.Open(PFile::pModeRead);
    PString s = file.ReadString();
    EXPECT_STREQ("h\xC3\xA9llo", (const char*)s);
    EXPECT_EQ(5, s.GetLength());
    EXPECT_TRUE(file.ReadString().IsEmpty());
}

TEST_F(PFileTest, ReadLine512WithoutNewline_RaisesEofReached)
{
    Reader("long", std::string(600, 'x'));
    EXPECT_FILE_EXCEPTION(file.ReadLine(), P_FILE_ERR_EOF);
    Reader("exact", std::string(511, 'y') + "\n");
    EXPECT_EQ(511, file.ReadLine().GetByteLength());
}

// #pragma mark - naming and types

TEST_F(PFileTest, Names_LeafDirectoryAndFullPath)
{
    Reader("song.mod", "x");
    EXPECT_STREQ("song.mod", (const char*)file.GetFileName());
    char real[PATH_MAX];
    ASSERT_NE(nullptr, realpath(dir.Path().c_str(), real));
    EXPECT_EQ(std::string(real) + "/", (const char*)file.GetFilePath());
    EXPECT_EQ(std::string(real) + "/song.mod", (const char*)file.GetFullPath());
    file.SetFilePath(dir.File("b.mod").c_str());   // the name changes, the file stays
    EXPECT_STREQ("b.mod", (const char*)file.GetFileName());
    EXPECT_EQ('x', file.Read_UINT8());
}

TEST_F(PFileTest, NameInMissingDirectory_EntryRaisesEntryNotFound)
{
    std::string path = dir.File("nodir/x.mod");
    file.SetFilePath(path.c_str());
    EXPECT_FILE_EXCEPTION(file.GetFileName(), P_FILE_ERR_ENTRY_NOT_FOUND);
    // A clean absolute path is taken as it is, as BPath does without touching the disk;
    // one that needs normalising must have its directory.
    EXPECT_EQ(path, (const char*)file.GetFullPath());
    file.SetFilePath((dir.File("nodir/../nodir2/x.mod")).c_str());
    EXPECT_FILE_EXCEPTION(file.GetFullPath(), P_FILE_ERR_ENTRY_NOT_FOUND);
}

TEST_F(PFileTest, FileType_RoundTripThroughXattrOrEntryNotFound)
{
    std::string path = dir.Write("typed.mod", "x");
    if (!UserXattrsWork(path))
        GTEST_SKIP() << "the file system refuses user extended attributes";
    file.Open(path.c_str(), PFile::pModeRead);
    EXPECT_FILE_EXCEPTION(file.GetFileType(), P_FILE_ERR_ENTRY_NOT_FOUND);
    file.SetFileType("audio/x-mod");
    EXPECT_STREQ("audio/x-mod", (const char*)file.GetFileType());
    char stored[64] = {};
    EXPECT_GT(getxattr(path.c_str(), "user.mime_type", stored, sizeof(stored)), 0);
    EXPECT_STREQ("audio/x-mod", stored);
}

// #pragma mark - Rename and Remove

TEST_F(PFileTest, Rename_MovesFileOrRaises)
{
    std::string from = dir.Write("from", "data");
    std::string to = dir.File("to");
    PFile::Rename(from.c_str(), to.c_str());
    EXPECT_EQ("data", TempDir::Read(to));
    EXPECT_NE(0, access(from.c_str(), F_OK));
    EXPECT_FILE_EXCEPTION(
        PFile::Rename(from.c_str(), dir.File("x").c_str()), P_FILE_ERR_ENTRY_NOT_FOUND);
}

TEST_F(PFileTest, RenameOntoExisting_RefusesToClobber)
{
    std::string from = dir.Write("from", "new");
    std::string to = dir.Write("to", "old");
    auto        e = CatchP<PFileException>([&] { PFile::Rename(from.c_str(), to.c_str()); });
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(P_FILE_ERR_ENTRY_EXISTS, e->code);
    EXPECT_STREQ(from.c_str(), (const char*)e->name);
    EXPECT_EQ("old", TempDir::Read(to));
    EXPECT_EQ("new", TempDir::Read(from));
}

TEST_F(PFileTest, Remove_DeletesAndRaisesWhenMissing)
{
    std::string path = dir.Write("gone", "x");
    PFile::Remove(path.c_str());
    EXPECT_NE(0, access(path.c_str(), F_OK));
    EXPECT_FILE_EXCEPTION(PFile::Remove(path.c_str()), P_FILE_ERR_ENTRY_NOT_FOUND);
}
