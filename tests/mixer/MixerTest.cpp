// The mixer's set-up, tick loop and output properties, driven through a test player.
#include <gtest/gtest.h>

#include "MixerTestSupport.h"
#include "framework/RVChannelParser.h"

namespace {

// Starts a constant sample on channel i in the first tick.
void
StartConstant(TestPlayer& p, uint16 i, const std::vector<int16>& data, uint16 panning)
{
    p.Channel(i)->PlaySample(data.data(), 0, uint32(data.size()), 16);
    p.Channel(i)->SetLoop(0, uint32(data.size()), RV_LOOP_NORMAL);
    p.Channel(i)->SetFrequency(kStepOneSample);
    p.Channel(i)->SetVolume(256);
    p.Channel(i)->SetPanning(panning);
}

}   // namespace


TEST(MixerSetUp, InitMixer_CreatesChannelsAndAmigaPanning)
{
    TestPlayer   player(8);
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    EXPECT_FALSE(mixer.IsPlaying());

    ASSERT_TRUE(mixer.InitMixer(&player));
    ASSERT_NE(nullptr, player.virtualChannels);
    EXPECT_EQ(8, probe.ChannelCount());
    EXPECT_EQ(MIX_DEFAULT_MODE, probe.Mode());
    const uint16 expected[8] = { 0, 255, 255, 0, 0, 255, 255, 0 };
    for (uint16 i = 0; i < 8; i++) {
        EXPECT_NE(nullptr, dynamic_cast<RVChannelParser*>(player.virtualChannels[i]));
        EXPECT_FALSE(player.virtualChannels[i]->IsActive());
        EXPECT_EQ(expected[i], probe.Voice(i).panning) << "channel " << i;
        EXPECT_EQ(10000u, probe.Voice(i).frequency);
        EXPECT_FALSE(probe.Voice(i).active);
    }

    mixer.EndMixer();
    EXPECT_EQ(nullptr, player.virtualChannels);
    EXPECT_FALSE(mixer.InitMixer(nullptr));
}


TEST(MixerSetUp, SetVolume_AboveUnity_Stores256)
{
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    mixer.SetVolume(300);
    EXPECT_EQ(256, probe.MasterVolume());
    mixer.SetVolume(100);
    EXPECT_EQ(100, probe.MasterVolume());
}


TEST(MixerSetUp, BytesAndFrames_FourBytesAFrame)
{
    MixerRig rig;
    EXPECT_EQ(4096u, rig.mixer.Samples2Bytes(1024));
    EXPECT_EQ(1024u, rig.mixer.Bytes2Samples(4096));
    EXPECT_EQ(1023u, rig.mixer.Bytes2Samples(4095));
}


// After tear-down there is nothing to render, yet the block must not be left undefined.
TEST(MixerSetUp, Mixer_AfterEndMixer_WritesSilence)
{
    TestPlayer player;
    RVMixer    mixer;
    mixer.InitMixer(&player);
    mixer.StartMixer();
    mixer.EndMixer();

    std::vector<int16> out(8, 0x5A5A);
    mixer.Mixer(out.data(), 16);
    EXPECT_EQ(std::vector<int16>(8, 0), out);
    EXPECT_EQ(0, player.playCount);
}


TEST(TickLoop, Mixer_ZeroBytes_CallsNothing)
{
    MixerRig rig;
    int16    out[2] = { 7, 7 };
    rig.mixer.Mixer(out, 0);
    rig.mixer.Mixer(out, 3);
    EXPECT_EQ(0, rig.player.playCount);
    EXPECT_EQ(7, out[0]);
    EXPECT_EQ(0u, rig.mixer.TickFramesLeft());
}


TEST(TickLoop, Mixer_FirstCall_PlaysBeforeRendering)
{
    const std::vector<int16> data(100, 1000);
    MixerRig                 rig;
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1)
            StartConstant(p, 0, data, 0);
    };
    const std::vector<int16> out = rig.Render(1);
    EXPECT_EQ(1, rig.player.playCount);
    EXPECT_EQ((1000 * 255) >> 9, out[0]);
    EXPECT_EQ(881u, rig.mixer.TickFramesLeft());
}


// Ticks start at multiples of 882 frames: 0, 882, ..., 9702 within 10240 frames.
TEST(TickLoop, Mixer_TenBlocksAt125Bpm_Plays12Times)
{
    MixerRig rig;
    for (int block = 0; block < 10; block++)
        rig.Render(1024);
    EXPECT_EQ(12, rig.player.playCount);
    EXPECT_EQ(344u, rig.mixer.TickFramesLeft());
}


