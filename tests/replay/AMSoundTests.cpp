// StarTracker AM sounds: envelope, pitch fall, vibrato, waveforms and noise.
#include "ReplayTest.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <set>

using namespace replaytest;

namespace {

// A StarTracker module with the note on row 0 and its ".nt" companion beside it.
class AMSong
{
public:
    AMSong(const AMSample& record, const char* note = "C-2", bool withCompanion = true,
        std::function<void(zw::ModWriter&)> moreCells = nullptr)
    {
        static int serial = 0;
        path = testing::TempDir() + "zw_am_" + std::to_string(getpid()) + "_"
            + std::to_string(serial++) + ".mod";
        zw::ModWriter mod("FLT4");
        mod.SetSample(1, Ramp(64), 64);
        mod.SetSample(2, Ramp(64), 48);
        SetCell(mod, 0, 0, 0, note, 1, 0, 0);
        if (moreCells)
            moreCells(mod);
        EXPECT_TRUE(mod.Save(path));
        if (withCompanion) {
            zw::NtWriter nt;
            nt.Record(0) = record;
            nt.Record(1).mark = 0;
            EXPECT_TRUE(nt.Save(path + ".nt"));
        }
        song = std::make_unique<Song>(path, MODTYPE_STARTRACKER);
    }

    ~AMSong()
    {
        std::remove(path.c_str());
        std::remove((path + ".nt").c_str());
    }

    std::string path;
    std::unique_ptr<Song> song;
};

AMSample
Envelope()
{
    AMSample r{};
    r.mark = AM_MARK;
    r.startAmplitude = 0;
    r.attack1Level = 256;
    r.attack1Speed = 64;
    r.attack2Level = 256;
    r.attack2Speed = 1;
    r.sustainLevel = 256;
    r.decaySpeed = 1;
    r.releaseSpeed = 64;
    return r;
}

}   // namespace


// From the note's tick: 64 128 192 256 (phase 2 on the fourth tick), then attack 2 and
// decay are at their levels at once, sustain lasts one tick, release falls by 64 to 0.
TEST(AMSounds, EnvelopeRunsThroughItsPhases)
{
    AMSong am(Envelope());
    Song& song = *am.song;
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick& note = song.PlayTo(6);
    EXPECT_TRUE(note.channels[0].triggered);
    EXPECT_EQ(note.channels[0].length, 32u);
    EXPECT_TRUE(note.channels[0].looping);
    EXPECT_EQ(note.channels[0].loopLength, 32u);
    EXPECT_EQ(song.Player()->virtualChannels[0]->SampleAddress(), song.Player()->amWaveforms[0]);
    EXPECT_EQ(note.channels[0].frequency, Hz(856));

    std::vector<uint32> volumes = { note.channels[0].volume };
    for (uint32 play = 7; play <= 17; play++) {
        volumes.push_back(song.PlayTo(play).channels[0].volume);
        if (play == 9) {
            EXPECT_EQ(song.Player()->channels[0].amPhase, 2);
        }
    }
    EXPECT_EQ(volumes, (std::vector<uint32>{ 64, 128, 192, 256, 256, 256, 256, 192, 128, 64, 0, 0 }));
    EXPECT_FALSE(song.Player()->channels[0].amSound);
}


// Octave shift 1 doubles the period: C-3 (428) starts at 856.
TEST(AMSounds, OctaveShiftOnTheNote)
{
    AMSample r = Envelope();
    r.octaveShift = 1;
    AMSong am(r, "C-3");
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(am.song->PlayTo(6).channels[0].frequency, Hz(856));
}


// The pitch fall accumulates in the period, a tick at a time from the note's tick on.
TEST(AMSounds, PitchFallAccumulates)
{
    AMSample r = Envelope();
    r.pitchFall = 4;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(am.song->PlayTo(6).channels[0].frequency, Hz(860));
    EXPECT_EQ(am.song->PlayTo(7).channels[0].frequency, Hz(864));
    EXPECT_EQ(am.song->PlayTo(8).channels[0].frequency, Hz(868));
}


// Speed 100: angles 0, 100, 200, 300, 40; from 180 on the half sine is negated.
TEST(AMSounds, VibratoFollowsTheHalfSine)
{
    for (int16 depth : { int16(64), int16(-64) }) {
        AMSample r = Envelope();
        r.vibratoDepth = uint16(depth);
        r.vibratoSpeed = 100;
        AMSong am(r);
        ASSERT_TRUE(am.song->Loaded());
        std::vector<int32> offsets = { 0, amSinus[100] * depth / 128, -(amSinus[20] * depth / 128),
            -(amSinus[120] * depth / 128), amSinus[40] * depth / 128 };
        for (uint32 k = 0; k < offsets.size(); k++) {
            EXPECT_EQ(am.song->PlayTo(6 + k).channels[0].frequency, Hz(uint32(856 + offsets[k])))
                << "depth " << depth << " tick " << k;
        }
    }
}


