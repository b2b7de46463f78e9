// What the host does to the plug-in's blocks before a listener hears them: stereo
// width and gain, and the peak levels the status line shows.
#ifndef HOST_LISTENING_H
#define HOST_LISTENING_H

#include <cstdint>

struct Listening
{
    static constexpr int    kFullStereo = 100;
    static constexpr double kMinGain = -60;
    static constexpr double kMaxGain = 30;

    int    stereo = kFullStereo;   // 0 mono .. 100 the plug-in's own panning
    double gain = 0;               // decibels

    bool Changes() const { return stereo != kFullStereo || gain != 0; }
};

// Applies `listening` to `count` interleaved stereo frames in place; results beyond
// 16 bits saturate. With the defaults the frames stay as they are, bit for bit.
void ApplyListening(const Listening& listening, int16_t* frames, int count);

// The largest magnitude on each side over `count` frames, 0..32768.
struct Peaks
{
    int left = 0;
    int right = 0;
};
Peaks MeasurePeaks(const int16_t* frames, int count);

#endif
