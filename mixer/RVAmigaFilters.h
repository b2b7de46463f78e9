// RVAmigaFilters: the fixed analogue filters after Paula on the A500 and the A1200, a
// one-pole low-pass and a one-pole high-pass (the output's coupling capacitor), for one
// stereo channel each; and the digital section that stands in for an analogue filter.
#ifndef MIXER_RVAMIGAFILTERS_H
#define MIXER_RVAMIGAFILTERS_H

#include "mixer/MixerSettings.h"

// The corners of the models' filters in Hz, from their component values.
double AmigaLowPassCorner(MixAmigaModel model);
double AmigaHighPassCorner(MixAmigaModel model);

// y = b0 x + b1 x[-1] + b2 x[-2] + a1 y[-1] + a2 y[-2], for a low-pass whose analogue
// model is known. The bilinear transform bends the curve near half the frame rate (an
// A500's low-pass would lose 5 dB too many at 16 kHz). Here the poles are the analogue
// ones mapped exactly, z = e^(s / fs), and the numerator makes the digital gain equal
// the analogue one at DC and at two more frequencies, which keeps it within 0.1 dB up to
// 16 kHz.
struct RVBiquad
{
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;

    // Poles given by a1, a2 (the feedback coefficients above); powerA and powerB are
    // the analogue |H|^2 at fa and fb Hz.
    void Match(double poleA1, double poleA2, double rate, double fa, double powerA, double fb,
        double powerB);
};

// One channel's state of a biquad.
struct RVBiquadState
{
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;

    double Run(const RVBiquad& f, double x)
    {
        const double y = f.b0 * x + f.b1 * x1 + f.b2 * x2 + f.a1 * y1 + f.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    // Values too small to hear are dropped before they turn subnormal.
    void Flush();
};

class RVAmigaFilters
{
public:
    // One channel's state of both filters.
    struct State
    {
        RVBiquadState low;
        double        highIn = 0.0, highOut = 0.0;
    };

    void Design(MixAmigaModel model, double rate);
    void Reset();
    // Filters `count` interleaved stereo frames in place.
    void Run(double* frames, uint32 count);

    // The same a frame at a time, for a caller that runs further stages in its own
    // loop: both channels' chains interleaved keep the processor busy where one alone
    // waits on its feedback. Settle() after each stretch.
    double Process(State& s, double x) const
    {
        const double y = s.low.Run(lowPass, x);
        s.highOut = highPole * s.highOut + highGain * (y - s.highIn);
        s.highIn = y;
        return s.highOut;
    }
    static void Settle(State& s);
    State&      Channel(int c) { return state[c]; }

private:
    RVBiquad lowPass;
    double   highPole = 0.0, highGain = 1.0;
    State    state[2];
};

#endif
