// Format detection: lengths, marks, the ProTracker tempo scan and the old unmarked files.
#include "LoaderTestSupport.h"

using namespace zw;

namespace {

std::vector<uint8>
Padded(std::vector<uint8> bytes, size_t length)
{
    bytes.resize(length, 0);
    return bytes;
}

std::vector<uint8>
MtmHead(uint8 version = 16)
{
    return { 'M', 'T', 'M', version };
}

ModWriter
MarkedMod(const std::string& mark)
{
    ModWriter mod(mark);
    mod.SetPositions({ 0 });
    return mod;
}

class DetectionTest : public PlayerTest {};

}   // namespace

TEST_F(DetectionTest, Length_MtmNeeds68Bytes)
{
    EXPECT_EQ(Detect(Padded(MtmHead(), 67)), -1);
    EXPECT_EQ(Detect(Padded(MtmHead(), 68)), MODTYPE_MULTITRACKER);
    EXPECT_EQ(Detect(Padded(MtmHead(15), 68)), -1);
    EXPECT_EQ(Detect(Padded(MtmHead(17), 2000)), -1);
}

TEST_F(DetectionTest, Length_MarkNeeds1148Bytes)
{
    std::vector<uint8> mod = MarkedMod("M.K.").Build();
    EXPECT_EQ(Detect(Truncated(mod, 1147)), -1);
    EXPECT_EQ(Detect(Truncated(mod, 1148)), MODTYPE_NOISETRACKER);
}

TEST_F(DetectionTest, Marks_GiveTheirTypes)
{
    const struct { const char* mark; int32 type; } cases[] = {
        { "M.K.", MODTYPE_NOISETRACKER }, { "M!K!", MODTYPE_NOISETRACKER },
        { "M&K!", MODTYPE_NOISETRACKER }, { "FLT4", MODTYPE_STARTRACKER },
        { "FLT8", -1 }, { "6CHN", MODTYPE_FASTTRACKER }, { "8CHN", MODTYPE_FASTTRACKER },
        { "2CHN", MODTYPE_TAKETRACKER }, { "5CHN", MODTYPE_TAKETRACKER },
        { "7CHN", MODTYPE_TAKETRACKER }, { "9CHN", MODTYPE_TAKETRACKER },
        { "0CHN", MODTYPE_TAKETRACKER }, { "10CH", MODTYPE_TAKETRACKER },
        { "32CH", MODTYPE_TAKETRACKER }, { "99CH", MODTYPE_TAKETRACKER },
        { "TDZ1", MODTYPE_TAKETRACKER }, { "TDZ3", MODTYPE_TAKETRACKER },
        { "ABCD", -1 }, { "M.K ", -1 },
    };
    for (const auto& c : cases) {
        ModWriter mod = MarkedMod(c.mark);
        mod.channels = 4;       // the mark alone decides
        EXPECT_EQ(Detect(mod.Build()), c.type) << c.mark;
    }
}

TEST_F(DetectionTest, TempoScan_RestartByte127IsProTracker)
{
    ModWriter mod = MarkedMod("M.K.");
    mod.restart = 127;
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_PROTRACKER);
    mod.restart = 126;
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_NOISETRACKER);
}

TEST_F(DetectionTest, TempoScan_OnlyTempoValuesCount)
{
    ModWriter mod = MarkedMod("M.K.");
    mod.Cell(0, 63, 3) = { 0, 0, 0xF, 0x1F };
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_NOISETRACKER);
    mod.Cell(0, 63, 3) = { 0, 0, 0xF, 0x20 };
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_PROTRACKER);
    mod.Cell(0, 63, 3) = { 0, 0, 0xE, 0x20 };
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_NOISETRACKER);
}

TEST_F(DetectionTest, TempoScan_LooksOnlyAtTheFirstListedPattern)
{
    ModWriter mod = MarkedMod("M.K.");
    mod.SetPositions({ 2, 0, 1 });
    mod.Cell(0, 0, 0) = { 0, 0, 0xF, 0x7D };
    mod.Cell(1, 0, 0) = { 0, 0, 0xF, 0x7D };
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_NOISETRACKER);
    mod.Cell(2, 10, 2) = { 0, 0, 0xF, 0x7D };
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_PROTRACKER);
}

// The scan reads 1024 bytes from the pattern's start: four channels, whatever the file.
TEST_F(DetectionTest, TempoScan_CoversFourChannelsOnly)
{
    ModWriter mod = MarkedMod("M.K.");
    mod.channels = 8;
    mod.Cell(0, 40, 7) = { 0, 0, 0xF, 0x7D };   // byte 40 * 32 + 28, past 1024
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_NOISETRACKER);
    mod.Cell(0, 31, 7) = { 0, 0, 0xF, 0x7D };   // byte 1020, the last one scanned
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_PROTRACKER);
}

TEST_F(DetectionTest, Unmarked_FifteenAndThirtyOneSamples)
{
    ModWriter st15("", 15);
    st15.SetPositions({ 0 });
    st15.restart = 0x78;
    EXPECT_EQ(Detect(st15.Build()), MODTYPE_SOUNDTRACKER15);
    st15.songLength = 0;
    st15.restart = 5;
    EXPECT_EQ(Detect(st15.Build()), -1);

    ModWriter st31("", 31);
    st31.SetPositions({ 0 });
    EXPECT_EQ(Detect(st31.Build()), MODTYPE_SOUNDTRACKER31);
    st31.songLength = 0;
    EXPECT_EQ(Detect(st31.Build()), -1);
}

TEST_F(DetectionTest, SampleNames_OnlyTextAndZeros)
{
    ModWriter mod("", 31);
    mod.SetPositions({ 0 });
    mod.Sample(1).name = std::string("a\0b ~\x7f", 6);
    EXPECT_EQ(Detect(mod.Build()), MODTYPE_SOUNDTRACKER31);
    for (const char* bad : { "\x1f", "\x01", "\x80", "\xff" }) {
        for (int n : { 1, 15, 17, 31 }) {
            ModWriter m = mod;
            m.Sample(n).name = std::string("name") + bad;
            EXPECT_EQ(Detect(m.Build()), -1) << "sample " << n << " byte " << int(uint8(*bad));
        }
    }
}

TEST_F(DetectionTest, CheckSampleName_ReadsHeaderN)
{
    ModWriter mod("", 31);
    mod.Sample(5).name = "\x10";
    auto file = MemFile(mod.Build());
    EXPECT_TRUE(player.CheckSampleName(file.get(), 3));
    EXPECT_FALSE(player.CheckSampleName(file.get(), 4));
}

TEST_F(DetectionTest, ModuleCheck_AnswersForItsTypeOnly)
{
    auto file = MemFile(MarkedMod("FLT4").Build());
    EXPECT_EQ(player.ModuleCheck(MODTYPE_NOISETRACKER, file.get()), 2);
    EXPECT_EQ(player.ModuleCheck(MODTYPE_STARTRACKER, file.get()), 0);
    EXPECT_EQ(player.modType, uint32(MODTYPE_STARTRACKER));
}
