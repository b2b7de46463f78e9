// The headers of a MultiTracker file as the file lays them out, and the rule that
// detection and the loader both apply: a file recognised is a file that loads.
#ifndef MODTRACKER_MTMHEADER_H
#define MODTRACKER_MTMHEADER_H

#include "modtracker/LoaderSupport.h"

const int MTM_SONG_NAME_BYTES = 20;
const int MTM_SAMPLE_NAME_BYTES = 22;
const int MTM_MAX_CHANNELS = 32;

// The file header (66 bytes). Numbers are little-endian.
struct MtmFileHeader
{
    char     signature[3];                // "MTM"
    uint8    version;                     // 0x10, the only version known
    char     name[MTM_SONG_NAME_BYTES];   // zero-padded
    l_uint16 tracks;                      // stored tracks; number 0 is the empty track
    uint8    lastPattern;                 // patterns - 1
    uint8    lastPosition;                // song length - 1, up to 255
    l_uint16 commentLength;               // bytes, after the sequences
    uint8    samples;
    uint8    attributes;   // ignored
    uint8    rows;         // rows of every track
    uint8    channels;
    uint8    panning[MTM_MAX_CHANNELS];   // 0..15 in a good file
};
static_assert(sizeof(MtmFileHeader) == 66);

// One sample header (37 bytes), after the file header.
struct MtmSampleHeader
{
    char     name[MTM_SAMPLE_NAME_BYTES];   // zero-padded
    l_uint32 length;                        // bytes
    l_uint32 loopStart;                     // bytes
    l_uint32 loopEnd;                       // bytes; below loopStart in some files
    uint8    fineTune;                      // low four bits
    uint8    volume;                        // 0..64 in a good file
    uint8    attributes;                    // ignored: all data is taken as 8-bit
};
static_assert(sizeof(MtmSampleHeader) == 37);

// The signature and version: the file says it is a MultiTracker module.
bool MtmSigned(const MtmFileHeader& header);

// A signed header the loader can build a song from: 1 to 32 channels and tracks of at
// least one row.
bool MtmHeaderValid(const MtmFileHeader& header);

#endif
