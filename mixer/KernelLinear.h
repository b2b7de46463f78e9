// Linear: the straight line between the sample under the position and the next one.
#ifndef MIXER_KERNELLINEAR_H
#define MIXER_KERNELLINEAR_H

#include "mixer/MixLoop.h"

namespace MixKernel {

struct Linear
{
    static constexpr int32 kTaps = 2;
    static constexpr int32 kBefore = 0;

    struct Filter
    {};
    static Filter Prepare(int64) { return {}; }

    template<typename Sample>
    static int32 Value(const Sample* taps, uint32 fraction, Filter)
    {
        const int32 a = taps[0] * SampleScale<Sample>;
        const int32 b = taps[1] * SampleScale<Sample>;
        return a + (((b - a) * int32(fraction)) >> MIX_FRACTION_BITS);
    }
};

}   // namespace MixKernel

#endif
