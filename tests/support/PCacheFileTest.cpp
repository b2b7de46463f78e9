// PCacheFile: the read cache must be invisible: byte for byte what a plain
// PFile gives, whatever the cache size and the pattern of reads and seeks.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "support/PCacheFile.h"
#include "support/PException.h"
#include "tests/common/CaughtException.h"
#include "tests/common/TempDir.h"

namespace {

class PCacheFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    std::string Numbered(const std::string& leaf, int bytes)
    {
        std::string data;
        for (int i = 0; i < bytes; i++)
            data += (char)(i * 7 + (i >> 8));
        return dir.Write(leaf, data);
    }

    // Overwrites bytes of the file behind the cache's back.
    static void Poke(const std::string& path, off_t at, const std::string& bytes)
    {
        int fd = open(path.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ((ssize_t)bytes.size(), pwrite(fd, bytes.data(), bytes.size(), at));
        close(fd);
    }

    TempDir dir;
};

}   // namespace

TEST_F(PCacheFileTest, RandomReadsAndSeeks_MatchPlainFile)
{
    const int   kFileBytes = 10000;
    std::string path = Numbered("random.bin", kFileBytes);
    for (int32 cacheSize : { 1, 7, 4096 }) {
        PFile        plain(path.c_str(), PFile::pModeRead);
        PCacheFile   cached(path.c_str(), PFile::pModeRead, cacheSize);
        std::mt19937 random(1234 + cacheSize);
        for (int step = 0; step < 3000; step++) {
            SCOPED_TRACE(testing::Message() << "cache " << cacheSize << " step " << step);
            switch (random() % 6) {
                case 0: {
                    int32              count = (int32)(random() % 9000);
                    std::vector<uint8> a(count + 1), b(count + 1);
                    ASSERT_EQ(plain.Read(a.data(), count), cached.Read(b.data(), count));
                    ASSERT_EQ(a, b);
                    break;
                }
                case 1: {
                    int32 offset = (int32)(random() % (kFileBytes + 200));
                    ASSERT_EQ(plain.Seek(offset, PFile::pSeekBegin),
                        cached.Seek(offset, PFile::pSeekBegin));
                    break;
                }
                case 2: {
                    int32 offset = (int32)(random() % 400) - 200;
                    if (plain.GetPosition() + offset < 0)
                        offset = -offset;
                    ASSERT_EQ(plain.Seek(offset, PFile::pSeekCurrent),
                        cached.Seek(offset, PFile::pSeekCurrent));
                    break;
                }
                case 3: {
                    int32 offset = -(int32)(random() % (kFileBytes + 1));
                    ASSERT_EQ(
                        plain.Seek(offset, PFile::pSeekEnd), cached.Seek(offset, PFile::pSeekEnd));
                    break;
                }
                case 4:
                    ASSERT_EQ(plain.Read_B_UINT32(), cached.Read_B_UINT32());
                    ASSERT_EQ(plain.Read_L_UINT16(), cached.Read_L_UINT16());
                    ASSERT_EQ(plain.Read_UINT8(), cached.Read_UINT8());
                    break;
                default: break;
            }
            ASSERT_EQ(plain.GetPosition(), cached.GetPosition());
        }
    }
}

TEST_F(PCacheFileTest, SeekInsideBuffer_DoesNotTouchPlatformFile)
{
    std::string path = dir.Write("inside", "0123456789abcdef");
    PCacheFile  file(path.c_str(), PFile::pModeRead, 8);
    EXPECT_EQ('0', file.Read_UINT8());   // the cache holds bytes 0..7
    Poke(path, 0, "XXXXXXXXXXXXXXXX");
    EXPECT_EQ(5, file.Seek(5, PFile::pSeekBegin));
    EXPECT_EQ('5', file.Read_UINT8());   // still from the cache
    EXPECT_EQ(2, file.Seek(-4, PFile::pSeekCurrent));
    EXPECT_EQ('2', file.Read_UINT8());
    EXPECT_EQ(12, file.Seek(12, PFile::pSeekBegin));   // outside: the cache empties
    EXPECT_EQ('X', file.Read_UINT8());
    EXPECT_EQ(1, file.Seek(1, PFile::pSeekBegin));
    EXPECT_EQ('X', file.Read_UINT8());
}

TEST_F(PCacheFileTest, SeekBeforeAnyRead_CorrectPosition)
{
    PCacheFile file(dir.Write("before", "0123456789").c_str(), PFile::pModeRead, 4);
    EXPECT_EQ(0, file.GetPosition());
    EXPECT_EQ(6, file.Seek(6, PFile::pSeekBegin));
    EXPECT_EQ(6, file.GetPosition());
    EXPECT_EQ(8, file.Seek(-2, PFile::pSeekEnd));
    EXPECT_EQ(8, file.GetPosition());
    EXPECT_EQ('8', file.Read_UINT8());
    EXPECT_EQ(9, file.GetPosition());
}

