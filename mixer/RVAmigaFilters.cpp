// The fixed filters of the Amiga models, at the values of their parts.
#include "mixer/RVAmigaFilters.h"

#include <algorithm>
#include <cmath>

namespace {

// Low-pass after the DAC: one resistor and one capacitor, corner fc = 1 / (2 pi R C),
// |H(f)|^2 = 1 / (1 + (f / fc)^2).
//   A500:  360 ohm, 0.1 uF   -> 4421 Hz
//   A1200: 680 ohm, 6800 pF  -> 34419 Hz (about open below 16 kHz)
const double kA500LowPassR = 360.0;
const double kA500LowPassC = 0.1e-6;
const double kA1200LowPassR = 680.0;
const double kA1200LowPassC = 6800e-12;

// High-pass of the output: the 22 uF coupling capacitor into 1 kohm + 390 ohm,
// 1 / (2 pi R C) = 5.2 Hz on both models.
const double kHighPassR = 1000.0 + 390.0;
const double kHighPassC = 22e-6;

// The low-pass is matched to its analogue curve at its corner (or 8 kHz, when that lies
// beyond the band) and at 16 kHz.
const double kMatchLow = 8000.0;
const double kMatchHigh = 16000.0;

double
Corner(double r, double c)
{
    return 1.0 / (2.0 * M_PI * r * c);
}

const double kTiny = 1e-20;

}   // namespace


double
AmigaLowPassCorner(MixAmigaModel model)
{
    return model == MIX_AMIGA_A1200 ? Corner(kA1200LowPassR, kA1200LowPassC)
                                    : Corner(kA500LowPassR, kA500LowPassC);
}


double
AmigaHighPassCorner(MixAmigaModel)
{
    return Corner(kHighPassR, kHighPassC);
}


// With phi = sin^2(w / 2) the numerator's power is
//   |N|^2 = W0^2 (1 - phi) + W1^2 phi - 16 b0 b2 phi (1 - phi),
// W0 = b0 + b1 + b2 (its value at DC), W1 = b0 - b1 + b2 (at half the rate): linear in
// W1^2 and b0 b2. The wanted power at a frequency is the analogue |H|^2 times the
// denominator's power there. b0 and b2 are then the roots of x^2 - (W0 + W1) / 2 x + b0 b2.
void
RVBiquad::Match(
    double poleA1, double poleA2, double rate, double fa, double powerA, double fb, double powerB)
{
    a1 = poleA1;
    a2 = poleA2;
    const double w0Sum = 1.0 - a1 - a2;   // unity gain at DC
    double       m[2][2], v[2];
    const double f[2] = { fa, fb };
    const double power[2] = { powerA, powerB };
    for (int i = 0; i < 2; i++) {
        const double w = 2.0 * M_PI * f[i] / rate;
        const double phi = std::sin(w / 2.0) * std::sin(w / 2.0);
        const double re = 1.0 - a1 * std::cos(w) - a2 * std::cos(2.0 * w);
        const double im = a1 * std::sin(w) + a2 * std::sin(2.0 * w);
        m[i][0] = phi;
        m[i][1] = -16.0 * phi * (1.0 - phi);
        v[i] = power[i] * (re * re + im * im) - w0Sum * w0Sum * (1.0 - phi);
    }
    const double det = m[0][0] * m[1][1] - m[0][1] * m[1][0];
    const double w1Square = (v[0] * m[1][1] - m[0][1] * v[1]) / det;
    double       product = (m[0][0] * v[1] - v[0] * m[1][0]) / det;

    const double w1Sum = std::sqrt(std::max(w1Square, 0.0));
    const double half = (w0Sum + w1Sum) / 2.0;
    product = std::min(product, half * half / 4.0);   // keep the roots real
    const double root = std::sqrt(half * half / 4.0 - product);
    b0 = half / 2.0 + root;
    b2 = half / 2.0 - root;
    b1 = (w0Sum - w1Sum) / 2.0;
}


void
RVBiquadState::Flush()
{
    for (int c = 0; c < 2; c++) {
        if (std::fabs(y1[c]) < kTiny && std::fabs(y2[c]) < kTiny && std::fabs(x1[c]) < kTiny
            && std::fabs(x2[c]) < kTiny)
            x1[c] = x2[c] = y1[c] = y2[c] = 0.0;
    }
}


void
RVAmigaFilters::Design(MixAmigaModel model, double rate)
{
    const double fc = AmigaLowPassCorner(model);
    const double fa = fc < kMatchHigh ? fc : kMatchLow;
    auto         power = [fc](double f) { return 1.0 / (1.0 + (f / fc) * (f / fc)); };
    RVBiquad     low;
    low.Match(
        std::exp(-2.0 * M_PI * fc / rate), 0.0, rate, fa, power(fa), kMatchHigh, power(kMatchHigh));

    // y[n] = p y[n-1] + g (x[n] - x[n-1]), p = e^(-2 pi fc / fs), g = (1 + p) / 2 for
    // unity gain at half the rate; at 5 Hz the mapping of the pole is exact enough.
    const double pole = std::exp(-2.0 * M_PI * AmigaHighPassCorner(model) / rate);
    const double gain = (1.0 + pole) / 2.0;

    // Together, on u = x[n] - x[n-1]: g (b0 + b1 z^-1 + b2 z^-2) / ((1 - a z^-1)(1 - p z^-1)).
    c0 = gain * low.b0;
    c1 = gain * low.b1;
    c2 = gain * low.b2;
    f1 = low.a1 + pole;
    f2 = -low.a1 * pole;
    g1 = f1 * f1 + f2;
    g2 = f1 * f2;
    Reset();
}


void
RVAmigaFilters::Reset()
{
    state = State();
    lastInput = RVStereo {};
}


void
RVAmigaFilters::Settle(State& s)
{
    for (RVStereo* v : { &s.u1, &s.u2, &s.z1, &s.z2 }) {
        for (int c = 0; c < 2; c++) {
            if (std::fabs((*v)[c]) < kTiny)
                (*v)[c] = 0.0;
        }
    }
}


void
RVAmigaFilters::Run(double* frames, uint32 count)
{
    State    s = state;
    uint32   i = 0;
    RVStereo u0, u1;
    auto     change = [&](uint32 k) {
        const RVStereo x { frames[2 * k], frames[2 * k + 1] };
        const RVStereo u = x - lastInput;
        lastInput = x;
        return u;
    };
    for (; i + 1 < count; i += 2) {
        u0 = change(i);
        u1 = change(i + 1);
        ProcessTwo(s, u0, u1);
        frames[2 * i] = u0[0];
        frames[2 * i + 1] = u0[1];
        frames[2 * i + 2] = u1[0];
        frames[2 * i + 3] = u1[1];
    }
    if (i < count) {
        u0 = Process(s, change(i));
        frames[2 * i] = u0[0];
        frames[2 * i + 1] = u0[1];
    }
    Settle(s);
    state = s;
}
