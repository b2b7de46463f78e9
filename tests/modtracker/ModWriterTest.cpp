// The module writer: note names, and the byte layouts the loaders are tested against.
#include <gtest/gtest.h>

#include "modtracker/Tables.h"
#include "tools/modwriter/ModWriter.h"

using namespace zw;

TEST(ModWriterTest, NoteNames)
{
    EXPECT_EQ(NoteNumber("C-0"), 1);
    EXPECT_EQ(NoteNumber("C#0"), 2);
    EXPECT_EQ(NoteNumber("C-2"), 25);
    EXPECT_EQ(NoteNumber("B-6"), 84);
    for (const char* bad : { "C-7", "H-1", "C2", "c-2", "" })
        EXPECT_EQ(NoteNumber(bad), 0) << bad;
    EXPECT_EQ(NotePeriod("C-2"), 856);
    EXPECT_EQ(NotePeriod("B-6"), 28);
    EXPECT_EQ(NotePeriod("C-2", 8), 907);
    EXPECT_EQ(NotePeriod("C-2", 16), 0);
    EXPECT_EQ(MtmNote("C#1"), 1);
    EXPECT_EQ(MtmNote("C-1"), 0);
}

TEST(ModWriterTest, ModLayout)
{
    ModWriter mod("8CHN");
    EXPECT_EQ(mod.channels, 8);
    mod.SetPositions({ 1 });
    mod.Cell(0, 0, 7) = { 0x123, 0x1F, 0xC, 0x40 };
    mod.SetSample(31, { 1, 2, 3, 4 });
    std::vector<uint8> b = mod.Build();
    ASSERT_EQ(b.size(), 1084u + 2 * 2048 + 4);
    EXPECT_EQ(b[950], 1);
    EXPECT_EQ(b[952], 1);
    EXPECT_EQ(std::string(b.begin() + 1080, b.begin() + 1084), "8CHN");
    const uint8* cell = &b[1084 + 7 * 4];
    EXPECT_EQ(cell[0], 0x11);
    EXPECT_EQ(cell[1], 0x23);
    EXPECT_EQ(cell[2], 0xFC);
    EXPECT_EQ(cell[3], 0x40);
    EXPECT_EQ(b[20 + 30 * 30 + 23], 2);     // sample 31's length in words
    EXPECT_EQ(b.back(), 4);

    mod.fillPatterns = false;
    EXPECT_EQ(mod.Build().size(), 1084u + 2048 + 4);
    EXPECT_EQ(ModWriter("", 15).Build().size(), 600u + 1024);
}

TEST(ModWriterTest, MtmAndNtLayout)
{
    MtmWriter mtm(4, 32);
    mtm.SetSample(2, { 9, 9, 9 });
    mtm.Row(2, 1) = { 1, 0x21, 0xA, 7 };
    mtm.Sequence(1, 0) = 2;
    mtm.comment = "xy";
    std::vector<uint8> b = mtm.Build();
    ASSERT_EQ(b.size(), 66u + 2 * 37 + 128 + 2 * 32 * 3 + 2 * 64 + 2 + 3);
    EXPECT_EQ(b[24], 2);                    // tracks
    EXPECT_EQ(b[26], 1);                    // last pattern
    EXPECT_EQ(b[30], 2);                    // samples
    const uint8* row = &b[66 + 74 + 128 + 32 * 3 + 3];
    EXPECT_EQ(row[0], (1 << 2) | 2);
    EXPECT_EQ(row[1], 0x1A);
    EXPECT_EQ(row[2], 7);

    NtWriter nt;
    nt.Record(4).waveform = 2;
    std::vector<uint8> n = nt.Build();
    ASSERT_EQ(n.size(), 144u + 120 * 5);
    EXPECT_EQ(n[144 + 4 * 120], 'A');
    EXPECT_EQ(n[144 + 4 * 120 + 1], 'M');
    EXPECT_EQ(n[144 + 4 * 120 + 6 + 2 * 10 + 1], 2);
}
