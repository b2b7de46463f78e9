// Voices no well-behaved player would set up: whatever they hold, the mixer reads only
// inside the sample and never divides by zero.
#include <gtest/gtest.h>

#include "MixerTestSupport.h"

namespace {

// Silent sample data between loud guard zones: a voice that reads only its own data
// adds nothing, one read outside the sample shows in the sums.
template<typename Sample>
class GuardedSample
{
public:
    static const uint32 kGuard = 1 << 16;

    explicit GuardedSample(uint32 length) : store(length + 2 * kGuard, Sample(100))
    {
        std::fill(store.begin() + kGuard, store.begin() + kGuard + length, Sample(0));
    }
    const Sample* Data() const { return store.data() + kGuard; }

private:
    std::vector<Sample> store;
};

class BadVoice : public ::testing::Test
{
protected:
    RVMixer      mixer;
    RVMixerProbe probe { mixer };
};

}   // namespace


// The loop end is cut at the sample's end, so the loop wraps there.
TEST_F(BadVoice, AddChannel_LoopPastSample_WrapsAtSampleEnd)
{
    const std::vector<int16> data = Ramp(30);
    VINFO v = MakeVoice(data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT | VINFO_LOOP);
    v.loopStart = 20;
    v.loopEnd = 40;

    std::vector<int> expected = Sequence(0, 29);
    for (int pass = 0; pass < 3; pass++) {
        const std::vector<int> loop = Sequence(20, 29);
        expected.insert(expected.end(), loop.begin(), loop.end());
    }
    EXPECT_EQ(expected, Trace(probe, v, 60));
    EXPECT_TRUE(v.active);
    EXPECT_EQ(30 * 2048 - 1, probe.LoopFinish());
}


TEST_F(BadVoice, AddChannel_PingPongPastSample_ReflectsAtSampleEnd)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = MakeVoice(
                           data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT | VINFO_LOOP | VINFO_PINGPONG);
    v.loopStart = 25;
    v.loopEnd = 1000;

    const std::vector<int> read = Trace(probe, v, 40);
    EXPECT_EQ(Sequence(0, 29), std::vector<int>(read.begin(), read.begin() + 30));
    EXPECT_EQ(29, read[30]);
    for (int r : read)
        EXPECT_LE(r, 29);
    EXPECT_TRUE(v.active);
}


TEST_F(BadVoice, AddChannel_LoopEndBeforeStart_PlaysOnce)
{
    const std::vector<int16> data = Ramp(30);
    VINFO v = MakeVoice(data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT | VINFO_LOOP);
    v.loopStart = 20;
    v.loopEnd = 10;

    std::vector<int> expected = Sequence(0, 29);
    expected.insert(expected.end(), 5, -1);
    EXPECT_EQ(expected, Trace(probe, v, 35));
    EXPECT_FALSE(v.active);
}


TEST_F(BadVoice, AddChannel_StartPastEnd_Stops)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = MakeVoice(data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT);
    v.position = int64(31) * 2048;

    EXPECT_EQ(std::vector<int>(4, -1), Trace(probe, v, 4));
    EXPECT_FALSE(v.active);
}


TEST_F(BadVoice, AddChannel_StartPastLoopAndSample_LandsInsideLoop)
{
    const std::vector<int16> data = Ramp(30);
    VINFO v = MakeVoice(data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT | VINFO_LOOP);
    v.loopStart = 10;
    v.loopEnd = 20;
    v.position = int64(1000000) * 2048 + 77;

    for (int r : Trace(probe, v, 64)) {
        EXPECT_GE(r, 10);
        EXPECT_LE(r, 19);
    }
    EXPECT_TRUE(v.active);
}


// A step of many loop lengths would leave a single wrap or reflection outside the loop.
TEST_F(BadVoice, AddChannel_StepLongerThanLoop_StaysInsideLoop)
{
    const std::vector<int16> data = Ramp(30);
    for (uint16 kind : { uint16(0), uint16(VINFO_PINGPONG) }) {
        for (uint32 frequency : { 200000u, 1234567u, 4000000000u }) {
            VINFO v =
                MakeVoice(data.data(), 30, frequency, 256, 0, VINFO_16BIT | VINFO_LOOP | kind);
            v.loopStart = 12;
            v.loopEnd = 17;
            int inLoop = 0;
            for (int r : Trace(probe, v, 300)) {
                EXPECT_TRUE(r == -1 || (r >= 0 && r <= 29)) << r;
                inLoop += (r >= 12 && r <= 16);
            }
            EXPECT_GT(inLoop, 0) << "frequency " << frequency;
        }
    }
}


