// StarTracker AM sounds: a looped 32-byte waveform with an envelope, a pitch fall and a
// vibrato, driven once per tick after all effects.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

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


// Draws of the standard generator in a row, the values rand() would give. glibc takes
// a lock for every rand(), which cost more than all the rest of a tick of an AM song.
// Its state can be borrowed through setstate() and advanced here by the generator's own
// rule (x[i] = x[i-3] + x[i-31], each draw x[i] >> 1) under two locks for all draws.
// That rule and the state's layout are checked once against random() itself on a state
// of our own; any other library, state or answer draws through rand(), one by one.
// While the state is out, a rand() of another thread draws on the stand-in instead.
class GeneratorDraws
{
public:
    static void Draw(int* draws, int count)
    {
#if defined(__GLIBC__)
        static const bool borrowable = Probe();
        if (borrowable) {
            std::lock_guard<std::mutex> hold(lender);
            int32*                      state = Borrow();
            if (state != nullptr) {
                Advance(state, draws, count);
                setstate(reinterpret_cast<char*>(state));
                return;
            }
        }
#endif
        for (int k = 0; k < count; k++)
            draws[k] = rand();
    }

private:
#if defined(__GLIBC__)
    // The layout behind setstate(): a word of type and rear index, then the values.
    static const int32 TYPE_3 = 3;
    static const int32 TYPES = 5;   // the word is rear * TYPES + type
    static const int   DEGREE = 31;
    static const int   SEPARATION = 3;
    static const int32 STATE_WORDS = 1 + DEGREE;

    // The generator's state, lent while a stand-in takes its place; null when it is of
    // another kind (and then it is given back at once).
    static int32* Borrow()
    {
        static int32 standIn[STATE_WORDS] = { TYPE_3 };
        char*        lent = setstate(reinterpret_cast<char*>(standIn));
        if (lent == nullptr)
            return nullptr;
        int32* state = reinterpret_cast<int32*>(lent);
        if (state == standIn || state[0] % TYPES != TYPE_3) {
            setstate(lent);
            return nullptr;
        }
        return state;
    }

    static void Advance(int32* state, int* draws, int count)
    {
        int32* values = state + 1;
        int    rear = state[0] / TYPES;
        int    front = (rear + SEPARATION) % DEGREE;
        for (int k = 0; k < count; k++) {
            uint32 value = uint32(values[front]) + uint32(values[rear]);
            values[front] = int32(value);
            draws[k] = int(value >> 1);
            if (++front == DEGREE) {
                front = 0;
                rear++;
            } else if (++rear == DEGREE) {
                rear = 0;
            }
        }
        state[0] = rear * TYPES + TYPE_3;
    }

    // Seeds a state of our own, draws on it through random() and through Advance, and
    // puts the process's state back untouched.
    static bool Probe()
    {
        const int    PROBE_DRAWS = 40;   // past the first turn of the 31 values
        static int32 own[STATE_WORDS];
        char*        process = initstate(0x5EED, reinterpret_cast<char*>(own), sizeof(own));
        if (process == nullptr)
            return false;
        int32* state = Borrow();
        bool   same = state == own;
        if (state != nullptr) {
            int32 copy[STATE_WORDS];
            memcpy(copy, state, sizeof(copy));
            setstate(reinterpret_cast<char*>(state));
            int expected[PROBE_DRAWS];
            int drawn[PROBE_DRAWS];
            for (int k = 0; k < PROBE_DRAWS; k++)
                expected[k] = int(random());
            Advance(copy, drawn, PROBE_DRAWS);
            same = same && memcmp(expected, drawn, sizeof(drawn)) == 0;
        }
        setstate(process);
        return same;
    }

    static std::mutex lender;
#endif
};

#if defined(__GLIBC__)
std::mutex GeneratorDraws::lender;
#endif


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
    GeneratorDraws::Draw(draws, AM_WAVE_BYTES);
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
