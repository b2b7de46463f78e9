// The Amiga stage: its filters against the analogue curves of their parts, and its
// band-limited steps against aliasing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "mixer/MixKernel.h"
#include "mixer/PaulaStepDesign.h"
#include "mixer/RVAmigaFilters.h"
#include "mixer/RVAmigaSound.h"
#include "mixer/RVLedFilter.h"

namespace {

const double kRate = 44100.0;

// Steady-state gain in dB of a stereo filter stage for a sine of f Hz (both channels
// alike), measured over whole periods after it has settled.
double
GainDb(const std::function<void(double*, uint32)>& run, double f)
{
    const uint32        settle = uint32(std::max(4.0 * kRate / f, 4096.0));
    const uint32        measure = 8192;
    std::vector<double> frames(2 * (settle + measure));
    for (uint32 i = 0; i < settle + measure; i++)
        frames[2 * i] = frames[2 * i + 1] = std::sin(2.0 * M_PI * f * i / kRate);
    run(frames.data(), settle + measure);
    double peak = 0.0;
    for (uint32 i = settle; i < settle + measure; i++)
        peak = std::max(peak, std::fabs(frames[2 * i]));
    return 20.0 * std::log10(peak);
}

// The frequency between lo and hi where the gain crosses -3 dB (gain falling with
// frequency when falling is set, rising otherwise).
double
MinusThreeDb(const std::function<void(double*, uint32)>& run, double lo, double hi, bool falling)
{
    for (int i = 0; i < 30; i++) {
        const double mid = std::sqrt(lo * hi);
        if ((GainDb(run, mid) > -3.0) == falling)
            lo = mid;
        else
            hi = mid;
    }
    return std::sqrt(lo * hi);
}

}   // namespace


// Each model's fixed low-pass and the common high-pass: -3 dB within 5 % of the analogue
// corner (360 ohm / 0.1 uF, 1390 ohm / 22 uF); the A1200's corner lies beyond the band,
// so its gain at 16 kHz is held to the analogue curve.
TEST(AmigaSound, FixedFilters_SineSweep_CornersOfTheParts)
{
    for (MixAmigaModel model : { MIX_AMIGA_A500, MIX_AMIGA_A1200 }) {
        SCOPED_TRACE(model);
        auto run = [model](double* frames, uint32 count) {
            RVAmigaFilters filters;
            filters.Design(model, kRate);
            filters.Run(frames, count);
        };
        const double low = AmigaLowPassCorner(model);
        const double high = AmigaHighPassCorner(model);
        EXPECT_NEAR(high, 5.2, 0.05);
        EXPECT_NEAR(MinusThreeDb(run, 1.0, 50.0, false), high, 0.05 * high);
        if (model == MIX_AMIGA_A500) {
            EXPECT_NEAR(low, 4421.0, 1.0);
            EXPECT_NEAR(MinusThreeDb(run, 1000.0, 20000.0, true), low, 0.05 * low);
        } else {
            EXPECT_NEAR(low, 34419.0, 1.0);
        }
        // Up to 16 kHz the digital filter follows the analogue curve.
        for (double f : { 100.0, 1000.0, 8000.0, 12000.0, 16000.0 }) {
            const double analogue = -10.0 * std::log10(1.0 + (f / low) * (f / low));
            EXPECT_NEAR(GainDb(run, f), analogue, 0.15) << f;
        }
    }
}


// On, the LED filter is the Sallen-Key's curve (-3 dB at 2871 Hz for f0 3091 Hz, Q 0.66,
// -28 dB at 10 kHz); off, it passes the signal untouched.
TEST(AmigaSound, LedFilter_OnAndOff_CurveOfThePartsOrNothing)
{
    EXPECT_NEAR(RVLedFilter::Corner(), 3091.0, 1.0);
    EXPECT_NEAR(RVLedFilter::Quality(), 0.660, 0.001);
    for (bool on : { true, false }) {
        auto run = [on](double* frames, uint32 count) {
            RVLedFilter led;
            led.Design(kRate);
            led.Run(frames, count, on);
        };
        if (!on) {
            std::vector<double> frames(2 * 4096), original;
            for (size_t i = 0; i < frames.size(); i++)
                frames[i] = std::sin(double(i)) * 30000.0;
            original = frames;
            run(frames.data(), 4096);
            EXPECT_EQ(frames, original);
            continue;
        }
        EXPECT_NEAR(MinusThreeDb(run, 1000.0, 10000.0, true), 2871.0, 0.05 * 2871.0);
        for (double f : { 500.0, 3091.0, 6000.0, 10000.0, 16000.0 })
            EXPECT_NEAR(GainDb(run, f), 10.0 * std::log10(RVLedFilter::AnalogPower(f)), 0.15) << f;
    }
}


