// The point-sampling loops behind the nearest-sample kernel, and the output clip.
//
// Each loop exists as a plain per-frame reference and in faster forms that give the
// same sums; the mixer uses the fastest form the processor runs, chosen once per run,
// and tests may select another (ReferenceRender_*). Which kernel a stretch gets is the
// kernel table's business (KernelTable.h); these are how one of its entries runs.
#ifndef MIXER_MIXKERNEL_H
#define MIXER_MIXKERNEL_H

#include "beos/SupportDefs.h"
#include "mixer/FixedPoint.h"

namespace MixKernel {

enum KernelSet {
    KERNELS_REFERENCE,   // one frame or value at a time, exactly as described
    KERNELS_PORTABLE,    // blocks the compiler vectorises (SSE2)
    KERNELS_AVX2,        // byte shuffles in 128-bit halves; where the processor has AVX2
    KERNELS_AVX512,      // byte permutations; where the processor has AVX-512 VBMI
};

namespace detail {
extern KernelSet activeKernels;   // the fastest available, from start-up on
}

// The set in use.
inline KernelSet
ActiveKernels()
{
    return detail::activeKernels;
}

// Switches the set for the whole process (tests); false, and no change, when the
// processor lacks it.
bool UseKernels(KernelSet set);
bool KernelsAvailable(KernelSet set);

// The accumulator wraps at 32 bits; adding as unsigned keeps that defined.
inline int32
WrapAdd(int32 sum, int32 value)
{
    return int32(uint32(sum) + uint32(value));
}

// 8-bit data plays at 256 times its value.
template<typename Sample>
constexpr int32 SampleScale = sizeof(Sample) == 1 ? 256 : 1;

// Adds `frames` frames of data[position >> 11] times the two gains to interleaved
// stereo sums. The caller guarantees every index read lies inside the sample, that
// position never overflows Pos, and |gain| <= 256.
template<typename Sample, typename Pos>
inline Pos
MixStereoReference(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    int32 left, int32 right)
{
    for (uint32 i = 0; i < frames; i++) {
        const int32 s = data[uint32(position >> MIX_FRACTION_BITS)] * SampleScale<Sample>;
        position += step;
        buffer[2 * i] = WrapAdd(buffer[2 * i], s * left);
        buffer[2 * i + 1] = WrapAdd(buffer[2 * i + 1], s * right);
    }
    return position;
}

// The same in blocks: the samples of a block are fetched first, then multiplied and
// added in a loop of fixed count that the compiler vectorises.
template<typename Sample, typename Pos>
inline Pos
MixStereoBlocks(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames,
    int32 left, int32 right)
{
    const uint32 kBlock = 32;
    left *= SampleScale<Sample>;
    right *= SampleScale<Sample>;

    uint32 i = 0;
    for (; i + kBlock <= frames; i += kBlock) {
        int32 s[kBlock];
        for (uint32 k = 0; k < kBlock; k++) {
            s[k] = data[uint32(position >> MIX_FRACTION_BITS)];
            position += step;
        }
        int32* out = buffer + 2 * i;
        for (uint32 k = 0; k < kBlock; k++) {
            out[2 * k] = WrapAdd(out[2 * k], s[k] * left);
            out[2 * k + 1] = WrapAdd(out[2 * k + 1], s[k] * right);
        }
    }
    for (; i < frames; i++) {
        const int32 s = data[uint32(position >> MIX_FRACTION_BITS)];
        position += step;
        buffer[2 * i] = WrapAdd(buffer[2 * i], s * left);
        buffer[2 * i + 1] = WrapAdd(buffer[2 * i + 1], s * right);
    }
    return position;
}

// The 32-bit-position loops of the AVX-512 set. `length` is the number of samples
// readable from data: the vector loop loads whole windows of data, masked at that end.
int32 MixStereoAvx512(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length);
int32 MixStereoAvx512(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length);
// The same for the AVX2 set, which loads 16-byte windows whole and so leaves the
// frames near the sample's end to the block loop.
int32 MixStereoAvx2(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length);
int32 MixStereoAvx2(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length);

// Mixes through the active set.
template<typename Sample, typename Pos>
inline Pos
MixStereo(const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames, int32 left,
    int32 right, uint32 length)
{
    switch (ActiveKernels()) {
        case KERNELS_REFERENCE:
            return MixStereoReference(data, buffer, position, step, frames, left, right);
        case KERNELS_AVX512:
            if constexpr (sizeof(Pos) == 4)
                return MixStereoAvx512(data, buffer, position, step, frames, left, right, length);
            [[fallthrough]];
        case KERNELS_AVX2:
            if constexpr (sizeof(Pos) == 4)
                return MixStereoAvx2(data, buffer, position, step, frames, left, right, length);
            [[fallthrough]];
        case KERNELS_PORTABLE:
        default: return MixStereoBlocks(data, buffer, position, step, frames, left, right);
    }
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

// A pass mixed in tiles of frames whose sums stay in registers, voice after voice, and
// are clipped into the output once: none of the per-voice stores to the accumulator
// and no separate conversion. Used with the AVX-512 set; what it does not take (fast
// steps, positions beyond 32 bits, more stretches than fit) goes through the kernels
// into the accumulator, which the tiles then add in and clear.

// One stretch of one voice: frames [first, end) of the pass, with no loop or end
// boundary inside (as a kernel call would get it).
struct PassStretch
{
    alignas(64) int32 offsets[16];   // k * step for the frames k of 16
    const void* data;
    uint32      length;   // samples that may be read from data
    uint32      first;
    uint32      end;
    int32       position;   // at `first`, 11 fraction bits
    int32       step;
    int32       gainLeft;   // in the upper 16 bits, as the multiply-add takes it
    int32       gainRight;
    bool        wide;       // 16-bit samples
    bool        forwards;   // a step of 0 or more
};

// What a pass collects: its stretches, voice by voice and in frame order within each
// voice, each voice's run of them ending at groupEnds[g].
struct PassPlan
{
    static const uint32 kCapacity = 128;

    PassStretch stretches[kCapacity];
    uint16      groupEnds[kCapacity];
    uint32      count;
    uint32      groups;
    const void* groupOwner;   // the voice of the last group
    bool        sumsUsed;     // some stretch went into the accumulator
};

// Completes a stretch whose data, length, frames, gains and width are set, from its
// 64-bit position and step: false when the tiles do not take it (a frame would read
// outside the sample, or the step is too fast for the vector windows).
bool TilesTakeStretch(PassStretch& stretch, int64 position, int64 step);

// Mixes a pass of `frames` frames into interleaved 16-bit output: the plan's stretches,
// and the accumulator's sums when the plan says so (leaving them cleared).
void MixPassTiles(int16* output, uint32 frames, const PassPlan& plan, int32* sums);

// Accumulator to output through the active set.
void Convert16(int16* output, const int32* buffer, int64 count);
// The same, leaving the converted sums cleared for the next pass.
void Convert16AndClear(int16* output, int32* buffer, int64 count);
// The same after a gain with 16 fraction bits, saturating at the 16-bit range.
void Convert16GainAndClear(int16* output, int32* buffer, int64 count, int32 gain);

}   // namespace MixKernel

#endif
