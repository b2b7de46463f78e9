// The channel parser: what one tick of setter calls does to the mixer's voice record.
#include <gtest/gtest.h>

#include <cstring>

#include "framework/RVChannelParser.h"

namespace {

const int8  kSample[64] = {};
const int16 kSample16[64] = {};

// A voice with recognisable values in every field the parser may write.
VINFO
MarkedVoice()
{
    VINFO voice;
    memset(&voice, 0, sizeof(voice));
    voice.retrigger = false;
    voice.active = true;
    voice.flags = 0x5A5A;
    voice.address = kSample16;
    voice.start = 111;
    voice.length = 222;
    voice.loopStart = 333;
    voice.loopEnd = 444;
    voice.frequency = 555;
    voice.volume = 66;
    voice.panning = 77;
    voice.position = 888;
    voice.step = 999;
    return voice;
}

class RVChannelParserTest : public ::testing::Test
{
protected:
    RVChannelParser channel;
    VINFO           voice = MarkedVoice();
};

TEST_F(RVChannelParserTest, ValueChangesAlone_LeaveVoiceFlagsAndSample)
{
    channel.SetVolume(128);
    channel.SetPanning(200);
    channel.SetFrequency(22050);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.volume, 128);
    EXPECT_EQ(voice.panning, 200);
    EXPECT_EQ(voice.frequency, 22050u);
    EXPECT_EQ(voice.flags, 0x5A5A);
    EXPECT_EQ(voice.address, kSample16);
    EXPECT_TRUE(voice.active);
    EXPECT_FALSE(voice.retrigger);
    EXPECT_EQ(channel.Flags(), 0u);
    VINFO next = MarkedVoice();
    channel.ParseInfo(&next);   // nothing changed since the last tick: nothing copied
    EXPECT_EQ(next.volume, 66);
    EXPECT_EQ(next.panning, 77);
    EXPECT_EQ(next.frequency, 555u);
    EXPECT_EQ(next.flags, 0x5A5A);
}

TEST_F(RVChannelParserTest, Trigger_StartsSampleOnceWithoutLoop)
{
    channel.PlaySample(kSample, 4, 60);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.address, kSample);
    EXPECT_EQ(voice.start, 4u);
    EXPECT_EQ(voice.length, 60u);
    EXPECT_TRUE(voice.retrigger);
    EXPECT_EQ(voice.loopStart, 0u);
    EXPECT_EQ(voice.loopEnd, 0u);
    EXPECT_EQ(voice.flags, 0);
}

TEST_F(RVChannelParserTest, TriggerWithLoop_Loops)
{
    channel.PlaySample(kSample16, 0, 64, 16);
    channel.SetLoop(8, 32, RV_LOOP_PINGPONG);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.loopStart, 8u);
    EXPECT_EQ(voice.loopEnd, 40u);
    EXPECT_EQ(voice.flags, VINFO_LOOP | VINFO_PINGPONG | VINFO_16BIT);
}

TEST_F(RVChannelParserTest, LoopOfTwo_DoesNotLoop)
{
    channel.PlaySample(kSample, 0, 64);
    channel.SetLoop(10, 2);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.flags, 0);
    // The loop bit was set, so the old loop values are not cleared either.
    EXPECT_EQ(voice.loopStart, 333u);
    EXPECT_EQ(voice.loopEnd, 444u);

    channel.SetLoop(10, 3);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.flags, VINFO_LOOP);
    EXPECT_EQ(voice.loopEnd, 13u);
}

TEST_F(RVChannelParserTest, TriggerAfterLongLoop_KeepsVoiceLoopValues)
{
    channel.SetLoop(0, 16);
    channel.ParseInfo(&voice);
    voice.loopStart = 1;
    voice.loopEnd = 17;
    channel.PlaySample(kSample, 0, 64);   // loopLength still 16, no loop call this tick
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.loopStart, 1u);
    EXPECT_EQ(voice.loopEnd, 17u);
    EXPECT_EQ(voice.flags, 0);
}

TEST_F(RVChannelParserTest, LaterLoopWithoutTrigger_Drops16BitFlag)
{
    channel.PlaySample(kSample16, 0, 64, 16);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.flags, VINFO_16BIT);
    channel.SetLoop(0, 64);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.flags, VINFO_LOOP);
}

TEST_F(RVChannelParserTest, LoopAddress_MovesVoiceToNewBuffer)
{
    channel.PlaySample(kSample, 0, 64);
    channel.ParseInfo(&voice);
    channel.SetLoop(kSample16, 0, 32, RV_LOOP_NORMAL);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.address, kSample16);
    EXPECT_EQ(voice.flags, VINFO_LOOP);
}

