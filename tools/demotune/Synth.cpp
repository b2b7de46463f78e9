#include "tools/demotune/Synth.h"

#include <algorithm>
#include <cmath>

namespace demo {

namespace {

const double kTwoPi = 6.283185307179586;
const double kKickRate = 8287.0;    // bytes a second at C-3
const double kDrumRate = 16574.0;   // at C-4

// Fixed seed: the tune must come out the same on every build.
class Noise
{
public:
    double Next()
    {
        state = state * 1664525u + 1013904223u;
        return (double)(state >> 8) / (double)(1u << 23) - 1.0;
    }

private:
    uint32 state = 0x2545f491u;
};

// Scales to a peak of `peak` and pads to an even number of bytes.
std::vector<int8>
Quantise(const std::vector<double>& wave, double peak)
{
    double largest = 1e-9;
    for (double v : wave)
        largest = std::max(largest, std::fabs(v));
    std::vector<int8> data;
    for (double v : wave)
        data.push_back((int8)std::lround(v / largest * peak));
    if (data.size() % 2 != 0)
        data.push_back(0);
    return data;
}

// Band-limited saw and pulse, one cycle over phase 0..1.
double
Saw(double phase, int harmonics)
{
    double sum = 0;
    for (int h = 1; h <= harmonics; h++)
        sum += std::sin(kTwoPi * h * phase) / h;
    return sum;
}

double
Pulse(double phase, double width, int harmonics)
{
    double sum = 0;
    for (int h = 1; h <= harmonics; h++)
        sum += std::sin(M_PI * h * width) / h * std::cos(kTwoPi * h * (phase - width / 2));
    return sum;
}

}   // namespace

Instrument
Bass()
{
    const int           cycle = 64;
    const int           attack = 24 * cycle;
    const int           settle = 8 * cycle;
    const int           loop = 2 * cycle;
    std::vector<double> wave;
    double              low = 0;
    for (int n = 0; n < attack + settle + loop; n++) {
        double phase = (double)(n % cycle) / cycle;
        double raw = 2.0 * phase - 1.0;
        // The cut-off closes during the attack, then stays put so the tail is periodic.
        double closing = std::min(1.0, (double)n / attack);
        double cutoff = 0.5 - 0.38 * closing;
        low += cutoff * (raw - low);
        double level = 1.0 - 0.3 * closing;
        wave.push_back(low * level);
    }
    // Repeat the last settled cycle so the loop joins exactly.
    for (int n = attack + settle; n < attack + settle + loop; n++)
        wave[n] = wave[n - cycle];
    Instrument bass;
    bass.data = Quantise(wave, 110);
    bass.loopStart = (attack + settle) / 2;
    bass.loopLength = loop / 2;
    return bass;
}

Instrument
Lead()
{
    const int           cycle = 32;
    const int           attackCycles = 16;
    const int           loopCycles = 64;
    std::vector<double> wave;
    for (int k = 0; k < attackCycles + loopCycles; k++) {
        // Bright at first; then the width sweeps 0.15..0.45 once per loop.
        double width = 0.5;
        int    harmonics = 12;
        if (k >= attackCycles) {
            int j = k - attackCycles;
            width = 0.3 + 0.15 * std::cos(kTwoPi * j / loopCycles);
            harmonics = 8;
        }
        for (int n = 0; n < cycle; n++)
            wave.push_back(Pulse((double)n / cycle, width, harmonics));
    }
    Instrument lead;
    lead.data = Quantise(wave, 100);
    lead.loopStart = attackCycles * cycle / 2;
    lead.loopLength = loopCycles * cycle / 2;
    return lead;
}

Instrument
Pad()
{
    // 4096 bytes hold 127, 128, 129 and 64 cycles: the loop joins and the voices beat.
    const int           length = 4096;
    std::vector<double> wave;
    for (int n = 0; n < length; n++) {
        double t = (double)n / length;
        double v = 0.8 * Saw(std::fmod(127 * t, 1.0), 5) + 0.5 * Saw(std::fmod(128 * t, 1.0), 3)
            + 0.8 * Saw(std::fmod(129 * t, 1.0), 5) + 0.6 * std::sin(kTwoPi * 64 * t);
        wave.push_back(v);
    }
    Instrument pad;
    pad.data = Quantise(wave, 90);
    pad.loopStart = 0;
    pad.loopLength = length / 2;
    return pad;
}

Instrument
Kick()
{
    const int           length = (int)(0.4 * kKickRate);
    Noise               noise;
    std::vector<double> wave;
    double              phase = 0;
    for (int n = 0; n < length; n++) {
        double t = n / kKickRate;
        double frequency = 48.0 + 120.0 * std::exp(-t / 0.035);
        phase += frequency / kKickRate;
        double click = n < 40 ? 0.4 * noise.Next() * (1.0 - n / 40.0) : 0.0;
        double attack = std::min(1.0, n / 8.0);
        wave.push_back((std::sin(kTwoPi * phase) + click) * attack * std::exp(-t / 0.18));
    }
    Instrument kick;
    kick.data = Quantise(wave, 124);
    return kick;
}

Instrument
Snare()
{
    const int           length = (int)(0.3 * kDrumRate);
    Noise               noise;
    std::vector<double> wave;
    double              soft = 0;
    for (int n = 0; n < length; n++) {
        double t = n / kDrumRate;
        soft += 0.6 * (noise.Next() - soft);
        double body = 0.6 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.045);
        wave.push_back(body + 0.8 * soft * std::exp(-t / 0.09));
    }
    Instrument snare;
    snare.data = Quantise(wave, 118);
    return snare;
}

Instrument
HiHat(bool open)
{
    const double        decay = open ? 0.12 : 0.022;
    const int           length = (int)((open ? 0.4 : 0.1) * kDrumRate);
    Noise               noise;
    std::vector<double> wave;
    double              previous = 0;
    for (int n = 0; n < length; n++) {
        double white = noise.Next();
        // A first difference keeps only the top of the spectrum.
        wave.push_back((white - previous) * std::exp(-(n / kDrumRate) / decay));
        previous = white;
    }
    Instrument hat;
    hat.data = Quantise(wave, 100);
    return hat;
}

}   // namespace demo
