// The band-limited step behind RVPaulaSteps: the integral of a Kaiser-windowed sinc,
// tabled at fractions of a frame. Designed at build time (mixer/tables), since the
// design takes longer than a short song's whole render.
#ifndef MIXER_PAULASTEPDESIGN_H
#define MIXER_PAULASTEPDESIGN_H

#include <cmath>
#include <cstdint>
#include <vector>

#include "mixer/Kaiser.h"

namespace paulasteps {

const int32_t K = 16;   // frames on each side of a step
const int32_t kTaps = 2 * K;
const int32_t kPhases = 128;   // fractions of a frame, read with linear interpolation

// The impulse behind the step: a sinc cut at 20.5 kHz of 44.1 kHz, windowed with Kaiser
// beta 8.6 over +-16 frames. It passes 0.0 dB at 16 kHz and -0.2 dB at 18 kHz, and
// whatever lies above 26 kHz (which would fold below 18 kHz) is down by 89 dB or more.
const double kCutoff = 20500.0 / 44100.0;   // of the frame rate, so sinc(2 * kCutoff * t)
const double kBeta = 8.6;

inline double
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
struct Table
{
    float residual[kPhases + 1][kTaps];
    float slope[kPhases][kTaps];   // from each row to the next, for the interpolation

    void Design()
    {
        // The step's value at t = -K + q / kPhases, integrated in fine sub-steps and
        // scaled so that it ends at exactly 1.
        const int32_t points = kTaps * kPhases;
        const int32_t sub = 8;
        // The impulse is even, and its points lie evenly about 0 (they are exact in
        // binary), so the second half is the first read backwards.
        std::vector<double> impulse(size_t(points) * sub);
        const size_t        half = impulse.size() / 2;
        for (size_t n = 0; n < half; n++)
            impulse[n] = Impulse(-K + (double(n / sub) + (double(n % sub) + 0.5) / sub) / kPhases);
        std::copy(impulse.rbegin() + half, impulse.rend(), impulse.begin() + half);
        std::vector<double> step(points + 1, 0.0);
        double              sum = 0.0;
        for (int32_t q = 0; q < points; q++) {
            for (int32_t s = 0; s < sub; s++)
                sum += impulse[size_t(q) * sub + s];
            step[q + 1] = sum;
        }
        for (double& v : step)
            v /= sum;

        for (int32_t phase = 0; phase <= kPhases; phase++) {
            for (int32_t j = 0; j < kTaps; j++) {
                // t = j - K + 1 - f, so q = (j + 1) * kPhases - phase.
                const double plain = j >= K ? 1.0 : 0.0;
                residual[phase][j] = float(step[(j + 1) * kPhases - phase] - plain);
            }
        }
        for (int32_t phase = 0; phase < kPhases; phase++)
            for (int32_t j = 0; j < kTaps; j++)
                slope[phase][j] = residual[phase + 1][j] - residual[phase][j];
    }
};

// The table as designed at build time.
extern const Table kTable;

}   // namespace paulasteps

#endif
