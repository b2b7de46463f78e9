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
TestNoiseTracker(PFile* file)
{
    file->Seek(RESTART_OFFSET, PFile::pSeekBegin);
    if (file->Read_UINT8() >= PROTRACKER_RESTART)
        return MODTYPE_PROTRACKER;
    uint8 first = file->Read_UINT8();
    file->Seek(MOD_PATTERN_OFFSET + first * PATTERN_BYTES, PFile::pSeekBegin);
    uint8 cells[PATTERN_BYTES] = {};
    file->Read(cells, PATTERN_BYTES);
    for (int i = 0; i < PATTERN_BYTES; i += 4) {
        if ((cells[i + 2] & 0x0F) == 0x0F && cells[i + 3] >= TEMPO_FLOOR)
            return MODTYPE_PROTRACKER;
    }
    return MODTYPE_NOISETRACKER;
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

int32
ModTracker::TestModule(PFile* file)
{
    int32 length = file->GetLength();
    if (length < MIN_MTM_LENGTH)
        return -1;
    uint8 head[4] = {};
    file->Seek(0, PFile::pSeekBegin);
    file->Read(head, 4);
    if (head[0] == 'M' && head[1] == 'T' && head[2] == 'M' && head[3] == 16) {
        file->Seek(MTM_SHAPE_OFFSET, PFile::pSeekBegin);
        uint8 rows = file->Read_UINT8();
        uint8 channels = file->Read_UINT8();
        return MtmShapeValid(channels, rows) ? int32(MODTYPE_MULTITRACKER) : -1;
    }
    if (length < MIN_MOD_LENGTH)
        return -1;

    file->Seek(MOD_MARK_OFFSET, PFile::pSeekBegin);
    uint32 mark = file->Read_B_UINT32();
    if (mark == ModMark("M.K.") && ModChannels(file, mark) == 8)
        return MODTYPE_FASTTRACKER;
    if (mark == ModMark("M.K.") || mark == ModMark("M!K!") || mark == ModMark("M&K!"))
        return TestNoiseTracker(file);
    if (mark == ModMark("FLT4"))
        return MODTYPE_STARTRACKER;
    if (mark == ModMark("6CHN") || mark == ModMark("8CHN"))
        return MODTYPE_FASTTRACKER;
    if (IsTakeTrackerMark(mark))
        return ModChannels(file, mark) != 0 ? int32(MODTYPE_TAKETRACKER) : -1;
    if (IsPrintable(uint8(mark >> 24)) && IsPrintable(uint8(mark >> 16))
            && IsPrintable(uint8(mark >> 8)) && IsPrintable(uint8(mark)))
        return -1;

    // No mark: an old module, if its sample names are text.
    for (uint16 n = 0; n < 15; n++) {
        if (!CheckSampleName(file, n))
            return -1;
    }
    if (!CheckSampleName(file, 15)) {
        file->Seek(SONG_LENGTH_15, PFile::pSeekBegin);
        return file->Read_UINT8() != 0 ? int32(MODTYPE_SOUNDTRACKER15) : -1;
    }
    for (uint16 n = 16; n < 31; n++) {
        if (!CheckSampleName(file, n))
            return -1;
    }
    file->Seek(SONG_LENGTH_31, PFile::pSeekBegin);
    if (file->Read_UINT8() == 0 || IsTrackListFormat(file))
        return -1;
    return MODTYPE_SOUNDTRACKER31;
}

bool
ModTracker::CheckSampleName(PFile* file, uint16 n)
{
    uint8 name[22] = {};
    file->Seek(20 + 30 * n, PFile::pSeekBegin);
    file->Read(name, sizeof(name));
    for (uint8 c : name) {
        if (c != 0 && !IsPrintable(c))
            return false;
    }
    return true;
}
