// Header fields at 0, at their largest and past the end of the file, one per module:
// each is not recognised (a header the loader would refuse), refused with the loader's
// line for the broken section, or plays through whole blocks (the sanitizer build
// catches any read outside the module's data).
#include "HostileTestSupport.h"

#include <functional>

using namespace hostile;

namespace {

const int kPlays = 0;
const int kNotOurs = -1;

struct HostileCase
{
    const char*                         name;
    std::function<std::vector<uint8>()> build;
    int                                 expected;   // kPlays, kNotOurs or the loader's error number
    const char*                         leaf = "song.mod";
};

// A playable ProTracker module to break one field of.
zw::ModWriter
Mod(const char* mark = "M.K.", int samples = 31)
{
    zw::ModWriter mod(mark, samples);
    mod.restart = samples == 31 ? 127 : 0;
    mod.SetSample(1, Ramp(600), 64, 50, 200);
    mod.SetSample(2, Ramp(100, 11), 64);
    mod.SetPositions({ 0 });
    for (int c = 0; c < mod.channels; c++) {
        mod.Cell(0, 0, c) = { zw::NotePeriod("C-2"), uint8(1 + c % 2), 0, 0 };
        mod.Cell(0, 4, c) = { zw::NotePeriod("A-3"), 1, 0, 0 };
    }
    if (samples == 15)
        mod.Cell(0, 30, 0) = {};
    return mod;
}

std::vector<uint8>
ModWith(std::function<void(zw::ModWriter&)> change, const char* mark = "M.K.", int samples = 31)
{
    zw::ModWriter mod = Mod(mark, samples);
    change(mod);
    return mod.Build();
}

zw::MtmWriter
Mtm(int channels = 4, int rows = 32)
{
    zw::MtmWriter mtm(channels, rows);
    mtm.SetSample(1, URamp(400), 64, 100, 300);
    mtm.SetSample(2, URamp(120, 9), 50);
    for (int row = 0; row < rows; row += 4)
        mtm.Row(1, row) = { zw::MtmNote("C-3"), uint8(1 + row % 2), 0, 0 };
    for (int c = 0; c < channels; c++)
        mtm.Sequence(0, c) = 1;
    mtm.SetPositions({ 0 });
    return mtm;
}

std::vector<uint8>
MtmWith(std::function<void(zw::MtmWriter&)> change, int channels = 4, int rows = 32)
{
    zw::MtmWriter mtm = Mtm(channels, rows);
    change(mtm);
    return mtm.Build();
}

std::vector<uint8>
Marked(const char* mark)
{
    zw::ModWriter mod("M.K.");
    mod.mark = mark;
    mod.channels = std::clamp(zw::ChannelsForMark(mark), 1, 32);
    mod.SetSample(1, Ramp(200), 64);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    return mod.Build();
}

// clang-format off
const HostileCase kCases[] = {
    // MOD song list.
    { "ModSongLengthZero", [] { return ModWith([](zw::ModWriter& m) { m.songLength = 0; }); }, kPlays },
    { "ModSongLength255", [] { return ModWith([](zw::ModWriter& m) { m.songLength = 255; }); }, kPlays },
    { "ModRestartPastTheSong", [] { return ModWith([](zw::ModWriter& m) { m.restart = 126; m.songLength = 2; },
        "FLT4"); }, kPlays },
    { "ModPositionsAll127", [] { return ModWith([](zw::ModWriter& m) {
        m.positions.fill(127); m.songLength = 128; }); }, kPlays },
    { "ModUnplayedPosition255", [] { return ModWith([](zw::ModWriter& m) { m.positions[127] = 255; }); }, kPlays },
    { "ModPosition255WithoutItsPatterns", [] { return ModWith([](zw::ModWriter& m) {
        m.positions[127] = 255; m.fillPatterns = false; }); }, kPlays },
    // MOD samples.
    { "ModSampleOfMaximalLength", [] { return ModWith([](zw::ModWriter& m) {
        m.SetSample(3, Ramp(0x1FFFE), 64, 0x8000, 0x7FFF); }); }, kPlays },
    { "ModEverySampleOfMaximalLength", [] { return ModWith([](zw::ModWriter& m) {
        for (int n = 1; n <= 31; n++)
            m.SetSample(n, Ramp(0x1FFFE, n), 64, uint16(n * 1000), 0xFFFF);
        for (int row = 0; row < 64; row++)
            m.Cell(0, row, row % 4) = { zw::NotePeriod("C-1"), uint8(1 + row % 31), 0x9, uint8(row * 4) }; }); },
        kPlays },
    { "ModSampleLengthMaximalWithoutData", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(2).length = 0xFFFF; }); }, kPlays },
    { "ModLoopPastTheEnd", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).repeatStart = 250; m.Sample(1).repeatLength = 0xFFFF; }); }, kPlays },
    { "ModLoopStartPastTheEnd", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).repeatStart = 0xFFFF; m.Sample(1).repeatLength = 2; }); }, kPlays },
    { "ModLoopLengthZero", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).repeatStart = 10; m.Sample(1).repeatLength = 0; }); }, kPlays },
    { "ModLoopOnAnEmptySample", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(4).repeatStart = 10; m.Sample(4).repeatLength = 100; m.Sample(4).volume = 64; }); }, kPlays },
    { "ModSoundTrackerLoopPastTheEnd", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).repeatStart = 599; m.Sample(1).repeatLength = 0xFFFF; }, "", 15); }, kPlays },
    { "ModSoundTrackerLoopStartPastTheEnd", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).repeatStart = 0xFFFF; m.Sample(1).repeatLength = 0xFFFF; }, "", 15); }, kPlays },
    { "ModVolumeAndFinetune255", [] { return ModWith([](zw::ModWriter& m) {
        m.Sample(1).volume = 255; m.Sample(1).fineTune = 255; m.Sample(2).fineTune = 0x8F; }); }, kPlays },
    // MOD cells.
    { "ModSampleNumbersPastTheCount", [] { return ModWith([](zw::ModWriter& m) {
        for (int row = 0; row < 64; row++)
            m.Cell(0, row, 1) = { zw::NotePeriod("C-3"), uint8(16 + row * 4), 0, 0 }; }, "", 15); }, kPlays },
    { "ModSampleNumber255", [] { return ModWith([](zw::ModWriter& m) {
        for (int row = 0; row < 64; row++)
            m.Cell(0, row, 2) = { zw::NotePeriod("C-3"), uint8(255 - row), 0, 0 }; }); }, kPlays },
    { "ModPeriodsOffTheTable", [] { return ModWith([](zw::ModWriter& m) {
        for (int row = 0; row < 64; row++)
            m.Cell(0, row, 0) = { uint16(row % 2 ? 1 + row : 0xFFF - row), 1, 0, 0 }; }, "6CHN"); }, kPlays },
    // Marks and channel counts.
    { "MarkZeroChannels", [] { return Marked("0CHN"); }, kNotOurs },
    { "MarkNinetyNineChannels", [] { return Marked("99CH"); }, kNotOurs },
    { "MarkThirtyThreeChannels", [] { return Marked("33CH"); }, kNotOurs },
    { "MarkThirtyTwoChannels", [] { return Marked("32CH"); }, kPlays },
    { "MarkOneChannel", [] { return Marked("1CHN"); }, kPlays },
    { "MarkTdzZero", [] { return Marked("TDZ0"); }, kNotOurs },
    { "MarkTdzNine", [] { return Marked("TDZ9"); }, kPlays },
    { "MarkLetterBeforeChn", [] { return Marked("ACHN"); }, kPlays },
    { "MarkTildeBeforeChn", [] { return Marked("~CHN"); }, kNotOurs },
    { "MarkSpaceBeforeChn", [] { return Marked(" CHN"); }, kNotOurs },
    { "MarkPunctuationBeforeCh", [] { return Marked("!!CH"); }, kNotOurs },
    { "MarkColonDigitCh", [] { return Marked(":9CH"); }, kNotOurs },
    // MTM header counts.
    { "MtmZeroChannels", [] { return MtmWith([](zw::MtmWriter& m) { m.channels = 0; }); }, kNotOurs, "song.mtm" },
    { "MtmThirtyThreeChannels", [] { return MtmWith([](zw::MtmWriter& m) { m.channels = 33; }); }, kNotOurs, "song.mtm" },
    { "Mtm255Channels", [] { return MtmWith([](zw::MtmWriter& m) { m.channels = 255; }); }, kNotOurs, "song.mtm" },
    { "MtmThirtyTwoChannels", [] { return MtmWith([](zw::MtmWriter&) {}, 32); }, kPlays, "song.mtm" },
    { "MtmZeroRows", [] { return MtmWith([](zw::MtmWriter& m) { m.rowsPerTrack = 0; }); }, kNotOurs, "song.mtm" },
    { "MtmOneRow", [] { return MtmWith([](zw::MtmWriter&) {}, 4, 1); }, kPlays, "song.mtm" },
    { "Mtm255Rows", [] { return MtmWith([](zw::MtmWriter&) {}, 4, 255); }, kPlays, "song.mtm" },
    { "MtmNoSamples", [] { return MtmWith([](zw::MtmWriter& m) { m.samples.clear(); }); }, kPlays, "song.mtm" },
    { "Mtm63Samples", [] { return MtmWith([](zw::MtmWriter& m) {
        for (int n = 3; n <= 63; n++)
            m.SetSample(n, URamp(n * 3), uint8(n));
        m.Row(1, 1) = { zw::MtmNote("D-3"), 63, 0, 0 }; }); }, kPlays, "song.mtm" },
    { "Mtm255Samples", [] { return MtmWith([](zw::MtmWriter& m) {
        for (int n = 3; n <= 255; n++)
            m.SetSample(n, URamp(n % 7 * 2), uint8(n), uint32(n), uint32(n * 2));
        m.Row(1, 2) = { zw::MtmNote("D-3"), 63, 0, 0 }; }); }, kPlays, "song.mtm" },
    { "MtmNoTracks", [] { return MtmWith([](zw::MtmWriter& m) { m.tracks.clear(); }); }, kPlays, "song.mtm" },
    { "MtmTrackCountPastTheFile", [] { return MtmWith([](zw::MtmWriter& m) { m.trackCount = 0xFFFF; }); },
        1003, "song.mtm" },
    { "MtmLastPattern255WithoutSequences", [] { return MtmWith([](zw::MtmWriter& m) { m.lastPattern = 255; }); },
        1003, "song.mtm" },
    { "MtmLastPattern255", [] { return MtmWith([](zw::MtmWriter& m) {
        m.Sequence(255, 31) = 1; m.positions.fill(255); m.lastPosition = 255; }); }, kPlays, "song.mtm" },
    { "MtmPositionsPastThePatterns", [] { return MtmWith([](zw::MtmWriter& m) {
        m.positions.fill(200); m.lastPosition = 9; }); }, kPlays, "song.mtm" },
    { "MtmSequencesPastTheTracks", [] { return MtmWith([](zw::MtmWriter& m) {
        for (int c = 0; c < 32; c++)
            m.Sequence(0, c) = uint16(0xFFFF - c); }); }, kPlays, "song.mtm" },
    { "MtmCommentPastTheEnd", [] { return MtmWith([](zw::MtmWriter& m) { m.commentLength = 0xFFFF; }); },
        kPlays, "song.mtm" },
    { "MtmSampleLengthMaximal", [] { return MtmWith([](zw::MtmWriter& m) { m.samples[1].length = 0xFFFFFFFF; }); },
        kPlays, "song.mtm" },
    { "MtmSampleLongerThanAWord", [] { return MtmWith([](zw::MtmWriter& m) {
        m.SetSample(2, URamp(140000), 64, 1000, 139000); }); }, kPlays, "song.mtm" },
    { "MtmOddSampleLengths", [] { return MtmWith([](zw::MtmWriter& m) {
        m.SetSample(1, URamp(1), 64, 0, 1); m.SetSample(2, URamp(3), 64, 1, 3); }); }, kPlays, "song.mtm" },
    { "MtmLoopEndBeforeStart", [] { return MtmWith([](zw::MtmWriter& m) {
        m.samples[0].loopStart = 300; m.samples[0].loopEnd = 10; }); }, kPlays, "song.mtm" },
    { "MtmLoopPastTheEnd", [] { return MtmWith([](zw::MtmWriter& m) {
        m.samples[0].loopStart = 300; m.samples[0].loopEnd = 0xFFFFFFFF; }); }, kPlays, "song.mtm" },
    { "MtmLoopStartPastTheEnd", [] { return MtmWith([](zw::MtmWriter& m) {
        m.samples[0].loopStart = 0xFFFFFFF0; m.samples[0].loopEnd = 0xFFFFFFFF; }); }, kPlays, "song.mtm" },
    { "MtmPanAndVolumePastTheirRange", [] { return MtmWith([](zw::MtmWriter& m) {
        m.pan.fill(255); m.samples[0].volume = 255; m.samples[0].fineTune = 255; }); }, kPlays, "song.mtm" },
    { "MtmSampleNumbersPastTheCount", [] { return MtmWith([](zw::MtmWriter& m) {
        for (int row = 0; row < 32; row++)
            m.Row(1, row) = { uint8(row * 2), uint8(row + 3), 0, 0 }; }); }, kPlays, "song.mtm" },
    { "MtmHighestNotes", [] { return MtmWith([](zw::MtmWriter& m) {
        for (int row = 0; row < 32; row++)
            m.Row(1, row) = { uint8(63 - row % 3), 1, uint8(row % 2 ? 0 : 3), 0xFF }; }); }, kPlays, "song.mtm" },
};
// clang-format on

class HeaderExtremes : public testing::TestWithParam<HostileCase>
{};

std::string
CaseName(const testing::TestParamInfo<HostileCase>& info)
{
    return info.param.name;
}

}   // namespace


TEST_P(HeaderExtremes, RefusedWithItsLineOrPlays)
{
    const HostileCase& c = GetParam();
    Outcome            o = PlayBytes(c.build(), 48, true, nullptr, c.leaf);
    if (c.expected == kPlays)
        ExpectPlays(o, 48);
    else if (c.expected == kNotOurs)
        ExpectNotRecognised(o);
    else
        ExpectRefused(o, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, HeaderExtremes, testing::ValuesIn(kCases), CaseName);


// A MultiTracker signature with another version byte is no module of ours.
TEST(HeaderExtremesMtm, OtherVersion_NotRecognised)
{
    for (uint8 version : { 0, 15, 17, 255 }) {
        Outcome o = PlayBytes(MtmWith([version](zw::MtmWriter& m) { m.version = version; }), 4,
            false, nullptr, "song.mtm");
        ExpectNotRecognised(o);
    }
}
