// Files that are not what their first bytes promise: 8-channel modules under "M.K.",
// other formats under a 31-sample layout, and modules cut short. Detection and loading
// must agree on each, and a damaged module loads what it holds.
#include "LoaderTestSupport.h"

#include "modtracker/ModHeader.h"

using namespace zw;

namespace {

class DamagedModuleTest : public PlayerTest
{};

// A waveform, which read as pattern cells names samples far past 31.
std::vector<int8>
Wave(size_t bytes)
{
    std::vector<int8> data(bytes);
    for (size_t i = 0; i < bytes; i++)
        data[i] = int8(i * 37 % 256 - 128);
    return data;
}

// Notes on the first and last channel of every pattern, two samples.
ModWriter
Module(const std::string& mark, int channels, std::initializer_list<uint8> positions)
{
    ModWriter mod(mark);
    mod.channels = channels;
    mod.SetSample(1, Wave(300), 64);
    mod.SetSample(2, std::vector<int8>(2048, 1), 64);
    mod.SetPositions(positions);
    for (int p = 0; p <= *std::max_element(positions.begin(), positions.end()); p++) {
        mod.Cell(p, 0, 0) = { NotePeriod("C-2"), 1, 0, 0 };
        mod.Cell(p, 63, channels - 1) = { NotePeriod("G-3"), 2, 0xC, 0x20 };
    }
    return mod;
}

std::vector<uint8>
Bytes(const ModWriter& mod, size_t trailing = 0, uint8 fill = 0)
{
    std::vector<uint8> bytes = mod.Build();
    bytes.resize(bytes.size() + trailing, fill);
    return bytes;
}

// A period off the table in the last cell of pattern p, for a module of `channels`.
void
SpoilCell(std::vector<uint8>& bytes, int p, int channels)
{
    size_t cell = 1084 + size_t(p + 1) * 256 * channels - 4;
    bytes[cell] = 0x00;
    bytes[cell + 1] = 0x05;
}

}   // namespace

TEST(PlausibleCells, Edges_SampleNumberAndPeriod)
{
    const struct
    {
        uint16 sample, period, samples;
        bool   plausible;
    } cases[] = {
        { 0, 0, 31, true },
        { 31, 3424, 31, true },
        { 1, 28, 31, true },
        { 32, 0, 31, false },
        { 0, 27, 31, false },
        { 0, 3425, 31, false },
        { 15, 856, 15, true },
        { 16, 856, 15, false },
        { 0xFF, 0, 31, false },
    };
    for (const auto& c : cases) {
        uint8 cell[4] = { uint8((c.sample & 0xF0) | c.period >> 8), uint8(c.period),
            uint8((c.sample & 0x0F) << 4 | 0x0C), 0x40 };
        EXPECT_EQ(PlausibleCells(cell, 4, c.samples), c.plausible)
            << c.sample << " " << c.period << " of " << c.samples;
    }
}

