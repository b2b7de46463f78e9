// ModTracker: the MOD loader (types 0 to 6) and the load-error report both loaders share.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "modtracker/ModHeader.h"
#include "modtracker/Tables.h"
#include "support/PException.h"
#include "support/PFile.h"

namespace {

const int   SEQUENCE_WIDTH = 32;
const uint8 MAX_VOLUME = 64;
const int32 SAMPLE_SLACK = 512;   // a last sample this much short of its data still loads

// Period (12 bits) -> note 1..84: the first entry of finetune row 0 that the period
// reaches, so a period between two entries gets the higher-pitched note. Periods below
// the table's last entry (28) would find none; they get the highest note.
struct NoteOfPeriod
{
    uint8 note[4096];

    NoteOfPeriod()
    {
        note[0] = 0;
        int i = 0;
        for (int period = 4095; period > 0; period--) {
            while (i < PERIOD_NOTES && period < periods[0][i])
                i++;
            note[period] = uint8(std::min(i + 1, PERIOD_NOTES));
        }
    }
};

void
TakeModSample(const ModSampleHeader& header, uint32 type, Sample& s)
{
    s.name = FieldText(header.name);
    s.length = header.length;
    s.fineTune = type >= MODTYPE_PROTRACKER ? header.fineTune & 0x0F : 0;
    // The replay keeps volume in a signed byte and sends it times 4.
    s.volume = std::min(header.volume, MAX_VOLUME);
    // A file's "no loop" is a one-word loop at the start.
    BoundLoop(s, header.loopStart, header.loopLength, type <= MODTYPE_SOUNDTRACKER31, 1);
}

}   // namespace

int32
ModTracker::LoadModule(uint32 index, PFile* file)
{
    Cleanup();   // a second load replaces the first module
    modType = index;
    fileType = index;
    if (index >= MODTYPE_COUNT)
        return 1;
    if (index == MODTYPE_MULTITRACKER)
        return LoadMultiTracker(file);
    // The file keeps the layout of its own type; what the replay does with it, and the
    // values the loader derives for the replay, follow the forced type.
    if (rulesType < MODTYPE_MULTITRACKER)
        modType = rulesType;
    return LoadTracker(file);
}

void
ModTracker::SetRules(uint32 type)
{
    rulesType = type;
}

void
ModTracker::SetLoadErrorSink(LoadErrorSink sink, void* context)
{
    errorSink = sink;
    errorContext = context;
}

void
ModTracker::ShowError(LoadError error)
{
    PString text;
    text.LoadString(resourceId, uint32(error));
    if (errorSink == nullptr) {
        printf("Ravlo Mod plugin ERROR: %s\n", static_cast<const char*>(text));
        fflush(stdout);
    } else {
        std::string line(static_cast<const char*>(text));
        std::replace(line.begin(), line.end(), '\n', ' ');
        errorSink(errorContext, line.c_str());
    }
    ThrowUserException();
}

// A load error (already reported by ShowError) becomes the result 1; anything else
// that passes through frees the half-built module and travels on.
int32
ModTracker::RunLoader(void (ModTracker::*read)(PFile*), PFile* file)
{
    try {
        (this->*read)(file);
        return 0;
    } catch (PUserException* e) {
        e->Delete();
        Cleanup();
        return 1;
    } catch (...) {
        Cleanup();
        throw;
    }
}

int32
ModTracker::LoadTracker(PFile* file)
{
    return RunLoader(&ModTracker::ReadTracker, file);
}

