// The interpolating kernels against the same methods computed in double precision, at
// several pitches, at the edges of one-shot samples and of forward and ping-pong loops,
// for 8- and 16-bit data; and the 32- and 64-bit position forms of every kernel agree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "mixer/KernelTable.h"

namespace {

using MixKernel::SampleMap;

// The weights of the taps from sample i - before on, at fraction t past sample i.
struct Method
{
    MixInterpolation interpolation;
    const char*      name;
    int              taps;
    int              before;
    double           bound;   // largest error of a frame's value, in 16-bit steps
};

double
BesselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 50; k++) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// Linear; Catmull-Rom; an 8-tap Kaiser-windowed sinc (beta 8) whose cut-off, as a share
// of the sample's Nyquist frequency, is 0.97 up to 1.25 samples a frame, 0.97 / 1.5 up to
// 1.75 and 0.97 / 2 beyond. Weights are normalised to sum to one.
std::vector<double>
Weights(MixInterpolation method, double t, double step)
{
    std::vector<double> w;
    switch (method) {
        case MIX_INTERPOLATION_LINEAR: w = { 1 - t, t }; break;
        case MIX_INTERPOLATION_CUBIC:
            w = { (-t * t * t + 2 * t * t - t) / 2, (3 * t * t * t - 5 * t * t + 2) / 2,
                (-3 * t * t * t + 4 * t * t + t) / 2, (t * t * t - t * t) / 2 };
            break;
        default: {
            const double cutoff = step <= 1.25 ? 0.97 : (step <= 1.75 ? 0.97 / 1.5 : 0.97 / 2);
            for (int k = 0; k < 8; k++) {
                const double x = k - 3 - t;
                const double r = x / 4;
                const double y = M_PI * cutoff * x;
                w.push_back((y == 0 ? 1 : std::sin(y) / y)
                    * (r * r >= 1 ? 0 : BesselI0(8 * std::sqrt(1 - r * r)) / BesselI0(8)));
            }
        }
    }
    double sum = 0;
    for (double v : w)
        sum += v;
    for (double& v : w)
        v /= sum;
    return w;
}

// Linear truncates its fraction product. The others hold their weights in 14 fraction
// bits and round the sum: on a full-scale sine that stays within a few 16-bit steps.
const Method kMethods[] = {
    { MIX_INTERPOLATION_LINEAR, "linear", 2, 0, 1.0 },
    { MIX_INTERPOLATION_CUBIC, "cubic", 4, 1, 2.0 },
    { MIX_INTERPOLATION_SINC, "sinc", 8, 3, 4.0 },
};

// One stretch to render: `frames` frames from sample `start` plus `fraction`/2048.
struct Case
{
    const char*     name;
    SampleMap::Kind kind;
    int64           loopStart;
    int64           loopEnd;
    int64           start;
    int32           fraction;
    double          step;   // samples a frame, negative backwards
    uint32          frames;
};

const int64 kLength = 300;

// Each runs up to an edge, where the taps must follow the sample.
const Case kCases[] = {
    { "one-shot start, slow", SampleMap::kOneShot, 0, 0, 0, 0, 0.23, 400 },
    { "one-shot end, slow", SampleMap::kOneShot, 0, 0, 280, 77, 0.19, 100 },
    { "one-shot end, fast", SampleMap::kOneShot, 0, 0, 200, 1001, 1.4, 70 },
    { "one-shot end, faster", SampleMap::kOneShot, 0, 0, 100, 5, 2.5, 79 },
    { "one-shot, backwards to 0", SampleMap::kOneShot, 0, 0, 40, 9, -0.77, 52 },
    { "forward loop end", SampleMap::kForwardLoop, 100, 250, 200, 3, 0.61, 81 },
    { "forward loop end, fast", SampleMap::kForwardLoop, 100, 250, 120, 3, 1.9, 68 },
    { "forward loop start, inside", SampleMap::kForwardLoop, 100, 250, 160, 0, -1.0, 60 },
    { "ping-pong end", SampleMap::kPingPongLoop, 100, 250, 230, 1500, 0.37, 53 },
    { "ping-pong start, backwards", SampleMap::kPingPongLoop, 100, 250, 130, 100, -0.45, 66 },
    { "unity pitch", SampleMap::kOneShot, 0, 0, 10, 0, 1.0, 280 },
};

