// Sinc: eight taps of a Kaiser-windowed sinc. Played slower than its rate a sample needs
// only the band below its own Nyquist frequency kept; played faster, the cut-off moves
// down with the step, in two stages, so that fewer of its highs fold back.
#ifndef MIXER_KERNELSINC_H
#define MIXER_KERNELSINC_H

#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mixer/FilterTable.h"
#include "mixer/Kaiser.h"
#include "mixer/MixLoop.h"

namespace MixKernel {

struct Sinc
{
    static constexpr int32  kTaps = 8;
    static constexpr int32  kBefore = 3;
    static constexpr double kBeta = 8.0;   // Kaiser window: stop band against width

    // The cut-offs, as shares of the sample's Nyquist frequency, and the one for a step
    // in positions per frame.
    static constexpr double kCutoffs[3] = { 0.97, 0.97 / 1.5, 0.97 / 2 };
    static int32            Stage(int64 step)
    {
        const int64 size = step < 0 ? -step : step;
        if (size <= MIX_FRACTION_ONE * 5 / 4)
            return 0;
        return size <= MIX_FRACTION_ONE * 7 / 4 ? 1 : 2;
    }

    // The weight of tap k (sample i - 3 + k) at fraction t past sample i.
    static double Weight(int32 k, double t, double cutoff)
    {
        static const double scale = BesselI0(kBeta);
        const double        x = double(k - kBefore) - t;
        const double        half = kTaps / 2.0;
        const double        r = x / half;
        const double window = r * r >= 1 ? 0 : BesselI0(kBeta * std::sqrt(1 - r * r)) / scale;
        const double y = M_PI * cutoff * x;
        return (y == 0 ? 1.0 : std::sin(y) / y) * window;
    }

    template<int32 Stage>
    static void Weights(double t, double* w)
    {
        for (int32 k = 0; k < kTaps; k++)
            w[k] = Weight(k, t, kCutoffs[Stage]);
    }

    // Each table is built when a stretch first needs it: most songs never play a
    // sample fast enough for the lower cut-offs, and a process then skips their cost.
    using Filter = const FilterTable<kTaps>*;
    static Filter Prepare(int64 step)
    {
        switch (Stage(step)) {
            case 0: {
                static const FilterTable<kTaps> table(Weights<0>);
                return &table;
            }
            case 1: {
                static const FilterTable<kTaps> table(Weights<1>);
                return &table;
            }
            default: {
                static const FilterTable<kTaps> table(Weights<2>);
                return &table;
            }
        }
    }

    template<typename Sample>
    static int32 Value(const Sample* taps, uint32 fraction, Filter table)
    {
#if defined(__SSE2__)
        // Eight 16-bit products summed in pairs, then across the register.
        const __m128i weights =
            _mm_load_si128(reinterpret_cast<const __m128i*>(table->Row(fraction)));
        __m128i samples;
        if constexpr (sizeof(Sample) == 2)
            samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps));
        else   // each byte into the top of a 16-bit lane is the value times 256
            samples = _mm_unpacklo_epi8(
                _mm_setzero_si128(), _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps)));
        __m128i sum = _mm_madd_epi16(samples, weights);
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4E));
        sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xB1));
        return (_mm_cvtsi128_si32(sum) + (1 << (MIX_FILTER_BITS - 1))) >> MIX_FILTER_BITS;
#else
        return WeighTaps<kTaps>(taps, table->Row(fraction));
#endif
    }
};

}   // namespace MixKernel

#endif
