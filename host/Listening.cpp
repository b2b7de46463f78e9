#include "host/Listening.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int16_t
Saturate(double value)
{
    return (int16_t)std::clamp(std::lround(value), -32768L, 32767L);
}

}   // namespace

void
ApplyListening(const Listening& listening, int16_t* frames, int count)
{
    if (!listening.Changes())
        return;
    // Width scales the difference of the sides around their middle.
    const double width = listening.stereo / double(Listening::kFullStereo);
    const double factor = std::pow(10.0, listening.gain / 20);
    for (int i = 0; i < count; i++) {
        double left = frames[2 * i], right = frames[2 * i + 1];
        double middle = (left + right) / 2, side = (left - right) / 2 * width;
        frames[2 * i] = Saturate((middle + side) * factor);
        frames[2 * i + 1] = Saturate((middle - side) * factor);
    }
}

Peaks
MeasurePeaks(const int16_t* frames, int count)
{
    Peaks peaks;
    for (int i = 0; i < count; i++) {
        peaks.left = std::max(peaks.left, std::abs(int(frames[2 * i])));
        peaks.right = std::max(peaks.right, std::abs(int(frames[2 * i + 1])));
    }
    return peaks;
}
