// MixerSettings: every choice of sound the mixer offers, in one plain struct. The default
// value of each field is the mixer's own sound, which renders bit for bit as a mixer
// that was never given settings. RVMixer::SetSettings validates and applies it.
#ifndef MIXER_MIXERSETTINGS_H
#define MIXER_MIXERSETTINGS_H

#include "beos/SupportDefs.h"

enum MixInterpolation : uint8 {
    MIX_INTERPOLATION_NEAREST,   // the sample value under the position
    MIX_INTERPOLATION_LINEAR,
    MIX_INTERPOLATION_CUBIC,   // 4 points
    MIX_INTERPOLATION_SINC,    // windowed sinc, table-driven
};

// An Amiga whose output stage is emulated (band-limited steps, fixed filters, LED filter).
enum MixAmigaModel : uint8 {
    MIX_AMIGA_OFF,
    MIX_AMIGA_A500,
    MIX_AMIGA_A1200,
};

const double MIX_GAIN_MIN_DB = -60.0;
const double MIX_GAIN_MAX_DB = 30.0;
const int32  MIX_STEREO_MAX_PERCENT = 100;

struct MixerSettings
{
    MixInterpolation interpolation = MIX_INTERPOLATION_NEAREST;
    bool             ramping = false;   // volume, panning, starts and cuts over a few ms
    double           gainDb = 0.0;      // MIX_GAIN_MIN_DB..MIX_GAIN_MAX_DB, before the 16-bit clip
    int32            stereoPercent = MIX_STEREO_MAX_PERCENT;   // 0 mono .. 100 hard panning
    MixAmigaModel    amiga = MIX_AMIGA_OFF;

    bool operator==(const MixerSettings&) const = default;
};

#endif
