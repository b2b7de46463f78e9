// ModTracker: which of the eight module types a file is.
#include "modtracker/ModTracker.h"

#include "modtracker/ModHeader.h"
#include "support/PFile.h"

namespace {

const int32 MIN_MTM_LENGTH = 68;
const int32 MTM_SHAPE_OFFSET = 32;  // rows per track, then channels
const int32 MIN_MOD_LENGTH = 1148;
const int32 RESTART_OFFSET = 951;
const int32 PATTERN_BYTES = 1024;   // 64 rows of 4 channels
const int32 SONG_LENGTH_15 = 470;
const int32 SONG_LENGTH_31 = 950;
const int32 SAMPLE_HEADERS_OFFSET = 20;
const int32 SAMPLE_HEADER_BYTES = 30;
const int SAMPLE_NAME_BYTES = 22;
const uint8 PROTRACKER_RESTART = 127;
const uint8 TEMPO_FLOOR = 32;       // F parameters from here on set the tempo

bool
IsPrintable(uint8 c)
{
    return c >= 32 && c <= 127;
}

bool
IsTakeTrackerMark(uint32 mark)
{
    return (mark & 0x00FFFFFF) == (ModMark("xCHN") & 0x00FFFFFF)
        || (mark & 0x0000FFFF) == (ModMark("xxCH") & 0x0000FFFF)
        || (mark & 0xFFFFFF00) == (ModMark("TDZx") & 0xFFFFFF00);
}

// M.K. files from the tracker with the tempo command carry restart byte 127 or set a
// tempo in the first pattern they play.
int32
TestNoiseTracker(PFile* file, const uint8* head)
{
    if (head[RESTART_OFFSET] >= PROTRACKER_RESTART)
        return MODTYPE_PROTRACKER;
    uint8 first = head[RESTART_OFFSET + 1];
    file->Seek(MOD_PATTERN_OFFSET + first * PATTERN_BYTES, PFile::pSeekBegin);
    uint8 cells[PATTERN_BYTES] = {};
    file->Read(cells, PATTERN_BYTES);
    for (int i = 0; i < PATTERN_BYTES; i += 4) {
        if ((cells[i + 2] & 0x0F) == 0x0F && cells[i + 3] >= TEMPO_FLOOR)
            return MODTYPE_PROTRACKER;
    }
    return MODTYPE_NOISETRACKER;
}

// The 22-byte name of sample header n: text and zeros only.
bool
NameIsText(const uint8* head, uint16 n)
{
    const uint8* name = head + SAMPLE_HEADERS_OFFSET + SAMPLE_HEADER_BYTES * n;
    for (int i = 0; i < SAMPLE_NAME_BYTES; i++) {
        if (name[i] != 0 && !IsPrintable(name[i]))
            return false;
    }
    return true;
}

// A file without a mark: an old module, if its sample names are text.
int32
TestUnmarked(const uint8* head)
{
    for (uint16 n = 0; n < 15; n++) {
        if (!NameIsText(head, n))
            return -1;
    }
    if (!NameIsText(head, 15))
        return head[SONG_LENGTH_15] != 0 ? int32(MODTYPE_SOUNDTRACKER15) : -1;
    for (uint16 n = 16; n < 31; n++) {
        if (!NameIsText(head, n))
            return -1;
    }
    return head[SONG_LENGTH_31] != 0 ? int32(MODTYPE_SOUNDTRACKER31) : -1;
}

}   // namespace

int32
ModTracker::ModuleCheck(uint32 index, PFile* file)
{
    if (TestModule(file) != int32(index))
        return 2;
    modType = index;
    return 0;
}

// Everything but the tempo scan and the 8-channel rule lies in the first 1084 bytes,
// read at once: a host asks this of every file it lists, through an uncached file.
int32
ModTracker::TestModule(PFile* file)
{
    int32 length = file->GetLength();
    if (length < MIN_MTM_LENGTH)
        return -1;
    uint8 head[MOD_PATTERN_OFFSET] = {};
    file->Seek(0, PFile::pSeekBegin);
    file->Read(head, MOD_PATTERN_OFFSET);
    if (head[0] == 'M' && head[1] == 'T' && head[2] == 'M' && head[3] == 16) {
        uint8 rows = head[MTM_SHAPE_OFFSET];
        uint8 channels = head[MTM_SHAPE_OFFSET + 1];
        return MtmShapeValid(channels, rows) ? int32(MODTYPE_MULTITRACKER) : -1;
    }
    if (length < MIN_MOD_LENGTH)
        return -1;

    const uint8* m = head + MOD_MARK_OFFSET;
    uint32 mark = uint32(m[0]) << 24 | uint32(m[1]) << 16 | uint32(m[2]) << 8 | m[3];
    if (mark == ModMark("M.K.") && ModChannels(file, mark) == 8)
        return MODTYPE_FASTTRACKER;
    if (mark == ModMark("M.K.") || mark == ModMark("M!K!") || mark == ModMark("M&K!"))
        return TestNoiseTracker(file, head);
    if (mark == ModMark("FLT4"))
        return MODTYPE_STARTRACKER;
    if (mark == ModMark("6CHN") || mark == ModMark("8CHN"))
        return MODTYPE_FASTTRACKER;
    if (IsTakeTrackerMark(mark))
        return ModChannels(file, mark) != 0 ? int32(MODTYPE_TAKETRACKER) : -1;
    if (IsPrintable(m[0]) && IsPrintable(m[1]) && IsPrintable(m[2]) && IsPrintable(m[3]))
        return -1;
    int32 type = TestUnmarked(head);
    if (type == MODTYPE_SOUNDTRACKER31 && IsTrackListFormat(file))
        return -1;
    return type;
}

bool
ModTracker::CheckSampleName(PFile* file, uint16 n)
{
    uint8 name[SAMPLE_NAME_BYTES] = {};
    file->Seek(SAMPLE_HEADERS_OFFSET + SAMPLE_HEADER_BYTES * n, PFile::pSeekBegin);
    file->Read(name, sizeof(name));
    for (uint8 c : name) {
        if (c != 0 && !IsPrintable(c))
            return false;
    }
    return true;
}
