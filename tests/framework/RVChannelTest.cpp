// The virtual channel's setters: which value each stores and which bits it raises.
#include <gtest/gtest.h>

#include "framework/RVChannel.h"

namespace {

const int8 kSample[16] = {};

TEST(RVChannel, Constructor_ClearsEveryMember)
{
    RVChannel channel;
    EXPECT_EQ(channel.Flags(), 0u);
    EXPECT_EQ(channel.SampleAddress(), nullptr);
    EXPECT_EQ(channel.SampleStart(), 0u);
    EXPECT_EQ(channel.SampleLength(), 0u);
    EXPECT_EQ(channel.LoopStart(), 0u);
    EXPECT_EQ(channel.LoopLength(), 0u);
    EXPECT_EQ(channel.Frequency(), 0u);
    EXPECT_EQ(channel.Volume(), 0);
    EXPECT_EQ(channel.Panning(), 0);
    EXPECT_FALSE(channel.IsActive());
}

TEST(RVChannel, PlaySample_Bits16OnlyForExactly16)
{
    for (int bits : { 0, 8, 15, 17, 32, 255 }) {
        RVChannel channel;
        channel.PlaySample(kSample, 2, 14, (uint8)bits);
        EXPECT_EQ(channel.Flags(), RV_CHANNEL_TRIGGER) << bits;
    }
    RVChannel channel;
    channel.PlaySample(kSample, 2, 14, 16);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_TRIGGER | RV_CHANNEL_16BIT);
    EXPECT_EQ(channel.SampleAddress(), kSample);
    EXPECT_EQ(channel.SampleStart(), 2u);
    EXPECT_EQ(channel.SampleLength(), 14u);
}

TEST(RVChannel, PlaySample_KeepsLoopValues)
{
    RVChannel channel;
    channel.SetLoop(4, 8);
    channel.PlaySample(kSample, 0, 16);
    EXPECT_EQ(channel.LoopStart(), 4u);
    EXPECT_EQ(channel.LoopLength(), 8u);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_LOOP | RV_CHANNEL_TRIGGER);
}

TEST(RVChannel, MuteAndPlaySample_LastOneDecides)
{
    RVChannel muted;
    muted.PlaySample(kSample, 0, 16);
    muted.Mute();
    EXPECT_EQ(muted.Flags(), RV_CHANNEL_TRIGGER | RV_CHANNEL_MUTE);

    RVChannel playing;
    playing.Mute();
    playing.PlaySample(kSample, 0, 16);
    EXPECT_EQ(playing.Flags(), RV_CHANNEL_TRIGGER);
}

TEST(RVChannel, SetLoop_ClearsMuteAndMarksPingPong)
{
    RVChannel channel;
    channel.Mute();
    channel.SetLoop(10, 20, RV_LOOP_PINGPONG);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_LOOP | RV_CHANNEL_PINGPONG);
    EXPECT_EQ(channel.LoopStart(), 10u);
    EXPECT_EQ(channel.LoopLength(), 20u);
}

TEST(RVChannel, SetLoopWithAddress_ReplacesSampleAddress)
{
    RVChannel channel;
    channel.PlaySample(kSample, 0, 16);
    const int8 other[4] = {};
    channel.SetLoop(other, 0, 4, RV_LOOP_NORMAL);
    EXPECT_EQ(channel.SampleAddress(), other);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_TRIGGER | RV_CHANNEL_LOOP | RV_CHANNEL_LOOPADDRESS);
}

TEST(RVChannel, SetBuffer_RaisesNoBit)
{
    RVChannel channel;
    channel.SetBuffer(kSample, 16);
    EXPECT_EQ(channel.Flags(), 0u);
    EXPECT_EQ(channel.SampleAddress(), kSample);
    EXPECT_EQ(channel.SampleLength(), 16u);
}

TEST(RVChannel, ValueSetters_RaiseTheirOwnBitOnly)
{
    RVChannel channel;
    channel.SetVolume(256);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_VOLUME);
    channel.SetPanning(RV_PANNING_SURROUND);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_VOLUME | RV_CHANNEL_PANNING);
    channel.SetFrequency(8363);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_VOLUME | RV_CHANNEL_PANNING | RV_CHANNEL_FREQUENCY);
    EXPECT_EQ(channel.Volume(), 256);
    EXPECT_EQ(channel.Panning(), 512);
    EXPECT_EQ(channel.Frequency(), 8363u);
}

TEST(RVChannel, SetAmigaPeriod_DividesTheClockAndSurvivesZero)
{
    RVChannel channel;
    channel.SetAmigaPeriod(0);
    EXPECT_EQ(channel.Frequency(), 0u);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_FREQUENCY);
    channel.SetAmigaPeriod(1);
    EXPECT_EQ(channel.Frequency(), 3546895u);
    channel.SetAmigaPeriod(428);   // C-3 in finetune 0: truncated, not rounded
    EXPECT_EQ(channel.Frequency(), 8287u);
    channel.SetAmigaPeriod(0xFFFFFFFF);
    EXPECT_EQ(channel.Frequency(), 0u);
}

}   // namespace
