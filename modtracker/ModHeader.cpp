#include "modtracker/ModHeader.h"

#include <algorithm>
#include <cstring>

#include "modtracker/Effects.h"
#include "modtracker/ModuleTypes.h"
#include "support/PFile.h"

namespace {

const uint16 OLD_SAMPLES = 15;   // SoundTracker15
const int32  FOUR_CHANNEL_PATTERN = 1024;
const int32  SIZE_TOLERANCE = 1024;   // trailing bytes an 8-channel file may carry
const int32  FORMAT_TAG_OFFSET = 1464;
const uint16 LOWEST_PERIOD = 28;
const uint16 HIGHEST_PERIOD = 3424;
const uint8  PROTRACKER_RESTART = 127;
const int    MAX_PATTERNS = 256;   // a position names one of 256 patterns

// The types from NoiseTracker on have a mark after the song.
bool
IsMarked(uint32 type)
{
    return type >= MODTYPE_NOISETRACKER;
}

uint16
SampleHeaderCount(uint32 type)
{
    return type == MODTYPE_SOUNDTRACKER15 ? OLD_SAMPLES : MOD_MAX_SAMPLES;
}

// Restores the file position when a look elsewhere is done.
class KeepPosition
{
public:
    explicit KeepPosition(PFile* file) : file(file), position(file->GetPosition()) {}
    ~KeepPosition() { file->Seek(position, PFile::pSeekBegin); }
    KeepPosition(const KeepPosition&) = delete;
    KeepPosition& operator=(const KeepPosition&) = delete;

private:
    PFile* file;
    int32  position;
};

// The count the mark spells; digits are taken as they come, so any count may result.
int
MarkChannels(uint32 mark)
{
    char c[4] = { char(mark >> 24), char(mark >> 16), char(mark >> 8), char(mark) };
    if (c[1] == 'C' && c[2] == 'H' && c[3] == 'N')
        return c[0] - '0';
    if (c[2] == 'C' && c[3] == 'H')
        return (c[0] - '0') * 10 + (c[1] - '0');
    if (c[0] == 'T' && c[1] == 'D' && c[2] == 'Z')
        return c[3] - '0';
    return 4;
}

// Some converters wrote 8-channel modules under "M.K.". Such a file is as long as its
// patterns read at 8 channels and its samples (give or take trailing bytes), and what
// a 4-channel reading would take for the start of its sample data is pattern cells.
// The length alone would also fit a 4-channel file followed by other data.
bool
IsEightChannelMK(PFile* file)
{
    uint8 bytes[MOD_PATTERN_OFFSET] = {};
    file->Seek(0, PFile::pSeekBegin);
    file->Read(bytes, MOD_PATTERN_OFFSET);
    ModFileHeader header;
    DecodeModHeader(bytes, MODTYPE_PROTRACKER, header);
    const uint8* positions = header.song.positions;
    int64        patterns = *std::max_element(positions, positions + MOD_POSITIONS) + 1;
    int64        sampleBytes = 0;
    for (const ModSampleHeader& sample : header.samples)
        sampleBytes += 2 * int64(sample.length);
    int64 eightChannelSize = MOD_PATTERN_OFFSET + patterns * 2 * FOUR_CHANNEL_PATTERN + sampleBytes;
    int64 length = file->GetLength();
    if (length < eightChannelSize || length >= eightChannelSize + SIZE_TOLERANCE)
        return false;

    file->Seek(int32(MOD_PATTERN_OFFSET + patterns * FOUR_CHANNEL_PATTERN), PFile::pSeekBegin);
    uint8 cells[FOUR_CHANNEL_PATTERN];
    for (int64 p = 0; p < patterns; p++) {
        if (file->Read(cells, FOUR_CHANNEL_PATTERN) != FOUR_CHANNEL_PATTERN
            || !PlausibleCells(cells, FOUR_CHANNEL_PATTERN, MOD_MAX_SAMPLES))
            return false;
    }
    return true;
}

}   // namespace


int32
ModHeaderBytes(uint32 type)
{
    int32 markBytes = IsMarked(type) ? int32(sizeof(b_uint32)) : 0;
    return ModSongOffset(type) + int32(sizeof(ModSongHeader)) + markBytes;
}


int32
ModSongOffset(uint32 type)
{
    return MOD_SONG_NAME_BYTES + SampleHeaderCount(type) * int32(sizeof(ModSampleHeader));
}


