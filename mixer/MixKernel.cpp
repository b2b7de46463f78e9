// The kernel sets: which one runs, the AVX-512 mixing loops and pass tiles, and the
// 16-bit conversion.
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
        case KERNELS_PORTABLE: return true;
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
    return int32(((kWindowBytes / sizeof(Sample) - 1) * MIX_FRACTION_ONE - (MIX_FRACTION_ONE - 1))
        / (frames - 1));
}
template<typename Sample>
constexpr int32 kMaxVectorStep = MaxWindowStep<Sample>(kVectorFrames);
template<typename Sample>
constexpr int32 kMaxDoubleStep = MaxWindowStep<Sample>(2 * kVectorFrames);

#define MIXKERNEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// What every pass of one stretch shares.
struct VectorVoice
{
    __m512i gainLeft;   // gains in the upper 16 bits of each lane
    __m512i gainRight;
    __m512i frameOffsets;   // k * step for the frames k of a pass
    __m512i nextOffsets;    // the same for the pass after it
    __m512i firstHalf;      // lanes of the left and right products that make
    __m512i secondHalf;     // up the pass's first and second eight frames
    uint32  length;
};

// The 64 bytes of data from sample `base` on, masked where the sample ends.
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
LoadWindow(uint32 length, const Sample* data, int32 base)
{
    const uint32 bytesLeft = (length - uint32(base)) * sizeof(Sample);
    return bytesLeft >= kWindowBytes
        ? _mm512_loadu_si512(data + base)
        : _mm512_maskz_loadu_epi8((__mmask64(1) << bytesLeft) - 1, data + base);
}

// The sample under each of 16 frames at positions `relative` to the window's first
// sample, in the top byte (word) of its 32-bit lane. Shifting the position left puts its
// whole part straight where the permutation reads the index (13 for bytes, 5 for words).
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
WindowSamples(__m512i window, __m512i relative)
{
    constexpr unsigned toTop = 32 - 8 * sizeof(Sample) - MIX_FRACTION_BITS;
    const __m512i      index = _mm512_maskz_slli_epi32(kAllLanes, relative, toTop);
    if constexpr (sizeof(Sample) == 1)
        return _mm512_maskz_permutexvar_epi8(0x8888888888888888ULL, index, window);
    else
        return _mm512_maskz_permutexvar_epi16(0xAAAAAAAAu, index, window);
}

// Adds `count` frames (16, or fewer with Partial) whose positions relative to the
// window's first sample are `relative`. A byte (or word) permutation puts each frame's
// sample into the top of its 32-bit lane, where a multiply-add of 16-bit halves
// against a gain in the upper half gives the exact product; the products are then
// interleaved into the sums.
template<typename Sample, bool Partial>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
MixFromWindow(const VectorVoice& v, __m512i window, __m512i relative, int32* out, uint32 count)
{
    const __m512i samples = WindowSamples<Sample>(window, relative);
    const __m512i l = _mm512_madd_epi16(samples, v.gainLeft);
    const __m512i r = _mm512_madd_epi16(samples, v.gainRight);
    const __m512i first = _mm512_permutex2var_epi32(l, v.firstHalf, r);
    const __m512i second = _mm512_permutex2var_epi32(l, v.secondHalf, r);
    if constexpr (!Partial) {
        _mm512_storeu_si512(out, _mm512_add_epi32(_mm512_loadu_si512(out), first));
        _mm512_storeu_si512(out + 16, _mm512_add_epi32(_mm512_loadu_si512(out + 16), second));
    } else {
        const uint32    values = 2 * count;
        const __mmask16 firstMask = values >= 16 ? kAllLanes : __mmask16((1u << values) - 1);
        const __mmask16 secondMask = values > 16 ? __mmask16((1u << (values - 16)) - 1) : 0;
        _mm512_mask_storeu_epi32(
            out, firstMask, _mm512_add_epi32(_mm512_maskz_loadu_epi32(firstMask, out), first));
        _mm512_mask_storeu_epi32(out + 16, secondMask,
            _mm512_add_epi32(_mm512_maskz_loadu_epi32(secondMask, out + 16), second));
    }
}

