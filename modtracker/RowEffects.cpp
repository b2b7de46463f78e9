// The effect dispatchers and the handlers of effects 0 to 13.
#include "modtracker/ModTracker.h"

#include <algorithm>

#include "framework/RVChannel.h"
#include "modtracker/Effects.h"
#include "modtracker/Tables.h"

namespace {

const int  LAST_NOTE = PERIOD_NOTES - 1;
const int8 MAX_VOLUME = 64;

// The first note, lowest pitch first, whose period is at or below `period`;
// PERIOD_NOTES when none is.
int
FindNote(uint8 fineTune, int32 period)
{
    const uint16* row = periods[fineTune & 15];
    for (int c = 0; c < PERIOD_NOTES; c++) {
        if (row[c] <= period)
            return c;
    }
    return PERIOD_NOTES;
}


// Amplitude 0..255 of the vibrato and tremolo waveforms at a position.
uint32
WaveAmplitude(int8 pos, uint8 waveform)
{
    uint32 i = uint32(pos / 4) & 31;
    switch (waveform & 3) {
        case 0: return vibratoTable[i];
        case 1: {
            uint32 a = (i * 8) & 255;
            return pos < 0 ? 255 - a : a;
        }
        default: return 255;
    }
}


// Replaces the speed and depth nibbles of a vibrato or tremolo command that are given.
void
SetCommandNibbles(uint8& command, uint8 arg)
{
    if ((arg & 0x0f) != 0)
        command = (command & 0xf0) | (arg & 0x0f);
    if ((arg & 0xf0) != 0)
        command = (command & 0x0f) | (arg & 0xf0);
}

}   // namespace


void
ModTracker::CheckEFX(RVChannel* voice, Channel& ch)
{
    UpdateFunk(ch);
    if (ch.effect == EFFECT_ARPEGGIO && ch.effectArg == 0) {
        voice->SetAmigaPeriod(ch.period);
        return;
    }
    switch (ch.effect) {
        case EFFECT_ARPEGGIO: Arpeggio(voice, ch); break;
        case EFFECT_PORT_UP: PortUp(voice, ch); break;
        case EFFECT_PORT_DOWN: PortDown(voice, ch); break;
        case EFFECT_TONE_PORTAMENTO: TonePortamento(voice, ch); break;
        case EFFECT_VIBRATO: Vibrato(voice, ch); break;
        case EFFECT_TONE_PLUS_VOL: TonePlusVol(voice, ch); break;
        case EFFECT_VIBRATO_PLUS_VOL: VibratoPlusVol(voice, ch); break;
        case EFFECT_EXTENDED: ECommands(voice, ch); break;
        case EFFECT_TREMOLO:
            voice->SetAmigaPeriod(ch.period);
            Tremolo(voice, ch);
            break;
        case EFFECT_VOLUME_SLIDE:
            voice->SetAmigaPeriod(ch.period);
            VolumeSlide(voice, ch);
            break;
        default: voice->SetAmigaPeriod(ch.period); break;
    }
}


void
ModTracker::CheckMoreEFX(RVChannel* voice, Channel& ch)
{
    // MultiTracker slides and vibrates on the row tick as well.
    if (IsMultiTracker()) {
        switch (ch.effect) {
            case EFFECT_PORT_UP: PortUp(voice, ch); return;
            case EFFECT_PORT_DOWN: PortDown(voice, ch); return;
            case EFFECT_TONE_PORTAMENTO: TonePortamento(voice, ch); return;
            case EFFECT_VIBRATO: Vibrato(voice, ch); return;
            case EFFECT_TONE_PLUS_VOL: TonePlusVol(voice, ch); return;
            case EFFECT_VIBRATO_PLUS_VOL: VibratoPlusVol(voice, ch); return;
        }
    }
    switch (ch.effect) {
        case EFFECT_SAMPLE_OFFSET: SampleOffset(ch); break;
        case EFFECT_POSITION_JUMP: PositionJump(ch); break;
        case EFFECT_VOLUME_CHANGE: VolumeChange(voice, ch); break;
        case EFFECT_PATTERN_BREAK: PatternBreak(ch); break;
        case EFFECT_EXTENDED: ECommands(voice, ch); break;
        case EFFECT_SET_SPEED: SetSpeed(ch); break;
        default: voice->SetAmigaPeriod(ch.period); break;
    }
}


void
ModTracker::Arpeggio(RVChannel* voice, Channel& ch)
{
    int semitones = 0;
    switch (counter % 3) {
        case 1: semitones = ch.effectArg >> 4; break;
        case 2: semitones = ch.effectArg & 0x0f; break;
    }
    // The highest notes have nothing above them: the step stops at the last note.
    int c = std::min(FindNote(ch.fineTune, ch.period) + semitones, LAST_NOTE);
    voice->SetAmigaPeriod(periods[ch.fineTune & 15][c]);
}


