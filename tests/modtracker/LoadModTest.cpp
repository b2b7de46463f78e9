// The MOD loader: layouts of every type, load errors, and the bounds put on hostile files.
#include "LoaderTestSupport.h"

#include "support/PCacheFile.h"
#include "tests/common/TempDir.h"

using namespace zw;

namespace {

class LoadModTest : public PlayerTest
{
protected:
    // A valid module of the given type: one pattern, sample 1 of 100 words.
    static ModWriter Module(uint32 type)
    {
        const char* marks[] = { "", "", "M.K.", "FLT4", "M.K.", "6CHN", "TDZ3" };
        ModWriter   mod(marks[type], type == MODTYPE_SOUNDTRACKER15 ? 15 : 31);
        mod.SetPositions({ 0 });
        mod.SetSample(1, std::vector<int8>(200, 9));
        return mod;
    }
};

}   // namespace

TEST_F(LoadModTest, Layout_PatternsStartAt600_1080_1084)
{
    for (uint32 type : { 0u, 1u, 2u }) {
        ModWriter mod = Module(type);
        mod.Cell(0, 0, 0) = { 856, 1, 0xC, 0x20 };
        mod.Cell(0, 63, 3) = { 113, 0, 0, 0 };
        std::vector<uint8> bytes = mod.Build();
        size_t             patterns = type == 0 ? 600 : type == 1 ? 1080 : 1084;
        ASSERT_EQ(bytes.size(), patterns + 1024 + 200);
        ASSERT_EQ(Load(type, bytes), 0) << type;
        const ModuleView module = player.Module();
        TrackLine        first = module.tracks[0][0];
        EXPECT_EQ(std::tuple(first.note, first.sample, first.effect, first.effectArg),
            std::tuple(25, 1, 0xC, 0x20));
        EXPECT_EQ(module.tracks[3][63].note, 60);
        EXPECT_EQ(module.samples[0].data[199], 9);
        EXPECT_EQ(module.sampleNum, type == 0 ? 15 : 31);
    }
}

TEST_F(LoadModTest, Layout_FineTunesOnlyFromProTrackerOn)
{
    for (uint32 type = 0; type <= MODTYPE_TAKETRACKER; type++) {
        ModWriter mod = Module(type);
        mod.Sample(1).fineTune = 0x1D;
        ASSERT_EQ(Load(type, mod.Build()), 0);
        const ModuleView module = player.Module();
        EXPECT_EQ(module.samples[0].fineTune, type >= MODTYPE_PROTRACKER ? 0x0D : 0) << type;
        bool wide = type == MODTYPE_FASTTRACKER || type == MODTYPE_TAKETRACKER;
        EXPECT_EQ(module.minPeriod, wide ? 28 : 113);
        EXPECT_EQ(module.maxPeriod, wide ? 3424 : 856);
    }
}

