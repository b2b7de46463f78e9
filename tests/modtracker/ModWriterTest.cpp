// The module writer: note names, and the byte layouts the loaders are tested against.
#include <gtest/gtest.h>

#include <tuple>

#include "modtracker/Tables.h"
#include "tools/modwriter/ModWriter.h"

using namespace zw;

TEST(ModWriterTest, NoteNames_GoodAndBad_GiveNumbersAndPeriods)
{
    EXPECT_EQ(
        std::tuple(NoteNumber("C-0"), NoteNumber("C#0"), NoteNumber("C-2"), NoteNumber("B-6")),
        std::tuple(1, 2, 25, 84));
    for (const char* bad : { "C-7", "H-1", "C2", "c-2", "" })
        EXPECT_EQ(NoteNumber(bad), 0) << bad;
    EXPECT_EQ(std::tuple(NotePeriod("C-2"), NotePeriod("B-6"), NotePeriod("C-2", 8),
                  NotePeriod("C-2", 16)),
        std::tuple(856, 28, 907, 0));
    EXPECT_EQ(std::tuple(MtmNote("C#1"), MtmNote("C-1")), std::tuple(1, 0));
}

TEST(ModWriterTest, Build_Mod_WritesTheLoadersLayout)
{
    ModWriter mod("8CHN");
    EXPECT_EQ(mod.channels, 8);
    mod.SetPositions({ 1 });
    mod.Cell(0, 0, 7) = { 0x123, 0x1F, 0xC, 0x40 };
    mod.SetSample(31, { 1, 2, 3, 4 });
    std::vector<uint8> b = mod.Build();
    ASSERT_EQ(b.size(), 1084u + 2 * 2048 + 4);
    EXPECT_EQ(std::tuple(b[950], b[952]), std::tuple(1, 1));
    EXPECT_EQ(std::string(b.begin() + 1080, b.begin() + 1084), "8CHN");
    EXPECT_EQ(std::vector<uint8>(&b[1084 + 7 * 4], &b[1084 + 8 * 4]),
        (std::vector<uint8> { 0x11, 0x23, 0xFC, 0x40 }));
    EXPECT_EQ(b[20 + 30 * 30 + 23], 2);   // sample 31's length in words
    EXPECT_EQ(b.back(), 4);

    mod.fillPatterns = false;
    EXPECT_EQ(mod.Build().size(), 1084u + 2048 + 4);
    EXPECT_EQ(ModWriter("", 15).Build().size(), 600u + 1024);
}

TEST(ModWriterTest, Build_MtmAndNt_WriteTheLoadersLayout)
{
    MtmWriter mtm(4, 32);
    mtm.SetSample(2, { 9, 9, 9 });
    mtm.Row(2, 1) = { 1, 0x21, 0xA, 7 };
    mtm.Sequence(1, 0) = 2;
    mtm.comment = "xy";
    std::vector<uint8> b = mtm.Build();
    ASSERT_EQ(b.size(), 66u + 2 * 37 + 128 + 2 * 32 * 3 + 2 * 64 + 2 + 3);
    EXPECT_EQ(
        std::tuple(b[24], b[26], b[30]), std::tuple(2, 1, 2));   // tracks, last pattern, samples
    const uint8* row = &b[66 + 74 + 128 + 32 * 3 + 3];
    EXPECT_EQ(std::tuple(row[0], row[1], row[2]), std::tuple((1 << 2) | 2, 0x1A, 7));

    NtWriter nt;
    nt.Record(4).waveform = 2;
    std::vector<uint8> n = nt.Build();
    ASSERT_EQ(n.size(), 144u + 120 * 5);
    EXPECT_EQ(std::tuple(n[144 + 4 * 120], n[144 + 4 * 120 + 1], n[144 + 4 * 120 + 6 + 2 * 10 + 1]),
        std::tuple('A', 'M', 2));
}
