// The mixing kernels and the conversion of the 32-bit sums to output samples.
#include "mixer/MixKernel.h"
#include "mixer/RVMixer.h"

using MixKernel::MixStereo;
using MixKernel::SurroundGains;

int32
RVMixer::Mix8StereoNormal(
    const int8* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixStereo(data, buffer, position, step, frames, currentVoice->leftVolume,
        currentVoice->rightVolume, currentVoice->length);
}

int32
RVMixer::Mix8SurroundNormal(
    const int8* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    int32 left, right;
    SurroundGains(currentVoice->leftVolume, currentVoice->rightVolume, left, right);
    return MixStereo(data, buffer, position, step, frames, left, right, currentVoice->length);
}

int64
RVMixer::Mix8StereoNormal64(
    const int8* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixStereo(data, buffer, position, step, frames, currentVoice->leftVolume,
        currentVoice->rightVolume, currentVoice->length);
}

int64
RVMixer::Mix8SurroundNormal64(
    const int8* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    int32 left, right;
    SurroundGains(currentVoice->leftVolume, currentVoice->rightVolume, left, right);
    return MixStereo(data, buffer, position, step, frames, left, right, currentVoice->length);
}

int32
RVMixer::Mix16StereoNormal(
    const int16* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    return MixStereo(data, buffer, position, step, frames, currentVoice->leftVolume,
        currentVoice->rightVolume, currentVoice->length);
}

int32
RVMixer::Mix16SurroundNormal(
    const int16* data, int32* buffer, int32 position, int32 step, uint32 frames)
{
    int32 left, right;
    SurroundGains(currentVoice->leftVolume, currentVoice->rightVolume, left, right);
    return MixStereo(data, buffer, position, step, frames, left, right, currentVoice->length);
}

int64
RVMixer::Mix16StereoNormal64(
    const int16* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    return MixStereo(data, buffer, position, step, frames, currentVoice->leftVolume,
        currentVoice->rightVolume, currentVoice->length);
}

int64
RVMixer::Mix16SurroundNormal64(
    const int16* data, int32* buffer, int64 position, int64 step, uint32 frames)
{
    int32 left, right;
    SurroundGains(currentVoice->leftVolume, currentVoice->rightVolume, left, right);
    return MixStereo(data, buffer, position, step, frames, left, right, currentVoice->length);
}

// Mono output and interpolation are never selected (the output mode is fixed), so these
// kernels add nothing.

int32
RVMixer::Mix8MonoNormal(const int8*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix8MonoNormal64(const int8*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix16MonoNormal(const int16*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix16MonoNormal64(const int16*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix8StereoInterp(const int8*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix8StereoInterp64(const int8*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix16StereoInterp(const int16*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix16StereoInterp64(const int16*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix8SurroundInterp(const int8*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix8SurroundInterp64(const int8*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix16SurroundInterp(const int16*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix16SurroundInterp64(const int16*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix8MonoInterp(const int8*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix8MonoInterp64(const int8*, int32*, int64, int64, uint32)
{
    return 0;
}

int32
RVMixer::Mix16MonoInterp(const int16*, int32*, int32, int32, uint32)
{
    return 0;
}

int64
RVMixer::Mix16MonoInterp64(const int16*, int32*, int64, int64, uint32)
{
    return 0;
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
