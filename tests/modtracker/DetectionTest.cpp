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

// The signature, then 64 rows and 4 channels at offset 32, as the loader needs them.
std::vector<uint8>
MtmHead(uint8 version = 16)
{
    std::vector<uint8> head = { 'M', 'T', 'M', version };
    head.resize(34, 0);
    head[32] = 64;
    head[33] = 4;
    return head;
}

ModWriter
MarkedMod(const std::string& mark)
{
    ModWriter mod(mark);
    mod.SetPositions({ 0 });
    return mod;
}

class DetectionTest : public PlayerTest
{};

}   // namespace

TEST_F(DetectionTest, Length_Mtm_Needs68BytesAndVersion16)
{
    EXPECT_EQ(Detect(Padded(MtmHead(), 67)), -1);
    EXPECT_EQ(Detect(Padded(MtmHead(), 68)), MODTYPE_MULTITRACKER);
    EXPECT_EQ(Detect(Padded(MtmHead(15), 68)), -1);
    EXPECT_EQ(Detect(Padded(MtmHead(17), 2000)), -1);
}

TEST_F(DetectionTest, Length_MarkedMod_Needs1148Bytes)
{
    std::vector<uint8> mod = MarkedMod("M.K.").Build();
    EXPECT_EQ(Detect(Truncated(mod, 1147)), -1);
    EXPECT_EQ(Detect(Truncated(mod, 1148)), MODTYPE_NOISETRACKER);
}

TEST_F(DetectionTest, Marks_Each_GiveTheirTypes)
{
    const struct
    {
        const char* mark;
        int32       type;
    } cases[] = {
        { "M.K.", MODTYPE_NOISETRACKER },
        { "M!K!", MODTYPE_NOISETRACKER },
        { "M&K!", MODTYPE_NOISETRACKER },
        { "FLT4", MODTYPE_STARTRACKER },
        { "FLT8", -1 },
        { "6CHN", MODTYPE_FASTTRACKER },
        { "8CHN", MODTYPE_FASTTRACKER },
        { "2CHN", MODTYPE_TAKETRACKER },
        { "5CHN", MODTYPE_TAKETRACKER },
        { "7CHN", MODTYPE_TAKETRACKER },
        { "9CHN", MODTYPE_TAKETRACKER },
        { "0CHN", -1 },
        { "10CH", MODTYPE_TAKETRACKER },
        { "32CH", MODTYPE_TAKETRACKER },
        { "99CH", -1 },
        { "33CH", -1 },
        { "TDZ0", -1 },
        { "TDZ1", MODTYPE_TAKETRACKER },
        { "TDZ3", MODTYPE_TAKETRACKER },
        { "ABCD", -1 },
        { "M.K ", -1 },
    };
    for (const auto& c : cases) {
        ModWriter mod = MarkedMod(c.mark);
        mod.channels = 4;   // the mark alone decides
        EXPECT_EQ(Detect(mod.Build()), c.type) << c.mark;
    }
}

// An M.K. file is ProTracker for restart byte 127, a finetune in any sample header, or a
// tempo (F20 and up) or an extended command other than the filter (E1x to EFx) in a
// pattern among the first songLength positions, read as 4 channels whatever the file.
// (The 8-channel files carry trailing bytes, so they stay 4-channel M.K. files.)
TEST_F(DetectionTest, ProTrackerRules_MarkedFile_TellsProTrackerFromNoiseTracker)
{
    struct Command
    {
        int   pattern, row, channel;
        uint8 effect, param;
    };
    const int32 NT = MODTYPE_NOISETRACKER;
    const int32 PT = MODTYPE_PROTRACKER;
    // clang-format off
    const struct
    {
        const char*          what;
        uint8                restart;
        int                  channels;
        std::vector<uint8>   positions;
        int                  songLength;   // -1: the positions' count
        std::vector<Command> cells;
        uint8                fineTune;     // of sample 31, a whole byte
        int32                type;
    } cases[] = {
        { "restart 127", 127, 4, { 0 }, -1, {}, 0, PT },
        { "restart 126", 126, 4, { 0 }, -1, {}, 0, NT },
        { "F1F is a speed", 0, 4, { 0 }, -1, { { 0, 63, 3, 0xF, 0x1F } }, 0, NT },
        { "F20 is a tempo", 0, 4, { 0 }, -1, { { 0, 63, 3, 0xF, 0x20 } }, 0, PT },
        { "E0F is the filter", 0, 4, { 0 }, -1, { { 0, 63, 3, 0xE, 0x0F } }, 0, NT },
        { "E10 is a fine slide", 0, 4, { 0 }, -1, { { 0, 63, 3, 0xE, 0x10 } }, 0, PT },
        { "EFF is the funk", 0, 4, { 0 }, -1, { { 0, 0, 0, 0xE, 0xFF } }, 0, PT },
        { "D20 is no tempo", 0, 4, { 0 }, -1, { { 0, 63, 3, 0xD, 0x20 } }, 0, NT },
        { "tempo in the last played position", 0, 4, { 2, 0, 1 }, -1,
            { { 1, 0, 0, 0xF, 0x7D } }, 0, PT },
        { "command only in a position past the song", 0, 4, { 2, 0, 1 }, 2,
            { { 1, 0, 0, 0xE, 0x61 } }, 0, NT },
        { "song length 0 plays the first position", 0, 4, { 1, 0 }, 0,
            { { 1, 5, 1, 0xF, 0x7D } }, 0, PT },
        { "finetune 1", 0, 4, { 0 }, -1, {}, 0x01, PT },
        { "finetune 0, high bits set", 0, 4, { 0 }, -1, {}, 0xF0, NT },
        { "8 channels, byte 40 * 32 + 28: past 1024", 0, 8, { 0 }, -1,
            { { 0, 40, 7, 0xF, 0x7D } }, 0, NT },
        { "8 channels, byte 1020: the last scanned", 0, 8, { 0 }, -1,
            { { 0, 31, 7, 0xF, 0x7D } }, 0, PT },
    };
    // clang-format on
    for (const auto& c : cases) {
        ModWriter mod("M.K.");
        mod.restart = c.restart;
        mod.channels = c.channels;
        mod.positions = {};
        for (size_t i = 0; i < c.positions.size(); i++)
            mod.positions[i] = c.positions[i];
        mod.songLength = uint8(c.songLength < 0 ? c.positions.size() : c.songLength);
        for (const Command& t : c.cells)
            mod.Cell(t.pattern, t.row, t.channel) = { 0, 0, t.effect, t.param };
        mod.Sample(31).fineTune = c.fineTune;
        std::vector<uint8> bytes = mod.Build();
        bytes.resize(bytes.size() + (c.channels == 8 ? 1024 : 0));
        EXPECT_EQ(Detect(bytes), c.type) << c.what;
        for (const char* mark : { "M!K!", "M&K!" }) {
            if (c.channels == 4) {
                memcpy(bytes.data() + 1080, mark, 4);
                EXPECT_EQ(Detect(bytes), c.type) << c.what << " " << mark;
            }
        }
    }
}

