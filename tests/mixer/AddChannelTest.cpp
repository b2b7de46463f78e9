// AddChannel: one-shot ends, forward and ping-pong loops, frame by frame.
#include <gtest/gtest.h>

#include "MixerTestSupport.h"

namespace {

class AddChannel : public ::testing::Test
{
protected:
    VINFO LoopVoice(const std::vector<int16>& data, uint32 loopStart, uint32 loopEnd, bool pingPong)
    {
        VINFO v = MakeVoice(data.data(), uint32(data.size()), kStepOneSample, 256, 0,
            VINFO_16BIT | VINFO_LOOP | (pingPong ? VINFO_PINGPONG : 0));
        v.loopStart = loopStart;
        v.loopEnd = loopEnd;
        return v;
    }

    RVMixer      mixer;
    RVMixerProbe probe { mixer };
};

}   // namespace


TEST_F(AddChannel, OneShot_StepOne_PlaysEverySampleThenStops)
{
    const std::vector<int16> data = Ramp(10);
    VINFO                    v = MakeVoice(data.data(), 10, kStepOneSample, 256, 0, VINFO_16BIT);

    const std::vector<int> read = Trace(probe, v, 15);
    EXPECT_EQ(Concat({ Sequence(0, 9), std::vector<int>(5, -1) }), read);
    EXPECT_FALSE(v.active);
    EXPECT_EQ(0, v.position);
}


// Each pass through the loop subtracts loopFinish (20 * 2048 - 1) and adds loopBegin,
// so the fraction creeps on by one unit per wrap.
TEST_F(AddChannel, ForwardLoop_WrapsToLoopStartFrameByFrame)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = LoopVoice(data, 10, 20, false);

    EXPECT_EQ(Concat({ Sequence(0, 19), Sequence(10, 19) }), Trace(probe, v, 30));
    EXPECT_EQ(20 * 2048 + 1, v.position);   // wraps at the next stretch
    EXPECT_EQ(Concat({ Sequence(10, 19), Sequence(10, 19) }), Trace(probe, v, 20));
    EXPECT_EQ(20 * 2048 + 3, v.position);
    EXPECT_TRUE(v.active);
}


TEST_F(AddChannel, PingPongLoop_ReflectsAtBothEnds)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = LoopVoice(data, 10, 20, true);

    EXPECT_EQ(Concat({ Sequence(0, 19), Sequence(19, 10), Sequence(10, 19), Sequence(19, 10) }),
        Trace(probe, v, 50));
    EXPECT_TRUE(v.active);
    EXPECT_TRUE(v.flags & VINFO_BACKWARDS);
    EXPECT_LT(v.step, 0);

    // Positions: reflected about loopFinish to 40958, about loopBegin to 20482, about
    // loopFinish again to 40956, and on down 10 frames.
    EXPECT_EQ(40956 - 10 * 2048, v.position);
}


// Direction survives into the next pass: the step is negated from the flag.
TEST_F(AddChannel, PingPongLoop_BackwardsAcrossPasses_Continues)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = LoopVoice(data, 10, 20, true);

    std::vector<int>       read = Trace(probe, v, 25);
    const std::vector<int> more = Trace(probe, v, 25);
    read.insert(read.end(), more.begin(), more.end());
    EXPECT_EQ(
        Concat({ Sequence(0, 19), Sequence(19, 10), Sequence(10, 19), Sequence(19, 10) }), read);
}


TEST_F(AddChannel, ZeroVolume_AdvancesAndStopsWithoutAdding)
{
    const std::vector<int16> data = Ramp(10);
    VINFO                    v = MakeVoice(data.data(), 10, kStepOneSample, 0, 0, VINFO_16BIT);
    std::vector<int32>       buffer(2 * 6, 0);

    probe.Render(&v, buffer.data(), 6);
    EXPECT_EQ(std::vector<int32>(12, 0), buffer);
    EXPECT_EQ(6 * 2048, v.position);
    EXPECT_TRUE(v.active);

    probe.Render(&v, buffer.data(), 6);
    EXPECT_FALSE(v.active);
}


