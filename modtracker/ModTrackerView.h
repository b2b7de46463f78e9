// What tests and the trace tool may read of a ModTracker. Numbers are copied when the
// view is taken; records and buffers are the player's own, shown through pointers to
// const and valid until its next load or EndPlayer. Only the player's operations
// change them, so take a fresh view after each.
#ifndef MODTRACKER_MODTRACKERVIEW_H
#define MODTRACKER_MODTRACKERVIEW_H

#include "modtracker/ModuleTypes.h"

class PMutex;

// The loaded module.
struct ModuleView
{
    uint32 modType;
    uint16 patternNum;
    uint16 namedPatterns;   // by the whole position list
    uint16 channelNum;
    uint16 sampleNum;
    uint16 songLength;
    uint16 trackNum;
    uint16 rowsPerPattern;
    uint16 restartPos;
    uint16 minPeriod;
    uint16 maxPeriod;
    const uint8 (&panning)[32];
    const uint8 (&positions)[128];
    const Sample*           samples;
    const TrackLine* const* tracks;
    const uint16*           sequences;
    const AMSample*         amData;
    PString                 companionPath;
};

// Where the replay stands, and the state of each module channel.
struct ReplayView
{
    static constexpr uint16 NO_ROW = 0xffff;

    const Channel* channels;   // channelNum records; null before InitPlayer
    const PMutex*  mutex;
    uint16         songPos;
    uint16         patternPos;
    uint16         breakPos;
    bool           posJumpFlag;
    bool           loopJumpFlag;
    uint8          speed;
    uint8          counter;
    uint8          patternDelay;
    uint8          patternDelayCount;
    const int8 (&amWaveforms)[4][32];
    uint16 rowSongPos;   // the row read last; NO_ROW before the first
    uint16 rowPatternPos;
};

#endif
