// What every kind of PFile must read alike: lines and counted strings through the
// platform file, through a read cache smaller than a line and from memory.
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "support/PCacheFile.h"
#include "support/PFile.h"
#include "support/PMemFile.h"
#include "tests/common/TempDir.h"

namespace {

enum class Kind { Plain, Cached, Memory };

class PFileKindsTest : public ::testing::TestWithParam<Kind>
{
protected:
    // A file of the kind under test holding bytes, open for reading at its start.
    std::unique_ptr<PFile> Holding(const std::string& bytes)
    {
        if (GetParam() == Kind::Memory) {
            uint8* block = new uint8[bytes.size()];
            memcpy(block, bytes.data(), bytes.size());
            return std::make_unique<PMemFile>(block, (int32)bytes.size(), 4);
        }
        std::string path = dir.Write("file", bytes);
        if (GetParam() == Kind::Cached)
            return std::make_unique<PCacheFile>(path.c_str(), PFile::pModeRead, 3);
        return std::make_unique<PFile>(path.c_str(), PFile::pModeRead);
    }

    TempDir dir;
};

}   // namespace

TEST_P(PFileKindsTest, ReadLineWithCrLf_TextAndPositionAfterNewline)
{
    std::unique_ptr<PFile> file = Holding("abc\r\n\r\nsecond\nthird");
    EXPECT_STREQ("abc", (const char*)file->ReadLine());
    EXPECT_EQ(5, file->GetPosition());
    EXPECT_STREQ("", (const char*)file->ReadLine());   // an empty line: the CR goes too
    EXPECT_EQ(7, file->GetPosition());
    EXPECT_STREQ("second", (const char*)file->ReadLine());
    EXPECT_EQ(14, file->GetPosition());
    EXPECT_STREQ("third", (const char*)file->ReadLine());   // last line, no newline
    EXPECT_STREQ("", (const char*)file->ReadLine());
}

TEST_P(PFileKindsTest, ReadLineZeroByte_EndsLine)
{
    std::unique_ptr<PFile> file = Holding(std::string("ab\0cd\n", 6));
    EXPECT_STREQ("ab", (const char*)file->ReadLine());
    EXPECT_STREQ("cd", (const char*)file->ReadLine());
}

TEST_P(PFileKindsTest, ReadStringCountBeyondFile_HoldsBytesRead)
{
    std::unique_ptr<PFile> file = Holding(std::string("\xff\x00"
                                                      "abc",
        5));
    PString                s = file->ReadString();
    EXPECT_STREQ("abc", (const char*)s);
    EXPECT_EQ(3, s.GetLength());
}

INSTANTIATE_TEST_SUITE_P(AllKinds, PFileKindsTest,
    ::testing::Values(Kind::Plain, Kind::Cached, Kind::Memory),
    [](const ::testing::TestParamInfo<Kind>& info) {
        return info.param == Kind::Plain ? "Plain"
            : info.param == Kind::Cached ? "Cached"
                                         : "Memory";
    });