TEST_F(LoadModTest, Layout_TracksAndSequencesFromEveryPosition)
{
    ModWriter mod("6CHN");
    mod.SetPositions({ 0 });
    mod.positions[100] = 2;   // past the song, still counted
    mod.Cell(2, 5, 5) = { 0, 3, 1, 2 };
    ASSERT_EQ(Load(MODTYPE_FASTTRACKER, mod.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(
        std::tuple(module.channelNum, module.patternNum, module.trackNum), std::tuple(6, 3, 18));
    for (int p = 0; p < 3; p++) {
        for (int c = 0; c < 6; c++)
            EXPECT_EQ(module.sequences[p * 32 + c], p * 6 + c);
    }
    EXPECT_EQ(module.tracks[module.sequences[2 * 32 + 5]][5].sample, 3);
}

TEST_F(LoadModTest, Layout_ChannelsFromMarks)
{
    const struct
    {
        const char* mark;
        uint16      channels;
    } cases[] = {
        { "TDZ3", 3 },
        { "12CH", 12 },
        { "5CHN", 5 },
        { "8CHN", 8 },
        { "32CH", 32 },
        { "FLT4", 4 },
        { "M!K!", 4 },
    };
    for (const auto& c : cases) {
        ModWriter mod(c.mark);
        mod.SetPositions({ 0 });
        ASSERT_EQ(Load(MODTYPE_TAKETRACKER, mod.Build()), 0) << c.mark;
        EXPECT_EQ(player.Module().channelNum, c.channels) << c.mark;
        EXPECT_EQ(player.GetVirtualChannels(), c.channels);
    }
}

TEST_F(LoadModTest, Notes_PeriodsMapToTheHigherPitch)
{
    const struct
    {
        uint16 period;
        uint8  note;
    } cases[] = {
        { 0, 0 }, { 4095, 1 }, { 3424, 1 }, { 3423, 2 }, { 856, 25 }, { 850, 26 }, { 808, 26 },
        { 113, 60 }, { 29, 84 }, { 28, 84 }, { 27, 84 },
        { 1, 84 },   // below the table: the highest note
    };
    ModWriter mod = Module(MODTYPE_PROTRACKER);
    for (size_t i = 0; i < std::size(cases); i++)
        mod.Cell(0, int(i), 0).period = cases[i].period;
    ASSERT_EQ(Load(MODTYPE_PROTRACKER, mod.Build()), 0);
    for (size_t i = 0; i < std::size(cases); i++)
        EXPECT_EQ(player.Module().tracks[0][i].note, cases[i].note) << cases[i].period;
}

TEST_F(LoadModTest, Cells_SampleNumbersPastTheLastSampleAreDropped)
{
    ModWriter mod = Module(MODTYPE_SOUNDTRACKER15);
    mod.Cell(0, 0, 0).sample = 15;
    mod.Cell(0, 1, 0).sample = 16;
    ModWriter mod31 = Module(MODTYPE_PROTRACKER);
    mod31.Cell(0, 0, 0).sample = 31;
    mod31.Cell(0, 1, 0).sample = 0xF1;
    ASSERT_EQ(Load(MODTYPE_SOUNDTRACKER15, mod.Build()), 0);
    const ModuleView fifteen = player.Module();
    EXPECT_EQ(fifteen.tracks[0][0].sample, 15);
    EXPECT_EQ(fifteen.tracks[0][1].sample, 0);
    ASSERT_EQ(Load(MODTYPE_PROTRACKER, mod31.Build()), 0);
    const ModuleView thirtyOne = player.Module();
    EXPECT_EQ(thirtyOne.tracks[0][0].sample, 31);
    EXPECT_EQ(thirtyOne.tracks[0][1].sample, 0);
}

TEST_F(LoadModTest, Errors_EachTruncationHasItsLine)
{
    ModWriter mod = Module(MODTYPE_NOISETRACKER);
    mod.SetPositions({ 0, 1 });
    mod.SetSample(2, std::vector<int8>(2048, 1));
    std::vector<uint8> bytes = mod.Build();   // patterns at 1084, samples at 3132
    const struct
    {
        size_t cut;
        int    error;
    } cases[] = {
        { 100, 1004 },
        { 20 + 30 * 31 - 1, 1004 },
        { 1000, 1002 },
        { 1083, 1002 },
        { 1084, 1003 },
        { 2107, 1003 },
        { 3000, 1003 },
        { 3131, 1003 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cut);
        ExpectLoadError(MODTYPE_NOISETRACKER, Truncated(bytes, c.cut), c.error - 1000);
    }
}

// The header is read whole: a cut inside its last field of samples or inside the mark is
// the same error whatever kind of file it is read through.
TEST_F(LoadModTest, Errors_HeaderCut_SameErrorThroughEveryFileKind)
{
    TempDir dir;
    ASSERT_TRUE(dir.Ok());
    std::vector<uint8> bytes = Module(MODTYPE_NOISETRACKER).Build();
    const struct
    {
        size_t cut;
        int    error;
    } cases[] = { { 20 + 30 * 31 - 1, 4 }, { 1083, 2 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cut);
        std::string leaf = "cut" + std::to_string(c.cut) + ".mod";
        std::string path = dir.Write(leaf, Truncated(bytes, c.cut));
        PFile       plain;
        plain.Open(path.c_str(), PFile::pModeRead);
        PCacheFile cached(path.c_str(), PFile::pModeRead, 32768);
        for (PFile* file : { &plain, static_cast<PFile*>(&cached) }) {
            testing::internal::CaptureStdout();
            int32 result = player.LoadModule(MODTYPE_NOISETRACKER, file);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), ErrorLine(c.error));
            EXPECT_EQ(result, 1);
        }
    }
}