// The tempo is read after Play, so a change sizes the tick it is made in.
TEST(TickLoop, Mixer_TempoChangedInPlay_SizesThisTick)
{
    MixerRig rig;
    rig.player.onPlay = [](TestPlayer& p) { p.bpm = 255; };
    rig.Render(1000);
    EXPECT_EQ(3, rig.player.playCount);
    EXPECT_EQ(3 * 432u - 1000u, rig.mixer.TickFramesLeft());
}


// A tempo of 0 would divide by zero; it plays as 1 bpm, 110250 frames a tick.
TEST(TickLoop, Tick_ZeroBpm_PlaysAsOneBpm)
{
    MixerRig rig;
    rig.player.onPlay = [](TestPlayer& p) { p.bpm = 0; };
    rig.Render(1024);
    EXPECT_EQ(1, rig.player.playCount);
    EXPECT_EQ(110250u - 1024u, rig.mixer.TickFramesLeft());
}


// Ticks and passes split anywhere: small blocks give the same output as one large one.
TEST(TickLoop, Mixer_BlockSizes_DoNotChangeOutput)
{
    std::mt19937       rng(3);
    std::vector<int16> data = RandomSamples<int16>(rng, 5000);
    auto               script = [&](TestPlayer& p) {
        const int t = p.playCount;
        if (t % 7 == 1) {
            p.Channel(t % 4)->PlaySample(data.data(), uint32(t * 37 % 2000), 5000, 16);
            p.Channel(t % 4)->SetLoop(100, 3000, RV_LoopType(t & 1));
        }
        p.Channel(t % 4)->SetFrequency(8000 + 300 * uint32(t));
        p.Channel((t + 1) % 4)->SetVolume(uint16(t * 13 % 257));
        p.bpm = uint16(100 + t % 60);
    };
    MixerRig whole, pieces;
    whole.player.onPlay = script;
    pieces.player.onPlay = script;

    const std::vector<int16> expected = whole.Render(20000);
    std::vector<int16>       got;
    for (uint32 n : { 1u, 1023u, 4096u, 5000u, 881u, 8999u }) {
        const std::vector<int16> part = pieces.Render(n);
        got.insert(got.end(), part.begin(), part.end());
    }
    EXPECT_EQ(expected, got);
    EXPECT_EQ(whole.player.playCount, pieces.player.playCount);
}


TEST(TickLoop, FrequencyZero_InactiveUntilTriggeredAgain)
{
    const std::vector<int16> data(100, 1000);
    MixerRig                 rig;
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1)
            StartConstant(p, 0, data, 0);
        if (p.playCount == 2)
            p.Channel(0)->SetFrequency(0);
        if (p.playCount == 3)
            p.Channel(0)->SetFrequency(kStepOneSample);
        if (p.playCount == 4)
            p.Channel(0)->PlaySample(data.data(), 0, 100, 16);
    };
    const std::vector<int16> silence(882 * 2, 0);
    EXPECT_NE(silence, rig.Render(882));
    EXPECT_TRUE(rig.player.Channel(0)->IsActive());
    EXPECT_EQ(silence, rig.Render(882));
    EXPECT_FALSE(rig.player.Channel(0)->IsActive());
    EXPECT_EQ(silence, rig.Render(882));   // a frequency alone does not restart it
    EXPECT_FALSE(rig.player.Channel(0)->IsActive());
    EXPECT_EQ((1000 * 255) >> 9, rig.Render(50)[0]);   // a one-shot of 100 samples
    EXPECT_TRUE(rig.player.Channel(0)->IsActive());
}


TEST(TickLoop, OneShotEnd_ClearsActiveBit)
{
    const std::vector<int16> data(100, 1000);
    MixerRig                 rig;
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1) {
            p.Channel(2)->PlaySample(data.data(), 0, 100, 16);
            p.Channel(2)->SetFrequency(kStepOneSample);
            p.Channel(2)->SetVolume(256);
        }
    };
    const std::vector<int16> out = rig.Render(200);
    EXPECT_EQ((1000 * 255) >> 9, out[2 * 99 + 1]);   // channel 2 starts hard right
    EXPECT_EQ(0, out[2 * 100 + 1]);
    EXPECT_FALSE(rig.player.Channel(2)->IsActive());
}


TEST(MixerLevels, ConstantSample_GivesKnownLevel)
{
    const std::vector<int16> data(64, 1000);
    MixerRig                 rig;
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1)
            StartConstant(p, 0, data, 128);
    };
    const std::vector<int16> out = rig.Render(2000);
    for (uint32 i = 0; i < 2000; i++) {
        ASSERT_EQ((1000 * 127) >> 9, out[2 * i]) << "frame " << i;
        ASSERT_EQ((1000 * 128) >> 9, out[2 * i + 1]) << "frame " << i;
    }
}