// A speed of a whole turn or more stays within the table: 400 steps by 40.
TEST(AMSounds, VibratoSpeedAboveATurn)
{
    AMSample r = Envelope();
    r.vibratoDepth = 64;
    r.vibratoSpeed = 400;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    am.song->PlayTo(6);
    EXPECT_EQ(am.song->Player()->channels[0].amVibPos, 40);
    EXPECT_EQ(am.song->PlayTo(7).channels[0].frequency, Hz(856 + amSinus[40] * 64 / 128));
    for (uint32 play = 8; play < 100; play++) {
        am.song->PlayTo(play);
        ASSERT_LT(am.song->Player()->channels[0].amVibPos, 360);
    }
}


// Waveform numbers above 3 play the waveform of their low two bits.
TEST(AMSounds, WaveformNumberAboveThree)
{
    for (uint16 wave : { uint16(1), uint16(5), uint16(0xFFFE) }) {
        AMSample r = Envelope();
        r.waveform = wave;
        AMSong am(r);
        ASSERT_TRUE(am.song->Loaded());
        am.song->PlayTo(6);
        ModTracker* player = am.song->Player();
        EXPECT_EQ(player->virtualChannels[0]->SampleAddress(), player->amWaveforms[wave & 3]);
    }
}


// The noise waveform is new on every tick; the other three never change.
TEST(AMSounds, NoiseIsRewrittenEveryTick)
{
    AMSample r = Envelope();
    r.waveform = 3;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    ModTracker* player = am.song->Player();
    std::vector<int8> previous(player->amWaveforms[3], player->amWaveforms[3] + 32);
    for (uint32 play = 1; play <= 20; play++) {
        am.song->PlayTo(play);
        std::vector<int8> now(player->amWaveforms[3], player->amWaveforms[3] + 32);
        EXPECT_NE(now, previous) << "Play " << play;
        previous = now;
    }
    EXPECT_EQ(memcmp(player->amWaveforms, amWaveformTable, 3 * 32), 0);
}


// Without the companion file the slot plays its ordinary sample.
TEST(AMSounds, NoCompanionPlaysTheSample)
{
    AMSong am(Envelope(), "C-2", false);
    ASSERT_TRUE(am.song->Loaded());
    const zw::TraceTick& note = am.song->PlayTo(6);
    ModTracker* player = am.song->Player();
    EXPECT_EQ(player->virtualChannels[0]->SampleAddress(), player->samples[0].data);
    EXPECT_EQ(note.channels[0].volume, 256u);
    EXPECT_FALSE(player->channels[0].amSound);
}


TEST(AMSounds, RandomStaysInItsRange)
{
    EXPECT_EQ(ModTracker::Random(0), 0u);
    std::set<uint32> seen;
    for (int i = 0; i < 100000; i++) {
        uint32 value = ModTracker::Random(255);
        ASSERT_LE(value, 255u);
        seen.insert(value);
    }
    EXPECT_GT(seen.size(), 200u);
    for (int i = 0; i < 1000; i++)
        ASSERT_LE(ModTracker::Random(1), 1u);
}


// A sample change to an unmarked slot ends AM control at once; the next note plays the
// ordinary sample at its own volume.
TEST(AMSounds, UnmarkedSampleEndsAMControl)
{
    AMSong am(Envelope(), "C-2", true, [](zw::ModWriter& mod) {
        SetCell(mod, 0, 1, 0, "D-2", 2, 0, 0);
    });
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_TRUE(am.song->PlayTo(11).channels[0].volume == 256u);
    const zw::TraceTick& next = am.song->PlayTo(12);
    ModTracker* player = am.song->Player();
    EXPECT_FALSE(player->channels[0].amSound);
    EXPECT_EQ(player->virtualChannels[0]->SampleAddress(), player->samples[1].data);
    EXPECT_EQ(next.channels[0].volume, 48u * 4);
    EXPECT_EQ(next.channels[0].frequency, Hz(762));
    EXPECT_EQ(am.song->PlayTo(13).channels[0].volume, 48u * 4);
}


// A start amplitude beyond full gives the channel full volume, not a wrapped one; the
// envelope itself is sent at most at full volume.
TEST(AMSounds, AmplitudeBeyondFullVolume)
{
    AMSample r = Envelope();
    r.startAmplitude = 1000;
    r.attack1Level = 2000;
    r.attack1Speed = 100;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(am.song->PlayTo(6).channels[0].volume, 256u);
    EXPECT_EQ(am.song->Player()->channels[0].volume, 64);
    EXPECT_EQ(am.song->PlayTo(7).channels[0].volume, 256u);
}
