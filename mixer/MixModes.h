// The interpolations the mixer offers, in the order of MixInterpolation. A new one is a
// kernel file (a trait as in KernelLinear.h) and a line in this list.
#ifndef MIXER_MIXMODES_H
#define MIXER_MIXMODES_H

#include "mixer/KernelCubic.h"
#include "mixer/KernelLinear.h"
#include "mixer/KernelNearest.h"
#include "mixer/KernelSinc.h"
#include "mixer/MixerSettings.h"

namespace MixKernel {

template<typename... Interpolation>
struct InterpolationList
{
    static constexpr uint32 kCount = sizeof...(Interpolation);
};

using Interpolations = InterpolationList<Nearest,   // MIX_INTERPOLATION_NEAREST
    Linear,                                         // MIX_INTERPOLATION_LINEAR
    Cubic,                                          // MIX_INTERPOLATION_CUBIC
    Sinc                                            // MIX_INTERPOLATION_SINC
    >;
static_assert(Interpolations::kCount == MIX_INTERPOLATION_SINC + 1);

}   // namespace MixKernel

#endif
