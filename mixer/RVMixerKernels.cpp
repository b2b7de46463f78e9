// The named nearest-sample kernels and the conversion of the 32-bit sums to output
// samples. The names are entry points into the kernel table for those who call one
// kernel directly.
#include "mixer/KernelTable.h"
#include "mixer/MixKernel.h"
#include "mixer/RVMixer.h"

template<typename Sample, typename Pos>
Pos
RVMixer::MixNearest(
    const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames, bool surround)
{
    MixKernel::Stretch stretch;
    stretch.data = data;
    stretch.map.length = currentVoice->length;
    stretch.left = currentVoice->leftVolume;
    stretch.right = currentVoice->rightVolume;
    if (surround)
        MixKernel::SurroundGains(stretch.left, stretch.right, stretch.left, stretch.right);
    const MixKernel::KernelPair& kernels = MixKernel::Kernels(
        MixKernel::KernelIndex(MIX_INTERPOLATION_NEAREST, sizeof(Sample) == 2, false));
    if constexpr (sizeof(Pos) == 4)
        return kernels.mix32(stretch, buffer, position, step, frames);
    else
        return kernels.mix64(stretch, buffer, position, step, frames);
}

int32
RVMixer::Mix8StereoNormal(
    const int8* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, false);
}

int32
RVMixer::Mix8SurroundNormal(
    const int8* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, true);
}

int64
RVMixer::Mix8StereoNormal64(
    const int8* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, false);
}

int64
RVMixer::Mix8SurroundNormal64(
    const int8* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, true);
}

int32
RVMixer::Mix16StereoNormal(
    const int16* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, false);
}

int32
RVMixer::Mix16SurroundNormal(
    const int16* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, true);
}

int64
RVMixer::Mix16StereoNormal64(
    const int16* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, false);
}

int64
RVMixer::Mix16SurroundNormal64(
    const int16* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixNearest(data, buffer, position, step, frames, true);
}

void
RVMixer::Mix32To16(int16* output, const int32* buffer, int64 count)
{
    MixKernel::Convert16(output, buffer, count);
}


// 8-bit output is never selected.
void
RVMixer::Mix32To8(int8*, const int32*, int64)
{
}
