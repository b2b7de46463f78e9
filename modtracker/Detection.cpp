// ModTracker: which of the eight module types a file is.
#include "modtracker/ModTracker.h"

#include <cstring>

#include "modtracker/ModHeader.h"
#include "modtracker/MtmHeader.h"
#include "support/PFile.h"

namespace {

const int32 MIN_MTM_LENGTH = 68;
const int32 MIN_MOD_LENGTH = 1148;
const int   OLD_SAMPLES = 15;   // sample headers of a SoundTracker15 file

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

// The type a file's mark names; a file without one is an old module of 31 samples when
// the 16th sample header has a name, else of 15. -1 for a mark of no known kind.
int32
TypeFromHeader(PFile* file, const uint8* head)
{
    ModFileHeader header;
    DecodeModHeader(head, MODTYPE_PROTRACKER, header);
    uint32 mark = header.mark;
    if (mark == ModMark("M.K.") && ModChannels(file, mark) == 8)
        return MODTYPE_FASTTRACKER;
    if (mark == ModMark("M.K.") || mark == ModMark("M!K!") || mark == ModMark("M&K!"))
        return IsProTrackerSong(header, file) ? MODTYPE_PROTRACKER : MODTYPE_NOISETRACKER;
    if (mark == ModMark("FLT4"))
        return MODTYPE_STARTRACKER;
    if (mark == ModMark("6CHN") || mark == ModMark("8CHN"))
        return MODTYPE_FASTTRACKER;
    if (IsTakeTrackerMark(mark))
        return MODTYPE_TAKETRACKER;
    const uint8* m = head + MOD_MARK_OFFSET;
    if (IsPrintable(m[0]) && IsPrintable(m[1]) && IsPrintable(m[2]) && IsPrintable(m[3]))
        return -1;
    return SampleNameIsText(header.samples[OLD_SAMPLES].name) ? MODTYPE_SOUNDTRACKER31
                                                              : MODTYPE_SOUNDTRACKER15;
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

// Everything but the pattern scan and the 8-channel rule lies in the first 1084 bytes,
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
    MtmFileHeader mtm;
    memcpy(&mtm, head, sizeof(mtm));
    if (MtmSigned(mtm))
        return MtmHeaderValid(mtm) ? int32(MODTYPE_MULTITRACKER) : -1;
    if (length < MIN_MOD_LENGTH)
        return -1;

    int32 type = TypeFromHeader(file, head);
    if (type < 0)
        return -1;
    ModFileHeader header;
    DecodeModHeader(head, uint32(type), header);
    return ModHeaderValid(header, uint32(type), file) ? type : -1;
}

bool
ModTracker::CheckSampleName(PFile* file, uint16 n)
{
    ModSampleHeader header = {};
    file->Seek(MOD_SONG_NAME_BYTES + int32(sizeof(header)) * n, PFile::pSeekBegin);
    file->Read(header.name, sizeof(header.name));
    return SampleNameIsText(header.name);
}
