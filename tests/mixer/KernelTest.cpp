// The kernels against a plain per-frame model, and the 16-bit conversion.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "MixerTestSupport.h"

namespace {

// The per-frame model every working kernel must match exactly.
template<typename Sample>
int64
ReferenceMix(const Sample* data, int32* buffer, int64 position, int64 step, uint32 frames,
    int32 left, int32 right, bool surround)
{
    for (uint32 i = 0; i < frames; i++) {
        int64 s = data[position >> 11];
        if (sizeof(Sample) == 1)
            s *= 256;
        position += step;
        int64 l = s * left;
        int64 r = s * right;
        if (surround) {
            if (left >= right) {
                l = s * left;
                r = -s * left;
            } else {
                l = -s * right;
                r = s * right;
            }
        }
        buffer[2 * i] = int32(uint32(buffer[2 * i]) + uint32(l));
        buffer[2 * i + 1] = int32(uint32(buffer[2 * i + 1]) + uint32(r));
    }
    return position;
}

struct KernelCase
{
    int64  position;
    int64  step;
    uint32 frames;
    int32  left;
    int32  right;
};

// A random stretch that stays inside a sample of `length`.
KernelCase
RandomCase(std::mt19937& rng, uint32 length, bool surround)
{
    KernelCase  c;
    const int64 last = int64(length) * 2048 - 1;
    c.position = std::uniform_int_distribution<int64>(0, last)(rng);
    c.step = std::uniform_int_distribution<int64>(1, 12000)(rng);
    const bool  backwards = rng() & 1;
    const int64 room = backwards ? c.position : last - c.position;
    const int64 maxFrames = room / c.step + 1;
    const int64 frames = std::min<int64>(maxFrames, 700);
    c.frames = uint32(std::uniform_int_distribution<int64>(0, frames)(rng));
    if (backwards)
        c.step = -c.step;
    c.left = std::uniform_int_distribution<int32>(0, 255)(rng);
    c.right = std::uniform_int_distribution<int32>(0, 255)(rng);
    if (surround && (rng() & 1))
        c.right = c.left;   // the gains the mixer gives a surround voice
    return c;
}

using Kernel8 = int32 (RVMixer::*)(const int8*, int32*, int32, int32, uint32);
using Kernel16 = int32 (RVMixer::*)(const int16*, int32*, int32, int32, uint32);
using Kernel8x64 = int64 (RVMixer::*)(const int8*, int32*, int64, int64, uint32);
using Kernel16x64 = int64 (RVMixer::*)(const int16*, int32*, int64, int64, uint32);

// Runs the 32-bit and 64-bit kernel of one kind over random cases and compares both
// with the model.
template<typename Sample, typename K32, typename K64>
void
CheckKernelPair(K32 kernel32, K64 kernel64, bool surround, uint32 seed)
{
    std::mt19937 rng(seed);
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    VINFO        voice {};
    probe.SetCurrent(&voice);

    for (int round = 0; round < 300; round++) {
        const uint32              length = std::uniform_int_distribution<uint32>(1, 6000)(rng);
        const std::vector<Sample> data = RandomSamples<Sample>(rng, length);
        const KernelCase          c = RandomCase(rng, length, surround);
        voice.leftVolume = c.left;
        voice.rightVolume = c.right;

        std::vector<int32> start(2 * c.frames);
        for (int32& v : start)
            v = std::uniform_int_distribution<int32>(-1 << 24, 1 << 24)(rng);
        std::vector<int32> expected = start, got32 = start, got64 = start;

        const int64 end = ReferenceMix(
            data.data(), expected.data(), c.position, c.step, c.frames, c.left, c.right, surround);
        const int32 end32 = (mixer.*kernel32)(
            data.data(), got32.data(), int32(c.position), int32(c.step), c.frames);
        const int64 end64 =
            (mixer.*kernel64)(data.data(), got64.data(), c.position, c.step, c.frames);

        ASSERT_EQ(end, end32) << "round " << round;
        ASSERT_EQ(end, end64) << "round " << round;
        ASSERT_EQ(expected, got32) << "round " << round;
        ASSERT_EQ(expected, got64) << "round " << round;
    }
}

}   // namespace


TEST(Kernels, Mix8StereoNormal_RandomStretches_MatchModel)
{
    CheckKernelPair<int8>(&RVMixer::Mix8StereoNormal, &RVMixer::Mix8StereoNormal64, false, 1);
}


TEST(Kernels, Mix16StereoNormal_RandomStretches_MatchModel)
{
    CheckKernelPair<int16>(&RVMixer::Mix16StereoNormal, &RVMixer::Mix16StereoNormal64, false, 2);
}


TEST(Kernels, Mix8SurroundNormal_RandomStretches_MatchModel)
{
    CheckKernelPair<int8>(&RVMixer::Mix8SurroundNormal, &RVMixer::Mix8SurroundNormal64, true, 3);
}


TEST(Kernels, Mix16SurroundNormal_RandomStretches_MatchModel)
{
    CheckKernelPair<int16>(&RVMixer::Mix16SurroundNormal, &RVMixer::Mix16SurroundNormal64, true, 4);
}


