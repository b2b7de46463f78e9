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
#include <vector>

#include "beos/SupportDefs.h"
#include "mixer/RVAmigaFilters.h"

class RVPaulaSteps
{
public:
    static const int32 STEP_HALF_WIDTH = 16;   // frames on each side of a step

    RVPaulaSteps();

    // Room for passes of up to `frames` frames; clears everything.
    void Reset(uint32 frames);

    // A step of (left, right) at `time` frames into the pass, -1 < time < frames of the
    // pass. The levels are in the accumulator's units (sample times gain).
    void Step(double time, int32 left, int32 right);

    // Reads the pass frame by frame, in order, for a caller's own loop, as the change
    // from the frame before: the frame's plain steps and the difference of the
    // residuals. Clear() what was read (at hand in the cache then), Finish() after the
    // last frame keeps what reaches into the next pass.
    class Reader
    {
    public:
        explicit Reader(RVPaulaSteps& steps)
            : deltasLeft(steps.sides[0].deltas.data()), deltasRight(steps.sides[1].deltas.data()),
              residualsLeft(steps.sides[0].residuals.data()),
              residualsRight(steps.sides[1].residuals.data())
        {
        }
        // `before` holds the residual of the frame before, and then of this one.
        RVStereo Change(uint32 i, RVStereo& before)
        {
            const RVStereo r { double(residualsLeft[i]), double(residualsRight[i]) };
            const RVStereo change =
                RVStereo { double(deltasLeft[i]), double(deltasRight[i]) } + (r - before);
            before = r;
            return change;
        }
        void Clear(uint32 from, uint32 to)
        {
            std::fill(deltasLeft + from, deltasLeft + to, 0);
            std::fill(deltasRight + from, deltasRight + to, 0);
            std::fill(residualsLeft + from, residualsLeft + to, 0.0f);
            std::fill(residualsRight + from, residualsRight + to, 0.0f);
        }

    private:
        int32* deltasLeft;
        int32* deltasRight;
        float* residualsLeft;
        float* residualsRight;
    };
    void Finish(uint32 frames);

private:
    // A channel's steps in a pass. Channels apart, so that a voice panned to one side
    // (as a MOD's are) writes only there, in runs the compiler can vectorise.
    struct Side
    {
        std::vector<int32> deltas;   // plain steps, frame by frame
        std::vector<float> residuals;
    };

    // Step's body, and its build for AVX2 processors.
    void Place(double time, int32 left, int32 right);
    void StepAvx2(double time, int32 left, int32 right);

    Side         sides[2];
    const float* rows;     // the residuals by phase, rows of 2 * STEP_HALF_WIDTH
    const float* slopes;   // from each row to the next
    bool         avx2 = false;
};

#endif
