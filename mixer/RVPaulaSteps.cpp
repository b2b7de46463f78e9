// The band-limited steps, placed from the table designed at build time.
#include "mixer/RVPaulaSteps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "mixer/MixKernel.h"

#include "mixer/PaulaStepDesign.h"

#include "PaulaStepTable.inc"

namespace {

using paulasteps::K;
using paulasteps::kPhases;
using paulasteps::kTaps;
static_assert(K == RVPaulaSteps::STEP_HALF_WIDTH && kPhases == RVPaulaSteps::STEP_PHASES);

}   // namespace


RVPaulaSteps::RVPaulaSteps()
    : rows(&paulasteps::kTable.residual[0][0]), slopes(&paulasteps::kTable.slope[0][0])
{
    avx2 = MixKernel::ActiveKernels() >= MixKernel::KERNELS_AVX2;
}


void
RVPaulaSteps::Reset(uint32 frames)
{
    for (Side& side : sides) {
        side.deltas.assign(size_t(frames) + kTaps, 0);
        side.residuals.assign(size_t(frames) + kTaps, 0.0f);
    }
}


// Built twice, the spread taking twice the lanes where the processor has AVX2: the same
// arithmetic (no fused multiply-add), so the same sums. Chosen here rather than by the
// compiler's function clones, which not every toolchain links.
void
RVPaulaSteps::Step(double time, int32 left, int32 right)
{
#if defined(__x86_64__) || defined(__i386__)
    if (avx2) {
        StepAvx2(time, left, right);
        return;
    }
#endif
    Place(time, left, right);
}


#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) void
RVPaulaSteps::StepAvx2(double time, int32 left, int32 right)
{
    Place(time, left, right);
}
#endif


void
RVPaulaSteps::Changes(uint32 from, uint32 to, RVStereo& before, RVStereo* out)
{
#if defined(__x86_64__) || defined(__i386__)
    if (avx2)
        ChangesAvx2(from, to, before, out);
    else
#endif
        ChangesOneByOne(from, to, before, out);
    Clear(from, to);
}


void
RVPaulaSteps::ChangesOneByOne(uint32 from, uint32 to, RVStereo& before, RVStereo* out)
{
    const int32* deltasLeft = sides[0].deltas.data();
    const int32* deltasRight = sides[1].deltas.data();
    const float* residualsLeft = sides[0].residuals.data();
    const float* residualsRight = sides[1].residuals.data();
    for (uint32 k = from; k < to; k++) {
        const RVStereo r { double(residualsLeft[k]), double(residualsRight[k]) };
        out[k - from] = RVStereo { double(deltasLeft[k]), double(deltasRight[k]) } + (r - before);
        before = r;
    }
}


#if defined(__x86_64__) || defined(__i386__)
namespace {

// Four frames of a side's changes.
__attribute__((target("avx2"), always_inline)) inline __m256d
SideChanges(const int32* deltas, const float* residuals)
{
    const __m256d d = _mm256_cvtepi32_pd(_mm_loadu_si128((const __m128i*)deltas));
    const __m256d r = _mm256_cvtps_pd(_mm_loadu_ps(residuals));
    const __m256d p = _mm256_cvtps_pd(_mm_loadu_ps(residuals - 1));
    return _mm256_add_pd(d, _mm256_sub_pd(r, p));
}

}   // namespace


// Four frames a side at a time: the residual before each is read from the buffer, which
// holds it from the pass's second frame on, and left and right are then interleaved.
__attribute__((target("avx2"))) void
RVPaulaSteps::ChangesAvx2(uint32 from, uint32 to, RVStereo& before, RVStereo* out)
{
    if (from == to)
        return;
    ChangesOneByOne(from, from + 1, before, out);
    const int32* deltasLeft = sides[0].deltas.data();
    const int32* deltasRight = sides[1].deltas.data();
    const float* residualsLeft = sides[0].residuals.data();
    const float* residualsRight = sides[1].residuals.data();
    uint32       k = from + 1;
    for (; k + 4 <= to; k += 4) {
        const __m256d left = SideChanges(deltasLeft + k, residualsLeft + k);
        const __m256d right = SideChanges(deltasRight + k, residualsRight + k);
        const __m256d even = _mm256_unpacklo_pd(left, right);   // frames 0 and 2
        const __m256d odd = _mm256_unpackhi_pd(left, right);    // frames 1 and 3
        double*       to4 = reinterpret_cast<double*>(out + (k - from));
        _mm256_storeu_pd(to4, _mm256_permute2f128_pd(even, odd, 0x20));
        _mm256_storeu_pd(to4 + 4, _mm256_permute2f128_pd(even, odd, 0x31));
    }
    if (k > from + 1)
        before = RVStereo { double(residualsLeft[k - 1]), double(residualsRight[k - 1]) };
    ChangesOneByOne(k, to, before, out + (k - from));
}
#endif


void
RVPaulaSteps::Clear(uint32 from, uint32 to)
{
    for (Side& side : sides) {
        std::fill(side.deltas.begin() + from, side.deltas.begin() + to, 0);
        std::fill(side.residuals.begin() + from, side.residuals.begin() + to, 0.0f);
    }
}


void
RVPaulaSteps::Finish(uint32 frames)
{
    // The tail becomes the start of the next pass. The frames read are cleared; what is
    // left to clear is the tail's old place beyond the new one.
    const size_t clearFrom = std::max<size_t>(frames, kTaps);
    const size_t clearTo = size_t(frames) + kTaps;
    for (Side& side : sides) {
        int32* deltas = side.deltas.data();
        float* residuals = side.residuals.data();
        std::memmove(deltas, deltas + frames, kTaps * sizeof(int32));
        std::memmove(residuals, residuals + frames, kTaps * sizeof(float));
        std::fill(deltas + clearFrom, deltas + clearTo, 0);
        std::fill(residuals + clearFrom, residuals + clearTo, 0.0f);
    }
}