// Positions relative to sample `base`, for the frames of a pass that starts at
// `position`: subtracting whole samples commutes with the shift to an index.
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
Relative(int32 position, int32 base, __m512i offsets)
{
    return _mm512_add_epi32(_mm512_set1_epi32(position - (base << MIX_FRACTION_BITS)), offsets);
}


// Sixteen frames a pass; two passes share one window while the samples of both fit in
// it (slow steps, the common case); one pass of the frames left.
template<typename Sample>
MIXKERNEL_AVX512 int32
MixStereoVector(const Sample* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    VectorVoice v;
    v.gainLeft = _mm512_set1_epi32(int32(uint32(left) << 16));
    v.gainRight = _mm512_set1_epi32(int32(uint32(right) << 16));
    v.frameOffsets =
        _mm512_mullo_epi32(_mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
            _mm512_set1_epi32(step));
    v.nextOffsets =
        _mm512_add_epi32(v.frameOffsets, _mm512_set1_epi32(int32(kVectorFrames) * step));
    v.firstHalf = _mm512_setr_epi32(0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
    v.secondHalf = _mm512_setr_epi32(8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31);
    v.length = length;

    const int32 passStep = int32(kVectorFrames) * step;
    uint32      i = 0;
    if (step <= kMaxDoubleStep<Sample> && step >= -kMaxDoubleStep<Sample>) {
        // Backwards, the lowest index is the last frame's.
        const int32 lowestOffset = step > 0 ? 0 : int32(2 * kVectorFrames - 1) * step;
        for (; i + 2 * kVectorFrames <= frames; i += 2 * kVectorFrames) {
            const int32   base = (position + lowestOffset) >> MIX_FRACTION_BITS;
            const __m512i window = LoadWindow(v.length, data, base);
            const __m512i relative = Relative(position, base, v.frameOffsets);
            MixFromWindow<Sample, false>(v, window, relative, buffer + 2 * i, kVectorFrames);
            MixFromWindow<Sample, false>(v, window, Relative(position, base, v.nextOffsets),
                buffer + 2 * i + 32, kVectorFrames);
            position += 2 * passStep;
        }
    }
    const int32 lowestOffset = step > 0 ? 0 : int32(kVectorFrames - 1) * step;
    for (; i + kVectorFrames <= frames; i += kVectorFrames) {
        const int32 base = (position + lowestOffset) >> MIX_FRACTION_BITS;
        MixFromWindow<Sample, false>(v, LoadWindow(v.length, data, base),
            Relative(position, base, v.frameOffsets), buffer + 2 * i, kVectorFrames);
        position += passStep;
    }
    const uint32 rest = frames - i;
    if (rest != 0) {
        const int32 base =
            (position + (step > 0 ? 0 : int32(rest - 1) * step)) >> MIX_FRACTION_BITS;
        MixFromWindow<Sample, true>(v, LoadWindow(v.length, data, base),
            Relative(position, base, v.frameOffsets), buffer + 2 * i, rest);
        position += int32(rest) * step;
    }
    return position;
}


template<typename Sample>
int32
MixStereoAvx512Of(const Sample* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    const int64 last = position + int64(step) * (int64(frames) - 1);
    // Fast steps, and stretches that read where `length` says there is nothing, go
    // through the block loop.
    if (frames == 0
        || step > kMaxVectorStep<Sample> || step < -kMaxVectorStep<Sample> || position < 0
        || last < 0 || (position >> MIX_FRACTION_BITS) >= int64(length)
        || (last >> MIX_FRACTION_BITS) >= int64(length)) {
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
        const __m512i shifted =
            _mm512_maskz_srai_epi32(kAllLanes, _mm512_loadu_si512(buffer + i), 9);
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

// The tiles of a pass: 64 frames whose left and right sums stay apart in eight
// registers (a pair for each 16 frames) until every stretch in the tile is added.
const uint32 kTileFrames = 4 * kVectorFrames;

struct TileSums
{
    __m512i left[4];
    __m512i right[4];
};

// The fastest step at which the samples of a whole tile lie within one window.
template<typename Sample>
constexpr int32 kMaxTileStep = MaxWindowStep<Sample>(kTileFrames);

// Adds the frames `lanes` of 16 (bit k: frame k) at positions `relative` to the
// window's first sample: the multiply-add of MixFromWindow, the lanes outside the
// stretch masked off.
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
AddLanes(__m512i window, __m512i relative, __mmask16 lanes, __m512i gainLeft, __m512i gainRight,
    __m512i& left, __m512i& right)
{
    const __m512i samples = WindowSamples<Sample>(window, relative);
    left = _mm512_add_epi32(left, _mm512_maskz_madd_epi16(lanes, samples, gainLeft));
    right = _mm512_add_epi32(right, _mm512_maskz_madd_epi16(lanes, samples, gainRight));
}


// A whole tile from one forward stretch at `zero`: one window for all 64 frames when
// the step allows, else one for each half or each quarter, and no lanes to mask.
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
AddWholeTile(const PassStretch& s, uint32 zero, TileSums& sums)
{
    const Sample* data = static_cast<const Sample*>(s.data);
    const __m512i gainLeft = _mm512_set1_epi32(s.gainLeft);
    const __m512i gainRight = _mm512_set1_epi32(s.gainRight);
    const __m512i quarter = _mm512_set1_epi32(s.step * int32(kVectorFrames));
    const __m512i offsets = _mm512_load_si512(s.offsets);
    __m512i       window;
    __m512i       relative;
#pragma GCC unroll 4
    for (uint32 q = 0; q < 4; q++) {
        if (q == 0
            || (q == 2 && s.step > kMaxTileStep<Sample>) || s.step > kMaxDoubleStep<Sample>) {
            const uint32 from = zero + q * kVectorFrames * uint32(s.step);
            const int32  base = int32(from) >> MIX_FRACTION_BITS;
            window = LoadWindow(s.length, data, base);
            relative = _mm512_add_epi32(
                _mm512_set1_epi32(int32(from - (uint32(base) << MIX_FRACTION_BITS))), offsets);
        } else {
            relative = _mm512_add_epi32(relative, quarter);
        }
        AddLanes<Sample>(
            window, relative, kAllLanes, gainLeft, gainRight, sums.left[q], sums.right[q]);
    }
}


// Adds the frames of one stretch that fall in the tile starting at pass frame `first`,
// 16 at a time, each with its own window. `zero` is the position the stretch would have
// at the tile's frame 0; frames outside the stretch only count from it and are masked
// off.
template<typename Sample>
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
AddStretchToTile(const PassStretch& s, uint32 first, TileSums& sums)
{
    const Sample* data = static_cast<const Sample*>(s.data);
    const uint32  lo = s.first > first ? s.first - first : 0;
    const uint32  hi = s.end - first < kTileFrames ? s.end - first : kTileFrames;
    const uint64  lanes =
        (hi == kTileFrames ? ~uint64(0) : (uint64(1) << hi) - 1) & ~((uint64(1) << lo) - 1);
    const uint32  step = uint32(s.step);
    const uint32  zero = uint32(s.position) + (first - s.first) * step;
    const __m512i offsets = _mm512_load_si512(s.offsets);
    const __m512i gainLeft = _mm512_set1_epi32(s.gainLeft);
    const __m512i gainRight = _mm512_set1_epi32(s.gainRight);
#pragma GCC unroll 4
    for (uint32 q = 0; q < 4; q++) {
        const uint32 quarterLanes = uint32(lanes >> (q * kVectorFrames)) & 0xFFFF;
        if (quarterLanes == 0)
            continue;
        const uint32 from = zero + q * kVectorFrames * step;
        // Backwards, the lowest index is the last frame's.
        const uint32 lowest =
            s.step >= 0 ? __builtin_ctz(quarterLanes) : 31 - __builtin_clz(quarterLanes);
        const int32   base = int32(from + lowest * step) >> MIX_FRACTION_BITS;
        const __m512i relative = _mm512_add_epi32(
            _mm512_set1_epi32(int32(from - (uint32(base) << MIX_FRACTION_BITS))), offsets);
        AddLanes<Sample>(LoadWindow(s.length, data, base), relative, __mmask16(quarterLanes),
            gainLeft, gainRight, sums.left[q], sums.right[q]);
    }
}


// 16 frames of left and right sums clipped to interleaved 16-bit values: a saturating
// pack puts four left then four right values in each 128-bit lane, and a byte shuffle
// within the lanes interleaves them, so the lanes hold frames 0-3, 4-7, 8-11, 12-15.
MIXKERNEL_AVX512 inline __attribute__((always_inline)) __m512i
ClipFrames(__m512i left, __m512i right)
{
    // Bytes 0 1 8 9, 2 3 10 11, 4 5 12 13, 6 7 14 15 of each lane.
    const __m512i interleave = _mm512_set4_epi32(0x0F0E0706, 0x0D0C0504, 0x0B0A0302, 0x09080100);
    const __m512i packed = _mm512_packs_epi32(
        _mm512_maskz_srai_epi32(kAllLanes, left, 9), _mm512_maskz_srai_epi32(kAllLanes, right, 9));
    return _mm512_shuffle_epi8(packed, interleave);
}


// Adds 16 frames of interleaved sums from the accumulator to the left and right sums,
// and clears them there.
MIXKERNEL_AVX512 inline __attribute__((always_inline)) void
TakeSums(int32* sums, __m512i& left, __m512i& right)
{
    const __m512i evens =
        _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
    const __m512i odds = _mm512_add_epi32(evens, _mm512_set1_epi32(1));
    const __m512i a = _mm512_loadu_si512(sums);
    const __m512i b = _mm512_loadu_si512(sums + 16);
    left = _mm512_add_epi32(left, _mm512_permutex2var_epi32(a, evens, b));
    right = _mm512_add_epi32(right, _mm512_permutex2var_epi32(a, odds, b));
    _mm512_storeu_si512(sums, _mm512_setzero_si512());
    _mm512_storeu_si512(sums + 16, _mm512_setzero_si512());
}

// AVX2 passes of eight frames: each 128-bit half of a register takes four frames and a
// window of the 16 bytes of data from the lowest index they read. A byte shuffle puts
// each frame's sample into the top of its lane and a multiply-add of 16-bit halves
// gives the exact product, as in the AVX-512 passes. AVX2 has no masked byte loads, so
// a pass whose windows would reach past the sample's end goes through the block loop.
const uint32 kHalfFrames = 4;
const uint32 kHalfWindowBytes = 16;

template<typename Sample>
constexpr int32 kMaxHalfStep = int32(
    ((kHalfWindowBytes / sizeof(Sample) - 1) * MIX_FRACTION_ONE - (MIX_FRACTION_ONE - 1))
    / (kHalfFrames - 1));

template<typename Sample>
__attribute__((target("avx2"))) int32
MixStereoShuffle(const Sample* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    const __m256i gainLeft = _mm256_set1_epi32(int32(uint32(left) << 16));
    const __m256i gainRight = _mm256_set1_epi32(int32(uint32(right) << 16));
    const __m256i frameOffsets =
        _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), _mm256_set1_epi32(step));
    // Backwards, the lowest index of a half is its last frame's.
    const int32 lowestOffset = step > 0 ? 0 : int32(kHalfFrames - 1) * step;
    const int32 halfStep = int32(kHalfFrames) * step;
    const int64 windowSamples = kHalfWindowBytes / sizeof(Sample);

    uint32 i = 0;
    for (; i + 2 * kHalfFrames <= frames; i += 2 * kHalfFrames) {
        const int32 low = (position + lowestOffset) >> MIX_FRACTION_BITS;
        const int32 high = (position + halfStep + lowestOffset) >> MIX_FRACTION_BITS;
        int32*      out = buffer + 2 * i;
        if (int64(low > high ? low : high) + windowSamples > int64(length)) {
            position = MixStereoBlocks(data, out, position, step, 2 * kHalfFrames, left, right);
            continue;
        }
        const __m256i window = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + low))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + high)), 1);
        // Subtracting whole samples commutes with the shift to an index.
        const int32   lowBase = low << MIX_FRACTION_BITS;
        const int32   highBase = high << MIX_FRACTION_BITS;
        const __m256i relative =
            _mm256_sub_epi32(_mm256_add_epi32(_mm256_set1_epi32(position), frameOffsets),
                _mm256_setr_epi32(
                    lowBase, lowBase, lowBase, lowBase, highBase, highBase, highBase, highBase));
        // Shuffle control: the sample's byte(s) in the top of each lane, and bytes with
        // the high bit set, which the shuffle clears, below.
        __m256i control;
        if constexpr (sizeof(Sample) == 1) {
            control =
                _mm256_or_si256(_mm256_slli_epi32(relative, 13), _mm256_set1_epi32(0x00808080));
        } else {
            control = _mm256_add_epi32(
                _mm256_mullo_epi32(_mm256_srai_epi32(relative, 11), _mm256_set1_epi32(0x02020000)),
                _mm256_set1_epi32(0x01008080));
        }
        const __m256i samples = _mm256_shuffle_epi8(window, control);
        const __m256i l = _mm256_madd_epi16(samples, gainLeft);
        const __m256i r = _mm256_madd_epi16(samples, gainRight);
        // Frames 0, 1, 4, 5 and 2, 3, 6, 7 as left-right pairs, then put in order.
        const __m256i pairsLow = _mm256_unpacklo_epi32(l, r);
        const __m256i pairsHigh = _mm256_unpackhi_epi32(l, r);
        __m256i*      sums = reinterpret_cast<__m256i*>(out);
        _mm256_storeu_si256(sums,
            _mm256_add_epi32(
                _mm256_loadu_si256(sums), _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x20)));
        _mm256_storeu_si256(sums + 1,
            _mm256_add_epi32(_mm256_loadu_si256(sums + 1),
                _mm256_permute2x128_si256(pairsLow, pairsHigh, 0x31)));
        position += 2 * halfStep;
    }
    return MixStereoBlocks(data, buffer + 2 * i, position, step, frames - i, left, right);
}