TEST_F(PCacheFileTest, ReadLargerThanCache_RefillsAndReturnsTotal)
{
    std::string       path = Numbered("large", 1000);
    std::string       expected = TempDir::Read(path);
    PCacheFile        file(path.c_str(), PFile::pModeRead, 7);
    std::vector<char> buffer(1000);
    EXPECT_EQ(995, file.Read(buffer.data(), 995));
    EXPECT_EQ(0, memcmp(buffer.data(), expected.data(), 995));
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(5, file.Read(buffer.data(), 100));
    EXPECT_EQ(1000, file.GetPosition());
}

TEST_F(PCacheFileTest, EndianReadAtEnd_ZeroFilledNeverRaises)
{
    PCacheFile file(dir.Write("end", "\xAB\xCD").c_str(), PFile::pModeRead, 16);
    EXPECT_EQ(0xABCD0000u, file.Read_B_UINT32());
    EXPECT_EQ(0u, file.Read_L_UINT32());
    EXPECT_TRUE(file.IsEOF());
    file.SeekToBegin();
    EXPECT_FALSE(file.IsEOF());
    EXPECT_EQ(0xCDAB, file.Read_L_UINT16());
}

TEST_F(PCacheFileTest, CacheSizeZeroOrNegative_StillReads)
{
    std::string path = dir.Write("zero", "abc");
    for (int32 size : { 0, -5 }) {
        PCacheFile file(path.c_str(), PFile::pModeRead, size);
        EXPECT_EQ('a', file.Read_UINT8());
        EXPECT_EQ(0x6362, file.Read_L_UINT16());
        EXPECT_FALSE(file.IsEOF());
    }
}

TEST_F(PCacheFileTest, OpenMissing_RaisesAndFreesBuffer)
{
    std::string path = dir.File("missing");
    auto        e =
        CatchP<PFileException>([&] { PCacheFile file(path.c_str(), PFile::pModeRead, 32768); });
    ASSERT_NE(nullptr, e);
    EXPECT_EQ(P_FILE_ERR_ENTRY_NOT_FOUND, e->code);
    EXPECT_STREQ(path.c_str(), (const char*)e->name);
}

TEST_F(PCacheFileTest, CloseAndReopen_StartsAtZero)
{
    PCacheFile file(8);
    file.Open(dir.Write("reopen", "0123456789").c_str(), PFile::pModeRead);
    file.Seek(5, PFile::pSeekBegin);
    EXPECT_EQ('5', file.Read_UINT8());
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Open(PFile::pModeRead);
    EXPECT_EQ(0, file.GetPosition());
    EXPECT_EQ('0', file.Read_UINT8());
}

TEST_F(PCacheFileTest, WriteAfterRead_LandsAtLogicalPosition)
{
    std::string path = dir.Write("write", "0123456789");
    {
        PCacheFile file(path.c_str(), PFile::pModeReadWrite, 8);
        EXPECT_EQ('0', file.Read_UINT8());
        EXPECT_EQ('1', file.Read_UINT8());
        file.Write_UINT8('X');
        EXPECT_EQ(3, file.GetPosition());
        EXPECT_EQ('3', file.Read_UINT8());
    }
    EXPECT_EQ("01X3456789", TempDir::Read(path));
}

TEST_F(PCacheFileTest, SeekBeforeBeginning_RaisesAndKeepsPosition)
{
    PCacheFile file(dir.Write("neg", "0123456789").c_str(), PFile::pModeRead, 4);
    file.Seek(6, PFile::pSeekBegin);
    EXPECT_EQ('6', file.Read_UINT8());
    EXPECT_FILE_EXCEPTION(file.Seek(-20, PFile::pSeekCurrent), P_ERR_BAD_ARGUMENT);
    EXPECT_EQ(7, file.GetPosition());
    EXPECT_EQ('7', file.Read_UINT8());
}

// The length is asked of the platform once while the file is open: it follows writes
// and length changes through the cache and a new Open, not a writer behind its back.
TEST_F(PCacheFileTest, Length_KeptWhileOpenNewAfterWriteOrReopen)
{
    std::string path = Numbered("length.bin", 100);
    PCacheFile  cached(path.c_str(), PFile::pModeReadWrite, 16);
    EXPECT_EQ(100, cached.GetLength());
    Poke(path, 150, "x");
    EXPECT_EQ(100, cached.GetLength());
    cached.Seek(151, PFile::pSeekBegin);
    cached.Write("abcdefghij", 10);
    EXPECT_EQ(161, cached.GetLength());
    cached.SetLength(40);
    EXPECT_EQ(40, cached.GetLength());
    cached.Open(Numbered("other.bin", 7).c_str(), PFile::pModeRead);
    EXPECT_EQ(7, cached.GetLength());
}
