// The kernel sets: which one runs, the AVX-512 mixing loops and the 16-bit conversion.
#include "mixer/MixKernel.h"

#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MIXKERNEL_X86 1
#endif

namespace MixKernel {

namespace {

KernelSet
FastestAvailable()
{
    if (KernelsAvailable(KERNELS_AVX512))
        return KERNELS_AVX512;
    return KernelsAvailable(KERNELS_AVX2) ? KERNELS_AVX2 : KERNELS_PORTABLE;
}

}   // namespace

namespace detail {
KernelSet activeKernels = FastestAvailable();
}


bool
KernelsAvailable(KernelSet set)
{
    switch (set) {
        case KERNELS_REFERENCE:
        case KERNELS_PORTABLE:
            return true;
        case KERNELS_AVX2:
#ifdef MIXKERNEL_X86
            return __builtin_cpu_supports("avx2");
#else
            return false;
#endif
        case KERNELS_AVX512:
#ifdef MIXKERNEL_X86
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
                && __builtin_cpu_supports("avx512vbmi");
#else
            return false;
#endif
    }
    return false;
}


bool
UseKernels(KernelSet set)
{
    if (!KernelsAvailable(set))
        return false;
    detail::activeKernels = set;
    return true;
}


#ifdef MIXKERNEL_X86

namespace {

// Frames a vector pass handles at once, and the bytes of sample data it may look at.
const uint32 kVectorFrames = 16;
const uint32 kWindowBytes = 64;
// Shifts are written in their masked form with every lane on: the plain form trips a
// false uninitialised-value warning in g++ 12.
const __mmask16 kAllLanes = 0xFFFF;

// The largest step at which the samples of `frames` frames lie within one window.
template<typename Sample>
constexpr int32
MaxWindowStep(uint32 frames)
{
    return int32(((kWindowBytes / sizeof(Sample) - 1) * 2048 - 2047) / (frames - 1));
}
template<typename Sample>
constexpr int32 kMaxVectorStep = MaxWindowStep<Sample>(kVectorFrames);
template<typename Sample>
constexpr int32 kMaxDoubleStep = MaxWindowStep<Sample>(2 * kVectorFrames);

#define MIXKERNEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// What every pass of one stretch shares.
struct VectorVoice
{
    __m512i         gainLeft;       // gains in the upper 16 bits of each lane
    __m512i         gainRight;
    __m512i         frameOffsets;   // k * step for the frames k of a pass
    __m512i         nextOffsets;    // the same for the pass after it
    __m512i         firstHalf;      // lanes of the left and right products that make
    __m512i         secondHalf;     // up the pass's first and second eight frames
    uint32          length;
};

// The 64 bytes of data from sample `base` on, masked where the sample ends.
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
LoadWindow(const VectorVoice& v, const Sample* data, int32 base)
{
    const uint32 bytesLeft = (v.length - uint32(base)) * sizeof(Sample);
    return bytesLeft >= kWindowBytes
        ? _mm512_loadu_si512(data + base)
        : _mm512_maskz_loadu_epi8((__mmask64(1) << bytesLeft) - 1, data + base);
}

// Adds `count` frames (16, or fewer with Partial) whose positions relative to the
// window's first sample are `relative`. A byte (or word) permutation puts each frame's
// sample into the top of its 32-bit lane, where a multiply-add of 16-bit halves
// against a gain in the upper half gives the exact product; the products are then
// interleaved into the sums.
template<typename Sample, bool Partial>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
MixFromWindow(const VectorVoice& v, __m512i window, __m512i relative, int32* out,
    uint32 count)
{
    // Shifting left by 13 (5) instead of right by 11 puts the index straight into the
    // top byte (word) of each lane, the one the permutation fills.
    __m512i samples;
    if constexpr (sizeof(Sample) == 1) {
        samples = _mm512_maskz_permutexvar_epi8(0x8888888888888888ULL,
            _mm512_maskz_slli_epi32(kAllLanes, relative, 13), window);
    } else {
        samples = _mm512_maskz_permutexvar_epi16(0xAAAAAAAAu,
            _mm512_maskz_slli_epi32(kAllLanes, relative, 5), window);
    }
    const __m512i l = _mm512_madd_epi16(samples, v.gainLeft);
    const __m512i r = _mm512_madd_epi16(samples, v.gainRight);
    const __m512i first = _mm512_permutex2var_epi32(l, v.firstHalf, r);
    const __m512i second = _mm512_permutex2var_epi32(l, v.secondHalf, r);
    if constexpr (!Partial) {
        _mm512_storeu_si512(out, _mm512_add_epi32(_mm512_loadu_si512(out), first));
        _mm512_storeu_si512(out + 16, _mm512_add_epi32(_mm512_loadu_si512(out + 16), second));
    } else {
        const uint32 values = 2 * count;
        const __mmask16 firstMask = values >= 16 ? kAllLanes : __mmask16((1u << values) - 1);
        const __mmask16 secondMask = values > 16 ? __mmask16((1u << (values - 16)) - 1) : 0;
        _mm512_mask_storeu_epi32(out, firstMask,
            _mm512_add_epi32(_mm512_maskz_loadu_epi32(firstMask, out), first));
        _mm512_mask_storeu_epi32(out + 16, secondMask,
            _mm512_add_epi32(_mm512_maskz_loadu_epi32(secondMask, out + 16), second));
    }
}

// Positions relative to sample `base`, for the frames of a pass that starts at
// `position`: subtracting whole samples commutes with the shift to an index.
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
Relative(int32 position, int32 base, __m512i offsets)
{
    return _mm512_add_epi32(_mm512_set1_epi32(position - base * 2048), offsets);
}


// Sixteen frames a pass; two passes share one window while the samples of both fit in
// it (slow steps, the common case); one pass of the frames left.
template<typename Sample>
MIXKERNEL_AVX512 int32
MixStereoVector(const Sample* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    VectorVoice v;
    v.gainLeft = _mm512_set1_epi32(int32(uint32(left) << 16));
    v.gainRight = _mm512_set1_epi32(int32(uint32(right) << 16));
    v.frameOffsets = _mm512_mullo_epi32(
        _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
        _mm512_set1_epi32(step));
    v.nextOffsets = _mm512_add_epi32(v.frameOffsets,
        _mm512_set1_epi32(int32(kVectorFrames) * step));
    v.firstHalf = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    v.secondHalf = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30,
        15, 31);
    v.length = length;

