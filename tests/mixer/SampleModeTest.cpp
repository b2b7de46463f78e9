// Sample mode: one ready-made buffer per channel and tick, played once from its start.
#include <gtest/gtest.h>

#include "MixerTestSupport.h"

namespace {

// Left output of an 8-bit value on a hard-left channel at full volume.
int16
Left8(int8 value)
{
    return int16((value * 256 * 255) >> 9);
}

// Two channels (left, right); Play hands each a buffer per tick from `buffers`.
struct SampleRig : MixerRig
{
    explicit SampleRig(uint32 frequency, uint16 bits = 8) : MixerRig(2)
    {
        info.bits = bits;
        info.frequency = frequency;
        for (uint16 i = 0; i < 2; i++)
            player.Channel(i)->SetVolume(256);
        // Sample mode takes the channel's panning, not the voice's.
        player.Channel(1)->SetPanning(255);
        mixer.SwitchToSampleMode(&info);
    }

    SamplePlayerInfo info;
};

}   // namespace


TEST(SampleMode, SourceAtMixRate_PlaysEachBufferOnce)
{
    std::mt19937                   rng(21);
    std::vector<std::vector<int8>> left, right;
    for (int t = 0; t < 4; t++) {
        left.push_back(RandomSamples<int8>(rng, 882));
        right.push_back(RandomSamples<int8>(rng, 882));
    }
    SampleRig rig(44100);
    rig.player.onPlay = [&](TestPlayer& p) {
        p.Channel(0)->SetBuffer(left[p.playCount - 1].data(), 882);
        p.Channel(1)->SetBuffer(right[p.playCount - 1].data(), 882);
    };

    const std::vector<int16> out = rig.Render(3 * 882);
    EXPECT_EQ(3, rig.player.playCount);
    for (uint32 t = 0; t < 3; t++) {
        for (uint32 i = 0; i < 882; i++) {
            const uint32 f = t * 882 + i;
            ASSERT_EQ(Left8(left[t][i]), out[2 * f]) << "frame " << f;
            ASSERT_EQ(Left8(right[t][i]), out[2 * f + 1]) << "frame " << f;
        }
    }
}


// The tick lasts as many frames as the buffer holds samples, whatever the rate: at half
// the rate only the first half of each buffer is heard.
TEST(SampleMode, SourceAtHalfRate_HearsFirstHalfOfBuffer)
{
    std::mt19937                   rng(22);
    std::vector<std::vector<int8>> buffers;
    for (int t = 0; t < 3; t++)
        buffers.push_back(RandomSamples<int8>(rng, 882));
    SampleRig rig(22050);
    rig.player.onPlay = [&](TestPlayer& p) {
        p.Channel(0)->SetBuffer(buffers[p.playCount - 1].data(), 882);
        p.Channel(1)->SetBuffer(buffers[p.playCount - 1].data(), 882);
    };

    const std::vector<int16> out = rig.Render(2 * 882);
    EXPECT_EQ(2, rig.player.playCount);
    for (uint32 t = 0; t < 2; t++) {
        for (uint32 i = 0; i < 882; i++)
            ASSERT_EQ(Left8(buffers[t][i / 2]), out[2 * (t * 882 + i)]) << t << " " << i;
    }
}


TEST(SampleMode, ChannelWithoutBuffer_SilentOnceUsedUp)
{
    std::mt19937            rng(23);
    const std::vector<int8> shortBuffer = RandomSamples<int8>(rng, 100);
    const std::vector<int8> full(882, 50);
    SampleRig               rig(44100);
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1)
            p.Channel(0)->SetBuffer(shortBuffer.data(), 100);
        else
            p.Channel(0)->SetBuffer(nullptr, 0);
        p.Channel(1)->SetBuffer(full.data(), 882);
    };

    const std::vector<int16> out = rig.Render(2 * 882);
    for (uint32 f = 0; f < 2 * 882; f++) {
        ASSERT_EQ(f < 100 ? Left8(shortBuffer[f]) : 0, out[2 * f]) << "frame " << f;
        ASSERT_EQ(Left8(50), out[2 * f + 1]) << "frame " << f;
    }
}


