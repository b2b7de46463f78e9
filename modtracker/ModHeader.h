// The header of a MOD file as the file lays it out, and what detection and the loader
// both decide from a file's first bytes: whether a header plays as a type, channel
// counts, plausible pattern cells and files of other formats. One answer for both, so
// that a file recognised is a file that loads.
#ifndef MODTRACKER_MODHEADER_H
#define MODTRACKER_MODHEADER_H

#include "modtracker/LoaderSupport.h"

class PFile;

const int   MOD_SONG_NAME_BYTES = 20;
const int   MOD_SAMPLE_NAME_BYTES = 22;
const int   MOD_MAX_SAMPLES = 31;
const int   MOD_POSITIONS = 128;
const int32 MOD_MARK_OFFSET = 1080;
const int32 MOD_PATTERN_OFFSET = 1084;   // patterns of a marked file
const int   MOD_ROWS = 64;
const int   MOD_CELL_BYTES = 4;
const int   MOD_MAX_CHANNELS = 32;

// One sample header (30 bytes). Numbers are big-endian.
struct ModSampleHeader
{
    char     name[MOD_SAMPLE_NAME_BYTES];   // zero-padded; text may fill all 22
    b_uint16 length;                        // words
    uint8    fineTune;                      // low four bits; the SoundTracker types have none
    uint8    volume;                        // 0..64 in a good file
    b_uint16 loopStart;                     // bytes in the SoundTracker types, words in the others
    b_uint16 loopLength;                    // words; 0 or 1 is no loop
};
static_assert(sizeof(ModSampleHeader) == 30);

// The song, after the sample headers (130 bytes). A marked file follows it with its mark.
struct ModSongHeader
{
    uint8 songLength;                 // positions played; 0 in some files
    uint8 restart;                    // NoiseTracker and StarTracker; 127 or junk in others
    uint8 positions[MOD_POSITIONS];   // pattern of each position, past the song too
};
static_assert(sizeof(ModSongHeader) == 130);

// A whole header. Unlike its parts it does not mirror the file: the type decides how
// many sample headers there are and whether a mark follows the song.
struct ModFileHeader
{
    char            name[MOD_SONG_NAME_BYTES];   // zero-padded
    ModSampleHeader samples[MOD_MAX_SAMPLES];    // sampleCount of them are read
    ModSongHeader   song;
    uint32          mark;          // big-endian as read; 0 in the unmarked types
    uint16          sampleCount;   // 15 for SoundTracker15, 31 for the others
};

constexpr uint32
ModMark(const char text[5])
{
    return uint32(uint8(text[0])) << 24 | uint32(uint8(text[1])) << 16 | uint32(uint8(text[2])) << 8
        | uint8(text[3]);
}

// Bytes of the header of a file of the given type (600, 1080 or 1084), and the offset
// of its song: what lies before it is the name and the sample headers.
int32 ModHeaderBytes(uint32 type);
int32 ModSongOffset(uint32 type);

// The header of a file of the given type, from its first ModHeaderBytes(type) bytes.
void DecodeModHeader(const uint8* bytes, uint32 type, ModFileHeader& header);

// A header that plays as the given type. A marked type needs a mark naming 1 to 32
// channels; an unmarked one text for its sample names and a song length, and with 31
// samples it must not be a file of a format whose positions name tracks. Detection asks
// it of the type it found, the loader of the type it was given. Keeps the file's position.
bool ModHeaderValid(const ModFileHeader& header, uint32 type, PFile* file);

// The positions a song plays: the file's count, at least the first and at most all 128.
uint16 ModSongLength(const ModSongHeader& song);

// Whether a 4-channel M.K., M!K! or M&K! file was written for the ProTracker rules rather
// than the NoiseTracker ones: its restart byte is 127 or more, a sample has a finetune, or
// a pattern the song plays uses a command the older tracker never wrote (a tempo, E1x to
// EFx). The header must be decoded as a marked type, its finetunes as the file has them.
// Keeps the file's position.
bool IsProTrackerSong(const ModFileHeader& header, PFile* file);

// Text and zeros only, as the old trackers wrote sample names.
bool SampleNameIsText(const char (&name)[MOD_SAMPLE_NAME_BYTES]);

// Cells as a tracker writes them: each names a sample the module has (or none) and no
// period or one from 28 to 3424. Other data read as cells rarely passes.
bool PlausibleCells(const uint8* cells, int32 bytes, uint16 sampleCount);

// The channels of a marked MOD file, or 0 when its mark names no count from 1 to 32.
// Keeps the file's position.
int ModChannels(PFile* file, uint32 mark);

// "MTN\0" or "IT10" at offset 1464: a file of a format whose position list names tracks,
// not one of ours though it has a 31-sample layout. Keeps the file's position.
bool IsTrackListFormat(PFile* file);

#endif