    const int32 passStep = int32(kVectorFrames) * step;
    uint32 i = 0;
    if (step <= kMaxDoubleStep<Sample> && step >= -kMaxDoubleStep<Sample>) {
        // Backwards, the lowest index is the last frame's.
        const int32 lowestOffset = step > 0 ? 0 : int32(2 * kVectorFrames - 1) * step;
        for (; i + 2 * kVectorFrames <= frames; i += 2 * kVectorFrames) {
            const int32 base = (position + lowestOffset) >> 11;
            const __m512i window = LoadWindow(v, data, base);
            const __m512i relative = Relative(position, base, v.frameOffsets);
            MixFromWindow<Sample, false>(v, window, relative, buffer + 2 * i, kVectorFrames);
            MixFromWindow<Sample, false>(v, window,
                Relative(position, base, v.nextOffsets), buffer + 2 * i + 32, kVectorFrames);
            position += 2 * passStep;
        }
    }
    const int32 lowestOffset = step > 0 ? 0 : int32(kVectorFrames - 1) * step;
    for (; i + kVectorFrames <= frames; i += kVectorFrames) {
        const int32 base = (position + lowestOffset) >> 11;
        MixFromWindow<Sample, false>(v, LoadWindow(v, data, base),
            Relative(position, base, v.frameOffsets), buffer + 2 * i, kVectorFrames);
        position += passStep;
    }
    const uint32 rest = frames - i;
    if (rest != 0) {
        const int32 base = (position + (step > 0 ? 0 : int32(rest - 1) * step)) >> 11;
        MixFromWindow<Sample, true>(v, LoadWindow(v, data, base),
            Relative(position, base, v.frameOffsets), buffer + 2 * i, rest);
        position += int32(rest) * step;
    }
    return position;
}


template<typename Sample>
int32
MixStereoAvx512Of(const Sample* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    const int64 last = position + int64(step) * (int64(frames) - 1);
    // Fast steps, and stretches that read where `length` says there is nothing, go
    // through the block loop.
    if (frames == 0 || step > kMaxVectorStep<Sample> || step < -kMaxVectorStep<Sample>
        || position < 0 || last < 0
        || (position >> 11) >= int64(length) || (last >> 11) >= int64(length)) {
        return MixStereoBlocks(data, buffer, position, step, frames, left, right);
    }
    return MixStereoVector(data, buffer, position, step, frames, left, right, length);
}


// Sixteen values a pass: shift, then the saturating narrowing to 16 bits is the clip.
__attribute__((target("avx512f"))) int64
Convert16Vector(int16* output, const int32* buffer, int64 count)
{
    int64 i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i shifted = _mm512_maskz_srai_epi32(kAllLanes,
            _mm512_loadu_si512(buffer + i), 9);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(output + i),
            _mm512_maskz_cvtsepi32_epi16(kAllLanes, shifted));
    }
    return i;
}


