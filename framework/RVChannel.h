// RVChannel: one virtual voice as the player describes it. Setters store a value and
// raise a change bit; the mixer's parser consumes the bits once per tick.
#ifndef FRAMEWORK_RVCHANNEL_H
#define FRAMEWORK_RVCHANNEL_H

#include "beos/SupportDefs.h"

enum : uint32 {
    RV_CHANNEL_MUTE = 0x00000001,
    RV_CHANNEL_TRIGGER = 0x00000002,
    RV_CHANNEL_16BIT = 0x00000004,
    RV_CHANNEL_LOOP = 0x00000008,
    RV_CHANNEL_PINGPONG = 0x00000010,
    RV_CHANNEL_LOOPADDRESS = 0x00000020,
    RV_CHANNEL_VOLUME = 0x00000040,
    RV_CHANNEL_PANNING = 0x00000080,
    RV_CHANNEL_FREQUENCY = 0x00000100,
    RV_CHANNEL_ACTIVE = 0x80000000,   // written by the mixer only
};

enum RV_LoopType : uint32 {
    RV_LOOP_NORMAL = 0,
    RV_LOOP_PINGPONG = 1,
};

// The PAL Amiga clock: frequency = AMIGA_CLOCK / period.
const uint32 AMIGA_CLOCK = 3546895;
const uint16 RV_PANNING_SURROUND = 512;

class RVChannel
{
public:
    RVChannel();
    virtual ~RVChannel();

    void PlaySample(const void* address, uint32 start, uint32 length, uint8 bits = 8);
    void SetBuffer(const void* address, uint32 length);
    void SetLoop(uint32 start, uint32 length, RV_LoopType type = RV_LOOP_NORMAL);
    void SetLoop(
        const void* address, uint32 start, uint32 length, RV_LoopType type = RV_LOOP_NORMAL);
    void SetVolume(uint16 volume);
    void SetPanning(uint16 panning);
    void SetFrequency(uint32 hz);
    void SetAmigaPeriod(uint32 period);
    void Mute();
    bool IsActive() const;

    // Read-only views of the record, for tests and the tick trace.
    uint32      Flags() const { return flags; }
    const void* SampleAddress() const { return sampleAddress; }
    uint32      SampleStart() const { return sampleStart; }
    uint32      SampleLength() const { return sampleLength; }
    uint32      LoopStart() const { return loopStart; }
    uint32      LoopLength() const { return loopLength; }
    uint32      Frequency() const { return frequency; }
    uint16      Volume() const { return volume; }
    uint16      Panning() const { return panning; }

protected:
    uint32      flags;
    const void* sampleAddress;
    uint32      sampleStart;
    uint32      sampleLength;
    uint32      loopStart;
    uint32      loopLength;
    uint32      frequency;
    uint16      volume;
    uint16      panning;
};

#endif