// An "M.K." file is 8 channels when its length fits 8-channel patterns (with fewer than
// 1024 trailing bytes) and what a 4-channel reading takes for its samples is cells.
TEST_F(DamagedModuleTest, EightChannelMK_DetectionAndLoaderAgree)
{
    ModWriter          eight = Module("M.K.", 8, { 0, 1 });
    std::vector<uint8> spoiled = Bytes(eight);
    SpoilCell(spoiled, 1, 8);   // in the half a 4-channel reading takes as samples
    ModWriter          four = Module("M.K.", 4, { 0, 1 });
    std::vector<uint8> ramp = Bytes(four, 2 * 1024);
    for (size_t i = ramp.size() - 2048; i < ramp.size(); i++)
        ramp[i] = uint8(i * 37);
    const struct
    {
        const char*        what;
        std::vector<uint8> bytes;
        int32              type;
        uint16             channels;
    } cases[] = {
        { "8 channels", Bytes(eight), MODTYPE_FASTTRACKER, 8 },
        { "8 channels, 1023 trailing", Bytes(eight, 1023), MODTYPE_FASTTRACKER, 8 },
        { "8 channels, 1024 trailing", Bytes(eight, 1024), MODTYPE_NOISETRACKER, 4 },
        { "8 channels, an implausible cell", spoiled, MODTYPE_NOISETRACKER, 4 },
        { "4 channels, then P x 1024 of other data", ramp, MODTYPE_NOISETRACKER, 4 },
        { "4 channels", Bytes(four), MODTYPE_NOISETRACKER, 4 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(Detect(c.bytes), c.type);
        ASSERT_EQ(Load(uint32(c.type), c.bytes), 0);
        EXPECT_EQ(player.Module().channelNum, c.channels);
    }
    ASSERT_EQ(Load(MODTYPE_FASTTRACKER, Bytes(eight)), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(module.tracks[1 * 8 + 7][63].note, NoteNumber("G-3"));
    EXPECT_EQ(module.samples[1].data[2047], 1);
    EXPECT_EQ(module.samples[1].missing, 0u);
}

// A 31-sample layout carrying "IT10" or "MTN\0" at 1464 is another format: neither
// detection nor the loader take it.
TEST_F(DamagedModuleTest, TrackListFormats_AreNotOurs)
{
    for (const char* tag : { "IT10", "MTN", "MTN!", "XT10" }) {
        ModWriter mod("", 31);
        mod.SetPositions({ 0, 1 });
        std::vector<uint8> bytes = mod.Build();
        std::copy(tag, tag + 4, bytes.begin() + 1464);
        bool foreign = std::string(tag) == "IT10" || std::string(tag) == "MTN";
        SCOPED_TRACE(tag);
        EXPECT_EQ(Detect(bytes), foreign ? -1 : int32(MODTYPE_SOUNDTRACKER31));
        if (foreign)
            ExpectLoadError(MODTYPE_SOUNDTRACKER31, bytes, 2);
    }
}

// Cut inside its sample data, a module plays the bytes present, then silence, each
// sample keeping its length; with a cell off the table it is refused as before.
TEST_F(DamagedModuleTest, CutInsideTheSamples_LoadsWhatIsThere)
{
    ModWriter          mod = Module("M.K.", 4, { 0, 1 });
    std::vector<uint8> whole = Bytes(mod);   // samples at 1084 + 2048 = 3132
    const size_t       cuts[] = { 3132 + 300 + 1000, 3132 + 100, 3132 };
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        ASSERT_EQ(Load(MODTYPE_NOISETRACKER, Truncated(whole, cut)), 0);
        const ModuleView module = player.Module();
        const Sample&    second = module.samples[1];
        int32            present = std::max(int32(cut) - 3132 - 300, 0);
        EXPECT_EQ(second.length, 1024);
        EXPECT_EQ(std::tuple(player.SampleBytes(1), player.MissingSampleBytes(1)),
            std::tuple(2048u, uint32(2048 - present)));
        EXPECT_EQ(player.MissingSampleBytes(0), uint32(300 - std::min(int32(cut) - 3132, 300)));
        EXPECT_EQ(std::tuple(player.SampleBytes(31), player.MissingSampleBytes(31)),
            std::tuple(0u, 0u));   // past the last sample
        if (present > 0) {
            EXPECT_EQ(std::tuple(second.data[0], second.data[present - 1]), std::tuple(1, 1));
        }
        EXPECT_EQ(second.data[present], 0);
        EXPECT_EQ(second.data[2047], 0);

        std::vector<uint8> spoiled = Truncated(whole, cut);
        SpoilCell(spoiled, 0, 4);
        ExpectLoadError(MODTYPE_NOISETRACKER, spoiled, 5);
    }
}

// Positions past the song naming patterns the file lacks: the song's own patterns load,
// the samples are read after them, and a position past them is an empty pattern.
TEST_F(DamagedModuleTest, UnusedPositionsNameMissingPatterns_TheSongsPatternsLoad)
{
    ModWriter mod = Module("M.K.", 4, { 0, 1 });
    mod.positions[100] = 40;
    mod.fillPatterns = false;
    std::vector<uint8> bytes = Bytes(mod);
    ASSERT_EQ(Detect(bytes), MODTYPE_NOISETRACKER);
    ASSERT_EQ(Load(MODTYPE_NOISETRACKER, bytes), 0);
    const ModuleView module = player.Module();
    EXPECT_EQ(
        std::tuple(module.patternNum, module.namedPatterns, module.trackNum), std::tuple(2, 41, 8));
    EXPECT_EQ(std::tuple(module.samples[0].data[299], module.samples[1].data[2047]),
        std::tuple(Wave(300)[299], 1));
    EXPECT_EQ(module.tracks[7][63].note, NoteNumber("G-3"));

    // Refused as before: cells off the table, or a file without the song's patterns.
    std::vector<uint8> spoiled = bytes;
    SpoilCell(spoiled, 1, 4);
    ExpectLoadError(MODTYPE_NOISETRACKER, spoiled, 3);
    ExpectLoadError(MODTYPE_NOISETRACKER, Truncated(bytes, 1084 + 2047), 3);
}