// Beyond sample 1,048,575 only the 64-bit kernels can hold the position.
TEST(Kernels, Mix64_PositionsAbove32BitRange_MatchModel)
{
    std::mt19937             rng(5);
    const uint32             length = 1200000;
    const std::vector<int8>  data8 = RandomSamples<int8>(rng, length);
    const std::vector<int16> data16 = RandomSamples<int16>(rng, length);
    RVMixer                  mixer;
    RVMixerProbe             probe(mixer);
    VINFO                    voice {};
    voice.leftVolume = 200;
    voice.rightVolume = 55;
    probe.SetCurrent(&voice);

    const int64        position = 0x7FFFFFFELL - 5000;   // crosses the 32-bit range
    const int64        step = 1463;
    const uint32       frames = 500;
    std::vector<int32> expected(2 * frames), got(2 * frames);

    int64 end = ReferenceMix(data8.data(), expected.data(), position, step, frames, 200, 55, false);
    EXPECT_EQ(end, mixer.Mix8StereoNormal64(data8.data(), got.data(), position, step, frames));
    EXPECT_EQ(expected, got);
    EXPECT_GT(end, 0x7FFFFFFFLL);

    std::fill(expected.begin(), expected.end(), 0);
    std::fill(got.begin(), got.end(), 0);
    end = ReferenceMix(data16.data(), expected.data(), position, step, frames, 200, 55, true);
    EXPECT_EQ(end, mixer.Mix16SurroundNormal64(data16.data(), got.data(), position, step, frames));
    EXPECT_EQ(expected, got);
}


TEST(Kernels, Mix_ZeroFrames_ReturnsStartAndAddsNothing)
{
    const int16  data[4] = { 1000, 2000, 3000, 4000 };
    const int8   data8[4] = { 10, 20, 30, 40 };
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    VINFO        voice {};
    voice.leftVolume = 255;
    voice.rightVolume = 255;
    probe.SetCurrent(&voice);
    int32 buffer[2] = { 7, -7 };

    EXPECT_EQ(4096, mixer.Mix16StereoNormal(data, buffer, 4096, 2048, 0));
    EXPECT_EQ(4096, mixer.Mix8SurroundNormal(data8, buffer, 4096, 2048, 0));
    EXPECT_EQ(4096, mixer.Mix16SurroundNormal64(data, buffer, 4096, 2048, 0));
    EXPECT_EQ(4096, mixer.Mix8StereoNormal64(data8, buffer, 4096, 2048, 0));
    EXPECT_EQ(7, buffer[0]);
    EXPECT_EQ(-7, buffer[1]);
}


TEST(Kernels, Mix8StereoNormal_MinusFullScaleAtGain255_ConvertsToMinus16320)
{
    const int8   data[1] = { -128 };
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    VINFO        voice {};
    voice.leftVolume = 255;
    voice.rightVolume = 0;
    probe.SetCurrent(&voice);
    int32 buffer[2] = { 0, 0 };

    mixer.Mix8StereoNormal(data, buffer, 0, 2048, 1);
    EXPECT_EQ(-8355840, buffer[0]);
    EXPECT_EQ(0, buffer[1]);

    int16 out[2];
    mixer.Mix32To16(out, buffer, 2);
    EXPECT_EQ(-16320, out[0]);
    EXPECT_EQ(0, out[1]);
}


// A surround voice is the same signal in both channels with opposite phase; after the
// shift the negative side lies one step further from zero.
TEST(Kernels, MixSurround_FullScaleAtGain128_OppositePhase)
{
    const int16  data[1] = { 32767 };
    RVMixer      mixer;
    RVMixerProbe probe(mixer);
    VINFO        voice {};
    voice.leftVolume = 128;
    voice.rightVolume = 128;
    probe.SetCurrent(&voice);
    int32 buffer[2] = { 0, 0 };
    int16 out[2];

    mixer.Mix16SurroundNormal(data, buffer, 0, 2048, 1);
    mixer.Mix32To16(out, buffer, 2);
    EXPECT_EQ((32767 * 128) >> 9, out[0]);
    EXPECT_EQ(-((32767 * 128) >> 9) - 1, out[1]);
}


TEST(Conversion, Mix32To16_TableValues_ShiftAndClip)
{
    const int32 in[] = { 16777215, 16777216, -16777216, -16777217, 511, -1, 0, 512, -512, INT32_MAX,
        INT32_MIN };
    const int16 expected[] = { 32767, 32767, -32768, -32768, 0, -1, 0, 1, -1, 32767, -32768 };
    const int64 count = sizeof(in) / sizeof(in[0]);
    int16       out[count];
    RVMixer     mixer;

    mixer.Mix32To16(out, in, count);
    for (int64 i = 0; i < count; i++)
        EXPECT_EQ(expected[i], out[i]) << "value " << in[i];
}


// Blocks then the rest: every count must convert each value exactly once and
// write nothing past the end.
TEST(Conversion, Mix32To16_EveryRemainder_MatchesOneByOne)
{
    std::mt19937 rng(9);
    RVMixer      mixer;
    for (int64 count = 0; count <= 40; count++) {
        std::vector<int32> in(count);
        for (int32& v : in)
            v = int32(rng());
        std::vector<int16> out(count + 1, 0x1234);

        mixer.Mix32To16(out.data(), in.data(), count);
        for (int64 i = 0; i < count; i++) {
            const int32 v = in[i] >> 9;
            EXPECT_EQ(int16(std::clamp(v, -32768, 32767)), out[i]);
        }
        EXPECT_EQ(0x1234, out[count]) << "count " << count;
    }
}