TEST_F(LoadModTest, Errors_LastSampleMayLack512Bytes)
{
    ModWriter mod = Module(MODTYPE_NOISETRACKER);
    mod.SetSample(2, std::vector<int8>(2048, 5));
    std::vector<uint8> bytes = Truncated(mod.Build(), 1084 + 1024 + 200 + 2048 - 512);
    ASSERT_EQ(Load(MODTYPE_NOISETRACKER, bytes), 0);
    const int8* data = player.Module().samples[1].data;
    EXPECT_EQ(std::tuple(data[2048 - 513], data[2048 - 512], data[2047]), std::tuple(5, 0, 0));
}

TEST_F(LoadModTest, Errors_ChannelCountOutsideOneTo32IsRefused)
{
    for (const char* mark : { "0CHN", "99CH", "33CH", "/CHN", "TDZ0" }) {
        ModWriter mod(mark);
        mod.channels = 4;
        mod.SetPositions({ 0 });
        SCOPED_TRACE(mark);
        ExpectLoadError(MODTYPE_TAKETRACKER, mod.Build(), 2);
    }
}

TEST_F(LoadModTest, Errors_UnknownTypeLoadsNothing)
{
    EXPECT_EQ(Load(MODTYPE_COUNT, Module(MODTYPE_NOISETRACKER).Build()), 1);
    ExpectNothingOwned();
}

TEST_F(LoadModTest, Bounds_SongLengthAndRestart)
{
    const struct
    {
        uint32 type;
        uint8  length;
        uint8  restart;
        uint16 wantLength;
        uint16 wantRestart;
    } cases[] = {
        { MODTYPE_NOISETRACKER, 0, 0, 1, 0 },
        { MODTYPE_NOISETRACKER, 200, 0, 128, 0 },
        { MODTYPE_NOISETRACKER, 128, 127, 128, 127 },
        { MODTYPE_NOISETRACKER, 5, 4, 5, 4 },
        { MODTYPE_NOISETRACKER, 5, 5, 5, 0 },
        { MODTYPE_STARTRACKER, 3, 255, 3, 0 },
        { MODTYPE_PROTRACKER, 5, 2, 5, 0 },   // the byte means nothing here
        { MODTYPE_SOUNDTRACKER31, 5, 2, 5, 0 },
    };
    for (const auto& c : cases) {
        ModWriter mod = Module(c.type);
        mod.songLength = c.length;
        mod.restart = c.restart;
        ASSERT_EQ(Load(c.type, mod.Build()), 0);
        const ModuleView module = player.Module();
        EXPECT_EQ(module.songLength, c.wantLength) << int(c.length);
        EXPECT_EQ(player.GetSongLength(), c.wantLength);
        EXPECT_EQ(module.restartPos, c.wantRestart) << int(c.restart);
    }
}

TEST_F(LoadModTest, Bounds_VolumeAbove64_ClampedTo64)
{
    ModWriter   mod = Module(MODTYPE_PROTRACKER);
    const uint8 volumes[] = { 64, 65, 255 };
    for (int i = 0; i < 3; i++)
        mod.Sample(i + 1).volume = volumes[i];
    ASSERT_EQ(Load(MODTYPE_PROTRACKER, mod.Build()), 0);
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(player.Module().samples[i].volume, 64) << int(volumes[i]);
}

