// The module records ModTracker keeps in memory: one form for MOD and MTM files.
#ifndef MODTRACKER_MODULETYPES_H
#define MODTRACKER_MODULETYPES_H

#include "beos/SupportDefs.h"
#include "support/PString.h"

// Module type numbers, in detection order.
enum ModType : uint32 {
    MODTYPE_SOUNDTRACKER15 = 0,
    MODTYPE_SOUNDTRACKER31 = 1,
    MODTYPE_NOISETRACKER = 2,
    MODTYPE_STARTRACKER = 3,
    MODTYPE_PROTRACKER = 4,
    MODTYPE_FASTTRACKER = 5,
    MODTYPE_TAKETRACKER = 6,
    MODTYPE_MULTITRACKER = 7,
    MODTYPE_COUNT = 8,
};

// The loaders' errors. Each is also the number of the text the loader prints, in the
// player's string table.
enum LoadError : int32 {
    LOAD_ERROR_MEMORY = 1001,
    LOAD_ERROR_HEADER = 1002,
    LOAD_ERROR_PATTERNS = 1003,
    LOAD_ERROR_SAMPLE_INFO = 1004,
    LOAD_ERROR_SAMPLES = 1005,
};

struct Sample
{
    PString name;         // at most 22 characters
    int8*   data;         // length * 2 bytes, owned; null when length is 0
    uint16  length;       // words
    uint16  loopStart;    // as the file gives it (MTM: words)
    uint16  loopLength;   // words
    uint8   fineTune;     // 0..15
    uint8   volume;       // as stored in the file
    uint32  missing;      // bytes of data the file lacked; they play as silence
};

// One decoded pattern cell.
struct TrackLine
{
    uint8 note;     // 0 = none, else 1..84
    uint8 sample;   // 0 = none, else 1-based
    uint8 effect;   // 0..15
    uint8 effectArg;
};
static_assert(sizeof(TrackLine) == 4);

const uint16 AM_MARK = 0x414D;   // 'A' 'M'

// One StarTracker AM sound definition (120 bytes in the companion file).
struct AMSample
{
    uint16 mark;
    uint32 unused1;
    uint16 startAmplitude;
    uint16 attack1Level;
    uint16 attack1Speed;
    uint16 attack2Level;
    uint16 attack2Speed;
    uint16 sustainLevel;
    uint16 decaySpeed;
    uint16 unused2;
    uint16 unused3;
    uint16 releaseSpeed;
    uint16 waveform;
    uint16 pitchFall;
    uint16 vibratoDepth;   // read as signed
    uint16 vibratoSpeed;
    uint16 octaveShift;
    uint8  unused4[84];
};

// Replay state of one module channel.
struct Channel
{
    uint8  note;
    uint8  sample;
    uint8  effect;
    uint8  effectArg;
    int8*  sampleData;   // where the playing part begins
    uint16 length;       // words to play from sampleData
    int8*  loopData;
    uint16 loopLength;    // words; 0 = no loop
    uint16 startOffset;   // words skipped when a note triggers
    uint16 period;
    uint8  fineTune;
    int8   volume;    // 0..64
    uint8  panning;   // MultiTracker pan * 16
    bool   tonePortDown;
    uint8  tonePortSpeed;
    uint16 wantedPeriod;   // 0 = no target
    uint8  vibratoCmd;     // speed << 4 | depth
    int8   vibratoPos;
    uint8  tremoloCmd;
    int8   tremoloPos;
    uint8  waveControl;   // bits 0-1 vibrato wave, 0x04 keep; bits 4-5 tremolo, 0x40 keep
    uint8  glissFunk;     // low nibble glissando, high nibble funk speed
    uint8  offsetMemory;
    uint8  loopRow;
    uint8  loopCount;
    uint8  funkCount;
    int8*  funkPtr;
    bool   amSound;
    uint16 amPhase;        // 0 off, 1 attack 1, 2 attack 2, 3 decay, 4 sustain, 5 release
    uint16 sampleNumber;   // 1-based, 0 = none yet
    int16  amVolume;       // 0..256
    uint16 amVibPos;       // degrees
    int16  amSustainCount;
};

#endif
