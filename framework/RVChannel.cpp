#include "framework/RVChannel.h"

RVChannel::RVChannel()
    : flags(0), sampleAddress(nullptr), sampleStart(0), sampleLength(0), loopStart(0),
      loopLength(0), frequency(0), volume(0), panning(0)
{
}


RVChannel::~RVChannel() {}


void
RVChannel::PlaySample(const void* address, uint32 start, uint32 length, uint8 bits)
{
    sampleAddress = address;
    sampleStart = start;
    sampleLength = length;
    flags |= RV_CHANNEL_TRIGGER;
    if (bits == 16)
        flags |= RV_CHANNEL_16BIT;
    flags &= ~RV_CHANNEL_MUTE;
}


void
RVChannel::SetBuffer(const void* address, uint32 length)
{
    sampleAddress = address;
    sampleLength = length;
}


void
RVChannel::SetLoop(uint32 start, uint32 length, RV_LoopType type)
{
    loopStart = start;
    loopLength = length;
    flags |= RV_CHANNEL_LOOP;
    if (type == RV_LOOP_PINGPONG)
        flags |= RV_CHANNEL_PINGPONG;
    flags &= ~RV_CHANNEL_MUTE;
}


void
RVChannel::SetLoop(const void* address, uint32 start, uint32 length, RV_LoopType type)
{
    SetLoop(start, length, type);
    sampleAddress = address;
    flags |= RV_CHANNEL_LOOPADDRESS;
}


void
RVChannel::SetVolume(uint16 newVolume)
{
    volume = newVolume;
    flags |= RV_CHANNEL_VOLUME;
}


void
RVChannel::SetPanning(uint16 newPanning)
{
    panning = newPanning;
    flags |= RV_CHANNEL_PANNING;
}


void
RVChannel::SetFrequency(uint32 hz)
{
    frequency = hz;
    flags |= RV_CHANNEL_FREQUENCY;
}


// Period 0 gives frequency 0, which the mixer treats as a silent voice.
void
RVChannel::SetAmigaPeriod(uint32 period)
{
    frequency = period != 0 ? AMIGA_CLOCK / period : 0;
    flags |= RV_CHANNEL_FREQUENCY;
}


void
RVChannel::Mute()
{
    flags |= RV_CHANNEL_MUTE;
}


bool
RVChannel::IsActive() const
{
    return (flags & RV_CHANNEL_ACTIVE) != 0;
}