// Hostile loops, read as words (NoiseTracker on) or as bytes (SoundTracker).
TEST_F(LoadModTest, Bounds_EveryLoopLiesInsideItsData)
{
    const struct
    {
        uint16 length;
        uint16 start;
        uint16 loop;
    } loops[] = {
        { 100, 0, 1 },
        { 100, 0, 100 },
        { 100, 0, 101 },
        { 100, 50, 50 },
        { 100, 50, 51 },
        { 100, 99, 2 },
        { 100, 100, 2 },
        { 100, 150, 10 },
        { 100, 199, 2 },
        { 100, 200, 1 },
        { 100, 60, 1 },
        { 100, 0xFFFF, 0xFFFF },
        { 0, 10, 10 },
        { 0, 0, 1 },
        { 1, 1, 1 },
        { 1, 0, 0xFFFF },
    };
    for (uint32 type : { MODTYPE_SOUNDTRACKER31, MODTYPE_NOISETRACKER }) {
        ModWriter mod = Module(type);
        for (size_t i = 0; i < std::size(loops); i++)
            mod.SetSample(int(i + 1), std::vector<int8>(2 * loops[i].length, 1), 64, loops[i].start,
                loops[i].loop);
        ASSERT_EQ(Load(type, mod.Build()), 0);
        for (size_t i = 0; i < std::size(loops); i++) {
            SCOPED_TRACE(testing::Message() << "type " << type << " case " << i);
            ExpectLoopInside(player.Module().samples[i], type == MODTYPE_SOUNDTRACKER31);
        }
    }
}

TEST_F(LoadModTest, Bounds_GoodLoopsStayAsTheFileHasThem)
{
    ModWriter mod = Module(MODTYPE_NOISETRACKER);
    mod.SetSample(2, std::vector<int8>(200, 1), 40, 50, 50);
    mod.SetSample(3, std::vector<int8>(200, 1), 40, 0, 1);
    ASSERT_EQ(Load(MODTYPE_NOISETRACKER, mod.Build()), 0);
    const ModuleView words = player.Module();
    EXPECT_EQ(std::tuple(words.samples[1].loopStart, words.samples[1].loopLength,
                  words.samples[2].loopStart, words.samples[2].loopLength),
        std::tuple(50, 50, 0, 1));
    ASSERT_EQ(Load(MODTYPE_SOUNDTRACKER31, mod.Build()), 0);
    const ModuleView bytes = player.Module();
    // Bytes: 50..150 of 200.
    EXPECT_EQ(
        std::tuple(bytes.samples[1].loopStart, bytes.samples[1].loopLength), std::tuple(50, 50));
}

TEST_F(LoadModTest, SampleData_ZeroLengthGetsNoDataAndIsSkipped)
{
    ModWriter mod = Module(MODTYPE_NOISETRACKER);
    mod.SetSample(1, {}, 64, 4, 8);
    mod.SetSample(2, std::vector<int8>(4, 7));
    ASSERT_EQ(Load(MODTYPE_NOISETRACKER, mod.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(std::tuple(module.samples[0].data, module.samples[0].loopStart,
                  module.samples[0].loopLength),
        std::tuple(nullptr, 0, 0));
    ASSERT_NE(module.samples[1].data, nullptr);
    EXPECT_EQ(module.samples[1].data[0], 7);
}

TEST_F(LoadModTest, Names_CutAtTheFirstZero)
{
    ModWriter mod = Module(MODTYPE_PROTRACKER);
    mod.name = std::string("12345678901234567890");
    mod.Sample(1).name = std::string("ab\0cd", 5);
    mod.Sample(2).name = std::string(22, 'x');
    ASSERT_EQ(Load(MODTYPE_PROTRACKER, mod.Build()), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(player.GetModuleName(), "12345678901234567890");
    EXPECT_EQ(module.samples[0].name, "ab");
    EXPECT_EQ(module.samples[1].name.GetLength(), 22);
}

TEST_F(LoadModTest, Reload_ReplacesTheFirstModule)
{
    ASSERT_EQ(Load(MODTYPE_FASTTRACKER, Module(MODTYPE_FASTTRACKER).Build()), 0);
    ASSERT_EQ(Load(MODTYPE_TAKETRACKER, Module(MODTYPE_TAKETRACKER).Build()), 0);
    EXPECT_EQ(player.Module().channelNum, 3);
    player.Cleanup();
    player.Cleanup();
    ExpectNothingOwned();
}
