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

// Left and right side by side: one instruction filters both channels. The arithmetic
// of each is that of a plain double.
typedef double RVStereo __attribute__((vector_size(16)));

inline RVStereo
RVBoth(double v)
{
    return RVStereo { v, v };
}

// A stereo signal's state in a biquad.
struct RVBiquadState
{
    RVStereo x1 = {}, x2 = {}, y1 = {}, y2 = {};

    RVStereo Run(const RVBiquad& f, RVStereo x)
    {
        const RVStereo y = RVBoth(f.b0) * x + RVBoth(f.b1) * x1 + RVBoth(f.b2) * x2
            + RVBoth(f.a1) * y1 + RVBoth(f.a2) * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
    // The same for a filter with one pole (a2 = 0), a term shorter.
    RVStereo RunOnePole(const RVBiquad& f, RVStereo x)
    {
        const RVStereo y =
            RVBoth(f.b0) * x + RVBoth(f.b1) * x1 + RVBoth(f.b2) * x2 + RVBoth(f.a1) * y1;
        x2 = x1;
        x1 = x;
        y1 = y;
        return y;
    }
    // Values too small to hear are dropped, each channel's apart, before they turn
    // subnormal.
    void Flush();
};

class RVAmigaFilters
{
public:
    // The state of both filters.
    struct State
    {
        RVBiquadState low;
        RVStereo      highIn = {}, highOut = {};
    };

    void Design(MixAmigaModel model, double rate);
    void Reset();
    // Filters `count` interleaved stereo frames in place.
    void Run(double* frames, uint32 count);

    // The same a frame at a time, for a caller that runs further stages in its own
    // loop. Settle() after each stretch.
    RVStereo Process(State& s, RVStereo x) const
    {
        const RVStereo y = s.low.RunOnePole(lowPass, x);   // both models' have one pole
        s.highOut = RVBoth(highPole) * s.highOut + RVBoth(highGain) * (y - s.highIn);
        s.highIn = y;
        return s.highOut;
    }
    // Two frames at once, in place. The second frame's output is written in terms of the
    // state before the first, so that each filter's feedback takes one multiply and one
    // add per two frames where Process takes them for each: that feedback, not the
    // arithmetic, bounds the speed. The same filters, rounded a little differently.
    void ProcessTwo(State& s, RVStereo& x0, RVStereo& x1) const
    {
        const RVStereo b0 = RVBoth(lowPass.b0), b1 = RVBoth(lowPass.b1);
        const RVStereo b2 = RVBoth(lowPass.b2), a1 = RVBoth(lowPass.a1);
        const RVStereo f0 = b0 * x0 + b1 * s.low.x1 + b2 * s.low.x2;
        const RVStereo f1 = b0 * x1 + b1 * x0 + b2 * s.low.x1;
        const RVStereo y0 = f0 + a1 * s.low.y1;
        const RVStereo y1 = (f1 + a1 * f0) + RVBoth(lowPoleSquare) * s.low.y1;
        s.low.x2 = x0;
        s.low.x1 = x1;
        s.low.y1 = y1;

        const RVStereo pole = RVBoth(highPole), gain = RVBoth(highGain);
        const RVStereo h0 = gain * (y0 - s.highIn);
        const RVStereo h1 = gain * (y1 - y0);
        x0 = pole * s.highOut + h0;
        x1 = (pole * h0 + h1) + RVBoth(highPoleSquare) * s.highOut;
        s.highIn = y1;
        s.highOut = x1;
    }
    static void Settle(State& s);
    State&      Current() { return state; }

private:
    RVBiquad lowPass;
    double   highPole = 0.0, highGain = 1.0;
    double   lowPoleSquare = 0.0, highPoleSquare = 0.0;
    State    state;
};

#endif