template<typename Sample>
__attribute__((target("avx2"))) int32
MixStereoAvx2Of(const Sample* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    const int64 last = position + int64(step) * (int64(frames) - 1);
    // As in the AVX-512 set: fast steps and stretches outside `length` use the blocks.
    if (frames == 0 || step > kMaxHalfStep<Sample> || step < -kMaxHalfStep<Sample> || position < 0
        || last < 0 || (position >> MIX_FRACTION_BITS) >= int64(length)
        || (last >> MIX_FRACTION_BITS) >= int64(length)) {
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
MixStereoAvx2(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    return MixStereoAvx2Of(data, buffer, position, step, frames, left, right, length);
}


int32
MixStereoAvx512(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    return MixStereoAvx512Of(data, buffer, position, step, frames, left, right, length);
}


int32
MixStereoAvx512(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32 length)
{
    return MixStereoAvx512Of(data, buffer, position, step, frames, left, right, length);
}


MIXKERNEL_AVX512 bool
TilesTakeStretch(PassStretch& stretch, int64 position, int64 step)
{
    const int64 maxStep = stretch.wide ? kMaxVectorStep<int16> : kMaxVectorStep<int8>;
    const int64 last = position + step * (int64(stretch.end - stretch.first) - 1);
    const int64 length = stretch.length;
    if (stretch.end <= stretch.first || step > maxStep || step < -maxStep || position < 0
        || last < 0 || position > INT32_MAX || last > INT32_MAX
        || (position >> MIX_FRACTION_BITS) >= length || (last >> MIX_FRACTION_BITS) >= length)
        return false;
    stretch.position = int32(position);
    stretch.step = int32(step);
    stretch.forwards = step >= 0;
    _mm512_store_si512(stretch.offsets,
        _mm512_mullo_epi32(_mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15),
            _mm512_set1_epi32(int32(step))));
    return true;
}


// Where each voice's stretches have got to: the stretch the next tile starts in, and
// its position at that tile's frame 0.
struct TileCursor
{
    const PassStretch* stretch;
    const PassStretch* end;
    uint32             zero;
};

inline uint32
ZeroAt(const PassStretch& s, uint32 first)
{
    return uint32(s.position) + (first - s.first) * uint32(s.step);
}


// Each voice's stretches are visited in frame order, from where the last tile left it;
// a forward stretch that covers a whole tile takes the short way.
MIXKERNEL_AVX512 void
MixPassTiles(int16* output, uint32 frames, const PassPlan& plan, int32* sums)
{
    TileCursor cursors[PassPlan::kCapacity];
    for (uint32 g = 0; g < plan.groups; g++) {
        const PassStretch* begin = plan.stretches + (g == 0 ? 0 : plan.groupEnds[g - 1]);
        cursors[g] = { begin, plan.stretches + plan.groupEnds[g], ZeroAt(*begin, 0) };
    }

    for (uint32 first = 0; first < frames; first += kTileFrames) {
        const uint32 end = first + kTileFrames;
        TileSums     tile;
#pragma GCC unroll 4
        for (uint32 q = 0; q < 4; q++) {
            tile.left[q] = _mm512_setzero_si512();
            tile.right[q] = _mm512_setzero_si512();
        }
        for (uint32 g = 0; g < plan.groups; g++) {
            TileCursor&        cursor = cursors[g];
            const PassStretch* s = cursor.stretch;
            if (s == cursor.end)
                continue;
            if (s->forwards && s->first <= first && s->end > end) {
                if (s->wide)
                    AddWholeTile<int16>(*s, cursor.zero, tile);
                else
                    AddWholeTile<int8>(*s, cursor.zero, tile);
                cursor.zero += uint32(s->step) * kTileFrames;
                continue;
            }
            for (; s != cursor.end && s->first < end; s++) {
                if (s->wide)
                    AddStretchToTile<int16>(*s, first, tile);
                else
                    AddStretchToTile<int8>(*s, first, tile);
                if (s->end > end)
                    break;
            }
            cursor.stretch = s;
            if (s != cursor.end)
                cursor.zero = ZeroAt(*s, end);
        }
        int16*       out = output + 2 * first;
        const uint32 values = end <= frames ? 2 * kTileFrames : 2 * (frames - first);
#pragma GCC unroll 4
        for (uint32 q = 0; q < 4; q++) {
            if (plan.sumsUsed)
                TakeSums(sums + 2 * first + 2 * kVectorFrames * q, tile.left[q], tile.right[q]);
            const __m512i clipped = ClipFrames(tile.left[q], tile.right[q]);
            const uint32  from = 2 * kVectorFrames * q;
            if (values >= from + 2 * kVectorFrames)
                _mm512_storeu_si512(out + from, clipped);
            else if (values > from)
                _mm512_mask_storeu_epi16(
                    out + from, (__mmask32(1) << (values - from)) - 1, clipped);
        }
    }
}

#else

int32
MixStereoAvx2(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx2(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx512(const int8* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


int32
MixStereoAvx512(const int16* data, int32* buffer, int32 position, int32 step, uint32 frames,
    int32 left, int32 right, uint32)
{
    return MixStereoBlocks(data, buffer, position, step, frames, left, right);
}


bool
TilesTakeStretch(PassStretch&, int64, int64)
{
    return false;
}


void
MixPassTiles(int16*, uint32, const PassPlan&, int32*)
{
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
            const __m128i a =
                _mm_srai_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(buffer + i)), 9);
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


// Rarely used, so plain: the product is taken wide, then shifted and clipped.
void
Convert16GainAndClear(int16* output, int32* buffer, int64 count, int32 gain)
{
    for (int64 i = 0; i < count; i++) {
        const int64 v = (int64(buffer[i]) * gain) >> (16 + 9);
        output[i] = int16(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
        buffer[i] = 0;
    }
}

}   // namespace MixKernel
