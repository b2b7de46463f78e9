// The demo tune's instruments, synthesised from scratch as signed 8-bit samples.
//
// Pitched samples repeat every 32 bytes (bass: 64), so they are in tune with each other:
// a note plays at 3546895 / period bytes a second, and C-3 (period 428) sounds about
// 259 Hz with a 32-byte cycle, an octave lower with 64. Drums are made for the note they
// are played at (kick C-3, 8287 Hz; snare and hats C-4, 16574 Hz).
#ifndef TOOLS_DEMOTUNE_SYNTH_H
#define TOOLS_DEMOTUNE_SYNTH_H

#include <vector>

#include "beos/SupportDefs.h"

namespace demo {

struct Instrument
{
    std::vector<int8> data;             // even size
    uint16            loopStart = 0;    // words
    uint16            loopLength = 1;   // words; 1 = no loop
};

Instrument Bass();    // plucked, filtered saw
Instrument Lead();    // pulse whose width sweeps slowly
Instrument Pad();     // three detuned saws that beat against each other
Instrument Kick();    // sine falling in pitch
Instrument Snare();   // noise burst over a short tone
Instrument HiHat(bool open);

}   // namespace demo

#endif