// A square wave of four samples at Paula's fastest common rate (period 124, 28.6 kHz):
// its fundamental is 7.15 kHz and its 5th, 7th, 9th and 11th harmonics lie above
// 22.05 kHz. Point-sampled they fold back to -14 dB and below; as band-limited steps
// nothing above -80 dB may come back, while the 3rd harmonic stays.
TEST(AmigaSound, Steps_SquareWaveAtHighPitch_NoAliases)
{
    const int64       step = 1328;   // 28.6 kHz in 11 fraction bits of 44.1 kHz
    const double      fundamental = double(step) / 2048.0 * kRate / 4.0;
    const uint32      passFrames = 4096, passes = 12;
    std::vector<int8> square(passFrames * passes);
    for (size_t i = 0; i < square.size(); i++)
        square[i] = (i & 2) ? -100 : 100;

    RVAmigaSound amiga(MIX_AMIGA_A1200, uint32(kRate));
    amiga.Reset(passFrames);
    std::vector<int32>  sums(2 * passFrames);
    std::vector<double> left;
    int64               position = 0;
    for (uint32 p = 0; p < passes; p++) {
        amiga.BeginPass(1);
        position = amiga.AddStretch<int8>(0, square.data(), position, step, passFrames, 0, 255, 0);
        amiga.EndVoice(0, true, passFrames);
        amiga.EndPass(sums.data(), passFrames);
        for (uint32 i = 0; i < passFrames; i++) {
            left.push_back(sums[2 * i]);
            EXPECT_EQ(sums[2 * i + 1], 0);
        }
    }

    // Hann-windowed single-frequency power, past the filters' settling.
    const size_t start = 8192, count = 32768;
    auto         level = [&](double f) {
        double re = 0.0, im = 0.0;
        for (size_t i = 0; i < count; i++) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / count);
            re += w * left[start + i] * std::cos(2.0 * M_PI * f * i / kRate);
            im += w * left[start + i] * std::sin(2.0 * M_PI * f * i / kRate);
        }
        return 10.0 * std::log10(re * re + im * im + 1e-30);
    };
    const double top = level(fundamental);
    // 1/3 of the fundamental, times the hold's droop, at the steps' band edge.
    EXPECT_GT(level(3.0 * fundamental) - top, -30.0);
    for (int harmonic : { 5, 7, 9, 11 }) {
        const double folded =
            std::fabs(kRate * std::round(harmonic * fundamental / kRate) - harmonic * fundamental);
        EXPECT_LT(level(folded) - top, -80.0) << harmonic;
    }
}


// The LED filter is an analogue part that the song switches in and out: switched in
// mid-song it is already settled on the signal, as though it had run all along, and
// switched out it leaves the fixed filters' output as it was.
TEST(AmigaSound, LedFilter_SwitchedInMidSong_AsIfItHadRunAllAlong)
{
    const uint32      passFrames = 1000, passes = 8, ledFrom = 3, ledUntil = 6;
    std::vector<int8> noise(passFrames * passes);
    uint32            seed = 1;
    for (int8& v : noise) {
        seed = seed * 1103515245u + 12345u;
        v = int8(seed >> 24);
    }
    // The same voice twice: LED filter off throughout, and in for passes 3 to 5.
    auto render = [&](bool switching) {
        RVAmigaSound amiga(MIX_AMIGA_A500, uint32(kRate));
        amiga.Reset(passFrames);
        std::vector<int32> out, sums(2 * passFrames);
        int64              position = 0;
        for (uint32 p = 0; p < passes; p++) {
            amiga.SetLed(switching && p >= ledFrom && p < ledUntil);
            amiga.BeginPass(1);
            position =
                amiga.AddStretch<int8>(0, noise.data(), position, 1500, passFrames, 0, 255, 0);
            amiga.EndVoice(0, true, passFrames);
            amiga.EndPass(sums.data(), passFrames);
            out.insert(out.end(), sums.begin(), sums.end());
        }
        return out;
    };
    const std::vector<int32> plain = render(false);
    const std::vector<int32> switched = render(true);

    // What an LED filter that had always run on the plain output gives.
    std::vector<double> expected(plain.begin(), plain.end());
    RVLedFilter         led;
    led.Design(kRate);
    led.Run(expected.data(), passFrames * passes, true);

    double peak = 0.0, worst = 0.0;
    for (size_t i = 2 * ledFrom * passFrames; i < 2 * ledUntil * passFrames; i++) {
        peak = std::max(peak, std::fabs(expected[i]));
        worst = std::max(worst, std::fabs(switched[i] - expected[i]));
    }
    EXPECT_GT(peak, 1e6);
    EXPECT_LT(worst, 4.0);   // the plain output's rounding, filtered
    EXPECT_TRUE(std::equal(switched.begin() + 2 * ledUntil * passFrames, switched.end(),
        plain.begin() + 2 * ledUntil * passFrames));
    EXPECT_TRUE(
        std::equal(switched.begin(), switched.begin() + 2 * ledFrom * passFrames, plain.begin()));
}


