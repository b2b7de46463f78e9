// Source description for players that deliver ready-made sample buffers.
#ifndef FRAMEWORK_SAMPLEPLAYERINFO_H
#define FRAMEWORK_SAMPLEPLAYERINFO_H

#include "beos/SupportDefs.h"

struct SamplePlayerInfo
{
    uint16 bits;        // 16: signed 16-bit buffers; otherwise signed 8-bit
    uint32 frequency;   // source rate in Hz, common to all channels
};

#endif