// What sample j reads as, seen from sample i, spelled out by unrolling the sample.
double
Expected(const Case& c, const std::vector<double>& data, int64 j, int64 i)
{
    if (c.kind != SampleMap::kOneShot && i >= c.loopStart) {
        const int64 span = c.loopEnd - c.loopStart;
        if (j >= c.loopEnd)   // the loop again, or mirrored (every case stays in one span)
            return c.kind == SampleMap::kForwardLoop ? data[c.loopStart + (j - c.loopEnd)]
                                                     : data[c.loopEnd - 1 - (j - c.loopEnd)];
        if (j < c.loopStart)
            return c.kind == SampleMap::kForwardLoop ? data[c.loopEnd - (c.loopStart - j)]
                                                     : data[c.loopStart + (c.loopStart - 1 - j)];
        (void)span;
    }
    return j >= 0 && j < int64(data.size()) ? data[j] : 0.0;
}

template<typename Sample>
void
CheckMethod(const Method& m)
{
    const double        amplitude = sizeof(Sample) == 1 ? 127 : 32767;
    std::vector<Sample> data(kLength);   // exactly sized: a read past it trips AddressSanitizer
    std::vector<double> scaled(kLength);
    for (int64 n = 0; n < kLength; n++) {
        data[n] = Sample(std::lround(amplitude * std::sin(2 * M_PI * double(n) / 23.7)));
        scaled[n] = double(data[n]) * (sizeof(Sample) == 1 ? 256 : 1);
    }
    const int32 left = 200, right = -77;
    for (const Case& c : kCases) {
        MixKernel::Stretch s;
        s.data = data.data();
        s.map.length = kLength;
        s.map.kind = c.kind;
        s.map.loopStart = c.loopStart;
        s.map.loopEnd = c.loopEnd;
        s.left = left;
        s.right = right;
        const int64 step = std::llround(c.step * 2048);
        const int64 start = c.start * 2048 + c.fraction;

        const MixKernel::KernelPair& k =
            MixKernel::Kernels(MixKernel::KernelIndex(m.interpolation, sizeof(Sample) == 2, false));
        std::vector<int32> got32(2 * c.frames), got64(2 * c.frames);
        MixKernel::Stretch s64 = s;
        const int32        end32 = k.mix32(s, got32.data(), int32(start), int32(step), c.frames);
        const int64        end64 = k.mix64(s64, got64.data(), start, step, c.frames);
        ASSERT_EQ(start + step * c.frames, end64) << m.name << ": " << c.name;
        ASSERT_EQ(end64, end32) << m.name << ": " << c.name;
        ASSERT_EQ(got64, got32) << m.name << ": " << c.name;

        double worst = 0;
        for (uint32 f = 0; f < c.frames; f++) {
            const int64               p = start + step * f;
            const int64               i = p >> 11;
            const double              t = double(p & 2047) / 2048;
            const std::vector<double> w = Weights(m.interpolation, t, std::fabs(c.step));
            double                    value = 0;
            for (int tap = 0; tap < m.taps; tap++)
                value += w[tap] * Expected(c, scaled, i - m.before + tap, i);
            worst = std::max(worst, std::fabs(got64[2 * f] - value * left) / left);
            worst = std::max(worst, std::fabs(got64[2 * f + 1] - value * right) / -right);
        }
        EXPECT_LE(worst, m.bound) << m.name << ", " << sizeof(Sample) * 8 << "-bit: " << c.name;
    }
}

}   // namespace


TEST(Interpolation, Kernels_SineAtEdgesAndPitches_WithinBoundOfDoubleReference)
{
    for (const Method& m : kMethods) {
        CheckMethod<int8>(m);
        CheckMethod<int16>(m);
    }
}