TEST(SampleMode, Bits16_ReadsEveryBufferAs16Bit)
{
    std::mt19937             rng(24);
    const std::vector<int16> data = RandomSamples<int16>(rng, 500);
    SampleRig                rig(44100, 16);
    rig.player.onPlay = [&](TestPlayer& p) {
        // An 8-bit trigger leaves the channel's own flags at 8 bits.
        p.Channel(0)->PlaySample(data.data(), 0, 500, 8);
        p.Channel(0)->SetBuffer(data.data(), 500);
        p.Channel(1)->SetBuffer(data.data(), 500);
    };
    const std::vector<int16> out = rig.Render(500);
    for (uint32 i = 0; i < 500; i++) {
        ASSERT_EQ((data[i] * 255) >> 9, out[2 * i]) << i;
        ASSERT_EQ((data[i] * 255) >> 9, out[2 * i + 1]) << i;
    }
}


// Left unwritten, the rest of the block would hold whatever the host had there.
TEST(SampleMode, LastChannelEmpty_RestOfBlockSilentAndNextCallPlays)
{
    const std::vector<int8> data(882, 100);
    SampleRig               rig(44100);
    rig.player.onPlay = [&](TestPlayer& p) {
        p.Channel(0)->SetBuffer(data.data(), 882);
        p.Channel(1)->SetBuffer(nullptr, 0);
    };
    EXPECT_EQ(std::vector<int16>(2 * 1024, 0), rig.Render(1024));
    EXPECT_EQ(1, rig.player.playCount);
    rig.Render(1024);
    EXPECT_EQ(2, rig.player.playCount);
}


// A source rate below 22 Hz gives a step of 0, which would divide by zero.
TEST(SampleMode, AddSampleChannel_ZeroStep_StopsVoice)
{
    const std::vector<int8> data(882, 100);
    SampleRig               rig(10);
    rig.player.onPlay = [&](TestPlayer& p) {
        p.Channel(0)->SetBuffer(data.data(), 882);
        p.Channel(1)->SetBuffer(data.data(), 882);
    };
    EXPECT_EQ(std::vector<int16>(2 * 1000, 0), rig.Render(1000));
    EXPECT_FALSE(rig.probe.Voice(0).active);
    EXPECT_EQ(2, rig.player.playCount);
}


// Positions past sample 1,048,575 do not fit the 32-bit kernels.
TEST(SampleMode, LongBuffer_PlaysPast32BitPositions)
{
    const uint32      length = 1100000;
    std::vector<int8> data(length);
    for (uint32 i = 0; i < length; i++)
        data[i] = int8(i * 7 % 251 - 125);
    SampleRig rig(44100);
    rig.player.onPlay = [&](TestPlayer& p) {
        p.Channel(0)->SetBuffer(data.data(), length);
        p.Channel(1)->SetBuffer(data.data(), length);
    };
    const std::vector<int16> out = rig.Render(1048600);
    for (uint32 f = 1048560; f < 1048600; f++)
        ASSERT_EQ(Left8(data[f]), out[2 * f]) << "frame " << f;
}


// Voices of the normal mode hold instruments, possibly of another width; they must not
// be played as buffers after the switch.
TEST(SampleMode, Switch_StopsOldVoices)
{
    const std::vector<int16> data(100, 20000);
    MixerRig                 rig(2);
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1) {
            p.Channel(0)->PlaySample(data.data(), 0, 100, 16);
            p.Channel(0)->SetLoop(0, 100, RV_LOOP_NORMAL);
            p.Channel(0)->SetFrequency(44100);
            p.Channel(0)->SetVolume(256);
        }
    };
    EXPECT_NE(0, rig.Render(100)[0]);

    SamplePlayerInfo info { 8, 44100 };
    rig.mixer.SwitchToSampleMode(&info);
    EXPECT_TRUE(rig.probe.SampleMode());
    EXPECT_EQ(std::vector<int16>(2 * 782, 0), rig.Render(782));   // rest of the tick
    EXPECT_EQ(1, rig.player.playCount);
}


TEST(SampleMode, SwitchWithoutInfo_StaysInNormalMode)
{
    MixerRig rig;
    rig.mixer.SwitchToSampleMode(nullptr);
    EXPECT_FALSE(rig.probe.SampleMode());
    rig.Render(10);
    EXPECT_EQ(1, rig.player.playCount);
}