void
ModTracker::ReadTracker(PFile* file)
{
    uint32 mark = ReadModHeader(file);
    channelNum = fileType >= MODTYPE_NOISETRACKER ? uint16(ModChannels(file, mark)) : 4;
    namedPatterns = uint16(*std::max_element(positions, positions + MOD_POSITIONS) + 1);
    patternNum = PatternsToLoad(file);
    trackNum = uint16(patternNum * channelNum);   // at most 256 * 32
    rowsPerPattern = MOD_ROWS;
    bool wideRange = modType == MODTYPE_FASTTRACKER || modType == MODTYPE_TAKETRACKER;
    minPeriod = wideRange ? 28 : 113;
    maxPeriod = wideRange ? 3424 : 856;

    tracks = new (std::nothrow) TrackLine*[trackNum]();
    if (tracks == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    trackBuffers = trackNum;
    bool plausible = ReadModPatterns(file);
    // A damaged module is played, not another format read as one.
    if (patternNum < namedPatterns && !plausible)
        ShowError(LOAD_ERROR_PATTERNS);

    sequences = new (std::nothrow) uint16[patternNum * SEQUENCE_WIDTH]();
    if (sequences == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    for (uint16 p = 0; p < patternNum; p++) {
        for (uint16 c = 0; c < channelNum; c++)
            sequences[p * SEQUENCE_WIDTH + c] = uint16(p * channelNum + c);
    }
    ReadModSampleData(file, plausible);
}

// The song, the samples and the position list, from a header that detection would take
// as this type. Returns the mark (0 for the unmarked types).
uint32
ModTracker::ReadModHeader(PFile* file)
{
    uint8         bytes[MOD_PATTERN_OFFSET] = {};
    int32         got = std::max(file->Read(bytes, ModHeaderBytes(fileType)), 0);
    ModFileHeader header;
    DecodeModHeader(bytes, fileType, header);
    sampleNum = header.sampleCount;
    moduleName = FieldText(header.name);

    samples = new (std::nothrow) Sample[sampleNum]();
    if (samples == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    if (got < ModSongOffset(fileType))
        ShowError(LOAD_ERROR_SAMPLE_INFO);
    for (uint16 i = 0; i < sampleNum; i++)
        TakeModSample(header.samples[i], modType, samples[i]);
    if (got < ModHeaderBytes(fileType) || !ModHeaderValid(header, fileType, file))
        ShowError(LOAD_ERROR_HEADER);

    memcpy(positions, header.song.positions, MOD_POSITIONS);
    // The list has 128 entries, and the song always plays its first position.
    songLength = std::clamp<uint16>(header.song.songLength, 1, MOD_POSITIONS);
    uint8 restart = header.song.restart;
    bool  hasRestart = modType == MODTYPE_NOISETRACKER || modType == MODTYPE_STARTRACKER;
    restartPos = hasRestart && restart < songLength ? restart : 0;
    return header.mark;
}

// Files cut short often lack patterns that only positions past the song name; some
// writers never stored those. Then the song's own patterns are what the file holds.
uint16
ModTracker::PatternsToLoad(PFile* file)
{
    int64  patternBytes = int64(channelNum) * MOD_ROWS * MOD_CELL_BYTES;
    int64  room = int64(file->GetLength()) - file->GetPosition();
    uint16 songPatterns = uint16(*std::max_element(positions, positions + songLength) + 1);
    if (room < namedPatterns * patternBytes && room >= songPatterns * patternBytes)
        return songPatterns;
    return namedPatterns;
}

// True when every cell read is plausible.
bool
ModTracker::ReadModPatterns(PFile* file)
{
    static const NoteOfPeriod notes;
    uint8                     raw[MOD_MAX_CHANNELS * MOD_ROWS * MOD_CELL_BYTES];
    bool                      plausible = true;
    int32                     patternBytes = channelNum * MOD_ROWS * MOD_CELL_BYTES;
    for (uint16 p = 0; p < patternNum; p++) {
        TrackLine** track = tracks + p * channelNum;
        for (uint16 c = 0; c < channelNum; c++) {
            track[c] = new (std::nothrow) TrackLine[MOD_ROWS]();
            if (track[c] == nullptr)
                ShowError(LOAD_ERROR_MEMORY);
        }
        bool complete = ReadFully(file, raw, patternBytes);
        plausible = plausible && PlausibleCells(raw, patternBytes, sampleNum);
        const uint8* cell = raw;
        for (int row = 0; row < MOD_ROWS; row++) {
            for (uint16 c = 0; c < channelNum; c++, cell += MOD_CELL_BYTES) {
                TrackLine& line = track[c][row];
                uint8      sample = uint8((cell[0] & 0xF0) | (cell[2] >> 4));
                line.note = notes.note[(cell[0] & 0x0F) << 8 | cell[1]];
                line.sample = sample <= sampleNum ? sample : 0;   // no such sample: none
                line.effect = cell[2] & 0x0F;
                line.effectArg = cell[3];
            }
        }
        if (!complete)
            ShowError(LOAD_ERROR_PATTERNS);
    }
    return plausible;
}

// Sample data cut short loads as far as it goes and the rest stays silent, each sample
// keeping its length so that loops and timing hold. Beyond the slack that a last sample
// always had, only a module with plausible patterns is taken as damaged.
void
ModTracker::ReadModSampleData(PFile* file, bool plausible)
{
    bool withinSlack = true;
    for (uint16 i = 0; i < sampleNum; i++) {
        Sample& s = samples[i];
        if (s.length == 0)
            continue;
        int32 bytes = 2 * int32(s.length);
        s.data = new (std::nothrow) int8[bytes]();
        if (s.data == nullptr)
            ShowError(LOAD_ERROR_MEMORY);
        int32 room = std::max(file->GetLength() - file->GetPosition(), 0);
        if (room < bytes - SAMPLE_SLACK)
            withinSlack = false;
        int32 got = room > 0 ? std::max(file->Read(s.data, std::min(bytes, room)), 0) : 0;
        s.missing = uint32(bytes - got);
    }
    if (!withinSlack && !plausible)
        ShowError(LOAD_ERROR_SAMPLES);
}
