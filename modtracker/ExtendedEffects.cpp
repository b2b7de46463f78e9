// The extended commands (effect 14) and the funk step.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <cstdint>

#include "framework/RVChannel.h"
#include "modtracker/Effects.h"
#include "modtracker/Tables.h"

namespace {

const int8 MAX_VOLUME = 64;

}   // namespace


void
ModTracker::ECommands(RVChannel* voice, Channel& ch)
{
    if (!HasExtendedCommands())
        return;
    switch (ExtendedCommand(ch.effectArg)) {
        case ECMD_FILTER: Filter(voice, ch); break;
        case ECMD_FINE_PORT_UP: FinePortUp(voice, ch); break;
        case ECMD_FINE_PORT_DOWN: FinePortDown(voice, ch); break;
        case ECMD_GLISSANDO: SetGlissCon(voice, ch); break;
        case ECMD_VIBRATO_WAVE: SetVibCon(voice, ch); break;
        case ECMD_FINE_TUNE: SetFineTune(voice, ch); break;
        case ECMD_PATTERN_LOOP: JumpLoop(voice, ch); break;
        case ECMD_TREMOLO_WAVE: SetTreCon(voice, ch); break;
        case ECMD_NONE_8: break;
        case ECMD_RETRIGGER: RetrigNote(voice, ch); break;
        case ECMD_VOLUME_FINE_UP: VolumeFineUp(voice, ch); break;
        case ECMD_VOLUME_FINE_DOWN: VolumeFineDown(voice, ch); break;
        case ECMD_NOTE_CUT: NoteCut(voice, ch); break;
        case ECMD_NOTE_DELAY: NoteDelay(voice, ch); break;
        case ECMD_PATTERN_DELAY: PatternDelay(voice, ch); break;
        case ECMD_FUNK: FunkIt(voice, ch); break;
    }
}


// E0x drives the Amiga's LED line with bit 0 of x: clear lights the LED and puts the
// two-pole filter in, so E00 switches it on and E01 off. Only a mixer that emulates
// the Amiga's output stage hears it.
void
ModTracker::Filter(RVChannel*, Channel& ch)
{
    ledFilter = (ch.effectArg & 0x01) == 0;
}


void
ModTracker::FinePortUp(RVChannel* voice, Channel& ch)
{
    if (counter != 0)
        return;
    ch.period = uint16(std::max<int32>(int32(ch.period) - (ch.effectArg & 0x0f), minPeriod));
    voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::FinePortDown(RVChannel* voice, Channel& ch)
{
    if (counter != 0)
        return;
    ch.period = uint16(std::min<int32>(int32(ch.period) + (ch.effectArg & 0x0f), maxPeriod));
    voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::SetGlissCon(RVChannel*, Channel& ch)
{
    ch.glissFunk = (ch.glissFunk & 0xf0) | (ch.effectArg & 0x0f);
}


void
ModTracker::SetVibCon(RVChannel*, Channel& ch)
{
    ch.waveControl = (ch.waveControl & 0xf0) | (ch.effectArg & 0x0f);
}


void
ModTracker::SetFineTune(RVChannel*, Channel& ch)
{
    ch.fineTune = ch.effectArg & 0x0f;
}


// Acts on the tick that read the row only: run again on the repeats of a pattern delay,
// the count would toggle and the loop would never end.
void
ModTracker::JumpLoop(RVChannel*, Channel& ch)
{
    if (counter != 0 || patternDelayCount != 0)
        return;
    uint8 x = ch.effectArg & 0x0f;
    if (x == 0) {
        ch.loopRow = uint8(patternPos);
        return;
    }
    if (ch.loopCount == 0)
        ch.loopCount = x;
    else
        ch.loopCount--;
    if (ch.loopCount != 0) {
        breakPos = ch.loopRow;
        loopJumpFlag = true;
    }
}


void
ModTracker::SetTreCon(RVChannel*, Channel& ch)
{
    ch.waveControl = (ch.waveControl & 0x0f) | uint8((ch.effectArg & 0x0f) << 4);
}


void
ModTracker::RetrigNote(RVChannel* voice, Channel& ch)
{
    uint8 x = ch.effectArg & 0x0f;
    if (x == 0)
        return;
    // A note in the cell has just been triggered by the row itself.
    if (counter == 0 && ch.note != 0)
        return;
    if (counter % x == 0)
        Retrigger(voice, ch);
}


void
ModTracker::VolumeFineUp(RVChannel* voice, Channel& ch)
{
    if (counter != 0)
        return;
    ch.volume = int8(std::min<int32>(ch.volume + (ch.effectArg & 0x0f), MAX_VOLUME));
    voice->SetVolume(uint16(ch.volume * 4));
}


void
ModTracker::VolumeFineDown(RVChannel* voice, Channel& ch)
{
    if (counter != 0)
        return;
    ch.volume = int8(std::max<int32>(ch.volume - (ch.effectArg & 0x0f), 0));
    voice->SetVolume(uint16(ch.volume * 4));
}


void
ModTracker::NoteCut(RVChannel* voice, Channel& ch)
{
    if (counter != (ch.effectArg & 0x0f))
        return;
    ch.volume = 0;
    voice->SetVolume(0);
}


void
ModTracker::NoteDelay(RVChannel* voice, Channel& ch)
{
    if (counter == (ch.effectArg & 0x0f) && ch.note != 0)
        Retrigger(voice, ch);
}


void
ModTracker::PatternDelay(RVChannel*, Channel& ch)
{
    if (counter == 0 && patternDelayCount == 0)
        patternDelay = uint8((ch.effectArg & 0x0f) + 1);
}


void
ModTracker::FunkIt(RVChannel*, Channel& ch)
{
    if (counter != 0)
        return;
    uint8 x = ch.effectArg & 0x0f;
    ch.glissFunk = (ch.glissFunk & 0x0f) | uint8(x << 4);
    if (x != 0)
        UpdateFunk(ch);
}


// Inverts the loop one byte at a time. The pointer only ever moves inside the buffer
// the channel's data came from; a sample without data has nothing to invert.
void
ModTracker::UpdateFunk(Channel& ch)
{
    uint8 s = ch.glissFunk >> 4;
    if (s == 0)
        return;
    ch.funkCount = uint8(ch.funkCount + funkTable[s]);
    if (ch.funkCount < 128)
        return;
    ch.funkCount = 0;
    if (ch.loopData == nullptr)
        return;

    uintptr_t loop = reinterpret_cast<uintptr_t>(ch.loopData);
    uintptr_t next = reinterpret_cast<uintptr_t>(ch.funkPtr) + 1;
    if (next >= loop + 2u * ch.loopLength || next < loop)
        next = loop;
    ch.funkPtr = reinterpret_cast<int8*>(next);

    const SampleBounds& bounds = sampleBounds[&ch - channels];
    if (next < reinterpret_cast<uintptr_t>(bounds.begin)
        || next >= reinterpret_cast<uintptr_t>(bounds.end))
        return;
    *ch.funkPtr = int8(~*ch.funkPtr);
}
