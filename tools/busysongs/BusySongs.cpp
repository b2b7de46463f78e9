#include "tools/busysongs/BusySongs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "tools/modwriter/ModWriter.h"

namespace zw {

namespace {

const int kPatterns = 8;
const int kRows = 64;
const int kSamples = 8;
// A note starts every kNoteRows rows; the rows between carry effects.
const int         kNoteRows = 4;
const char* const kNotes[] = { "C-1", "E-1", "G-1", "A-1", "C-2", "D-2", "E-2", "G-2", "A-2", "C-3",
    "D-3", "E-3", "G-3", "A-3", "B-3" };
const int         kNoteCount = sizeof(kNotes) / sizeof(kNotes[0]);

struct Effect
{
    uint8 effect;
    uint8 param;
};

// Arpeggio, slides, vibrato, tone portamento and volume slides; none ends the song.
const Effect kEffects[] = { { 0x0, 0x37 }, { 0x1, 0x02 }, { 0x2, 0x02 }, { 0x4, 0x46 },
    { 0xA, 0x01 }, { 0x3, 0x08 }, { 0xA, 0x10 }, { 0x4, 0x83 }, { 0x0, 0x47 }, { 0x6, 0x01 } };
const int    kEffectCount = sizeof(kEffects) / sizeof(kEffects[0]);

// Sample k: a waveform of its own with a length of its own, looped from a quarter in.
std::vector<int8>
Waveform(int k)
{
    const size_t      length = 1024 + size_t(k) * 733;
    std::vector<int8> data(length);
    const double      cycles = 8 + k * 3;
    for (size_t i = 0; i < length; i++) {
        const double phase = cycles * double(i) / double(length);
        double       v = std::sin(2 * std::numbers::pi * phase);
        if (k % 3 == 1)
            v = phase - std::floor(phase) - 0.5;
        else if (k % 3 == 2)
            v = v >= 0 ? 0.6 : -0.6;
        data[i] = int8(std::lround(v * 100));
    }
    return data;
}

// The cell of one channel at one row, as note, sample and effect indices.
struct Cell
{
    const char* note;     // null: no note
    int         sample;   // 1-based
    Effect      effect;
};

Cell
CellAt(int pattern, int row, int channel)
{
    Cell      cell {};
    const int seed = pattern * 131 + channel * 17;
    cell.effect = kEffects[(seed + row) % kEffectCount];
    if (row % kNoteRows == channel % kNoteRows) {
        cell.note = kNotes[(seed + row * 7) % kNoteCount];
        cell.sample = 1 + (channel + row / kNoteRows) % kSamples;
        // Portamento to the note would hold it back; play it plainly instead.
        if (cell.effect.effect == 0x3)
            cell.effect = { 0x0, 0x00 };
    }
    return cell;
}

}   // namespace


std::vector<uint8>
BusyMod(const std::string& mark, int channels)
{
    zw::ModWriter mod(mark, 31);
    mod.name = "busy " + std::to_string(channels);
    mod.channels = channels;
    for (int k = 0; k < kSamples; k++) {
        std::vector<int8> data = Waveform(k);
        const uint16      words = uint16(data.size() / 2);
        mod.SetSample(k + 1, data, uint8(40 + k * 3), uint16(words / 4), uint16(words - words / 4));
    }
    mod.songLength = kPatterns;
    for (int p = 0; p < kPatterns; p++)
        mod.positions[p] = uint8(p);
    for (int p = 0; p < kPatterns; p++) {
        for (int row = 0; row < kRows; row++) {
            for (int c = 0; c < channels; c++) {
                const Cell cell = CellAt(p, row, c);
                mod.Cell(p, row, c) = { cell.note ? zw::NotePeriod(cell.note) : uint16(0),
                    uint8(cell.sample), cell.effect.effect, cell.effect.param };
            }
        }
    }
    return mod.Build();
}


std::vector<uint8>
BusyMtm(int channels)
{
    zw::MtmWriter mtm(channels, kRows);
    mtm.name = "busy " + std::to_string(channels);
    for (int c = 0; c < channels; c++)
        mtm.pan[c] = uint8((c * 5) % 16);
    for (int k = 0; k < kSamples; k++) {
        const std::vector<int8> wave = Waveform(k);
        std::vector<uint8>      data(wave.size());
        for (size_t i = 0; i < wave.size(); i++)
            data[i] = uint8(wave[i] + 128);   // MTM samples are unsigned
        const uint32 length = uint32(data.size());
        mtm.SetSample(k + 1, data, uint8(40 + k * 3), length / 4, length);
    }
    int track = 0;
    for (int p = 0; p < kPatterns; p++) {
        for (int c = 0; c < channels; c++) {
            track++;
            mtm.Sequence(p, c) = uint16(track);
            for (int row = 0; row < kRows; row++) {
                const Cell  cell = CellAt(p, row, c);
                zw::MtmRow& out = mtm.Row(track, row);
                out.note = cell.note ? zw::MtmNote(cell.note) : 0;
                out.sample = uint8(cell.sample);
                out.effect = cell.effect.effect;
                out.param = cell.effect.param;
            }
        }
    }
    for (int p = 0; p < kPatterns; p++)
        mtm.positions[p] = uint8(p);
    mtm.lastPosition = kPatterns - 1;
    return mtm.Build();
}


// AM songs: one pattern cut at row kAMRows by a break (3.84 s at
// speed 6). A note every kAMNoteRows rows restarts the envelope, which runs through
// its five phases in fewer ticks than that and then rests.
const int kAMRows = 32;
const int kAMNoteRows = 8;
const int kAMSounds = 4;

std::vector<uint8>
AMSong(int voices, int waveform)
{
    zw::ModWriter mod("FLT4", 31);
    mod.name = "am " + std::to_string(voices);
    mod.SetPositions({ 0 });
    const char* const notes[] = { "C-2", "G-1", "E-2", "A-1", "D-2", "C-3" };
    for (int row = 0; row < kAMRows; row += kAMNoteRows) {
        for (int c = 0; c < voices; c++) {
            const int sound = waveform < 0 ? c % kAMSounds : waveform;
            mod.Cell(0, row + c, c) = { zw::NotePeriod(notes[(row / kAMNoteRows + c) % 6]),
                uint8(sound + 1), 0, 0 };
        }
    }
    mod.Cell(0, kAMRows - 1, 3) = { 0, 0, 0xD, 0x00 };
    return mod.Build();
}


// Sounds 1 to 4 play waveforms 0 to 3 (sine, saw, square, noise), each with its own
// envelope speeds, pitch fall and vibrato.
std::vector<uint8>
AMCompanion()
{
    zw::NtWriter nt;
    // The tracker's own header, which other players look for before they read a record.
    const std::string head = "ST1.3 ModuleINFO";
    std::copy(head.begin(), head.end(), nt.header.begin());
    for (int k = 0; k < kAMSounds; k++) {
        AMSample& r = nt.Record(k);
        r.startAmplitude = uint16(16 * k);
        r.attack1Level = 256;
        r.attack1Speed = uint16(32 + 8 * k);
        r.attack2Level = 192;
        r.attack2Speed = 8;
        r.sustainLevel = 128;
        r.decaySpeed = uint16(8 + 4 * k);
        r.releaseSpeed = uint16(8 + 2 * k);
        r.waveform = uint16(k);
        r.pitchFall = uint16(k % 2 == 0 ? 1 : 0xFFFF);
        r.vibratoDepth = uint16(k == 2 ? 0 : 4 + 4 * k);
        r.vibratoSpeed = uint16(20 + 30 * k);
        r.octaveShift = uint16(k % 2);
    }
    return nt.Build();
}


std::vector<BusySong>
AMSongs()
{
    return {
        { "am1.mod", 4, AMSong(1, -1), AMCompanion() },
        { "am2.mod", 4, AMSong(2, -1), AMCompanion() },
        { "am4.mod", 4, AMSong(4, -1), AMCompanion() },
        { "am4noise.mod", 4, AMSong(4, 3), AMCompanion() },
    };
}


std::vector<BusySong>
StandardBusySongs()
{
    return {
        { "busy4.mod", 4, BusyMod("M.K.", 4), {} },
        { "busy8.mod", 8, BusyMod("8CHN", 8), {} },
        { "busy32.mtm", 32, BusyMtm(32), {} },
    };
}

}   // namespace zw
