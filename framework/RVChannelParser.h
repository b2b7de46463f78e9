// RVChannelParser: the mixer's side of a virtual channel. Copies the changes of one
// tick into the mixer's VINFO and clears the change bits.
#ifndef FRAMEWORK_RVCHANNELPARSER_H
#define FRAMEWORK_RVCHANNELPARSER_H

#include "framework/RVChannel.h"
#include "framework/VInfo.h"

class RVChannelParser : public RVChannel
{
public:
    RVChannelParser();
    virtual ~RVChannelParser();

    void   ParseInfo(VINFO* voice);
    void   Active(bool sounding);
    uint32 ParseSampleInfo(VINFO* voice, uint32 sourceFrequency, uint32 mixFrequency);

private:
    uint16 ParseSample(VINFO* voice, uint32 changes);
};

#endif