TEST_F(DetectionTest, Unmarked_FifteenOrThirtyOneSamples_NeedASongLength)
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

TEST_F(DetectionTest, SampleNames_Unmarked_OnlyTextAndZeros)
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

TEST_F(DetectionTest, CheckSampleName_IndexN_ReadsHeaderN)
{
    ModWriter mod("", 31);
    mod.Sample(5).name = "\x10";
    auto file = MemFile(mod.Build());
    EXPECT_TRUE(player.CheckSampleName(file.get(), 3));
    EXPECT_FALSE(player.CheckSampleName(file.get(), 4));
}

TEST_F(DetectionTest, ModuleCheck_OtherType_AnswersForItsTypeOnly)
{
    auto file = MemFile(MarkedMod("FLT4").Build());
    EXPECT_EQ(player.ModuleCheck(MODTYPE_NOISETRACKER, file.get()), 2);
    EXPECT_EQ(player.ModuleCheck(MODTYPE_STARTRACKER, file.get()), 0);
    EXPECT_EQ(player.Module().modType, uint32(MODTYPE_STARTRACKER));
}

// Detection and the loaders share one rule per format: a header detection refuses, the
// loader of its type refuses as well (error 2), and one it takes loads.
TEST_F(DetectionTest, Headers_DetectionAndLoaderAgree)
{
    ModWriter st15("", 15);
    st15.SetPositions({ 0 });
    st15.restart = 5;   // keeps the 16th header from reading as a name
    ModWriter st15NoSong = st15;
    st15NoSong.songLength = 0;
    ModWriter st15BadName = st15;
    st15BadName.Sample(3).name = "\x10";
    ModWriter st31("", 31);
    st31.SetPositions({ 0 });
    ModWriter st31NoSong = st31;
    st31NoSong.songLength = 0;
    ModWriter st31BadName = st31;
    st31BadName.Sample(31).name = "\x80";
    ModWriter noChannels = MarkedMod("0CHN");
    noChannels.channels = 4;
    MtmWriter mtm(4, 64);
    MtmWriter mtmVersion = mtm;
    mtmVersion.version = 17;
    MtmWriter mtmSignature = mtm;
    mtmSignature.signature = "MTX";

    const struct
    {
        const char*        what;
        uint32             type;
        std::vector<uint8> bytes;
        bool               good;
    } cases[] = {
        { "15 samples", MODTYPE_SOUNDTRACKER15, st15.Build(), true },
        { "15 samples, no song", MODTYPE_SOUNDTRACKER15, st15NoSong.Build(), false },
        { "15 samples, a control byte in a name", MODTYPE_SOUNDTRACKER15, st15BadName.Build(),
            false },
        { "31 samples", MODTYPE_SOUNDTRACKER31, st31.Build(), true },
        { "31 samples, no song", MODTYPE_SOUNDTRACKER31, st31NoSong.Build(), false },
        { "31 samples, a byte above 127 in the last name", MODTYPE_SOUNDTRACKER31,
            st31BadName.Build(), false },
        { "mark 0CHN", MODTYPE_TAKETRACKER, noChannels.Build(), false },
        { "MTM", MODTYPE_MULTITRACKER, mtm.Build(), true },
        { "MTM version 17", MODTYPE_MULTITRACKER, mtmVersion.Build(), false },
        { "MTM signature MTX", MODTYPE_MULTITRACKER, mtmSignature.Build(), false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Detect(c.bytes), c.good ? int32(c.type) : -1);
        if (c.good)
            EXPECT_EQ(Load(c.type, c.bytes), 0);
        else
            ExpectLoadError(c.type, c.bytes, 2);
    }
}
