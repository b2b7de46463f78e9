// Writes the fuzzers' seed corpus: small modules of every type, each playing one effect
// (every command and every extended command), and StarTracker modules with a ".nt"
// companion after the separator. Usage: zw_fuzz_seeds <folder>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "tools/modwriter/ModWriter.h"

namespace {

struct Flavour
{
    const char* name;
    const char* mark;
    int         samples;
    uint8       restart;
};

// One per module type, and every mark family.
const Flavour kFlavours[] = {
    { "st15", "", 15, 0 },
    { "st31", "", 31, 0 },
    { "nt", "M.K.", 31, 0 },
    { "ntbang", "M!K!", 31, 0 },
    { "ntamp", "M&K!", 31, 0 },
    { "flt4", "FLT4", 31, 0 },
    { "pt", "M.K.", 31, 127 },
    { "ft6", "6CHN", 31, 0 },
    { "ft8", "8CHN", 31, 0 },
    { "tt2", "2CHN", 31, 0 },
    { "tdz1", "TDZ1", 31, 0 },
    { "tdz3", "TDZ3", 31, 0 },
    { "tt16", "16CH", 31, 0 },
    { "tt32", "32CH", 31, 0 },
};

std::vector<int8>
Wave(int bytes, int step)
{
    std::vector<int8> data(size_t(bytes), 0);
    for (int i = 0; i < bytes; i++)
        data[size_t(i)] = int8((i * step) % 256 - 128);
    return data;
}

std::vector<uint8>
Unsigned(int bytes, int step)
{
    std::vector<uint8> data(size_t(bytes), 0);
    for (int i = 0; i < bytes; i++)
        data[size_t(i)] = uint8(i * step);
    return data;
}

void
Save(const std::string& folder, const std::string& name, const std::vector<uint8>& bytes)
{
    zw::SaveFile(bytes, folder + "/" + name);
}

// Two patterns, notes on the first rows of every channel, the effect on row 1.
zw::ModWriter
ModWithEffect(const Flavour& f, uint8 effect, uint8 param)
{
    zw::ModWriter mod(f.mark, f.samples);
    mod.restart = f.restart;
    mod.SetSample(1, Wave(256, 7), 64);
    mod.SetSample(2, Wave(128, 13), 48, 16, 32);
    mod.SetSample(3, Wave(64, 3), 64, 0, 32);
    mod.SetPositions({ 0, 1, 0 });
    for (int c = 0; c < mod.channels; c++) {
        mod.Cell(0, 0, c) = { zw::NotePeriod(c % 2 ? "C-2" : "G-1"), uint8(1 + c % 3), 0, 0 };
        mod.Cell(0, 1, c) = { zw::NotePeriod("E-2"), 0, effect, param };
        mod.Cell(0, 2, c) = { 0, 0, effect, param };
        mod.Cell(1, 0, c) = { zw::NotePeriod("A-2"), 2, effect, param };
    }
    mod.Cell(1, 8, 0) = { 0, 0, 0xD, 0x00 };
    return mod;
}

// Parameters worth starting from for each command.
uint8
ParamFor(uint8 effect)
{
    switch (effect) {
        case 0x0: return 0x37;
        case 0x9: return 0x02;
        case 0xB: return 0x00;
        case 0xC: return 0x30;
        case 0xD: return 0x10;
        case 0xF: return 0x03;
        default: return 0x24;
    }
}

void
WriteModSeeds(const std::string& folder)
{
    for (const Flavour& f : kFlavours) {
        for (uint8 effect = 0; effect < 16; effect++) {
            if (effect == 0xE)
                continue;
            Save(folder, std::string(f.name) + "-fx" + std::to_string(effect),
                ModWithEffect(f, effect, ParamFor(effect)).Build());
        }
        for (uint8 sub = 0; sub < 16; sub++) {
            uint8 param = uint8(sub << 4 | (sub == 6 ? 2 : 3));
            Save(folder, std::string(f.name) + "-e" + std::to_string(sub),
                ModWithEffect(f, 0xE, param).Build());
        }
        // Tempo commands, and the speed-0 stop.
        Save(folder, std::string(f.name) + "-tempo", ModWithEffect(f, 0xF, 0xFF).Build());
        Save(folder, std::string(f.name) + "-stop", ModWithEffect(f, 0xF, 0x00).Build());
    }
}

zw::MtmWriter
MtmWithEffect(uint8 effect, uint8 param)
{
    zw::MtmWriter mtm(4, 16);
    mtm.SetSample(1, Unsigned(300, 5), 64);
    mtm.SetSample(2, Unsigned(200, 9), 40, 50, 180);
    for (int t = 1; t <= 4; t++) {
        mtm.Row(t, 0) = { zw::MtmNote("C-3"), uint8(1 + t % 2), 0, 0 };
        mtm.Row(t, 1) = { zw::MtmNote("E-3"), 0, effect, param };
        mtm.Row(t, 2) = { 0, 0, effect, param };
    }
    for (int c = 0; c < 4; c++) {
        mtm.Sequence(0, c) = uint16(c + 1);
        mtm.Sequence(1, c) = uint16(c % 2 == 0 ? 0 : 4 - c);
        mtm.pan[size_t(c)] = uint8(c * 5);
    }
    mtm.SetPositions({ 0, 1 });
    mtm.comment = "seed";
    return mtm;
}

void
WriteMtmSeeds(const std::string& folder)
{
    for (uint8 effect = 0; effect < 16; effect++)
        Save(folder, "mtm-fx" + std::to_string(effect),
            MtmWithEffect(effect, ParamFor(effect)).Build());
    for (uint8 sub = 0; sub < 16; sub++)
        Save(
            folder, "mtm-e" + std::to_string(sub), MtmWithEffect(0xE, uint8(sub << 4 | 2)).Build());
}

// StarTracker modules with AM companions: each waveform, and envelopes of every phase.
void
WriteCompanionSeeds(const std::string& folder)
{
    for (uint16 waveform = 0; waveform < 5; waveform++) {
        zw::ModWriter mod = ModWithEffect(kFlavours[5], 0, 0);
        zw::NtWriter  nt;
        for (int k = 0; k < 3; k++) {
            AMSample& r = nt.Record(k);
            r.startAmplitude = uint16(32 * k);
            r.attack1Level = 256;
            r.attack1Speed = 64;
            r.attack2Level = 200;
            r.attack2Speed = 8;
            r.sustainLevel = 128;
            r.decaySpeed = 4;
            r.releaseSpeed = 16;
            r.waveform = waveform;
            r.pitchFall = uint16(k);
            r.vibratoDepth = uint16(20 * k);
            r.vibratoSpeed = uint16(40 * k + 10);
            r.octaveShift = uint16(k);
        }
        std::vector<uint8> bytes = mod.Build();
        bytes.insert(bytes.end(), zwfuzz::kCompanionSeparator,
            zwfuzz::kCompanionSeparator + zwfuzz::kSeparatorBytes);
        std::vector<uint8> companion = nt.Build();
        bytes.insert(bytes.end(), companion.begin(), companion.end());
        Save(folder, "flt4-am" + std::to_string(waveform), bytes);
    }
}

// What detection and the loaders tell apart by more than a mark: 8-channel "M.K." files
// (and the 4-channel ones of the same length), files of another format under a 31-sample
// layout, and modules cut short in their samples or lacking patterns past the song.
void
WriteLayoutSeeds(const std::string& folder)
{
    zw::ModWriter eight = ModWithEffect(kFlavours[2], 0xA, 0x0F);
    eight.channels = 8;
    eight.patterns.clear();
    for (int c = 0; c < 8; c++)
        eight.Cell(1, c * 7, c) = { zw::NotePeriod("D-3"), uint8(1 + c % 3), 0xC, 0x20 };
    Save(folder, "mk8", eight.Build());
    std::vector<uint8> four = ModWithEffect(kFlavours[2], 0, 0).Build();
    four.resize(four.size() + 2 * 1024, 0x11);
    Save(folder, "mk4-trailing", four);

    for (const char* tag : { "IT10", "MTN" }) {
        std::vector<uint8> bytes = ModWithEffect(kFlavours[1], 0, 0).Build();
        bytes.resize(std::max<size_t>(bytes.size(), 1468));
        std::copy(tag, tag + 4, bytes.begin() + 1464);
        Save(folder, std::string("st31-") + (tag[0] == 'I' ? "it10" : "mtn"), bytes);
    }

    zw::ModWriter whole = ModWithEffect(kFlavours[6], 0x9, 0x02);
    whole.SetSample(1, Wave(2000, 7), 64, 100, 800);
    std::vector<uint8> cut = whole.Build();
    Save(folder, "pt-cut-samples", zw::Truncated(cut, cut.size() - 1500));
    zw::ModWriter unused = ModWithEffect(kFlavours[6], 0xB, 0x01);
    unused.positions[100] = 60;
    unused.fillPatterns = false;
    Save(folder, "pt-unused-positions", unused.Build());
    std::vector<uint8> mtm = MtmWithEffect(0x9, 0x01).Build();
    Save(folder, "mtm-cut-samples", zw::Truncated(mtm, mtm.size() - 250));
}

}   // namespace


int
main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    WriteModSeeds(folder);
    WriteMtmSeeds(folder);
    WriteCompanionSeeds(folder);
    WriteLayoutSeeds(folder);
    return 0;
}