// The same, clearing each value once it is read, while its cache line is at hand.
__attribute__((target("avx512f"))) int64
Convert16AndClearVector(int16* output, int32* buffer, int64 count)
{
    int64 i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i sums = _mm512_loadu_si512(buffer + i);
        _mm512_storeu_si512(buffer + i, _mm512_setzero_si512());
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(output + i),
            _mm512_maskz_cvtsepi32_epi16(kAllLanes, _mm512_maskz_srai_epi32(kAllLanes, sums, 9)));
    }
    return i;
}

// AVX2 passes of eight frames: each 128-bit half of a register takes four frames and a
// window of the 16 bytes of data from the lowest index they read. A byte shuffle puts
// each frame's sample into the top of its lane and a multiply-add of 16-bit halves
// gives the exact product, as in the AVX-512 passes. AVX2 has no masked byte loads, so
// a pass whose windows would reach past the sample's end goes through the block loop.
const uint32 kHalfFrames = 4;
const uint32 kHalfWindowBytes = 16;

template<typename Sample>
constexpr int32 kMaxHalfStep = int32(((kHalfWindowBytes / sizeof(Sample) - 1) * 2048 - 2047)
    / (kHalfFrames - 1));

template<typename Sample>
__attribute__((target("avx2"))) int32
MixStereoShuffle(const Sample* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    const __m256i gainLeft = _mm256_set1_epi32(int32(uint32(left) << 16));
    const __m256i gainRight = _mm256_set1_epi32(int32(uint32(right) << 16));
    const __m256i frameOffsets = _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
        _mm256_set1_epi32(step));
    // Backwards, the lowest index of a half is its last frame's.
    const int32 lowestOffset = step > 0 ? 0 : int32(kHalfFrames - 1) * step;
    const int32 halfStep = int32(kHalfFrames) * step;
    const int64 windowSamples = kHalfWindowBytes / sizeof(Sample);

    uint32 i = 0;
    for (; i + 2 * kHalfFrames <= frames; i += 2 * kHalfFrames) {
        const int32 low = (position + lowestOffset) >> 11;
        const int32 high = (position + halfStep + lowestOffset) >> 11;
        int32* out = buffer + 2 * i;
        if (int64(low > high ? low : high) + windowSamples > int64(length)) {
            position = MixStereoBlocks(data, out, position, step, 2 * kHalfFrames, left,
                right);
            continue;
        }
        const __m256i window = _mm256_inserti128_si256(_mm256_castsi128_si256(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + low))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + high)), 1);
        // Subtracting whole samples commutes with the shift to an index.
        const __m256i relative = _mm256_sub_epi32(
            _mm256_add_epi32(_mm256_set1_epi32(position), frameOffsets),
            _mm256_setr_epi32(low * 2048, low * 2048, low * 2048, low * 2048,
                high * 2048, high * 2048, high * 2048, high * 2048));
        // Shuffle control: the sample's byte(s) in the top of each lane, and bytes with
        // the high bit set, which the shuffle clears, below.
        __m256i control;
        if constexpr (sizeof(Sample) == 1) {
            control = _mm256_or_si256(_mm256_slli_epi32(relative, 13),
                _mm256_set1_epi32(0x00808080));
        } else {
            control = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(relative, 11),
                _mm256_set1_epi32(0x02020000)), _mm256_set1_epi32(0x01008080));
        }
        const __m256i samples = _mm256_shuffle_epi8(window, control);
        const __m256i l = _mm256_madd_epi16(samples, gainLeft);
        const __m256i r = _mm256_madd_epi16(samples, gainRight);
        // Frames 0, 1, 4, 5 and 2, 3, 6, 7 as left-right pairs, then put in order.
        const __m256i pairsLow = _mm256_unpacklo_epi32(l, r);
        const __m256i pairsHigh = _mm256_unpackhi_epi32(l, r);
        __m256i* sums = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(sums, _mm256_add_epi32(_mm256_loadu_si256(sums),
            _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x20)));
        _mm256_storeu_si256(sums + 1, _mm256_add_epi32(_mm256_loadu_si256(sums + 1),
            _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x31)));
        position += 2 * halfStep;
    }
    return MixStereoBlocks(data, buffer + 2 * i, position, step, frames - i, left, right);
}


