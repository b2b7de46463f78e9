// Modules cut short at every structural boundary (and the bytes either side of it):
// each cut is either not recognised, refused with the loader's line for the section
// that is missing, or plays. A model of the file layout says which: a file cut inside
// its header or patterns is refused, one cut inside its sample data plays what it holds.
#include "HostileTestSupport.h"

using namespace hostile;

namespace {

const int32 kSampleSlack = 512;       // a last sample this much short loaded even before
const int32 kMinDetectBytes = 1148;   // shorter files never get their mark looked at

struct Flavour
{
    const char* name;
    const char* mark;
    int         samples;
    uint8       restart;
};

const Flavour kFlavours[] = {
    { "SoundTracker15", "", 15, 0 },
    { "SoundTracker31", "", 31, 0 },
    { "NoiseTracker", "M.K.", 31, 0 },
    { "StarTracker", "FLT4", 31, 0 },
    { "ProTracker", "M.K.", 31, 127 },
    { "FastTracker", "8CHN", 31, 0 },
    { "TakeTracker", "TDZ3", 31, 0 },
};

const int32 kSampleBytes[] = { 1200, 800, 300 };

zw::ModWriter
Module(const Flavour& f)
{
    zw::ModWriter mod(f.mark, f.samples);
    mod.restart = f.restart;
    mod.SetSample(1, Ramp(kSampleBytes[0]), 64, 100, 200);
    mod.SetSample(2, Ramp(kSampleBytes[1], 3), 50);
    mod.SetSample(3, Ramp(kSampleBytes[2], 7), 64, 10, 100);
    mod.SetPositions({ 0, 1, 0 });
    for (int c = 0; c < mod.channels; c++) {
        mod.Cell(0, 0, c) = { zw::NotePeriod("C-2"), uint8(1 + c % 3), 0, 0 };
        mod.Cell(1, 8, c) = { zw::NotePeriod("G-2"), uint8(1 + (c + 1) % 3), 0xA, 0x02 };
    }
    // Offset 1080 of a 15-sample file lies in pattern 0 and must hold no printable mark.
    if (f.samples == 15)
        mod.Cell(0, 30, 0) = {};
    return mod;
}

int32
HeaderBytes(const Flavour& f)
{
    return 20 + 30 * f.samples + 2 + 128 + (std::string(f.mark).empty() ? 0 : 4);
}

// What the loader makes of the first `cut` bytes: 0 plays, -1 is not recognised,
// otherwise the error number.
int
Expected(const Flavour& f, const zw::ModWriter& mod, int32 cut)
{
    if (cut < kMinDetectBytes)
        return -1;
    int32 patternBytes = 64 * 4 * mod.channels;
    int32 position = HeaderBytes(f) + patternBytes * int32(mod.patterns.size());
    return cut < position ? 1003 : 0;
}

// Bytes of sample data that survive the cut. The SoundTracker types play sample 1 from
// its loop start, 100 bytes in.
int32
SampleBytesLeft(const Flavour& f, const zw::ModWriter& mod, int32 cut)
{
    return cut - (HeaderBytes(f) + 64 * 4 * mod.channels * int32(mod.patterns.size()));
}

std::vector<int32>
Boundaries(const Flavour& f, const zw::ModWriter& mod)
{
    std::vector<int32> marks = { 0, 20, 67, 68, 600, 950, 1080, 1084, kMinDetectBytes };
    for (int s = 0; s <= f.samples; s++)
        marks.push_back(20 + 30 * s);
    int32 patternBytes = 64 * 4 * mod.channels;
    int32 position = HeaderBytes(f);
    for (size_t p = 0; p <= mod.patterns.size(); p++)
        marks.push_back(position + patternBytes * int32(p));
    position += patternBytes * int32(mod.patterns.size());
    for (int32 bytes : kSampleBytes) {
        marks.push_back(position + bytes - kSampleSlack);
        position += bytes;
        marks.push_back(position);
    }
    std::vector<int32> cuts;
    for (int32 m : marks) {
        for (int32 d = -1; d <= 1; d++) {
            if (m + d >= 0 && m + d <= position)
                cuts.push_back(m + d);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    return cuts;
}

class ModTruncation : public testing::TestWithParam<int>
{};

std::string
FlavourName(const testing::TestParamInfo<int>& info)
{
    return kFlavours[info.param].name;
}

}   // namespace


TEST_P(ModTruncation, EveryBoundary_RefusedWhereTheModelSaysOrPlays)
{
    const Flavour&     f = kFlavours[GetParam()];
    zw::ModWriter      mod = Module(f);
    std::vector<uint8> whole = mod.Build();
    int                played = 0;
    for (int32 cut : Boundaries(f, mod)) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        Outcome o = PlayBytes(zw::Truncated(whole, size_t(cut)), 24);
        int     expected = Expected(f, mod, cut);
        if (expected < 0)
            ExpectNotRecognised(o);
        else if (expected > 0)
            ExpectRefused(o, expected);
        else {
            ExpectPlays(o, 24);
            int32 left = SampleBytesLeft(f, mod, cut);
            if (left <= 0 || left > 100) {
                EXPECT_EQ(o.loudBlocks > 0, left > 0);
            }
            played++;
        }
        if (HasFailure())
            return;
    }
    // The whole file and every cut inside the sample data.
    EXPECT_GE(played, 12);
}

INSTANTIATE_TEST_SUITE_P(
    Flavours, ModTruncation, testing::Range(0, int(std::size(kFlavours))), FlavourName);


namespace {

// Four channels of 16 rows, four tracks, two patterns, a comment and two samples.
zw::MtmWriter
MtmModule()
{
    zw::MtmWriter mtm(4, 16);
    mtm.SetSample(1, URamp(300), 64, 100, 280);
    mtm.SetSample(2, URamp(200, 3), 40);
    for (int t = 1; t <= 4; t++) {
        mtm.Row(t, 0) = { zw::MtmNote("C-3"), uint8(1 + t % 2), 0, 0 };
        mtm.Row(t, 8) = { zw::MtmNote("E-3"), 0, 0xA, 0x10 };
    }
    for (int c = 0; c < 4; c++) {
        mtm.Sequence(0, c) = uint16(c + 1);
        mtm.Sequence(1, c) = uint16(4 - c);
    }
    mtm.SetPositions({ 0, 1, 0 });
    mtm.comment = "hello";
    return mtm;
}

// Sections of the file above, in order, and what a cut inside each gives.
struct MtmSection
{
    const char* name;
    int32       end;     // first byte after the section
    int         error;   // of a cut inside it; -1 not recognised, 0 plays
};

const MtmSection kMtmSections[] = {
    { "short", 68, -1 },
    { "samples", 66 + 2 * 37, 1004 },
    { "positions", 140 + 128, 1003 },
    { "tracks", 268 + 4 * 16 * 3, 1003 },
    { "sequences", 460 + 2 * 64, 1003 },
    // From here the file holds its patterns: what it lacks of its samples stays silent.
    { "comment", 588 + 5, 0 },
    { "first sample", 593 + 300, 0 },
    { "second sample", 893 + 200, 0 },
};

int
MtmExpected(int32 cut)
{
    for (const MtmSection& s : kMtmSections) {
        if (cut < s.end)
            return s.error;
    }
    return 0;
}

}   // namespace


TEST(MtmTruncation, LayoutOfTheTestModule) { EXPECT_EQ(MtmModule().Build().size(), 1093u); }


// Every byte of the file, not only the boundaries: the module is small.
TEST(MtmTruncation, EveryCut_RefusedWhereTheModelSaysOrPlays)
{
    std::vector<uint8> whole = MtmModule().Build();
    for (size_t cut = 0; cut <= whole.size(); cut++) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        Outcome o = PlayBytes(zw::Truncated(whole, cut), 6, true, nullptr, "song.mtm");
        int     expected = MtmExpected(int32(cut));
        if (expected < 0)
            ExpectNotRecognised(o);
        else if (expected > 0)
            ExpectRefused(o, expected);
        else
            ExpectPlays(o, 6);
        if (HasFailure())
            return;
    }
}


// Every byte of a ProTracker module from the point where its mark is read: each cut
// refuses with the section's error or plays.
TEST(ModTruncationSweep, EveryCutFromTheMark_RefusesOrPlays)
{
    const Flavour&     f = kFlavours[4];
    zw::ModWriter      mod = Module(f);
    std::vector<uint8> whole = mod.Build();
    for (size_t cut = kMinDetectBytes - 1; cut <= whole.size(); cut += 3) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        Outcome o = PlayBytes(zw::Truncated(whole, cut), 2, false);
        int     expected = Expected(f, mod, int32(cut));
        if (expected < 0)
            ExpectNotRecognised(o);
        else if (expected > 0)
            ExpectRefused(o, expected);
        else
            ExpectPlays(o, 2);
        if (HasFailure())
            return;
    }
}