// 3,000,000 Hz overflows a 32-bit product with 2048; the step must not wrap.
TEST_F(BadVoice, AddChannel_FrequencyAbove2MHz_StepsCorrectly)
{
    const std::vector<int16> data = Ramp(20000);
    VINFO                    v = MakeVoice(data.data(), 20000, 3000000, 256, 0, VINFO_16BIT);
    probe.Prepare(&v);
    ASSERT_EQ(int64(3000000) * 2048 / 44100, v.step);

    const std::vector<int> read = Trace(probe, v, 200);
    for (int k = 0; k < 200; k++) {
        const int64 index = k * v.step >> 11;
        EXPECT_EQ(index < 20000 ? index : -1, read[k]) << "frame " << k;
    }
}


// Starts and lengths of 2,097,152 samples and more overflow 32-bit products with 2048.
TEST_F(BadVoice, Mixer_StartAndLengthAbove2M_ReadTheRightSamples)
{
    const uint32      length = 3000000;
    std::vector<int8> data(length);
    for (uint32 i = 0; i < length; i++)
        data[i] = int8(i % 100 + 1);

    MixerRig rig(1);
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1) {
            p.Channel(0)->PlaySample(data.data(), 2999990, length);
            p.Channel(0)->SetFrequency(kStepOneSample);
            p.Channel(0)->SetVolume(256);
        }
    };
    const std::vector<int16> out = rig.Render(16);
    for (int i = 0; i < 10; i++)
        EXPECT_EQ((data[2999990 + i] * 256 * 255) >> 9, out[2 * i]) << "frame " << i;
    for (int i = 10; i < 16; i++)
        EXPECT_EQ(0, out[2 * i]);
    EXPECT_FALSE(rig.player.Channel(0)->IsActive());
}


// Random voice states over silent data framed by loud guards: nothing may be heard.
template<typename Sample>
void
CheckRandomStatesReadInside(uint32 seed)
{
    std::mt19937 rng(seed);
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    const uint16 pannings[] = { 0, 255, 128, RV_PANNING_SURROUND };
    const uint32 frequencies[] = { 0, 21, 22, 8287, 44100, 300000, 3000000, 4294967295u };

    for (int round = 0; round < 3000; round++) {
        const uint32          length = std::uniform_int_distribution<uint32>(0, 400)(rng);
        GuardedSample<Sample> sample(length);
        uint16 flags = uint16(rng() & (VINFO_LOOP | VINFO_PINGPONG | VINFO_BACKWARDS));
        if (sizeof(Sample) == 2)
            flags |= VINFO_16BIT;
        VINFO v = MakeVoice(
            sample.Data(), length, frequencies[rng() % 8], 256, pannings[rng() % 4], flags);
        if (rng() & 1)
            v.frequency = uint32(rng());
        v.loopStart = std::uniform_int_distribution<uint32>(0, 600)(rng);
        v.loopEnd = std::uniform_int_distribution<uint32>(0, 600)(rng);
        v.position = std::uniform_int_distribution<int64>(-2048 * 700, 2048 * 700)(rng);

        for (int call = 0; call < 3 && v.active; call++) {
            const int64        frames = std::uniform_int_distribution<int64>(1, 1500)(rng);
            std::vector<int32> buffer(2 * frames, 0);
            probe.Render(&v, buffer.data(), frames);
            for (int64 i = 0; i < 2 * frames; i++)
                ASSERT_EQ(0, buffer[i]) << "round " << round << " value " << i;
        }
    }
}


TEST_F(BadVoice, AddChannel_RandomStates8Bit_ReadOnlyInside)
{
    CheckRandomStatesReadInside<int8>(11);
}


TEST_F(BadVoice, AddChannel_RandomStates16Bit_ReadOnlyInside)
{
    CheckRandomStatesReadInside<int16>(12);
}


// The same through the player's channels and the parser: starts, lengths and loops of
// any size, loops whose end wraps around 32 bits.
TEST_F(BadVoice, Mixer_HostileChannels_ReadOnlyInside)
{
    std::mt19937        rng(13);
    GuardedSample<int8> sample(64);
    MixerRig            rig(8);
    rig.player.onPlay = [&](TestPlayer& p) {
        for (uint16 i = 0; i < 8; i++) {
            RVChannel*   c = p.Channel(i);
            const uint32 pick = rng() % 6;
            if (pick == 0)
                c->PlaySample(sample.Data(), rng() % 100, 64);
            else if (pick == 1)
                c->SetLoop(uint32(rng()) % 200, uint32(rng()), RV_LoopType(rng() & 1));
            else if (pick == 2)
                c->SetLoop(0xFFFFFFF0u, 0x20, RV_LOOP_PINGPONG);
            else if (pick == 3)
                c->SetFrequency(rng() & 1 ? uint32(rng()) : uint32(rng() % 100000));
            else if (pick == 4)
                c->SetVolume(uint16(rng()));
            else
                c->SetPanning(rng() & 1 ? RV_PANNING_SURROUND : uint16(rng()));
        }
        p.bpm = uint16(rng() % 300);
    };
    for (int block = 0; block < 200; block++) {
        for (int16 v : rig.Render(1024))
            ASSERT_EQ(0, v) << "block " << block;
    }
}
