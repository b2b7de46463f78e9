// The replay's two look-ups into the module's data: where a sample plays and loops, and
// which cell a row reads. Both keep to the data the load made whatever the records say,
// so no voice plays beyond a sample and no row reads beyond a track.
#ifndef MODTRACKER_REPLAYLOOKUPS_H
#define MODTRACKER_REPLAYLOOKUPS_H

#include "modtracker/ModuleTypes.h"

// Where the sample plays from and loops; loops reaching past the data are cut to it.
// SoundTracker (soundTracker true) counts the loop start in bytes and plays the loop
// alone.
void TakeLoop(const Sample& smp, bool soundTracker, Channel& ch);

// The cells of a module by pattern, row and channel.
struct TrackTable
{
    const TrackLine* const* tracks;      // `buffers` entries, any of them null
    uint32                  buffers;     // the track buffers the load made
    const uint16*           sequences;   // 32 track numbers a pattern
    uint16                  patterns;
    uint16                  rows;

    bool HasRow(uint16 pattern, uint16 row) const;
    // Null where the module has no such pattern, row or track.
    const TrackLine* Cell(uint16 pattern, uint16 row, uint16 channel) const;
};

#endif
