// Mixer positions and steps: fixed point with 11 fraction bits, so a step of one sample
// per frame is 2048.
#ifndef MIXER_FIXEDPOINT_H
#define MIXER_FIXEDPOINT_H

#include "beos/SupportDefs.h"

const int32 MIX_FRACTION_BITS = 11;
const int64 MIX_FRACTION_ONE = int64(1) << MIX_FRACTION_BITS;

#endif
