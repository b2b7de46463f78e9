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
    // Values too small to hear are dropped, each channel's apart, before they turn
    // subnormal.
    void Flush();
};

class RVAmigaFilters
{
public:
    // The low-pass and the high-pass are run as one section of two poles, and on the
    // changes of the input from frame to frame rather than on the input itself: the
    // high-pass takes differences anyway, and the input is a sum of steps, whose changes
    // come as they are. The state: the changes and the outputs before.
    struct State
    {
        RVStereo u1 = {}, u2 = {}, z1 = {}, z2 = {};
    };

    void Design(MixAmigaModel model, double rate);
    void Reset();
    // Filters `count` interleaved stereo frames in place.
    void Run(double* frames, uint32 count);

    // A frame from its change, for a caller that runs further stages in its own loop.
    // Settle() after each stretch.
    RVStereo Process(State& s, RVStereo u) const
    {
        const RVStereo f = RVBoth(c0) * u + RVBoth(c1) * s.u1 + RVBoth(c2) * s.u2;
        const RVStereo z = f + (RVBoth(f1) * s.z1 + RVBoth(f2) * s.z2);
        s.u2 = s.u1;
        s.u1 = u;
        s.z2 = s.z1;
        s.z1 = z;
        return z;
    }
    // Two frames at once, in place. The second frame's output is written in terms of the
    // state before the first, so that the feedback takes one step per two frames: the
    // feedback, not the arithmetic, bounds the speed.
    void ProcessTwo(State& s, RVStereo& u0, RVStereo& u1) const
    {
        const RVStereo f0 = RVBoth(c0) * u0 + RVBoth(c1) * s.u1 + RVBoth(c2) * s.u2;
        const RVStereo f1 = RVBoth(c0) * u1 + RVBoth(c1) * u0 + RVBoth(c2) * s.u1;
        s.u2 = u0;
        s.u1 = u1;
        u0 = f0 + (RVBoth(this->f1) * s.z1 + RVBoth(f2) * s.z2);
        u1 = (f1 + RVBoth(this->f1) * f0) + (RVBoth(g1) * s.z1 + RVBoth(g2) * s.z2);
        s.z2 = u0;
        s.z1 = u1;
    }
    static void Settle(State& s);
    State&      Current() { return state; }

private:
    // z = c(u) + f1 z[-1] + f2 z[-2]; two frames on, g1 and g2 take the place of f1, f2.
    double   c0 = 1.0, c1 = 0.0, c2 = 0.0, f1 = 0.0, f2 = 0.0, g1 = 0.0, g2 = 0.0;
    State    state;
    RVStereo lastInput = {};   // Run's input before
};

#endif
