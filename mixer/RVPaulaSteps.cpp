// The band-limited steps, placed from the table designed at build time.
#include "mixer/RVPaulaSteps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mixer/MixKernel.h"

#include "mixer/PaulaStepDesign.h"

#include "PaulaStepTable.inc"

namespace {

using paulasteps::K;
using paulasteps::kPhases;
using paulasteps::kTaps;
static_assert(K == RVPaulaSteps::STEP_HALF_WIDTH);

// Adds one step's residual, interpolated between two phases, times its level.
inline __attribute__((always_inline)) void
Spread(float* __restrict residuals, const float* __restrict row, const float* __restrict slope,
    float blend, float level)
{
    for (int32 j = 0; j < kTaps; j++)
        residuals[j] += (row[j] + blend * slope[j]) * level;
}

}   // namespace


RVPaulaSteps::RVPaulaSteps()
    : rows(&paulasteps::kTable.residual[0][0]), slopes(&paulasteps::kTable.slope[0][0])
{
    avx2 = MixKernel::KernelsAvailable(MixKernel::KERNELS_AVX2);
}


void
RVPaulaSteps::Reset(uint32 frames)
{
    for (Side& side : sides) {
        side.deltas.assign(size_t(frames) + kTaps, 0);
        side.residuals.assign(size_t(frames) + kTaps, 0.0f);
    }
}


// Buffer index i holds frame i - K of the pass: a step at time t reaches back to
// frame floor(t) - K + 1, which is index floor(t) + 1 >= 0.
inline __attribute__((always_inline)) void
RVPaulaSteps::Place(double time, int32 left, int32 right)
{
    // Times outside the pass are held at its edges, so no step writes outside the buffer.
    const double last = double(sides[0].deltas.size() - kTaps) - 1e-6;
    time = std::clamp(time, -1.0 + 1e-9, last);
    const double whole = std::floor(time);
    const double where = (time - whole) * kPhases;
    const int32  phase = std::min(int32(where), kPhases - 1);
    const float  blend = float(where - phase);
    const size_t base = size_t(int64(whole) + 1);

    const float* row = rows + phase * kTaps;
    const float* slope = slopes + phase * kTaps;
    if (left != 0) {
        sides[0].deltas[base + K] += left;
        Spread(&sides[0].residuals[base], row, slope, blend, float(left));
    }
    if (right != 0) {
        sides[1].deltas[base + K] += right;
        Spread(&sides[1].residuals[base], row, slope, blend, float(right));
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
