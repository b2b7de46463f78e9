// Cubic: the Catmull-Rom curve through the four samples around the position, which
// passes through every sample and keeps the slope continuous.
#ifndef MIXER_KERNELCUBIC_H
#define MIXER_KERNELCUBIC_H

#include "mixer/FilterTable.h"
#include "mixer/MixLoop.h"

namespace MixKernel {

struct Cubic
{
    static constexpr int32 kTaps = 4;
    static constexpr int32 kBefore = 1;

    // The weights of samples i-1, i, i+1 and i+2 at fraction t past sample i.
    static void Weights(double t, double* w)
    {
        const double t2 = t * t, t3 = t2 * t;
        w[0] = (-t3 + 2 * t2 - t) / 2;
        w[1] = (3 * t3 - 5 * t2 + 2) / 2;
        w[2] = (-3 * t3 + 4 * t2 + t) / 2;
        w[3] = (t3 - t2) / 2;
    }

    using Filter = const FilterTable<kTaps>*;
    static Filter Prepare(int64)
    {
        static const FilterTable<kTaps> table(Weights);
        return &table;
    }

    template<typename Sample>
    static int32 Value(const Sample* taps, uint32 fraction, Filter table)
    {
        return WeighTaps<kTaps>(taps, table->Row(fraction));
    }
};

}   // namespace MixKernel

#endif
