// StarTracker modules with hostile ".nt" companions: records whose waveform, vibrato,
// octave shift, pitch fall or envelope lie outside what the format means, and
// companion files of every broken length. Each module plays through whole blocks.
#include "HostileTestSupport.h"

#include <filesystem>
#include <functional>
#include <random>

using namespace hostile;

namespace {

// Notes from the lowest to the highest on samples 1 to 3, which the companion turns
// into AM sounds.
std::vector<uint8>
StarTrackerModule()
{
    zw::ModWriter mod("FLT4");
    mod.SetSample(1, Ramp(64), 64);
    mod.SetSample(2, {}, 64);   // an AM slot without sample data
    mod.SetSample(3, Ramp(300), 64, 10, 100);
    mod.SetPositions({ 0, 1 });
    const char* notes[] = { "C-0", "C-2", "B-6", "G-4", "A#6", "C-1" };
    for (int p = 0; p < 2; p++) {
        for (int row = 0; row < 64; row += 3) {
            for (int c = 0; c < 4; c++)
                mod.Cell(p, row, c) = { zw::NotePeriod(notes[(row / 3 + c) % 6]),
                    uint8(1 + (row + c) % 3), uint8(row % 9 == 0 ? 0x4 : 0), 0x8F };
        }
        mod.Cell(p, 1, 0) = { 0, 0, 0xF, 0x01 };   // speed 1: many AM ticks per row
    }
    return mod.Build();
}

// A sound that runs through all its phases quickly.
AMSample
Sound()
{
    AMSample r = {};
    r.mark = 0x414D;
    r.startAmplitude = 64;
    r.attack1Level = 256;
    r.attack1Speed = 64;
    r.attack2Level = 180;
    r.attack2Speed = 16;
    r.sustainLevel = 100;
    r.decaySpeed = 8;
    r.releaseSpeed = 4;
    r.vibratoDepth = 8;
    r.vibratoSpeed = 30;
    return r;
}

struct RecordCase
{
    const char*                    name;
    std::function<void(AMSample&)> change;
};

const RecordCase kRecords[] = {
    { "Waveform4", [](AMSample& r) { r.waveform = 4; } },
    { "Waveform255", [](AMSample& r) { r.waveform = 255; } },
    { "WaveformFFFF", [](AMSample& r) { r.waveform = 0xFFFF; } },
    { "VibratoSpeed360", [](AMSample& r) { r.vibratoSpeed = 360; } },
    { "VibratoSpeed361", [](AMSample& r) { r.vibratoSpeed = 361; } },
    { "VibratoSpeed1000", [](AMSample& r) { r.vibratoSpeed = 1000; } },
    { "VibratoSpeedFFFF", [](AMSample& r) { r.vibratoSpeed = 0xFFFF; } },
    { "VibratoDepthMostNegative",
        [](AMSample& r) {
            r.vibratoDepth = 0x8000;
            r.vibratoSpeed = 97;
        } },
    { "VibratoDepthLargest",
        [](AMSample& r) {
            r.vibratoDepth = 0x7FFF;
            r.vibratoSpeed = 91;
        } },
    { "OctaveShift16", [](AMSample& r) { r.octaveShift = 16; } },
    { "OctaveShift31", [](AMSample& r) { r.octaveShift = 31; } },
    { "OctaveShift32", [](AMSample& r) { r.octaveShift = 32; } },
    { "OctaveShiftFFFF", [](AMSample& r) { r.octaveShift = 0xFFFF; } },
    { "OctaveShiftUpToTheTop", [](AMSample& r) { r.octaveShift = 7; } },
    { "PitchFallUp", [](AMSample& r) { r.pitchFall = 1; } },
    { "PitchFallDown", [](AMSample& r) { r.pitchFall = 0xFFFF; } },
    { "PitchFallHalfTurn", [](AMSample& r) { r.pitchFall = 0x8000; } },
    { "PitchFallLargeDown",
        [](AMSample& r) {
            r.pitchFall = 0xFF00;
            r.vibratoDepth = 0;
        } },
    { "StartAmplitudeFFFF", [](AMSample& r) { r.startAmplitude = 0xFFFF; } },
    { "LevelsFFFF",
        [](AMSample& r) { r.attack1Level = r.attack2Level = r.sustainLevel = 0xFFFF; } },
    { "SpeedsFFFF",
        [](AMSample& r) {
            r.attack1Speed = r.attack2Speed = r.decaySpeed = r.releaseSpeed = 0xFFFF;
        } },
    { "SpeedsZero",
        [](AMSample& r) { r.attack1Speed = r.attack2Speed = r.decaySpeed = r.releaseSpeed = 0; } },
    { "ReleaseNever",
        [](AMSample& r) {
            r.releaseSpeed = 0;
            r.attack1Speed = 300;
        } },
    { "EveryField00",
        [](AMSample& r) {
            r = AMSample {};
            r.mark = 0x414D;
        } },
    { "EveryFieldFF",
        [](AMSample& r) {
            memset(&r, 0xFF, sizeof(r));
            r.mark = 0x414D;
        } },
    { "MarkOnly",
        [](AMSample& r) {
            auto mark = r.mark;
            r = AMSample {};
            r.mark = mark;
            r.startAmplitude = 256;
        } },
};

class HostileRecord : public testing::TestWithParam<RecordCase>
{};

std::string
RecordName(const testing::TestParamInfo<RecordCase>& info)
{
    return info.param.name;
}

std::vector<uint8>
Companion(std::function<void(AMSample&)> change)
{
    zw::NtWriter nt;
    for (int k = 0; k < 3; k++) {
        nt.Record(k) = Sound();
        change(nt.Record(k));
    }
    return nt.Build();
}

}   // namespace


