// Module writers for tests, tools and fuzz seeds: MOD files of every flavour, MTM files
// and ".nt" AM companions, built from a few lines of code.
//
// Nothing is validated: every count, header field and length is written exactly as set,
// so hostile files (wrong counts, loops past the end, odd marks) are as easy to make as
// good ones. Cut a result at any byte with Truncated(). Fields marked "auto" are derived
// from the contents while they hold -1.
//
//   ModWriter mod("M.K.");                          // 31 samples, 4 channels
//   mod.SetSample(1, std::vector<int8>(512, 40), 64);
//   mod.SetPositions({ 0, 1, 0 });                  // song length 3, patterns 0 and 1
//   mod.Cell(0, 0, 0) = { NotePeriod("C-2"), 1, 0xF, 0x06 };
//   std::vector<uint8> bytes = mod.Build();
//   SaveFile(bytes, "/tmp/test.mod");
//
// Notes are named "C-0" (note 1, the lowest pitch) to "B-6" (note 84); "C-2" is note 25,
// period 856 in finetune row 0. Sharps are written "C#2".
#ifndef TOOLS_MODWRITER_MODWRITER_H
#define TOOLS_MODWRITER_MODWRITER_H

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

#include "beos/SupportDefs.h"
#include "modtracker/ModuleTypes.h"

namespace zw {

// Note name -> note number 1..84, or 0 when the name is not a note.
int NoteNumber(const std::string& name);
// Note name -> Amiga period of that note in the given finetune row, or 0.
uint16 NotePeriod(const std::string& name, int fineTune = 0);
// Note name -> the note byte an MTM track stores (note number - 13), or 0 when below.
uint8 MtmNote(const std::string& name);
// Channel count the MOD loader derives from a 4-character mark (4 for unknown marks).
int ChannelsForMark(const std::string& mark);

std::vector<uint8> Truncated(std::vector<uint8> bytes, size_t length);
bool               SaveFile(const std::vector<uint8>& bytes, const std::string& path);

// ---------------------------------------------------------------- MOD

struct ModCell
{
    uint16 period = 0;   // 12 bits are written
    uint8  sample = 0;   // 8 bits, split over b0 and b2
    uint8  effect = 0;   // 4 bits are written
    uint8  param = 0;
};

struct ModSample
{
    std::string       name;           // up to 22 bytes, any byte values
    uint16            length = 0;     // words, as written in the header
    uint8             fineTune = 0;   // whole byte written
    uint8             volume = 64;
    uint16            repeatStart = 0;
    uint16            repeatLength = 1;
    std::vector<int8> data;   // written as is, whatever length says

    // Sets data and a matching length (size / 2; give an even size for a clean file).
    void SetData(std::vector<int8> bytes);
};

class ModWriter
{
public:
    // mark: written at offset 1080 when sampleCount is 31 and the mark is not empty.
    // The channel count follows the mark; change `channels` afterwards to lie.
    explicit ModWriter(std::string mark = "M.K.", int sampleCount = 31);

    // n is 1-based. Sets the data, its length, the volume and the loop (words).
    ModSample& SetSample(int n, std::vector<int8> data, uint8 volume = 64, uint16 repeatStart = 0,
        uint16 repeatLength = 1);
    ModSample& Sample(int n) { return samples.at(n - 1); }

    // Sets the first entries of the position list (rest 0) and songLength to their count.
    void SetPositions(std::initializer_list<uint8> list);
    // Pattern p, row 0..63, channel 0..channels-1; makes patterns up to p on demand.
    ModCell& Cell(int pattern, int row, int channel);

    std::vector<uint8> Build() const;
    bool               Save(const std::string& path) const { return SaveFile(Build(), path); }

    std::string                       name;          // 20 bytes
    std::string                       mark;          // 4 bytes at 1080 (ignored for 15 samples)
    int                               sampleCount;   // 15 or 31 headers
    int                               channels;      // cells per row written
    std::vector<ModSample>            samples;       // sampleCount records
    uint8                             songLength = 1;
    uint8                             restart = 0;
    std::array<uint8, 128>            positions {};
    std::vector<std::vector<ModCell>> patterns;   // 64 * channels cells each
    // Write at least as many patterns as the position list names (filled with empty
    // cells); false writes exactly `patterns`, for files that lack pattern data.
    bool fillPatterns = true;
};

// ---------------------------------------------------------------- MTM

struct MtmRow
{
    uint8 note = 0;     // 6 bits as stored (use MtmNote)
    uint8 sample = 0;   // 6 bits
    uint8 effect = 0;   // 4 bits
    uint8 param = 0;
};

struct MtmSample
{
    std::string        name;            // 22 bytes
    uint32             length = 0;      // bytes
    uint32             loopStart = 0;   // bytes
    uint32             loopEnd = 0;     // bytes
    uint8              fineTune = 0;
    uint8              volume = 64;
    uint8              attribute = 0;
    std::vector<uint8> data;   // unsigned 8-bit, written as is

    void SetData(std::vector<uint8> bytes);   // also sets length
};

class MtmWriter
{
public:
    explicit MtmWriter(int channels = 4, int rowsPerTrack = 64);

    // n is 1-based; grows the sample list as needed.
    MtmSample& SetSample(int n, std::vector<uint8> data, uint8 volume = 64, uint32 loopStart = 0,
        uint32 loopEnd = 0);
    // Track t is 1-based (0 is the empty track, never stored); grows the list on demand.
    MtmRow& Row(int track, int row);
    // Pattern p's track for channel c; grows the sequence table on demand.
    uint16& Sequence(int pattern, int channel);
    void    SetPositions(std::initializer_list<uint8> list);

    std::vector<uint8> Build() const;
    bool               Save(const std::string& path) const { return SaveFile(Build(), path); }

    std::string                      signature = "MTM";   // 3 bytes
    uint8                            version = 16;
    std::string                      name;               // 20 bytes
    int                              trackCount = -1;    // auto: tracks.size()
    int                              lastPattern = -1;   // auto: sequences.size() - 1 (0 when none)
    uint8                            lastPosition = 0;
    int                              commentLength = -1;      // auto: comment.size()
    int                              sampleCountField = -1;   // auto: samples.size()
    uint8                            attribute = 0;
    uint8                            rowsPerTrack;   // also the rows written per track
    uint8                            channels;
    std::array<uint8, 32>            pan {};
    std::vector<MtmSample>           samples;
    std::array<uint8, 128>           positions {};
    std::vector<std::vector<MtmRow>> tracks;         // tracks[0] is file track 1
    std::vector<std::array<uint16, 32>> sequences;   // one per pattern
    std::string                         comment;
};

// ---------------------------------------------------------------- ".nt"

class NtWriter
{
public:
    // Record k describes sample k + 1; the mark starts as "AM".
    AMSample&          Record(int k);
    std::vector<uint8> Build() const;
    bool               Save(const std::string& path) const { return SaveFile(Build(), path); }

    std::array<uint8, 144> header {};
    std::vector<AMSample>  records;   // as many as given, written 120 bytes each
};

}   // namespace zw

#endif
