// Kernel choice for the current voice, shared by normal and sample mode.
#ifndef MIXER_RVMIXERKERNELSELECT_H
#define MIXER_RVMIXERKERNELSELECT_H

#include <cstdint>

#include "framework/RVChannel.h"
#include "mixer/RVMixer.h"

// The name is Mix + width + layout + kind (+ 64); the width is the Sample type.
template<typename Sample>
RVMixer::KernelPair<Sample>
RVMixer::SelectKernels() const
{
    const bool interp = (mode & MIX_INTERP) != 0;
    const bool mono = (mode & MIX_STEREO) == 0;
    const bool surround = IsSurround();

    if constexpr (sizeof(Sample) == 1) {
        if (interp) {
            if (mono)
                return { &RVMixer::Mix8MonoInterp, &RVMixer::Mix8MonoInterp64 };
            if (surround)
                return { &RVMixer::Mix8SurroundInterp, &RVMixer::Mix8SurroundInterp64 };
            return { &RVMixer::Mix8StereoInterp, &RVMixer::Mix8StereoInterp64 };
        }
        if (mono)
            return { &RVMixer::Mix8MonoNormal, &RVMixer::Mix8MonoNormal64 };
        if (surround)
            return { &RVMixer::Mix8SurroundNormal, &RVMixer::Mix8SurroundNormal64 };
        return { &RVMixer::Mix8StereoNormal, &RVMixer::Mix8StereoNormal64 };
    } else {
        if (interp) {
            if (mono)
                return { &RVMixer::Mix16MonoInterp, &RVMixer::Mix16MonoInterp64 };
            if (surround)
                return { &RVMixer::Mix16SurroundInterp, &RVMixer::Mix16SurroundInterp64 };
            return { &RVMixer::Mix16StereoInterp, &RVMixer::Mix16StereoInterp64 };
        }
        if (mono)
            return { &RVMixer::Mix16MonoNormal, &RVMixer::Mix16MonoNormal64 };
        if (surround)
            return { &RVMixer::Mix16SurroundNormal, &RVMixer::Mix16SurroundNormal64 };
        return { &RVMixer::Mix16StereoNormal, &RVMixer::Mix16StereoNormal64 };
    }
}


// The 32-bit kernel serves every stretch whose positions all fit in 32 bits; it gives
// the same result as the 64-bit one there (Kernels.*_RandomStretches_MatchModel).
template<typename Sample>
int64
RVMixer::MixStretch(const KernelPair<Sample>& kernels, const Sample* data, int32* buffer,
    int64 position, int64 step, uint32 frames)
{
    const int64 end = position + int64(frames) * step;
    const bool  fits32 = position <= MIX_POSITION_32BIT_MAX && end <= MIX_POSITION_32BIT_MAX
        && position > INT32_MIN && end > INT32_MIN && step > INT32_MIN && step <= INT32_MAX;
    if (fits32) {
        return (this->*kernels.mix32)(data, buffer, int32(position), int32(step), frames);
    }
    return (this->*kernels.mix64)(data, buffer, position, step, frames);
}

#endif
