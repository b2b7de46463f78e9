// RVPaulaSteps: the Amiga's DAC output as the sum of its steps, made band-limited.
//
// Paula holds each sample value until the next, so a voice is a staircase in continuous
// time. Every step is written here as it would be after an ideal low-pass just below
// 22.05 kHz: the plain step at the frame after it, which is exact in integers, plus a
// short residual (band-limited step minus plain step) around it. Summing the steps
// frame by frame gives the staircase sampled at 44.1 kHz without its images folding
// back. The residual is symmetric, so the output runs STEP_HALF_WIDTH frames late.
#ifndef MIXER_RVPAULASTEPS_H
#define MIXER_RVPAULASTEPS_H

#include <algorithm>
#include <cmath>
#include <vector>

#include "beos/SupportDefs.h"
#include "mixer/RVAmigaFilters.h"

class RVPaulaSteps
{
public:
    static const int32 STEP_HALF_WIDTH = 16;   // frames on each side of a step
    static const int32 STEP_PHASES = 128;      // fractions of a frame tabled

    RVPaulaSteps();

    // Room for passes of up to `frames` frames; clears everything.
    void Reset(uint32 frames);

    // A step of (left, right) at `time` frames into the pass, -1 < time < frames of the
    // pass. The levels are in the accumulator's units (sample times gain).
    void Step(double time, int32 left, int32 right);
    // Step's body, for a caller's loop built for the processor it runs on: Step chooses
    // the build for each step, which costs as much as placing it.
    inline __attribute__((always_inline)) void Place(double time, int32 left, int32 right);

    // Frames [from, to) of the pass, in order, as changes from the frame before: each
    // frame's plain steps and the difference of the residuals. `before` holds the
    // residual of the frame before `from`, and then of the frame before `to`. What was
    // read is cleared, while it is in the cache; Finish() after the last frame keeps
    // what reaches into the next pass.
    void Changes(uint32 from, uint32 to, RVStereo& before, RVStereo* out);
    void Finish(uint32 frames);

private:
    // A channel's steps in a pass. Channels apart, so that a voice panned to one side
    // (as a MOD's are) writes only there, in runs the compiler can vectorise.
    struct Side
    {
        std::vector<int32> deltas;   // plain steps, frame by frame
        std::vector<float> residuals;
    };

    // Step's build for AVX2 processors.
    void StepAvx2(double time, int32 left, int32 right);
    // Adds one step's residual, interpolated between two phases, times its level.
    static inline __attribute__((always_inline)) void Spread(float* __restrict residuals,
        const float* __restrict row, const float* __restrict slope, float blend, float level)
    {
        for (int32 j = 0; j < 2 * STEP_HALF_WIDTH; j++)
            residuals[j] += (row[j] + blend * slope[j]) * level;
    }
    // Changes' frames one at a time, and four at a time with AVX2: the same sums.
    void ChangesOneByOne(uint32 from, uint32 to, RVStereo& before, RVStereo* out);
    void ChangesAvx2(uint32 from, uint32 to, RVStereo& before, RVStereo* out);
    void Clear(uint32 from, uint32 to);

    Side         sides[2];
    const float* rows;     // the residuals by phase, rows of 2 * STEP_HALF_WIDTH
    const float* slopes;   // from each row to the next
    bool         avx2 = false;
};


// Buffer index i holds frame i - K of the pass: a step at time t reaches back to
// frame floor(t) - K + 1, which is index floor(t) + 1 >= 0.
inline __attribute__((always_inline)) void
RVPaulaSteps::Place(double time, int32 left, int32 right)
{
    const int32 K = STEP_HALF_WIDTH, kTaps = 2 * K, kPhases = STEP_PHASES;
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

#endif
