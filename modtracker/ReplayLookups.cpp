#include "modtracker/ReplayLookups.h"

#include <algorithm>

void
TakeLoop(const Sample& smp, bool soundTracker, Channel& ch)
{
    int8*  data = smp.data;
    uint32 words = data != nullptr ? smp.length : 0;
    uint32 loopStart = smp.loopStart;
    uint32 loopLength = smp.loopLength;
    if (loopStart != 0 && loopLength > 1 && soundTracker) {
        uint32 skip = std::min(loopStart, 2 * words);
        ch.sampleData = data + skip;
        ch.loopData = ch.sampleData;
        loopLength = std::min(loopLength, (2 * words - skip) / 2);
        ch.length = uint16(loopLength);
    } else if (loopStart != 0 && loopLength > 1) {
        uint32 skip = std::min(loopStart, words);
        ch.sampleData = data;
        ch.loopData = data + 2 * skip;
        loopLength = std::min(loopLength, words - skip);
        ch.length = uint16(skip + loopLength);
    } else {
        uint32 skip = std::min(loopStart, 2 * words);
        ch.sampleData = data;
        ch.loopData = data + skip;
        loopLength = std::min(loopLength, (2 * words - skip) / 2);
        ch.length = uint16(words);
    }
    ch.loopLength = uint16(loopLength);
    ch.funkPtr = ch.loopData;
}

bool
TrackTable::HasRow(uint16 pattern, uint16 row) const
{
    return pattern < patterns && row < rows && sequences != nullptr && tracks != nullptr;
}

const TrackLine*
TrackTable::Cell(uint16 pattern, uint16 row, uint16 channel) const
{
    if (!HasRow(pattern, row) || channel >= 32)
        return nullptr;
    uint16 track = sequences[pattern * 32 + channel];
    if (track >= buffers || tracks[track] == nullptr)
        return nullptr;
    return &tracks[track][row];
}