void
ModTracker::PortUp(RVChannel* voice, Channel& ch)
{
    ch.period = uint16(std::max<int32>(int32(ch.period) - ch.effectArg, minPeriod));
    voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::PortDown(RVChannel* voice, Channel& ch)
{
    ch.period = uint16(std::min<int32>(int32(ch.period) + ch.effectArg, maxPeriod));
    voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::SetTonePorta(Channel& ch)
{
    uint8  fineTune = ch.fineTune & 15;
    uint16 target = periods[0][ch.note - 1];
    int    c = std::min(FindNote(fineTune, target), LAST_NOTE);
    if (fineTune >= 8 && c != 0)
        c--;
    ch.wantedPeriod = periods[fineTune][c];
    ch.tonePortDown = false;
    if (ch.wantedPeriod == ch.period)
        ch.wantedPeriod = 0;
    else if (ch.period > ch.wantedPeriod)
        ch.tonePortDown = true;
}


void
ModTracker::TonePortamento(RVChannel* voice, Channel& ch)
{
    if (ch.effectArg != 0) {
        ch.tonePortSpeed = ch.effectArg;
        ch.effectArg = 0;
    }
    TonePortaStep(voice, ch);
}


// Slides towards the target and stops there; with glissando on, the voice hears the
// nearest note while the period slides on smoothly.
void
ModTracker::TonePortaStep(RVChannel* voice, Channel& ch)
{
    if (ch.wantedPeriod == 0)
        return;
    int32 p;
    if (ch.tonePortDown) {
        p = int32(ch.period) - ch.tonePortSpeed;
        if (p <= ch.wantedPeriod) {
            p = ch.wantedPeriod;
            ch.wantedPeriod = 0;
        }
    } else {
        p = int32(ch.period) + ch.tonePortSpeed;
        if (p >= ch.wantedPeriod) {
            p = ch.wantedPeriod;
            ch.wantedPeriod = 0;
        }
    }
    ch.period = uint16(p);
    if ((ch.glissFunk & 0x0f) != 0) {
        int c = std::min(FindNote(ch.fineTune, p), LAST_NOTE);
        voice->SetAmigaPeriod(periods[ch.fineTune & 15][c]);
    } else
        voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::Vibrato(RVChannel* voice, Channel& ch)
{
    SetCommandNibbles(ch.vibratoCmd, ch.effectArg);
    VibratoStep(voice, ch);
}


void
ModTracker::VibratoStep(RVChannel* voice, Channel& ch)
{
    uint32 a = WaveAmplitude(ch.vibratoPos, ch.waveControl & 3);
    int32  d = int32((a * (ch.vibratoCmd & 0x0f)) >> 7);
    int32  p = ch.vibratoPos < 0 ? int32(ch.period) - d : int32(ch.period) + d;
    voice->SetAmigaPeriod(uint32(std::max<int32>(p, 0)));
    ch.vibratoPos = int8(uint8(ch.vibratoPos) + 4 * (ch.vibratoCmd >> 4));
}


void
ModTracker::TonePlusVol(RVChannel* voice, Channel& ch)
{
    TonePortaStep(voice, ch);
    VolumeSlide(voice, ch);
}


void
ModTracker::VibratoPlusVol(RVChannel* voice, Channel& ch)
{
    VibratoStep(voice, ch);
    VolumeSlide(voice, ch);
}


void
ModTracker::Tremolo(RVChannel* voice, Channel& ch)
{
    SetCommandNibbles(ch.tremoloCmd, ch.effectArg);
    uint32 a = WaveAmplitude(ch.tremoloPos, (ch.waveControl >> 4) & 3);
    int32  d = int32((a * (ch.tremoloCmd & 0x0f)) >> 6);
    int32  v = ch.tremoloPos < 0 ? ch.volume - d : ch.volume + d;
    v = std::clamp<int32>(v, 0, MAX_VOLUME);
    voice->SetVolume(uint16(v * 4));
    ch.tremoloPos = int8(uint8(ch.tremoloPos) + 4 * (ch.tremoloCmd >> 4));
}


void
ModTracker::SampleOffset(Channel& ch)
{
    if (ch.effectArg != 0)
        ch.offsetMemory = ch.effectArg;
    uint32 offset = uint32(ch.offsetMemory) * 128;
    if (offset < ch.length) {
        ch.startOffset = uint16(offset);
        return;
    }
    // Beyond the sample: the note starts at the loop (and plays nothing without one).
    ch.length = ch.loopLength;
    ch.sampleData = ch.loopData;
    ch.startOffset = 0;
}


void
ModTracker::VolumeSlide(RVChannel* voice, Channel& ch)
{
    int32 x = ch.effectArg >> 4;
    int32 y = ch.effectArg & 0x0f;
    if (x != 0)
        ch.volume = int8(std::min<int32>(ch.volume + x, MAX_VOLUME));
    else
        ch.volume = int8(std::max<int32>(ch.volume - y, 0));
    voice->SetVolume(uint16(ch.volume * 4));
}


// Whether the jump ends the song is decided when the position changes (NextPos), once
// the last jump of the row is known.
void
ModTracker::PositionJump(Channel& ch)
{
    breakPos = 0;
    posJumpFlag = true;
    positionJumped = true;
    songPos = uint16(ch.effectArg - 1);
}


void
ModTracker::VolumeChange(RVChannel* voice, Channel& ch)
{
    ch.volume = int8(std::min<uint8>(ch.effectArg, MAX_VOLUME));
    voice->SetVolume(uint16(ch.volume * 4));
}


// The row is read as two decimal digits; rows past the pattern are bounded by NextPos.
void
ModTracker::PatternBreak(Channel& ch)
{
    breakPos = uint16((ch.effectArg >> 4) * 10 + (ch.effectArg & 0x0f));
    posJumpFlag = true;
}
