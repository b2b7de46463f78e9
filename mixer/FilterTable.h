// The coefficients of a table-driven interpolation: one row of taps for each of the
// 2048 fractions a position can have, in 14 fraction bits, each row summing to exactly
// one so that a constant sample stays constant. Built once by its owner, then only read.
#ifndef MIXER_FILTERTABLE_H
#define MIXER_FILTERTABLE_H

#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MIXKERNEL_TABLE_SIMD 1
#endif

#include "beos/SupportDefs.h"
#include "mixer/FixedPoint.h"
#include "mixer/MixKernel.h"

namespace MixKernel {

const int32 MIX_FILTER_BITS = 14;

template<int32 Taps>
struct FilterTable
{
    // coefficients(t, row) writes the Taps weights for the fraction t in [0, 1).
    template<typename Coefficients>
    explicit FilterTable(Coefficients coefficients)
    {
        const double one = double(1 << MIX_FILTER_BITS);
        for (int32 f = 0; f < int32(MIX_FRACTION_ONE); f++) {
            double weights[Taps];
            coefficients(double(f) / double(MIX_FRACTION_ONE), weights);
            double sum = 0;
            for (double w : weights)
                sum += w;
            // Rounding errors go to the largest tap, where they matter least.
            int32 total = 0, largest = 0;
            for (int32 t = 0; t < Taps; t++) {
                rows[f][t] = int16(std::lround(weights[t] / sum * one));
                total += rows[f][t];
                if (std::fabs(weights[t]) > std::fabs(weights[largest]))
                    largest = t;
            }
            rows[f][largest] = int16(rows[f][largest] + (1 << MIX_FILTER_BITS) - total);
        }
    }

    const int16* Row(uint32 fraction) const { return rows[fraction]; }

    alignas(16) int16 rows[MIX_FRACTION_ONE][Taps];
};

// The weighted sum of the taps, back in the sample's 16-bit scale, rounded.
template<int32 Taps, typename Sample>
inline int32
WeighTaps(const Sample* taps, const int16* row)
{
    int32 sum = 0;
    for (int32 t = 0; t < Taps; t++)
        sum += taps[t] * SampleScale<Sample> * row[t];
    return (sum + (1 << (MIX_FILTER_BITS - 1))) >> MIX_FILTER_BITS;
}

// Adds `frames` frames weighed from a table to interleaved stereo sums at constant
// gains, and returns the new position. The taps of the frame at sample i start at
// data[i - Before]; the caller guarantees that every tap read lies inside the data. The
// sums are exactly those of WeighTaps, one frame after another.
template<int32 Taps, int32 Before, typename Sample, typename Pos>
inline Pos
MixTableFrames(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    const FilterTable<Taps>& table, int32 left, int32 right)
{
    for (uint32 k = 0; k < frames; k++) {
        const int32 value = WeighTaps<Taps>(data + ((position >> MIX_FRACTION_BITS) - Before),
            table.Row(uint32(position) & uint32(MIX_FRACTION_ONE - 1)));
        buffer[2 * k] = WrapAdd(buffer[2 * k], value * left);
        buffer[2 * k + 1] = WrapAdd(buffer[2 * k + 1], value * right);
        position += step;
    }
    return position;
}

#if defined(MIXKERNEL_TABLE_SIMD)
namespace detail {

// One frame's taps times its row, summed in pairs. The taps of 8-bit data go into the
// top byte of 16-bit lanes, which is their value times 256.
template<int32 Taps, typename Sample>
__attribute__((target("avx2"), always_inline)) inline __m128i
TapProducts(const Sample* taps, const int16* row)
{
    __m128i samples, weights;
    if constexpr (Taps == 4) {
        weights = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row));
        if constexpr (sizeof(Sample) == 1) {
            int32 four;
            std::memcpy(&four, taps, sizeof four);
            samples = _mm_unpacklo_epi8(_mm_setzero_si128(), _mm_cvtsi32_si128(four));
        } else {
            samples = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps));
        }
    } else {
        weights = _mm_load_si128(reinterpret_cast<const __m128i*>(row));
        if constexpr (sizeof(Sample) == 1)
            samples = _mm_unpacklo_epi8(
                _mm_setzero_si128(), _mm_loadl_epi64(reinterpret_cast<const __m128i*>(taps)));
        else
            samples = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps));
    }
    return _mm_madd_epi16(samples, weights);
}

}   // namespace detail

// The same four frames at a time: each frame's taps and row are loaded whole and
// multiplied in pairs, and the four frames' sums are then finished together, rounded,
// weighed by the gains and added in two stores.
template<int32 Taps, int32 Before, typename Sample, typename Pos>
__attribute__((target("avx2"))) Pos
MixTableFramesAvx2(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    const FilterTable<Taps>& table, int32 left, int32 right)
{
    static_assert(Taps == 4 || Taps == 8);
    const __m128i gains = _mm_setr_epi32(left, right, left, right);
    const __m128i half = _mm_set1_epi32(1 << (MIX_FILTER_BITS - 1));
    const auto    next = [&]() __attribute__((target("avx2"), always_inline))
    {
        const Sample* taps = data + ((position >> MIX_FRACTION_BITS) - Before);
        const int16*  row = table.Row(uint32(position) & uint32(MIX_FRACTION_ONE - 1));
        position += step;
        return detail::TapProducts<Taps>(taps, row);
    };
    uint32 k = 0;
    for (; k + 4 <= frames; k += 4) {
        const __m128i products[4] = { next(), next(), next(), next() };
        __m128i       sums;
        if constexpr (Taps == 4)   // two pair sums a frame, in the low half
            sums = _mm_hadd_epi32(_mm_unpacklo_epi64(products[0], products[1]),
                _mm_unpacklo_epi64(products[2], products[3]));
        else
            sums = _mm_hadd_epi32(
                _mm_hadd_epi32(products[0], products[1]), _mm_hadd_epi32(products[2], products[3]));
        const __m128i values = _mm_srai_epi32(_mm_add_epi32(sums, half), MIX_FILTER_BITS);
        __m128i*      out = reinterpret_cast<__m128i*>(buffer + 2 * k);
        _mm_storeu_si128(out,
            _mm_add_epi32(
                _mm_loadu_si128(out), _mm_mullo_epi32(_mm_unpacklo_epi32(values, values), gains)));
        _mm_storeu_si128(out + 1,
            _mm_add_epi32(_mm_loadu_si128(out + 1),
                _mm_mullo_epi32(_mm_unpackhi_epi32(values, values), gains)));
    }
    return MixTableFrames<Taps, Before>(
        data, buffer + 2 * k, position, step, frames - k, table, left, right);
}
#endif

// Through the active kernel set: the plain loop for the reference and portable sets.
template<int32 Taps, int32 Before, typename Sample, typename Pos>
inline Pos
MixTable(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    const FilterTable<Taps>& table, int32 left, int32 right)
{
#if defined(MIXKERNEL_TABLE_SIMD)
    if (ActiveKernels() >= KERNELS_AVX2)
        return MixTableFramesAvx2<Taps, Before>(
            data, buffer, position, step, frames, table, left, right);
#endif
    return MixTableFrames<Taps, Before>(data, buffer, position, step, frames, table, left, right);
}

}   // namespace MixKernel

#endif
