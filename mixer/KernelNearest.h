// Nearest: the sample under the position, as the mixer has always played.
#ifndef MIXER_KERNELNEAREST_H
#define MIXER_KERNELNEAREST_H

#include "mixer/MixLoop.h"

namespace MixKernel {

struct Nearest
{
    static constexpr int32 kTaps = 1;
    static constexpr int32 kBefore = 0;

    struct Filter
    {};
    static Filter Prepare(int64) { return {}; }

    template<typename Sample>
    static int32 Value(const Sample* taps, uint32, Filter)
    {
        return taps[0] * SampleScale<Sample>;
    }

    // With constant gains the processor-specific loops of MixKernel.h take it; the tap
    // under the position always lies inside the data, so no edge needs minding.
    template<typename Sample, typename Pos>
    static Pos MixConstant(
        const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames, const Stretch& s)
    {
        return MixStereo(
            data, buffer, position, step, frames, s.left, s.right, uint32(s.map.length));
    }
};

}   // namespace MixKernel

#endif