TEST(MixerLevels, OppositeVoices_CancelToSilence)
{
    std::mt19937       rng(8);
    std::vector<int16> data = RandomSamples<int16>(rng, 3000);
    std::vector<int16> negated(data.size());
    for (size_t i = 0; i < data.size(); i++) {
        data[i] = std::max<int16>(data[i], -32767);
        negated[i] = int16(-data[i]);
    }

    for (uint16 panning : { uint16(40), uint16(RV_PANNING_SURROUND) }) {
        MixerRig both, alone;
        both.player.onPlay = [&](TestPlayer& p) {
            if (p.playCount == 1) {
                StartConstant(p, 1, data, panning);
                StartConstant(p, 2, negated, panning);
            }
            p.Channel(1)->SetFrequency(9000 + 100 * p.playCount);
            p.Channel(2)->SetFrequency(9000 + 100 * p.playCount);
        };
        alone.player.onPlay = [&](TestPlayer& p) {
            if (p.playCount == 1)
                StartConstant(p, 1, data, panning);
            p.Channel(1)->SetFrequency(9000 + 100 * p.playCount);
        };
        EXPECT_EQ(std::vector<int16>(2 * 5000, 0), both.Render(5000));
        int loud = 0;
        for (int16 v : alone.Render(5000))
            loud += (v != 0);
        EXPECT_GT(loud, 5000);
    }
}


TEST(MixerLevels, FullScale_Clips)
{
    const std::vector<int16> high(64, 32767);
    const std::vector<int16> low(64, -32768);
    for (const std::vector<int16>* data : { &high, &low }) {
        MixerRig rig;
        rig.player.onPlay = [&](TestPlayer& p) {
            if (p.playCount == 1) {
                for (uint16 i = 0; i < 4; i++)
                    StartConstant(p, i, *data, 0);
            }
        };
        const int16              expected = data == &high ? 32767 : -32768;
        const std::vector<int16> out = rig.Render(500);
        for (uint32 i = 0; i < 500; i++) {
            ASSERT_EQ(expected, out[2 * i]);
            ASSERT_EQ(0, out[2 * i + 1]);
        }
    }
}


TEST(MixerLevels, MasterVolume_ZeroSilencesFromNextPass)
{
    const std::vector<int16> data(64, 20000);
    MixerRig                 rig;
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1)
            StartConstant(p, 0, data, 0);
    };
    EXPECT_NE(0, rig.Render(10)[0]);
    rig.mixer.SetVolume(0);
    EXPECT_EQ(std::vector<int16>(2 * 100, 0), rig.Render(100));
    rig.mixer.SetVolume(256);
    EXPECT_EQ((20000 * 255) >> 9, rig.Render(1)[0]);
}


// A loop set in a later tick without a trigger takes over the running position: here
// the position is already past the new loop's end, so it wraps into the loop.
TEST(TickLoop, LoopSetLater_WrapsRunningPosition)
{
    const std::vector<int16> data = Ramp(2000);
    const std::vector<int16> other(2000, int16(0x0505));   // bytes of 5
    MixerRig                 rig(1);
    rig.player.onPlay = [&](TestPlayer& p) {
        if (p.playCount == 1) {
            p.Channel(0)->PlaySample(data.data(), 0, 2000, 16);
            p.Channel(0)->SetFrequency(kStepOneSample);
            p.Channel(0)->SetVolume(256);
        }
        if (p.playCount == 2)
            p.Channel(0)->SetLoop(100, 500, RV_LOOP_NORMAL);
        if (p.playCount == 3)
            p.Channel(0)->SetLoop(other.data(), 100, 500, RV_LOOP_NORMAL);
    };
    auto level = [](int16 v) { return int16((v * 255) >> 9); };

    const std::vector<int16> out = rig.Render(2 * 882 + 1);
    EXPECT_EQ(level(data[881]), out[2 * 881]);
    // 882 * 2048 - (600 * 2048 - 1) + 100 * 2048: sample 382, one unit on.
    // The loop call came without a trigger, so the 16-bit flag is gone and the
    // 16-bit data is read byte by byte from here on.
    const int8* bytes = reinterpret_cast<const int8*>(data.data());
    EXPECT_EQ(int16((bytes[382] * 256 * 255) >> 9), out[2 * 882]);
    // The third tick's loop names a new buffer, read at the running position.
    EXPECT_EQ(int16((5 * 256 * 255) >> 9), out[2 * 1764]);
}