// Passes of any length, odd ones and ones shorter than a step's reach among them, give
// the sums of long passes: nothing a pass has read is left behind for the next. Written
// to 16 bits straight away, they are the sums as the mixer converts them, saturated.
TEST(AmigaSound, Passes_OfAnyLength_AsOneLongRunAndAsTheMixerConverts)
{
    const uint32      capacity = 1024, total = 3 * capacity;
    std::vector<int8> noise(total + 16);
    uint32            seed = 7;
    for (int8& v : noise) {
        seed = seed * 1103515245u + 12345u;
        v = int8(seed >> 24);
    }
    // Loud enough on the left to saturate 16 bits.
    auto render = [&](const std::vector<uint32>& lengths, std::vector<int16>* wide) {
        RVAmigaSound amiga(MIX_AMIGA_A500, uint32(kRate));
        amiga.Reset(capacity);
        std::vector<int32> out, sums(2 * capacity);
        std::vector<int16> converted(2 * capacity);
        int64              position = 0;
        for (uint32 frames : lengths) {
            amiga.BeginPass(1);
            position = amiga.AddStretch<int8>(0, noise.data(), position, 1500, frames, 0, 1023, 300);
            amiga.EndVoice(0, true, frames);
            if (wide != nullptr) {
                amiga.EndPass16(converted.data(), frames);
                wide->insert(wide->end(), converted.begin(), converted.begin() + 2 * frames);
            } else {
                amiga.EndPass(sums.data(), frames);
                out.insert(out.end(), sums.begin(), sums.begin() + 2 * frames);
            }
        }
        return out;
    };
    std::vector<uint32> varied;
    for (uint32 done = 0, k = 0; done < total; k++) {
        const uint32 pattern[] = { 1, 7, 31, 33, 257, 600, 3, 1024, 2 };
        const uint32 frames = std::min(pattern[k % 9], total - done);
        varied.push_back(frames);
        done += frames;
    }
    const std::vector<int32> whole = render({ capacity, capacity, capacity }, nullptr);
    const std::vector<int32> pieces = render(varied, nullptr);
    ASSERT_EQ(whole.size(), pieces.size());
    int32 worst = 0, peak = 0;
    for (size_t i = 0; i < whole.size(); i++) {
        worst = std::max(worst, std::abs(whole[i] - pieces[i]));
        peak = std::max(peak, std::abs(whole[i]));
    }
    // The same filters, rounded differently where a pass splits a pair of frames.
    EXPECT_LE(worst, 2);
    EXPECT_GT(peak, 32768 << 9);

    std::vector<int16> wide;
    render(varied, &wide);
    ASSERT_EQ(wide.size(), pieces.size());
    for (size_t i = 0; i < pieces.size(); i++)
        ASSERT_EQ(wide[i], MixKernel::ClipTo16(pieces[i])) << i;
}


// The builds for AVX2 processors (steps, their changes, the filter pass) give the sums
// of the portable ones bit for bit, the LED filter in and out, passes odd and even.
TEST(AmigaSound, Builds_Avx2AndPortable_SameOutput)
{
    if (!MixKernel::KernelsAvailable(MixKernel::KERNELS_AVX2))
        GTEST_SKIP() << "the processor has no AVX2";
    std::vector<int16> noise(1 << 14);
    uint32             seed = 11;
    for (int16& v : noise) {
        seed = seed * 1103515245u + 12345u;
        v = int16(seed >> 16);
    }
    auto render = [&](MixKernel::KernelSet set) {
        const MixKernel::KernelSet previous = MixKernel::ActiveKernels();
        EXPECT_TRUE(MixKernel::UseKernels(set));
        RVAmigaSound amiga(MIX_AMIGA_A500, uint32(kRate));
        MixKernel::UseKernels(previous);
        amiga.Reset(1024);
        std::vector<int16> out, pass(2 * 1024);
        int64              positions[3] = {};
        const int64        steps[3] = { 900, 2500, -1700 };   // a voice running backwards
        for (uint32 k = 0; k < 24; k++) {
            const uint32 frames = 1024 - 37 * (k % 5);
            amiga.SetLed(k >= 8 && k < 16);
            amiga.BeginPass(3);
            for (uint16 v = 0; v < 3; v++) {
                // Room for a whole pass either way.
                if (positions[v] < int64(2048) << 11
                    || positions[v] >= int64(noise.size() - 4096) << 11)
                    positions[v] = int64(noise.size() / 2) << 11;
                positions[v] = amiga.AddStretch<int16>(
                    v, noise.data(), positions[v], steps[v], frames, 0, 40 + 20 * v, 60 - 20 * v);
                amiga.EndVoice(v, true, frames);
            }
            amiga.EndPass16(pass.data(), frames);
            out.insert(out.end(), pass.begin(), pass.begin() + 2 * frames);
        }
        return out;
    };
    const std::vector<int16> portable = render(MixKernel::KERNELS_PORTABLE);
    EXPECT_EQ(render(MixKernel::KERNELS_AVX2), portable);
    EXPECT_NE(std::count(portable.begin(), portable.end(), int16(0)), ptrdiff_t(portable.size()));
}


// The band-limited step's table is designed at build time and compiled in from its
// printed form, which must give back every float of the design exactly.
TEST(AmigaSound, StepTable_CompiledIn_AsDesigned)
{
    auto designed = std::make_unique<paulasteps::Table>();
    designed->Design();
    EXPECT_EQ(std::memcmp(designed.get(), &paulasteps::kTable, sizeof(paulasteps::Table)), 0);
}
