// The LED filter at the values of its parts.
#include "mixer/RVLedFilter.h"

#include <cmath>

namespace {

// Unity-gain Sallen-Key low-pass: two 10 kohm resistors in series, 6800 pF from their
// junction to the output (feedback), 3900 pF from the op-amp input to ground.
//   H(s) = 1 / (1 + s C2 (R1 + R2) + s^2 R1 R2 C1 C2)
//   f0 = 1 / (2 pi sqrt(R1 R2 C1 C2)) = 3091 Hz
//   Q  = sqrt(R1 R2 C1 C2) / (C2 (R1 + R2)) = 0.660 (-3 dB at 2871 Hz)
const double kR1 = 10e3;
const double kR2 = 10e3;
const double kC1 = 6800e-12;
const double kC2 = 3900e-12;

// Matched to the analogue curve at f0 and at 16 kHz.
const double kMatchHigh = 16000.0;

}   // namespace


double
RVLedFilter::Corner()
{
    return 1.0 / (2.0 * M_PI * std::sqrt(kR1 * kR2 * kC1 * kC2));
}


double
RVLedFilter::Quality()
{
    return std::sqrt(kR1 * kR2 * kC1 * kC2) / (kC2 * (kR1 + kR2));
}


double
RVLedFilter::AnalogPower(double f)
{
    const double x = f / Corner();
    const double q = Quality();
    return 1.0 / ((1.0 - x * x) * (1.0 - x * x) + x * x / (q * q));
}


// The analogue poles s = w0 (-zeta +- j sqrt(1 - zeta^2)), zeta = 1 / (2 Q), mapped by
// z = e^(s / fs): z^2 - 2 r cos(w0 sqrt(1 - zeta^2)) z + r^2 with r = e^(-zeta w0).
void
RVLedFilter::Design(double rate)
{
    const double w0 = 2.0 * M_PI * Corner() / rate;
    const double zeta = 1.0 / (2.0 * Quality());
    const double r = std::exp(-zeta * w0);
    const double a1 = zeta < 1.0 ? 2.0 * r * std::cos(w0 * std::sqrt(1.0 - zeta * zeta))
                                 : 2.0 * r * std::cosh(w0 * std::sqrt(zeta * zeta - 1.0));
    filter.Match(
        a1, -r * r, rate, Corner(), AnalogPower(Corner()), kMatchHigh, AnalogPower(kMatchHigh));
    Reset();
}


void
RVLedFilter::Reset()
{
    state = RVBiquadState();
}


void
RVLedFilter::Run(double* frames, uint32 count, bool on)
{
    RVBiquadState s = state;
    for (uint32 i = 0; i < count; i++) {
        const RVStereo y = Process(s, RVStereo { frames[2 * i], frames[2 * i + 1] });
        if (on) {
            frames[2 * i] = y[0];
            frames[2 * i + 1] = y[1];
        }
    }
    s.Flush();
    state = s;
}
