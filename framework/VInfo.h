// VINFO: the mixer's voice record, filled from an RVChannel by the channel parser.
#ifndef FRAMEWORK_VINFO_H
#define FRAMEWORK_VINFO_H

#include "beos/SupportDefs.h"

enum : uint16 {
    VINFO_16BIT = 0x01,
    VINFO_LOOP = 0x40,
    VINFO_PINGPONG = 0x80,
    VINFO_BACKWARDS = 0x100,   // toggled by the mixer only
};

struct VINFO
{
    bool        retrigger;   // start from `start` at the next pass
    bool        active;
    uint16      flags;
    const void* address;     // signed 8- or 16-bit samples
    uint32      start;       // samples
    uint32      length;      // samples
    uint32      loopStart;   // samples from address
    uint32      loopEnd;     // loopStart + loop length
    uint32      frequency;   // Hz
    uint16      volume;      // 0..256
    uint16      panning;     // 0..255, 512 = surround
    int32       leftVolume;
    int32       rightVolume;
    int32       oldLeftVolume;
    int32       oldRightVolume;
    int64       position;   // 11 fraction bits
    int64       step;       // 11 fraction bits; negative while running backwards
};

#endif