TEST_F(AddChannel, NullAddress_StopsAtZero)
{
    VINFO v = MakeVoice(nullptr, 100, kStepOneSample);
    v.position = 5000;
    int32 buffer[2] = { 0, 0 };

    probe.Render(&v, buffer, 1);
    EXPECT_FALSE(v.active);
    EXPECT_EQ(0, v.position);
    EXPECT_EQ(0, buffer[0]);
}


TEST_F(AddChannel, BackwardsOnLoopBegin_Stops)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = LoopVoice(data, 10, 20, true);
    v.flags |= VINFO_BACKWARDS;
    v.position = 10 * 2048;

    EXPECT_EQ(std::vector<int>(3, -1), Trace(probe, v, 3));
    EXPECT_FALSE(v.active);
    EXPECT_EQ(10 * 2048, v.position);
}


TEST_F(AddChannel, BackwardsWithoutLoop_StopsBelowZero)
{
    const std::vector<int16> data = Ramp(30);
    VINFO v = MakeVoice(data.data(), 30, kStepOneSample, 256, 0, VINFO_16BIT | VINFO_BACKWARDS);
    v.position = 3 * 2048;

    EXPECT_EQ(Concat({ Sequence(3, 0), { -1 } }), Trace(probe, v, 5));
    EXPECT_FALSE(v.active);
}


// Below 22 Hz the step is 0.
TEST_F(AddChannel, ZeroStep_FallsSilent)
{
    const std::vector<int16> data = Ramp(30);
    VINFO                    v = MakeVoice(data.data(), 30, 21, 256, 0, VINFO_16BIT);

    EXPECT_EQ(std::vector<int>(4, -1), Trace(probe, v, 4));
    EXPECT_FALSE(v.active);
}


TEST_F(AddChannel, Gains_PanningAndMasterVolume)
{
    VINFO v = MakeVoice(nullptr, 0, 0, 256, 0);
    probe.Prepare(&v);
    EXPECT_EQ(255, v.leftVolume);
    EXPECT_EQ(0, v.rightVolume);

    v.panning = 128;
    probe.Prepare(&v);
    EXPECT_EQ(127, v.leftVolume);
    EXPECT_EQ(128, v.rightVolume);
    EXPECT_EQ(255, v.oldLeftVolume);
    EXPECT_EQ(0, v.oldRightVolume);

    v.panning = RV_PANNING_SURROUND;
    v.volume = 255;
    probe.Prepare(&v);
    EXPECT_EQ(127, v.leftVolume);
    EXPECT_EQ(127, v.rightVolume);

    mixer.SetVolume(128);
    v.panning = 255;
    v.volume = 256;
    probe.Prepare(&v);
    EXPECT_EQ(0, v.leftVolume);
    EXPECT_EQ(127, v.rightVolume);

    // Out of range: held at full volume and hard right, far from a kernel's overflow.
    v.panning = 400;
    v.volume = 65535;
    probe.Prepare(&v);
    EXPECT_EQ(0, v.leftVolume);
    EXPECT_EQ(127, v.rightVolume);
}


TEST_F(AddChannel, Step_FromFrequencyWithBackwardsSign)
{
    VINFO v = MakeVoice(nullptr, 0, 10000);
    probe.Prepare(&v);
    EXPECT_EQ(464, v.step);

    v.flags = VINFO_BACKWARDS;
    probe.Prepare(&v);
    EXPECT_EQ(-464, v.step);
}


// A position range only the 64-bit kernels hold, rendered through the whole path.
TEST_F(AddChannel, PositionsAbove32BitRange_ReadOnAcrossTheLimit)
{
    const uint32       length = 1048600;
    std::vector<int16> data(length);
    for (uint32 i = 0; i < length; i++)
        data[i] = int16(i % 30000 + 1);
    VINFO v = MakeVoice(data.data(), length, kStepOneSample, 256, 0, VINFO_16BIT);
    v.position = int64(1048560) * 2048;

    std::vector<int32> buffer(2 * 50, 0);
    probe.Render(&v, buffer.data(), 50);
    for (int i = 0; i < 40; i++)
        EXPECT_EQ(data[1048560 + i] * 255, buffer[2 * i]) << "frame " << i;
    for (int i = 40; i < 50; i++)
        EXPECT_EQ(0, buffer[2 * i]);
    EXPECT_FALSE(v.active);
}
