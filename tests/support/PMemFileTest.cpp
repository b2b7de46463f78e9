// PMemFile: the PFile interface over a growable memory block.
#include <climits>
#include <cstring>

#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PMemFile.h"
#include "tests/common/CaughtException.h"

namespace {

uint8*
Block(const char* bytes, int32 length)
{
    uint8* block = new uint8[length];
    memcpy(block, bytes, length);
    return block;
}

const int32 kDiskFull = 0x80001004;
const int32 kSeekBeforeBegin = 0x80001007;

}   // namespace

TEST(PMemFile, New_OpenEmptyWithFixedName)
{
    PMemFile file;
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(0, file.GetLength());
    EXPECT_EQ(0, file.GetPosition());
    EXPECT_STREQ("Memory File", (const char*)file.GetFileName());
    EXPECT_STREQ("Memory File", (const char*)file.GetFilePath());
    EXPECT_TRUE(file.GetFileType().IsEmpty());
}

TEST(PMemFile, WriteThenRead_RoundTrip)
{
    PMemFile file(4);
    file.Write_B_UINT32(0x01020304);
    file.Write_L_UINT16(0xBEEF);
    file.WriteString("abc");
    file.WriteLine("line");
    EXPECT_EQ(4 + 2 + 5 + 5, file.GetLength());
    file.SeekToBegin();
    EXPECT_EQ(0x01020304u, file.Read_B_UINT32());
    EXPECT_EQ(0xBEEF, file.Read_L_UINT16());
    EXPECT_STREQ("abc", (const char*)file.ReadString());
    EXPECT_STREQ("line", (const char*)file.ReadLine());
    EXPECT_EQ(file.GetLength(), file.GetPosition());
}

TEST(PMemFile, AttachedUsedAsPFile_VirtualSlotsReadTheBlock)
{
    PMemFile memory(Block("\x12\x34\x56\x78", 4), 4, 16);
    PFile&   file = memory;
    EXPECT_EQ(4, file.GetLength());
    EXPECT_EQ(0x12345678u, file.Read_B_UINT32());
    EXPECT_STREQ("Memory File", (const char*)file.GetFullPath());
    EXPECT_EQ(0u, file.Read_B_UINT32());
    EXPECT_TRUE(file.IsEOF());
}

TEST(PMemFile, TypedReadPastEnd_ZeroAndEofWithoutMovingOrOverrun)
{
    PMemFile file(Block("\xAA\xBB\xCC", 3), 3, 16);
    EXPECT_EQ(0u, file.Read_L_UINT32());   // needs position + 3 < length
    EXPECT_TRUE(file.IsEOF());
    EXPECT_EQ(0, file.GetPosition());
    file.SeekToBegin();
    EXPECT_EQ(0xBBAA, file.Read_L_UINT16());
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0, file.Read_B_UINT16());
    EXPECT_TRUE(file.IsEOF());
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0xCC, file.Read_UINT8());
    EXPECT_EQ(0, file.Read_UINT8());
    EXPECT_TRUE(file.IsEOF());
    file.Seek(1000, PFile::pSeekBegin);   // not clamped, and nothing read beyond the block
    EXPECT_EQ(1000, file.GetPosition());
    EXPECT_EQ(0u, file.Read_B_UINT32());
    EXPECT_EQ(0, file.Read_UINT8());
    char buffer[4];
    EXPECT_EQ(0, file.Read(buffer, 4));
    EXPECT_TRUE(file.IsEOF());
}

TEST(PMemFile, RawRead_CopiesWhatIsLeft)
{
    PMemFile file(Block("abcdef", 6), 6, 16);
    char     buffer[10] = {};
    file.Seek(4, PFile::pSeekBegin);
    EXPECT_EQ(2, file.Read(buffer, 10));
    EXPECT_STREQ("ef", buffer);
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0, file.Read(buffer, 10));
    EXPECT_TRUE(file.IsEOF());
    EXPECT_EQ(0, file.Read(buffer, -3));
}

