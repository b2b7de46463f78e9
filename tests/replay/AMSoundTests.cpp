// StarTracker AM sounds: envelope, pitch fall, vibrato, waveforms and noise.
#include "ReplayTest.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

using namespace replaytest;

namespace {

AMSample
Envelope()
{
    AMSample r {};
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
TEST(AMSounds, Envelope_FullRun_GoesThroughEveryPhase)
{
    AMSong am(Envelope());
    Song&  song = *am.song;
    ASSERT_TRUE(song.Loaded());
    const zw::TraceTick&    note = song.PlayTo(6);
    const zw::TraceChannel& ch = note.channels[0];
    EXPECT_EQ(std::tuple(ch.triggered, ch.length, ch.looping, ch.loopLength),
        std::tuple(true, 32u, true, 32u));
    ModTracker* player = song.Player();
    EXPECT_EQ(player->virtualChannels[0]->SampleAddress(), player->Replay().amWaveforms[0]);
    EXPECT_EQ(note.channels[0].frequency, Hz(856));

    std::vector<uint32> volumes = { note.channels[0].volume };
    for (uint32 play = 7; play <= 17; play++) {
        volumes.push_back(song.PlayTo(play).channels[0].volume);
        if (play == 9) {
            EXPECT_EQ(player->Replay().channels[0].amPhase, 2);
        }
    }
    EXPECT_EQ(
        volumes, (std::vector<uint32> { 64, 128, 192, 256, 256, 256, 256, 192, 128, 64, 0, 0 }));
    EXPECT_FALSE(player->Replay().channels[0].amSound);
}

// Octave shift 1 doubles the period (C-3, 428, starts at 856); the pitch fall
// accumulates in the period a tick at a time from the note's tick on.
TEST(AMSounds, Pitch_OctaveShiftAndPitchFall_MoveThePeriod)
{
    AMSample shifted = Envelope();
    shifted.octaveShift = 1;
    AMSong octave(shifted, "C-3");
    ASSERT_TRUE(octave.song->Loaded());
    EXPECT_EQ(octave.song->PlayTo(6).channels[0].frequency, Hz(856));

    AMSample falling = Envelope();
    falling.pitchFall = 4;
    AMSong fall(falling);
    ASSERT_TRUE(fall.song->Loaded());
    for (uint32 k = 0; k < 3; k++)
        EXPECT_EQ(fall.song->PlayTo(6 + k).channels[0].frequency, Hz(860 + 4 * k)) << k;
}

// Speed 100: angles 0, 100, 200, 300, 40; from 180 on the half sine is negated.
TEST(AMSounds, Vibrato_EitherDepthSign_FollowsTheHalfSine)
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
TEST(AMSounds, Vibrato_SpeedAboveATurn_StaysInTheTable)
{
    AMSample r = Envelope();
    r.vibratoDepth = 64;
    r.vibratoSpeed = 400;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    am.song->PlayTo(6);
    EXPECT_EQ(am.song->Player()->Replay().channels[0].amVibPos, 40);
    EXPECT_EQ(am.song->PlayTo(7).channels[0].frequency, Hz(856 + amSinus[40] * 64 / 128));
    for (uint32 play = 8; play < 100; play++) {
        am.song->PlayTo(play);
        ASSERT_LT(am.song->Player()->Replay().channels[0].amVibPos, 360);
    }
}

// Waveform numbers above 3 play the waveform of their low two bits.
TEST(AMSounds, Waveform_NumberAboveThree_PlaysItsLowTwoBits)
{
    for (uint16 wave : { uint16(1), uint16(5), uint16(0xFFFE) }) {
        AMSample r = Envelope();
        r.waveform = wave;
        AMSong am(r);
        ASSERT_TRUE(am.song->Loaded());
        am.song->PlayTo(6);
        ModTracker* player = am.song->Player();
        EXPECT_EQ(
            player->virtualChannels[0]->SampleAddress(), player->Replay().amWaveforms[wave & 3]);
    }
}

// The noise waveform is new on every tick; the other three never change.
TEST(AMSounds, Waveform_Noise_IsRewrittenEveryTick)
{
    AMSample r = Envelope();
    r.waveform = 3;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    ModTracker*       player = am.song->Player();
    const int8*       noise = player->Replay().amWaveforms[3];
    std::vector<int8> previous(noise, noise + 32);
    for (uint32 play = 1; play <= 20; play++) {
        am.song->PlayTo(play);
        std::vector<int8> now(noise, noise + 32);
        EXPECT_NE(now, previous) << "Play " << play;
        previous = now;
    }
    EXPECT_EQ(memcmp(player->Replay().amWaveforms, amWaveformTable, 3 * 32), 0);
}

// Without the companion file the slot plays its ordinary sample.
TEST(AMSounds, NoCompanion_Note_PlaysTheSample)
{
    AMSong am(Envelope(), "C-2", false);
    ASSERT_TRUE(am.song->Loaded());
    const zw::TraceTick& note = am.song->PlayTo(6);
    ModTracker*          player = am.song->Player();
    EXPECT_EQ(std::tuple(player->virtualChannels[0]->SampleAddress(), note.channels[0].volume,
                  player->Replay().channels[0].amSound),
        std::tuple(player->Module().samples[0].data, 256u, false));
}

TEST(AMSounds, Random_AnyLimit_StaysInItsRangeAndSpreads)
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

// The noise refresh draws the generator exactly as 32 calls of Random(255) in a row,
// and leaves it where they would: with the standard state and with a larger one.
TEST(AMSounds, NoiseRefresh_SameBytesAsRandomInOrder)
{
    ModTracker::Random(255);   // the first call seeds; the test seeds after it
    static char larger[256];
    for (bool standard : { true, false }) {
        char* before = standard ? nullptr : initstate(1, larger, sizeof(larger));
        for (unsigned seed : { 1u, 7u, 123456u }) {
            srand(seed);
            std::vector<int8> expected;
            for (int k = 0; k < 32; k++)
                expected.push_back(int8(uint8(ModTracker::Random(255))));
            const int next = rand();
            srand(seed);
            std::vector<int8> wave(32);
            ModTracker::RefreshNoise(wave.data());
            EXPECT_EQ(expected, wave) << seed << (standard ? "" : ", larger state");
            EXPECT_EQ(next, rand()) << seed << (standard ? "" : ", larger state");
        }
        if (before != nullptr)
            setstate(before);
    }
}

// A sample change to an unmarked slot ends AM control at once; the next note plays the
// ordinary sample at its own volume.
TEST(AMSounds, UnmarkedSample_NextNote_EndsAMControl)
{
    AMSong am(Envelope(), "C-2", true, { { 0, 1, 0, "D-2", 2, 0, 0 } });
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(am.song->PlayTo(11).channels[0].volume, 256u);
    const zw::TraceTick& next = am.song->PlayTo(12);
    ModTracker*          player = am.song->Player();
    EXPECT_EQ(std::tuple(player->Replay().channels[0].amSound,
                  player->virtualChannels[0]->SampleAddress(), next.channels[0].volume,
                  next.channels[0].frequency),
        std::tuple(false, player->Module().samples[1].data, 48u * 4, Hz(762)));
    EXPECT_EQ(am.song->PlayTo(13).channels[0].volume, 48u * 4);
}

// A start amplitude beyond full gives the channel full volume, not a wrapped one; the
// envelope itself is sent at most at full volume.
TEST(AMSounds, Amplitude_BeyondFull_IsFullVolume)
{
    AMSample r = Envelope();
    r.startAmplitude = 1000;
    r.attack1Level = 2000;
    r.attack1Speed = 100;
    AMSong am(r);
    ASSERT_TRUE(am.song->Loaded());
    EXPECT_EQ(am.song->PlayTo(6).channels[0].volume, 256u);
    EXPECT_EQ(am.song->Player()->Replay().channels[0].volume, 64);
    EXPECT_EQ(am.song->PlayTo(7).channels[0].volume, 256u);
}
