// RVLedFilter: the Amiga's switchable "LED" filter, a two-pole Sallen-Key low-pass
// that the song puts in and takes out (E0x), for one stereo channel.
#ifndef MIXER_RVLEDFILTER_H
#define MIXER_RVLEDFILTER_H

#include "mixer/RVAmigaFilters.h"

class RVLedFilter
{
public:
    // The analogue filter's natural frequency (Hz), quality and |H(f)|^2, from its parts.
    static double Corner();
    static double Quality();
    static double AnalogPower(double f);

    void Design(double rate);
    void Reset();
    // Filters `count` interleaved stereo frames in place while `on`. It runs either
    // way, so that switching it in finds it settled on the signal.
    void Run(double* frames, uint32 count, bool on);

    // One frame, for a caller's own loop (as RVAmigaFilters::Process); Flush() the
    // state after each stretch.
    RVStereo       Process(RVBiquadState& s, RVStereo x) const { return s.Run(filter, x); }
    RVBiquadState& Current() { return state; }

private:
    RVBiquad      filter;
    RVBiquadState state;
};

#endif