TEST(PMemFile, GrowStepZeroOrNegative_RefusesToGrowWithDiskFull)
{
    for (int32 step : { 0, -8 }) {
        PMemFile file(step);
        EXPECT_FILE_EXCEPTION(file.Write_UINT8(1), kDiskFull);
        EXPECT_EQ(0, file.GetLength());
    }
    PMemFile attached(Block("ab", 2), 2, 0);
    attached.Seek(0, PFile::pSeekEnd);
    EXPECT_FILE_EXCEPTION(attached.Write_UINT8(1), kDiskFull);
    attached.SeekToBegin();
    attached.Write_UINT8('X');   // fits: no growth needed
    attached.SeekToBegin();
    EXPECT_EQ('X', attached.Read_UINT8());
}

TEST(PMemFile, SeekMinusOne_RaisesSeekBeforeBegin)
{
    PMemFile file;
    EXPECT_FILE_EXCEPTION(file.Seek(-1, PFile::pSeekBegin), kSeekBeforeBegin);
    EXPECT_FILE_EXCEPTION(file.Seek(-1, PFile::pSeekEnd), kSeekBeforeBegin);
    EXPECT_FILE_EXCEPTION(file.Seek(INT_MIN, PFile::pSeekCurrent), kSeekBeforeBegin);
    EXPECT_EQ(0, file.GetPosition());
}

TEST(PMemFile, GrowByWholeSteps_ContentsKept)
{
    PMemFile file(3);
    for (int i = 0; i < 100; i++)
        file.Write_UINT8((uint8)i);
    EXPECT_EQ(100, file.GetLength());
    file.SeekToBegin();
    for (int i = 0; i < 100; i++)
        ASSERT_EQ(i, file.Read_UINT8());
    char big[1000];
    memset(big, 'z', sizeof(big));
    EXPECT_EQ(1000, file.Write(big, 1000));   // several steps at once
    EXPECT_EQ(1100, file.GetLength());
}

TEST(PMemFile, WritePastEnd_GapIsZero)
{
    PMemFile file(8);
    file.Write_UINT8(1);
    file.Seek(5, PFile::pSeekBegin);
    file.Write_UINT8(2);
    EXPECT_EQ(6, file.GetLength());
    file.SeekToBegin();
    uint8 bytes[6];
    EXPECT_EQ(6, file.Read(bytes, 6));
    const uint8 expected[6] = { 1, 0, 0, 0, 0, 2 };
    EXPECT_EQ(0, memcmp(expected, bytes, 6));
}

TEST(PMemFile, SetLength_GrowsZeroFilledAndShrinks)
{
    PMemFile file(4);
    file.Write_B_UINT16(0xFFFF);
    file.SetLength(10);
    EXPECT_EQ(10, file.GetLength());
    file.Seek(2, PFile::pSeekBegin);
    EXPECT_EQ(0u, file.Read_L_UINT32());
    file.SetLength(1);
    EXPECT_EQ(1, file.GetLength());
    EXPECT_FILE_EXCEPTION(file.SetLength(-1), P_ERR_BAD_ARGUMENT);
}

TEST(PMemFile, Detach_GivesBlockBackAndClears)
{
    PMemFile file(4);
    file.Write_L_UINT32(0x64636261);
    uint8* block = file.Detach();
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(0, memcmp(block, "abcd", 4));
    delete[] block;
    EXPECT_EQ(0, file.GetLength());
    EXPECT_EQ(0, file.GetPosition());
    EXPECT_FILE_EXCEPTION(file.Write_UINT8(1), kDiskFull);   // the grow step went too
}

TEST(PMemFile, AttachTwiceThenCloseAndOpen_FreesFirstBlockKeepsSecond)
{
    PMemFile file(Block("ab", 2), 2, 4);
    file.Attach(Block("xyz", 3), 3, 4);
    EXPECT_EQ(3, file.GetLength());
    EXPECT_EQ('x', file.Read_UINT8());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Open(PFile::pModeRead);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(3, file.GetLength());
}

TEST(PMemFile, SetFilePath_ReplacesNameIgnoresType)
{
    PMemFile file;
    file.SetFilePath("virtual.mod");
    file.SetFileType("audio/x-mod");
    EXPECT_STREQ("virtual.mod", (const char*)file.GetFileName());
    EXPECT_TRUE(file.GetFileType().IsEmpty());
    auto e = CatchP<PFileException>([&] { file.Seek(-1, PFile::pSeekBegin); });
    ASSERT_NE(nullptr, e);
    EXPECT_STREQ("virtual.mod", (const char*)e->name);
}
