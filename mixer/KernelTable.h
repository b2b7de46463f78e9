// Every kernel the mixer has, in one table: an instance of the mixing loop (MixLoop.h)
// for each interpolation, sample width and kind of gains, each in a 32-bit and a
// 64-bit position form. A stretch's kernel is the table entry its bits name.
#ifndef MIXER_KERNELTABLE_H
#define MIXER_KERNELTABLE_H

#include "mixer/MixLoop.h"
#include "mixer/MixerSettings.h"

namespace MixKernel {

template<typename Pos>
using StretchKernel = Pos (*)(Stretch&, int32* buffer, Pos position, Pos step, uint32 frames);

// The two forms give the same sums and position wherever both can hold the positions
// (Kernels.*_PositionPaths_Agree).
struct KernelPair
{
    StretchKernel<int32> mix32;
    StretchKernel<int64> mix64;
};

// Bit 0: 16-bit samples; bit 1: ramping gains; the bits above: the interpolation.
inline uint32
KernelIndex(MixInterpolation interpolation, bool wide, bool ramping)
{
    return uint32(interpolation) << 2 | uint32(ramping) << 1 | uint32(wide);
}

const KernelPair& Kernels(uint32 index);

}   // namespace MixKernel

#endif
