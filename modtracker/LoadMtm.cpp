// ModTracker: the MultiTracker (MTM) loader.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <memory>
#include <new>

#include "modtracker/MtmHeader.h"
#include "support/PException.h"
#include "support/PFile.h"

namespace {

const int    SEQUENCE_WIDTH = 32;
const int    POSITIONS = 128;
const int    ROW_BYTES = 3;
const int    MAX_ROWS = 255;
const uint8  MTM_NOTE_OFFSET = 13;   // MTM note 1 is note 14 of the period table
const uint8  MAX_PAN = 15;
const uint8  MAX_VOLUME = 64;
const uint32 MAX_WORDS = 0xFFFF;

}   // namespace

int32
ModTracker::LoadMultiTracker(PFile* file)
{
    return RunLoader(&ModTracker::ReadMultiTracker, file);
}

void
ModTracker::ReadMultiTracker(PFile* file)
{
    MtmFileHeader header;
    if (!ReadFully(file, &header, sizeof(header)) || !MtmHeaderValid(header))
        ShowError(LOAD_ERROR_HEADER);

    moduleName = FieldText(header.name);
    patternNum = uint16(header.lastPattern + 1);
    namedPatterns = patternNum;
    channelNum = header.channels;
    sampleNum = header.samples;
    // The position list has 128 entries, though the header can name 256.
    songLength = std::min<uint16>(uint16(header.lastPosition + 1), POSITIONS);
    trackNum = header.tracks;
    rowsPerPattern = header.rows;
    // Channel panning is pan * 16 in a byte.
    for (int i = 0; i < MTM_MAX_CHANNELS; i++)
        panning[i] = std::min(header.panning[i], MAX_PAN);

    samples = new (std::nothrow) Sample[sampleNum]();
    std::unique_ptr<uint32[]> fileBytes(new (std::nothrow) uint32[sampleNum + 1]());
    if (samples == nullptr || fileBytes == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    ReadMtmSamples(file, fileBytes.get());

    ReadFully(file, positions, POSITIONS);
    for (uint8& pattern : positions) {
        if (pattern >= patternNum)
            pattern = 0;   // pattern 0 always exists
    }
    ReadMtmTracks(file);
    ReadMtmSequences(file);
    file->Seek(header.commentLength, PFile::pSeekCurrent);
    ReadMtmSampleData(file, fileBytes.get());

    minPeriod = 45;
    maxPeriod = 1616;
    restartPos = 0;
}

void
ModTracker::ReadMtmSamples(PFile* file, uint32* fileBytes)
{
    for (uint16 i = 0; i < sampleNum; i++) {
        MtmSampleHeader header;
        if (!ReadFully(file, &header, sizeof(header)))
            ShowError(LOAD_ERROR_SAMPLE_INFO);

        Sample& s = samples[i];
        s.name = FieldText(header.name);
        fileBytes[i] = header.length;   // the data section holds all of it, odd byte too
        s.length = uint16(std::min<uint32>(header.length / 2, MAX_WORDS));
        s.fineTune = header.fineTune & 0x0F;
        s.volume = std::min(header.volume, MAX_VOLUME);
        int64 start = header.loopStart / 2;
        BoundLoop(s, start, int64(header.loopEnd / 2) - start, false, 0);
    }
}

void
ModTracker::ReadMtmTracks(PFile* file)
{
    tracks = new (std::nothrow) TrackLine*[uint32(trackNum) + 1]();
    if (tracks == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    trackBuffers = uint32(trackNum) + 1;
    tracks[0] = new (std::nothrow) TrackLine[rowsPerPattern]();   // the empty track
    if (tracks[0] == nullptr)
        ShowError(LOAD_ERROR_MEMORY);

    // A file too short for its tracks fails before they are all allocated.
    int64 trackBytes = int64(rowsPerPattern) * ROW_BYTES;
    if (int64(file->GetLength()) - file->GetPosition() < trackBytes * trackNum)
        ShowError(LOAD_ERROR_PATTERNS);

    uint8 raw[MAX_ROWS * ROW_BYTES];
    for (uint32 t = 1; t <= trackNum; t++) {
        TrackLine* track = new (std::nothrow) TrackLine[rowsPerPattern]();
        if (track == nullptr)
            ShowError(LOAD_ERROR_MEMORY);
        tracks[t] = track;
        bool complete = ReadFully(file, raw, int32(trackBytes));
        for (uint16 r = 0; r < rowsPerPattern; r++) {
            const uint8* row = raw + r * ROW_BYTES;
            uint8        note = row[0] >> 2;
            uint8        sample = uint8((row[0] & 3) << 4 | row[1] >> 4);
            track[r].note = note != 0 ? uint8(note + MTM_NOTE_OFFSET) : 0;
            track[r].sample = sample <= sampleNum ? sample : 0;   // no such sample: none
            track[r].effect = row[1] & 0x0F;
            track[r].effectArg = row[2];
        }
        if (!complete)
            ShowError(LOAD_ERROR_PATTERNS);
    }
}

void
ModTracker::ReadMtmSequences(PFile* file)
{
    sequences = new (std::nothrow) uint16[patternNum * SEQUENCE_WIDTH]();
    if (sequences == nullptr)
        ShowError(LOAD_ERROR_MEMORY);
    for (int i = 0; i < patternNum * SEQUENCE_WIDTH; i++) {
        uint16 track = file->Read_L_UINT16();
        sequences[i] = track <= trackNum ? track : 0;   // a missing track plays as empty
    }
    // The comment skip that follows clears the end-of-file flag, so look now.
    if (file->IsEOF())
        ShowError(LOAD_ERROR_PATTERNS);
}

void
ModTracker::ReadMtmSampleData(PFile* file, const uint32* fileBytes)
{
    for (uint16 i = 0; i < sampleNum; i++) {
        Sample& s = samples[i];
        int32   bytes = 2 * int32(s.length);
        if (bytes != 0) {
            s.data = new (std::nothrow) int8[bytes]();
            if (s.data == nullptr)
                ShowError(LOAD_ERROR_MEMORY);
            // Unsigned to signed; what the file lacks stays silent.
            int32 got = std::max(file->Read(s.data, bytes), 0);
            for (int32 k = 0; k < got; k++)
                s.data[k] = int8(uint8(s.data[k]) ^ 0x80);
            s.missing = uint32(bytes - got);
        }
        // Step over what the sample keeps no room for (an odd last byte, data past
        // 65535 words) so that the next sample starts where the file has it.
        int64 rest = int64(fileBytes[i]) - bytes;
        if (rest > 0) {
            int64 left = int64(file->GetLength()) - file->GetPosition();
            file->Seek(int32(std::min(rest, std::max<int64>(left, 0))), PFile::pSeekCurrent);
        }
    }
}