void
DecodeModHeader(const uint8* bytes, uint32 type, ModFileHeader& header)
{
    header = ModFileHeader {};
    header.sampleCount = SampleHeaderCount(type);
    memcpy(header.name, bytes, sizeof(header.name));
    memcpy(
        header.samples, bytes + sizeof(header.name), header.sampleCount * sizeof(ModSampleHeader));
    const uint8* song = bytes + ModSongOffset(type);
    memcpy(&header.song, song, sizeof(header.song));
    if (IsMarked(type)) {
        b_uint32 mark;
        memcpy(&mark, song + sizeof(header.song), sizeof(mark));
        header.mark = mark;
    }
}


bool
ModHeaderValid(const ModFileHeader& header, uint32 type, PFile* file)
{
    if (IsMarked(type)) {
        int channels = MarkChannels(header.mark);
        return channels >= 1 && channels <= MOD_MAX_CHANNELS;
    }
    for (uint16 n = 0; n < header.sampleCount; n++) {
        if (!SampleNameIsText(header.samples[n].name))
            return false;
    }
    if (header.song.songLength == 0)
        return false;
    return type != MODTYPE_SOUNDTRACKER31 || !IsTrackListFormat(file);
}


uint16
ModSongLength(const ModSongHeader& song)
{
    return std::clamp<uint16>(song.songLength, 1, MOD_POSITIONS);
}


bool
IsProTrackerSong(const ModFileHeader& header, PFile* file)
{
    if (header.song.restart >= PROTRACKER_RESTART)
        return true;
    for (uint16 n = 0; n < header.sampleCount; n++) {
        if ((header.samples[n].fineTune & 0x0F) != 0)
            return true;
    }
    KeepPosition keep(file);
    bool         scanned[MAX_PATTERNS] = {};
    uint8        cells[FOUR_CHANNEL_PATTERN];
    for (uint16 i = 0; i < ModSongLength(header.song); i++) {
        uint8 pattern = header.song.positions[i];
        if (scanned[pattern])
            continue;
        scanned[pattern] = true;
        // Past the end of a short file the cells read as empty.
        memset(cells, 0, sizeof(cells));
        file->Seek(MOD_PATTERN_OFFSET + pattern * FOUR_CHANNEL_PATTERN, PFile::pSeekBegin);
        file->Read(cells, FOUR_CHANNEL_PATTERN);
        for (int32 c = 0; c < FOUR_CHANNEL_PATTERN; c += MOD_CELL_BYTES) {
            if (IsProTrackerCommand(cells[c + 2] & 0x0F, cells[c + 3]))
                return true;
        }
    }
    return false;
}


bool
SampleNameIsText(const char (&name)[MOD_SAMPLE_NAME_BYTES])
{
    for (char c : name) {
        uint8 byte = uint8(c);
        if (byte != 0 && (byte < 32 || byte > 127))
            return false;
    }
    return true;
}


bool
PlausibleCells(const uint8* cells, int32 bytes, uint16 sampleCount)
{
    for (int32 i = 0; i + MOD_CELL_BYTES <= bytes; i += MOD_CELL_BYTES) {
        const uint8* cell = cells + i;
        uint16       sample = uint16((cell[0] & 0xF0) | (cell[2] >> 4));
        uint16       period = uint16((cell[0] & 0x0F) << 8 | cell[1]);
        if (sample > sampleCount)
            return false;
        if (period != 0 && (period < LOWEST_PERIOD || period > HIGHEST_PERIOD))
            return false;
    }
    return true;
}


int
ModChannels(PFile* file, uint32 mark)
{
    if (mark == ModMark("M.K.")) {
        KeepPosition keep(file);
        if (IsEightChannelMK(file))
            return 8;
    }
    int channels = MarkChannels(mark);
    return channels >= 1 && channels <= MOD_MAX_CHANNELS ? channels : 0;
}


bool
IsTrackListFormat(PFile* file)
{
    KeepPosition keep(file);
    if (file->GetLength() < FORMAT_TAG_OFFSET + 4)
        return false;
    file->Seek(FORMAT_TAG_OFFSET, PFile::pSeekBegin);
    uint32 tag = file->Read_B_UINT32();
    return tag == ModMark("MTN\0") || tag == ModMark("IT10");
}