template<typename Sample>
__attribute__((target("avx2"))) int32
MixStereoAvx2Of(const Sample* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    const int64 last = position + int64(step) * (int64(frames) - 1);
    // As in the AVX-512 set: fast steps and stretches outside `length` use the blocks.
    if (frames == 0 || step > kMaxHalfStep<Sample> || step < -kMaxHalfStep<Sample>
        || position < 0 || last < 0
        || (position >> 11) >= int64(length) || (last >> 11) >= int64(length)) {
        return MixStereoBlocks(data, buffer, position, step, frames, left, right);
    }
    return MixStereoShuffle(data, buffer, position, step, frames, left, right, length);
}

}   // namespace


int32
MixStereoAvx2(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    return MixStereoAvx2Of(data, buffer, position, step, frames, left, right, length);
}


int32
MixStereoAvx2(const int16* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    return MixStereoAvx2Of(data, buffer, position, step, frames, left, right, length);
}


int32
MixStereoAvx512(const int8* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    return MixStereoAvx512Of(data, buffer, position, step, frames, left, right, length);
}


int32
MixStereoAvx512(const int16* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32 length)
{
    return MixStereoAvx512Of(data, buffer, position, step, frames, left, right, length);
}

#else

int32
MixStereoAvx2(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx2(const int16* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx512(const int8* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx512(const int16* data, int32* buffer, int32 position, int32 step,
    uint32 frames, int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}

#endif


// Shift and clip: a saturating pack of the shifted sums to 16 bits is the clip, eight
// values a pass after what the AVX-512 loop leaves.
void
Convert16(int16* output, const int32* buffer, int64 count)
{
    int64 i = 0;
#ifdef MIXKERNEL_X86
    if (ActiveKernels() == KERNELS_AVX512)
        i = Convert16Vector(output, buffer, count);
    if (ActiveKernels() != KERNELS_REFERENCE) {
        for (; i + 8 <= count; i += 8) {
            const __m128i a = _mm_srai_epi32(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i)), 9);
            const __m128i b = _mm_srai_epi32(
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i + 4)), 9);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i), _mm_packs_epi32(a, b));
        }
    }
#endif
    for (; i < count; i++)
        output[i] = ClipTo16(buffer[i]);
}



void
Convert16AndClear(int16* output, int32* buffer, int64 count)
{
    int64 i = 0;
#ifdef MIXKERNEL_X86
    if (ActiveKernels() == KERNELS_AVX512)
        i = Convert16AndClearVector(output, buffer, count);
#endif
    Convert16(output + i, buffer + i, count - i);
    memset(buffer + i, 0, size_t(count - i) * sizeof(int32));
}

}   // namespace MixKernel