TEST_F(RVChannelParserTest, Mute_StopsVoiceAndKeepsItsSample)
{
    voice.retrigger = true;
    channel.Mute();
    channel.ParseInfo(&voice);
    EXPECT_FALSE(voice.active);
    EXPECT_FALSE(voice.retrigger);
    EXPECT_EQ(voice.flags, 0);
    EXPECT_EQ(voice.address, kSample16);
    EXPECT_EQ(voice.start, 111u);
    EXPECT_EQ(voice.loopEnd, 444u);
}

TEST_F(RVChannelParserTest, MuteThenPlaySampleInOneTick_StartsVoice)
{
    voice.active = false;
    channel.Mute();
    channel.PlaySample(kSample, 0, 64);
    channel.ParseInfo(&voice);
    EXPECT_TRUE(voice.retrigger);
    EXPECT_EQ(voice.address, kSample);
}

TEST_F(RVChannelParserTest, TriggerWithNullAddress_OnlyValuesAndZeroFlags)
{
    channel.PlaySample(nullptr, 5, 50, 16);
    channel.SetLoop(0, 40);
    channel.SetVolume(10);
    channel.ParseInfo(&voice);
    EXPECT_EQ(voice.volume, 10);
    EXPECT_EQ(voice.flags, 0);
    EXPECT_EQ(voice.address, kSample16);
    EXPECT_EQ(voice.start, 111u);
    EXPECT_EQ(voice.length, 222u);
    EXPECT_EQ(voice.loopStart, 333u);
    EXPECT_FALSE(voice.retrigger);
}

TEST_F(RVChannelParserTest, Active_TouchesOnlyTheActiveBit)
{
    channel.SetVolume(1);
    channel.Active(true);
    EXPECT_TRUE(channel.IsActive());
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_VOLUME | RV_CHANNEL_ACTIVE);
    channel.Active(false);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_VOLUME);
}

TEST_F(RVChannelParserTest, ParseInfo_ClearsActiveBitToo)
{
    channel.Active(true);
    channel.ParseInfo(&voice);
    EXPECT_FALSE(channel.IsActive());
    EXPECT_EQ(voice.flags, 0x5A5A);   // the active bit alone rebuilds nothing
}

TEST_F(RVChannelParserTest, ParseSampleInfo_WithoutBuffer_ChangesNothing)
{
    EXPECT_EQ(channel.ParseSampleInfo(&voice, 22050, 44100), 0u);
    channel.SetBuffer(kSample, 0);
    EXPECT_EQ(channel.ParseSampleInfo(&voice, 22050, 44100), 0u);
    channel.SetBuffer(nullptr, 64);
    EXPECT_EQ(channel.ParseSampleInfo(&voice, 22050, 44100), 64u);
    VINFO untouched = MarkedVoice();
    EXPECT_EQ(memcmp(&voice, &untouched, sizeof(voice)), 0);
    EXPECT_FALSE(channel.IsActive());
}

TEST_F(RVChannelParserTest, ParseSampleInfo_HandsOverBufferWithStep)
{
    channel.SetVolume(200);
    channel.SetPanning(30);
    channel.SetBuffer(kSample, 48);
    EXPECT_EQ(channel.ParseSampleInfo(&voice, 22050, 44100), 48u);
    EXPECT_EQ(voice.step, 1024);
    EXPECT_EQ(voice.position, 0);
    EXPECT_TRUE(voice.active);
    EXPECT_EQ(voice.address, kSample);
    EXPECT_EQ(voice.length, 48u);
    EXPECT_EQ(voice.volume, 200);
    EXPECT_EQ(voice.panning, 30);
    EXPECT_EQ(channel.Flags(), RV_CHANNEL_ACTIVE);
}

TEST_F(RVChannelParserTest, ParseSampleInfo_StepIsA32BitProduct)
{
    channel.SetBuffer(kSample, 48);
    // 3000000 * 2048 wraps at 32 bits: 6144000000 - 2^32 = 1849032704.
    channel.ParseSampleInfo(&voice, 3000000, 44100);
    EXPECT_EQ(voice.step, 1849032704 / 44100);
    EXPECT_EQ(channel.ParseSampleInfo(&voice, 44100, 0), 48u);   // no division by zero
    EXPECT_EQ(voice.step, 0);
}

}   // namespace
