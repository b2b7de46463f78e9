// ModTracker: construction, its texts and the description of the add-on.
#include "modtracker/ModTracker.h"

#include <cstring>

#include "modtracker/Tables.h"
#include "support/PStringResource.h"

namespace {

#define CREDITS                                                                                    \
    "Replay routine written by the Zarnowelle team.\n"                                             \
    "Module loaders and AM sounds by the Zarnowelle team."

// Numbers: names 1-8, descriptions 11-18, MIME types 21-28 (type + 1, + 11, + 21).
const PStringResource kStrings[] = {
    { 1, "SoundTracker15" },
    { 2, "SoundTracker31" },
    { 3, "NoiseTracker" },
    { 4, "StarTracker" },
    { 5, "ProTracker" },
    { 6, "FastTracker" },
    { 7, "TakeTracker" },
    { 8, "MultiTracker" },
    { 11, CREDITS },
    { 12, CREDITS },
    { 13, CREDITS },
    { 14, CREDITS "\nThis player has support for AM sounds." },
    { 15, CREDITS "\nIt can handle modules in either 64 or 100 patterns format." },
    { 16, CREDITS "\nThis is a 6 and 8 channels ProTracker clone." },
    { 17, CREDITS "\nThis is a 1-32 channels ProTracker clone." },
    { 18,
        CREDITS "\nThis is a 1-32 channels ProTracker like clone, except that the file "
                "format is totally different." },
    { 21, "audio/x-mod" },
    { 22, "audio/x-mod" },
    { 23, "audio/x-mod" },
    { 24, "audio/x-mod" },
    { 25, "audio/x-mod" },
    { 26, "audio/x-mod" },
    { 27, "audio/x-mod" },
    { 28, "audio/x-mtm" },
    { 30, "Song Length:" },
    { 31, "Used Patterns:" },
    { 32, "Supported/Used Samples:" },
    { 33, "Actual Speed (BPM):" },
    { 50, "ModTracker Player" },
    { LOAD_ERROR_MEMORY, "Error 1:\nOut of memory" },
    { LOAD_ERROR_HEADER, "Error 2:\nCouldn't read the module header" },
    { LOAD_ERROR_PATTERNS, "Error 3:\nCouldn't read the module patterns" },
    { LOAD_ERROR_SAMPLE_INFO, "Error 4:\nCouldn't read the module sample information" },
    { LOAD_ERROR_SAMPLES, "Error 5:\nCouldn't read the module samples" },
    { -1, nullptr },
};

#undef CREDITS

const uint32 NAME_STRING = 1;
const uint32 DESCRIPTION_STRING = 11;
const uint32 TYPE_STRING = 21;

}   // namespace

ModTracker::ModTracker(RVGlobalData* global)
    : RVAddOnPlayer(global), resourceId(0), modType(0), patternNum(0), namedPatterns(0),
      channelNum(0), sampleNum(0), songLength(0), trackNum(0), rowsPerPattern(0), restartPos(0),
      minPeriod(0), maxPeriod(0), samples(nullptr), tracks(nullptr), trackBuffers(0),
      sequences(nullptr), amData(nullptr), channels(nullptr), mutex(nullptr), songPos(0),
      patternPos(0), breakPos(0), posJumpFlag(false), loopJumpFlag(false), speed(6), counter(0),
      patternDelay(0), patternDelayCount(0), endPending(false)
{
    addOnWord1 = 3;
    addOnWord2 = 5;
    addOnWord3 = 3;
    memset(panning, 0, sizeof(panning));
    memset(positions, 0, sizeof(positions));
    memcpy(amWaveforms, amWaveformTable, sizeof(amWaveforms));
    resourceId = uint32(AddStringResource(kStrings));
}

// EndPlayer frees the module; a player destroyed without it (a failed start, a test)
// must not leak it.
ModTracker::~ModTracker()
{
    Cleanup();
    RemoveStringResource(resourceId);
}

float
ModTracker::GetVersion()
{
    return 1.42f;
}

uint32
ModTracker::GetCount()
{
    return MODTYPE_COUNT;
}

// The table has no entry past the last type, so other indexes give the empty string
// rather than a resource exception.
static PString
TypeString(uint32 resourceId, uint32 first, uint32 index)
{
    PString text;
    if (index < MODTYPE_COUNT)
        text.LoadString(resourceId, first + index);
    return text;
}

PString
ModTracker::GetName(uint32 index)
{
    return TypeString(resourceId, NAME_STRING, index);
}

PString
ModTracker::GetDescription(uint32 index)
{
    return TypeString(resourceId, DESCRIPTION_STRING, index);
}

PString
ModTracker::GetModTypeString(uint32 index)
{
    return TypeString(resourceId, TYPE_STRING, index);
}

uint32
ModTracker::GetSupportFlags()
{
    return 0x40;
}
