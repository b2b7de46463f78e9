// The band-limited step: the integral of a Kaiser-windowed sinc, tabled at fractions of
// a frame.
#include "mixer/RVPaulaSteps.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "mixer/MixKernel.h"

namespace {

const int32 K = RVPaulaSteps::STEP_HALF_WIDTH;
const int32 kTaps = 2 * K;
const int32 kPhases = 128;   // fractions of a frame, read with linear interpolation

// The impulse behind the step: a sinc cut at 20.5 kHz of 44.1 kHz, windowed with Kaiser
// beta 8.6 over +-16 frames. It passes 0.0 dB at 16 kHz and -0.2 dB at 18 kHz, and
// whatever lies above 26 kHz (which would fold below 18 kHz) is down by 89 dB or more.
const double kCutoff = 20500.0 / 44100.0;   // of the frame rate, so sinc(2 * kCutoff * t)
const double kBeta = 8.6;

double
BesselI0(double x)
{
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 40; k++) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-17)
            break;
    }
    return sum;
}

double
Impulse(double t)
{
    static const double window = BesselI0(kBeta);
    const double        r = t / K;
    if (r <= -1.0 || r >= 1.0)
        return 0.0;
    const double x = 2.0 * kCutoff * t;
    const double sinc = x == 0.0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
    return 2.0 * kCutoff * sinc * BesselI0(kBeta * std::sqrt(1.0 - r * r)) / window;
}

// residual[phase][j]: for a step at fraction f = phase / kPhases after a frame n, the
// band-limited step minus the plain one (which starts at frame n + 1) at frame
// n - K + 1 + j. Row kPhases is row 0 of the next frame, so interpolation never wraps.
struct ResidualTable
{
    float residual[kPhases + 1][kTaps];
    float slope[kPhases][kTaps];   // from each row to the next, for the interpolation

    ResidualTable()
    {
        // The step's value at t = -K + q / kPhases, integrated in fine sub-steps and
        // scaled so that it ends at exactly 1.
        const int32 points = kTaps * kPhases;
        const int32 sub = 8;
        // The impulse is even, and its points lie evenly about 0 (they are exact in
        // binary), so the second half is the first read backwards.
        std::vector<double> impulse(size_t(points) * sub);
        const size_t        half = impulse.size() / 2;
        for (size_t n = 0; n < half; n++)
            impulse[n] = Impulse(-K + (double(n / sub) + (double(n % sub) + 0.5) / sub) / kPhases);
        std::copy(impulse.rbegin() + half, impulse.rend(), impulse.begin() + half);
        std::vector<double> step(points + 1, 0.0);
        double              sum = 0.0;
        for (int32 q = 0; q < points; q++) {
            for (int32 s = 0; s < sub; s++)
                sum += impulse[size_t(q) * sub + s];
            step[q + 1] = sum;
        }
        for (double& v : step)
            v /= sum;

        for (int32 phase = 0; phase <= kPhases; phase++) {
            for (int32 j = 0; j < kTaps; j++) {
                // t = j - K + 1 - f, so q = (j + 1) * kPhases - phase.
                const double plain = j >= K ? 1.0 : 0.0;
                residual[phase][j] = float(step[(j + 1) * kPhases - phase] - plain);
            }
        }
        for (int32 phase = 0; phase < kPhases; phase++)
            for (int32 j = 0; j < kTaps; j++)
                slope[phase][j] = residual[phase + 1][j] - residual[phase][j];
    }
};

const ResidualTable&
Table()
{
    static const ResidualTable table;
    return table;
}

// Adds one step's residual, interpolated between two phases, times its level.
inline __attribute__((always_inline)) void
Spread(float* __restrict residuals, const float* __restrict row, const float* __restrict slope,
    float blend, float level)
{
    for (int32 j = 0; j < kTaps; j++)
        residuals[j] += (row[j] + blend * slope[j]) * level;
}

}   // namespace


RVPaulaSteps::RVPaulaSteps() : rows(&Table().residual[0][0]), slopes(&Table().slope[0][0])
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
