// What detection and the loaders both decide from a file's first bytes: channel counts,
// plausible pattern cells and files of other formats. One answer for both, so that a file
// recognised is a file that loads.
#ifndef MODTRACKER_MODHEADER_H
#define MODTRACKER_MODHEADER_H

#include "beos/SupportDefs.h"

class PFile;

const int32 MOD_MARK_OFFSET = 1080;
const int32 MOD_PATTERN_OFFSET = 1084;  // patterns of a marked file
const int MOD_ROWS = 64;
const int MOD_CELL_BYTES = 4;
const int MOD_MAX_CHANNELS = 32;

constexpr uint32
ModMark(const char text[5])
{
    return uint32(uint8(text[0])) << 24 | uint32(uint8(text[1])) << 16
        | uint32(uint8(text[2])) << 8 | uint8(text[3]);
}

// Cells as a tracker writes them: each names a sample the module has (or none) and no
// period or one from 28 to 3424. Other data read as cells rarely passes.
bool                PlausibleCells(const uint8* cells, int32 bytes, uint16 sampleCount);

// The channels of a marked MOD file, or 0 when its mark names no count from 1 to 32.
// Keeps the file's position.
int                 ModChannels(PFile* file, uint32 mark);

// "MTN\0" or "IT10" at offset 1464: a file of a format whose position list names tracks,
// not one of ours though it has a 31-sample layout. Keeps the file's position.
bool                IsTrackListFormat(PFile* file);

// An MTM header the loader can build a song from.
bool                MtmShapeValid(uint8 channels, uint8 rows);

#endif
