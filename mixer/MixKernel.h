// The one point-sampling loop behind every working kernel, and the output clip.
#ifndef MIXER_MIXKERNEL_H
#define MIXER_MIXKERNEL_H

#include "beos/SupportDefs.h"

namespace MixKernel {

// The accumulator wraps at 32 bits; adding as unsigned keeps that defined.
inline int32
WrapAdd(int32 sum, int32 value)
{
    return int32(uint32(sum) + uint32(value));
}

// 8-bit data plays at 256 times its value; folding that factor into the gain gives the
// same products with one instruction less per frame.
template<typename Sample>
constexpr int32 SampleScale = sizeof(Sample) == 1 ? 256 : 1;

// Adds `frames` frames of data[position >> 11] times the two gains to interleaved
// stereo sums. The caller guarantees every index read lies inside the sample, that
// position never overflows Pos, and |gain| <= 256.
//
// Frames go in blocks: the samples of a block are fetched first, then multiplied and
// added in a loop of fixed count that the compiler vectorises. The sums are those of
// the plain per-frame loop that finishes the stretch (Kernels_*_MatchModel).
template<typename Sample, typename Pos>
inline Pos
MixStereo(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    int32 left, int32 right)
{
    const uint32 kBlock = 32;
    left *= SampleScale<Sample>;
    right *= SampleScale<Sample>;

    uint32 i = 0;
    for (; i + kBlock <= frames; i += kBlock) {
        int32 s[kBlock];
        for (uint32 k = 0; k < kBlock; k++) {
            s[k] = data[uint32(position >> 11)];
            position += step;
        }
        int32* out = buffer + 2 * i;
        for (uint32 k = 0; k < kBlock; k++) {
            out[2 * k] = WrapAdd(out[2 * k], s[k] * left);
            out[2 * k + 1] = WrapAdd(out[2 * k + 1], s[k] * right);
        }
    }
    for (; i < frames; i++) {
        const int32 s = data[uint32(position >> 11)];
        position += step;
        buffer[2 * i] = WrapAdd(buffer[2 * i], s * left);
        buffer[2 * i + 1] = WrapAdd(buffer[2 * i + 1], s * right);
    }
    return position;
}


// Surround plays the voice in both channels with opposite phase, at the larger gain.
inline void
SurroundGains(int32 leftVolume, int32 rightVolume, int32& left, int32& right)
{
    if (leftVolume >= rightVolume) {
        left = leftVolume;
        right = -leftVolume;
    } else {
        left = -rightVolume;
        right = rightVolume;
    }
}

inline int16
ClipTo16(int32 sum)
{
    const int32 v = sum >> 9;
    return int16(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

}   // namespace MixKernel

#endif
