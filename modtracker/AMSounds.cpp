// StarTracker AM sounds: a looped 32-byte waveform with an envelope, a pitch fall and a
// vibrato, driven once per tick after all effects.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <cstdlib>

#include "beos/OS.h"
#include "framework/RVChannel.h"
#include "modtracker/Tables.h"

namespace {

const uint16 AM_RECORDS = 31;
const uint16 AM_WAVE_WORDS = 16;
const int    AM_WAVE_BYTES = 2 * AM_WAVE_WORDS;
const int    AM_NOISE_WAVE = 3;
const uint16 AM_DEGREES = 360;
const uint16 AM_HALF_TURN = 180;
const int32  MAX_VOICE_VOLUME = 256;
const double RANDOM_SCALE = 4.656613e-10;   // about 2^-31, the generator's range

enum : uint16 {
    AM_OFF = 0,
    AM_ATTACK1 = 1,
    AM_ATTACK2 = 2,
    AM_DECAY = 3,
    AM_SUSTAIN = 4,
    AM_RELEASE = 5,
};

// One envelope segment: moves the amplitude by `speed` towards `level`, and enters
// `next` once it gets there.
void
Approach(Channel& ch, uint16 level, uint16 speed, uint16 next)
{
    if (ch.amVolume == level) {
        ch.amPhase = next;
        return;
    }
    if (ch.amVolume < level) {
        int16 volume = int16(ch.amVolume + speed);
        if (volume >= level) {
            volume = int16(level);
            ch.amPhase = next;
        }
        ch.amVolume = volume;
    } else {
        int16 volume = int16(ch.amVolume - speed);
        if (volume <= level) {
            volume = int16(level);
            ch.amPhase = next;
        }
        ch.amVolume = volume;
    }
}


void
RunEnvelope(Channel& ch, const AMSample& r)
{
    switch (ch.amPhase) {
        case AM_ATTACK1: Approach(ch, r.attack1Level, r.attack1Speed, AM_ATTACK2); break;
        case AM_ATTACK2: Approach(ch, r.attack2Level, r.attack2Speed, AM_DECAY); break;
        case AM_DECAY: Approach(ch, r.sustainLevel, r.decaySpeed, AM_SUSTAIN); break;
        case AM_SUSTAIN:
            ch.amSustainCount--;
            if (ch.amSustainCount < 0)
                ch.amPhase = AM_RELEASE;
            break;
        case AM_RELEASE:
            ch.amVolume = int16(ch.amVolume - r.releaseSpeed);
            if (ch.amVolume <= 0) {
                ch.amPhase = AM_OFF;
                ch.amVolume = 0;
                ch.amSound = false;
            }
            break;
        default: break;
    }
}


// Period offset of the AM vibrato at the channel's angle.
int32
VibratoOffset(const Channel& ch, const AMSample& r)
{
    int32 depth = int16(r.vibratoDepth);
    if (depth == 0)
        return 0;
    uint32 angle = ch.amVibPos % AM_DEGREES;
    bool   negative = angle >= AM_HALF_TURN;
    if (negative)
        angle -= AM_HALF_TURN;
    int32 offset = amSinus[angle] * depth / 128;
    return negative ? -offset : offset;
}


void
SeedRandomOnce()
{
    static const bool seeded = (srand(unsigned(real_time_clock_usecs())), true);
    (void)seeded;
}


// A draw of the generator scaled to 0..max.
uint32
ScaleRandom(int draw, uint32 max)
{
    double value = (double(max) + 1) * double(draw) * RANDOM_SCALE;
    // The scale is a little above 2^-31, so the top of the range would round to max + 1.
    return std::min(uint32(value), max);
}


// The record of the channel's sample, or null when the channel has none to follow.
const AMSample*
AMRecord(const AMSample* amData, const Channel& ch)
{
    if (amData == nullptr || ch.sampleNumber == 0 || ch.sampleNumber > AM_RECORDS)
        return nullptr;
    return &amData[ch.sampleNumber - 1];
}

}   // namespace


// A waveform number above 3 names none; its low two bits choose one.
void
ModTracker::StartAMSound(Channel& ch)
{
    const AMSample* r = AMRecord(amData, ch);
    if (r == nullptr) {
        ch.amSound = false;
        return;
    }
    int8* wave = amWaveforms[r->waveform & 3];
    ch.startOffset = 0;
    ch.length = AM_WAVE_WORDS;
    ch.loopLength = AM_WAVE_WORDS;
    ch.sampleData = wave;
    ch.loopData = wave;
    sampleBounds[&ch - channels] = { wave, wave + 2 * AM_WAVE_WORDS };
    ch.amPhase = AM_ATTACK1;
    ch.amVibPos = 0;
    ch.amVolume = int16(r->startAmplitude);
    ch.period = uint16(uint32(ch.period) << (r->octaveShift & 31));
}


void
ModTracker::AMHandler()
{
    for (uint16 i = 0; i < channelNum; i++) {
        Channel&        ch = channels[i];
        const AMSample* r = AMRecord(amData, ch);
        if (!ch.amSound || r == nullptr)
            continue;
        RVChannel* voice = virtualChannels[i];
        RunEnvelope(ch, *r);
        voice->SetVolume(uint16(std::clamp<int32>(ch.amVolume, 0, MAX_VOICE_VOLUME)));
        ch.period = uint16(ch.period + r->pitchFall);
        int32 period = int32(ch.period) + VibratoOffset(ch, *r);
        voice->SetAmigaPeriod(uint32(std::max<int32>(period, 0)));
        // Speeds of a whole turn or more are taken modulo one turn.
        ch.amVibPos = uint16((ch.amVibPos + r->vibratoSpeed) % AM_DEGREES);
    }
    RefreshNoise(amWaveforms[AM_NOISE_WAVE]);
}


// Random(255) for each byte, in order; the generator is drawn in one run and the
// scaling done after, which keeps the numbers and spares a call per byte.
void
ModTracker::RefreshNoise(int8* wave)
{
    SeedRandomOnce();
    int draws[AM_WAVE_BYTES];
    for (int k = 0; k < AM_WAVE_BYTES; k++)
        draws[k] = rand();
    for (int k = 0; k < AM_WAVE_BYTES; k++)
        wave[k] = int8(uint8(ScaleRandom(draws[k], 255)));
}


uint32
ModTracker::Random(uint32 max)
{
    if (max == 0)
        return 0;
    SeedRandomOnce();
    return ScaleRandom(rand(), max);
}
