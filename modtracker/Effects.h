// The effect numbers of a pattern cell, and what the replay asks of a cell's effect
// outside the two dispatchers (CheckEFX, CheckMoreEFX) and the extended one (ECommands).
#ifndef MODTRACKER_EFFECTS_H
#define MODTRACKER_EFFECTS_H

#include "modtracker/ModuleTypes.h"

// The low four bits of a cell's third byte. Names follow the handlers.
enum Effect : uint8 {
    EFFECT_ARPEGGIO = 0x0,
    EFFECT_PORT_UP = 0x1,
    EFFECT_PORT_DOWN = 0x2,
    EFFECT_TONE_PORTAMENTO = 0x3,
    EFFECT_VIBRATO = 0x4,
    EFFECT_TONE_PLUS_VOL = 0x5,
    EFFECT_VIBRATO_PLUS_VOL = 0x6,
    EFFECT_TREMOLO = 0x7,
    EFFECT_NONE_8 = 0x8,   // no effect: the period is sent again
    EFFECT_SAMPLE_OFFSET = 0x9,
    EFFECT_VOLUME_SLIDE = 0xA,
    EFFECT_POSITION_JUMP = 0xB,
    EFFECT_VOLUME_CHANGE = 0xC,
    EFFECT_PATTERN_BREAK = 0xD,
    EFFECT_EXTENDED = 0xE,   // the command is the parameter's high four bits
    EFFECT_SET_SPEED = 0xF,
};

// The commands of effect 14: the high four bits of its parameter.
enum ExtendedEffect : uint8 {
    ECMD_FILTER = 0x0,
    ECMD_FINE_PORT_UP = 0x1,
    ECMD_FINE_PORT_DOWN = 0x2,
    ECMD_GLISSANDO = 0x3,
    ECMD_VIBRATO_WAVE = 0x4,
    ECMD_FINE_TUNE = 0x5,
    ECMD_PATTERN_LOOP = 0x6,
    ECMD_TREMOLO_WAVE = 0x7,
    ECMD_NONE_8 = 0x8,   // no command
    ECMD_RETRIGGER = 0x9,
    ECMD_VOLUME_FINE_UP = 0xA,
    ECMD_VOLUME_FINE_DOWN = 0xB,
    ECMD_NOTE_CUT = 0xC,
    ECMD_NOTE_DELAY = 0xD,
    ECMD_PATTERN_DELAY = 0xE,
    ECMD_FUNK = 0xF,
};

// Speed parameters from here on set the tempo (beats per minute) instead.
const uint8 FIRST_TEMPO = 32;

inline ExtendedEffect
ExtendedCommand(uint8 effectArg)
{
    return ExtendedEffect(effectArg >> 4);
}

inline bool
IsExtended(const Channel& ch, ExtendedEffect command)
{
    return ch.effect == EFFECT_EXTENDED && ExtendedCommand(ch.effectArg) == command;
}

// A speed command that sets the tempo, in the types that have one.
inline bool
SetsTempo(uint8 effect, uint8 effectArg)
{
    return effect == EFFECT_SET_SPEED && effectArg >= FIRST_TEMPO;
}

// Commands the NoiseTracker types never had: a tempo, or an extended command other than
// the filter (E1x to EFx). A marked file that uses one was written for the ProTracker rules.
inline bool
IsProTrackerCommand(uint8 effect, uint8 effectArg)
{
    return SetsTempo(effect, effectArg)
        || (effect == EFFECT_EXTENDED && ExtendedCommand(effectArg) != ECMD_FILTER);
}

// What the effect in a cell does to the note in the same cell, before it plays.

// 3xx and 5xy: the note is where the tone portamento slides to; it does not play.
inline bool
SlidesToNote(const Channel& ch)
{
    return ch.effect == EFFECT_TONE_PORTAMENTO || ch.effect == EFFECT_TONE_PLUS_VOL;
}

// 9xx: the note starts at the offset, so the offset is taken before the note.
inline bool
OffsetsNote(const Channel& ch)
{
    return ch.effect == EFFECT_SAMPLE_OFFSET;
}

// E5x: the note plays in the finetune the cell sets.
inline bool
TunesNote(const Channel& ch)
{
    return IsExtended(ch, ECMD_FINE_TUNE);
}

// EDx: the note waits for tick x; NoteDelay plays it then.
inline bool
DelaysNote(const Channel& ch)
{
    return IsExtended(ch, ECMD_NOTE_DELAY);
}

#endif
