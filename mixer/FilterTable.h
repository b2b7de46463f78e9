// The coefficients of a table-driven interpolation: one row of taps for each of the
// 2048 fractions a position can have, in 14 fraction bits, each row summing to exactly
// one so that a constant sample stays constant. Built once by its owner, then only read.
#ifndef MIXER_FILTERTABLE_H
#define MIXER_FILTERTABLE_H

#include <cmath>

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

}   // namespace MixKernel

#endif