// Every entry of the table, constant and ramping gains, on random stretches whose
// positions fit 32 bits: the two position forms give the same sums, position and ramp.
// Random 8- or 16-bit data of 1 to `maxLength` samples in a random loop kind, and a
// position and step (negative backwards) that stay inside the data for `frames` frames,
// as the mixer's stretches do.
struct RandomStretch
{
    RandomStretch(std::mt19937& rng, bool wide, uint32 maxLength, uint32 maxStep, int64 maxFrames)
    {
        const uint32 length = 1 + rng() % maxLength;
        data16.resize(length);
        data8.resize(length);
        for (uint32 n = 0; n < length; n++) {
            data16[n] = int16(rng());
            data8[n] = int8(rng());
        }
        s.data = wide ? static_cast<const void*>(data16.data()) : data8.data();
        s.map.length = length;
        s.map.kind = SampleMap::Kind(rng() % 3);
        s.map.loopStart = rng() % length;
        s.map.loopEnd = s.map.loopStart + 1 + rng() % (length - s.map.loopStart);
        s.left = int32(rng() % 257);
        s.right = -int32(rng() % 257);
        const int64 last = int64(length) * 2048 - 1;
        position = int64(rng() % uint64(last + 1));
        step = 1 + int64(rng() % maxStep);
        const bool backwards = rng() & 1;
        frames =
            uint32(std::min<int64>((backwards ? position : last - position) / step + 1, maxFrames));
        if (backwards)
            step = -step;
    }
    RandomStretch(const RandomStretch&) = delete;   // `s` points into the data

    std::vector<int16> data16;
    std::vector<int8>  data8;
    MixKernel::Stretch s;
    int64              position = 0;
    int64              step = 0;
    uint32             frames = 0;
};

TEST(Interpolation, Kernels_PositionForms_Agree)
{
    std::mt19937 rng(9);
    for (uint32 index = 0; index < 16; index++) {
        const bool wide = (index & 1) != 0;
        for (int round = 0; round < 200; round++) {
            RandomStretch      r(rng, wide, 500, 9000, 200);
            MixKernel::Stretch s = r.s;
            s.rampLeft = int32(rng() % (257 << 16));
            s.rampRight = int32(rng() % (257 << 16));
            s.rampStepLeft = int32(rng() % 1024) - 512;
            s.rampStepRight = int32(rng() % 1024) - 512;
            const int64  position = r.position, step = r.step;
            const uint32 frames = r.frames;

            const MixKernel::KernelPair& k = MixKernel::Kernels(index);
            MixKernel::Stretch           s32 = s, s64 = s;
            std::vector<int32>           a(2 * frames, 5), b(2 * frames, 5);
            const int32 end32 = k.mix32(s32, a.data(), int32(position), int32(step), frames);
            const int64 end64 = k.mix64(s64, b.data(), position, step, frames);
            ASSERT_EQ(end64, end32) << "entry " << index << " round " << round;
            ASSERT_EQ(a, b) << "entry " << index << " round " << round;
            ASSERT_EQ(s32.rampLeft, s64.rampLeft) << "entry " << index << " round " << round;
        }
    }
}


// The batched loops and gathered edges of the processor's kernel set against the plain
// loop of the reference set, which reads each tap at an edge through the map, bit for
// bit, on random stretches that cross loop points and sample ends in both
// directions, short loops included.
TEST(Interpolation, TableKernels_FastSet_MatchesReferenceSet)
{
    const MixKernel::KernelSet fast = MixKernel::ActiveKernels();
    if (fast < MixKernel::KERNELS_AVX2)
        GTEST_SKIP() << "no batched loop on this processor";
    std::mt19937 rng(18);
    for (MixInterpolation interpolation : { MIX_INTERPOLATION_CUBIC, MIX_INTERPOLATION_SINC }) {
        for (int round = 0; round < 400; round++) {
            const bool                wide = round & 1;
            const RandomStretch       r(rng, wide, round % 4 == 0 ? 20 : 700, 6000, 300);
            const MixKernel::Stretch& s = r.s;
            const int64               position = r.position, step = r.step;
            const uint32              frames = r.frames;

            const MixKernel::KernelPair& k =
                MixKernel::Kernels(MixKernel::KernelIndex(interpolation, wide, false));
            std::vector<int32> want(2 * frames, 3), got32(2 * frames, 3), got64(2 * frames, 3);
            ASSERT_TRUE(MixKernel::UseKernels(MixKernel::KERNELS_REFERENCE));
            MixKernel::Stretch reference = s;
            const int64        end = k.mix64(reference, want.data(), position, step, frames);
            ASSERT_TRUE(MixKernel::UseKernels(fast));
            MixKernel::Stretch s32 = s, s64 = s;
            EXPECT_EQ(k.mix32(s32, got32.data(), int32(position), int32(step), frames), end);
            EXPECT_EQ(k.mix64(s64, got64.data(), position, step, frames), end);
            ASSERT_EQ(got32, want) << "interpolation " << int(interpolation) << " round " << round;
            ASSERT_EQ(got64, want) << "interpolation " << int(interpolation) << " round " << round;
        }
    }
}