TEST_P(HostileRecord, PlaysThroughWholeBlocks)
{
    std::vector<uint8> companion = Companion(GetParam().change);
    Outcome            o = PlayBytes(StarTrackerModule(), 96, true, &companion);
    ExpectPlays(o, 96);
}

INSTANTIATE_TEST_SUITE_P(Fields, HostileRecord, testing::ValuesIn(kRecords), RecordName);


// The AM sounds really play: a module whose samples are all silent is heard only
// through its companion.
TEST(HostileCompanion, AMSoundsAreHeard)
{
    zw::ModWriter mod("FLT4");
    mod.SetSample(1, std::vector<int8>(64, 0), 64);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    zw::NtWriter nt;
    nt.Record(0) = Sound();
    std::vector<uint8> companion = nt.Build();
    Outcome            withSounds = PlayBytes(mod.Build(), 16, false, &companion);
    ExpectPlays(withSounds, 16);
    EXPECT_GT(withSounds.loudBlocks, 0);
    Outcome without = PlayBytes(mod.Build(), 16, false);
    ExpectPlays(without, 16);
    EXPECT_EQ(without.loudBlocks, 0);
}


// Companion files of every broken length: shorter than the header, cut inside a
// record, longer than 31 records.
TEST(HostileCompanion, EveryLength_Plays)
{
    std::vector<uint8> whole = Companion([](AMSample& r) { r.waveform = 3; });
    zw::NtWriter       full;
    for (int k = 0; k < 31; k++)
        full.Record(k) = Sound();
    std::vector<uint8> longer = full.Build();
    longer.resize(longer.size() + 1000, 0xFF);
    std::vector<std::vector<uint8>> companions = { {}, longer };
    for (size_t cut : { size_t(1), size_t(100), size_t(143), size_t(144), size_t(145), size_t(263),
             size_t(264), size_t(265), whole.size() - 1 })
        companions.push_back(zw::Truncated(whole, cut));
    for (const std::vector<uint8>& companion : companions) {
        SCOPED_TRACE("companion of " + std::to_string(companion.size()) + " bytes");
        ExpectPlays(PlayBytes(StarTrackerModule(), 24, true, &companion), 24);
    }
}


// Random records, marked as AM sounds: whatever their values, the module plays.
TEST(HostileCompanion, RandomRecords_Play)
{
    std::mt19937                       random(11);
    std::uniform_int_distribution<int> word(0, 0xFFFF);
    for (int round = 0; round < 30; round++) {
        zw::NtWriter nt;
        for (int k = 0; k < 31; k++) {
            AMSample& r = nt.Record(k);
            uint16*   fields[] = { &r.startAmplitude, &r.attack1Level, &r.attack1Speed,
                  &r.attack2Level, &r.attack2Speed, &r.sustainLevel, &r.decaySpeed, &r.releaseSpeed,
                  &r.waveform, &r.pitchFall, &r.vibratoDepth, &r.vibratoSpeed, &r.octaveShift };
            for (uint16* field : fields)
                *field = uint16(word(random));
        }
        std::vector<uint8> companion = nt.Build();
        SCOPED_TRACE("round " + std::to_string(round));
        ExpectPlays(PlayBytes(StarTrackerModule(), 24, true, &companion), 24);
    }
}


// A companion that cannot be read (a folder of that name) is no companion.
TEST(HostileCompanion, UnreadableCompanion_PlaysPlainSamples)
{
    TempDir     dir;
    std::string path = dir.Write("song.mod", StarTrackerModule());
    std::filesystem::create_directory(dir.File("song.nt"));
    CountingPlugin   plugin;
    PlayerInfoStruct info = {};
    ASSERT_TRUE(plugin.InitPlaying(path.c_str(), &info));
    char* buffer = nullptr;
    for (int b = 0; b < 16; b++)
        EXPECT_EQ(plugin.GetAudio(&buffer, kBlockBytes), kBlockBytes);
    EXPECT_EQ(static_cast<ModTracker*>(plugin.lastPlayer)->Module().amData, nullptr);
    plugin.CleanupPlaying();
}
