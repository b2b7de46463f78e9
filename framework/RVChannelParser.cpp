#include "framework/RVChannelParser.h"

// Loops of this many samples or fewer do not loop: the Amiga's "no loop" is a loop of 2.
static const uint32 kNoLoopLength = 2;
static const uint32 kStepFractionBits = 11;

// Bits that make the parser rebuild the voice's flags word.
static const uint32 kSampleChangeBits = RV_CHANNEL_MUTE | RV_CHANNEL_TRIGGER | RV_CHANNEL_16BIT
    | RV_CHANNEL_LOOP | RV_CHANNEL_PINGPONG | RV_CHANNEL_LOOPADDRESS;


RVChannelParser::RVChannelParser() {}


RVChannelParser::~RVChannelParser() {}


void
RVChannelParser::ParseInfo(VINFO* voice)
{
    uint32 changes = flags;
    flags = 0;   // the mixer raises RV_CHANNEL_ACTIVE again through Active()

    if ((changes & RV_CHANNEL_VOLUME) != 0)
        voice->volume = volume;
    if ((changes & RV_CHANNEL_PANNING) != 0)
        voice->panning = panning;
    if ((changes & RV_CHANNEL_FREQUENCY) != 0)
        voice->frequency = frequency;

    if ((changes & kSampleChangeBits) == 0)
        return;
    voice->flags = ParseSample(voice, changes);
}


// The voice flags of this tick alone: a loop set in a later tick without a trigger
// does not carry VINFO_16BIT over.
uint16
RVChannelParser::ParseSample(VINFO* voice, uint32 changes)
{
    uint16 voiceFlags = 0;
    if ((changes & RV_CHANNEL_MUTE) != 0) {
        voice->retrigger = false;
        voice->active = false;
        return voiceFlags;
    }
    if (sampleAddress == nullptr)
        return voiceFlags;

    if ((changes & RV_CHANNEL_TRIGGER) != 0) {
        voice->address = sampleAddress;
        voice->start = sampleStart;
        voice->length = sampleLength;
        voice->retrigger = true;
        if ((changes & RV_CHANNEL_LOOP) == 0 && loopLength <= kNoLoopLength)
            voice->loopStart = voice->loopEnd = 0;
    }
    if ((changes & RV_CHANNEL_LOOP) != 0 && loopLength > kNoLoopLength) {
        voice->loopStart = loopStart;
        voice->loopEnd = loopStart + loopLength;
        voiceFlags |= VINFO_LOOP;
        if ((changes & RV_CHANNEL_PINGPONG) != 0)
            voiceFlags |= VINFO_PINGPONG;
        if ((changes & RV_CHANNEL_LOOPADDRESS) != 0)
            voice->address = sampleAddress;
    }
    if ((changes & RV_CHANNEL_16BIT) != 0)
        voiceFlags |= VINFO_16BIT;
    return voiceFlags;
}


void
RVChannelParser::Active(bool sounding)
{
    if (sounding)
        flags |= RV_CHANNEL_ACTIVE;
    else
        flags &= ~RV_CHANNEL_ACTIVE;
}


uint32
RVChannelParser::ParseSampleInfo(VINFO* voice, uint32 sourceFrequency, uint32 mixFrequency)
{
    if (sampleAddress == nullptr || sampleLength == 0)
        return sampleLength;
    voice->volume = volume;
    voice->panning = panning;
    voice->address = sampleAddress;
    voice->length = sampleLength;
    voice->position = 0;
    voice->active = true;
    // 32-bit product, as the sample-mode players expect; a mix rate of 0 gives no step.
    uint32 step = mixFrequency != 0 ? (sourceFrequency << kStepFractionBits) / mixFrequency : 0;
    voice->step = step;
    flags = RV_CHANNEL_ACTIVE;
    return sampleLength;
}
