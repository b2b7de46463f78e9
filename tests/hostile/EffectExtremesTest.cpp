// Every effect command and every extended command with its parameter at the edges, on
// the lowest and highest notes, over samples of one word, of none and with loops, in
// every module flavour: each module plays through whole blocks.
#include "HostileTestSupport.h"

using namespace hostile;

namespace {

const uint8       kParams[] = { 0x00, 0x01, 0x0F, 0x10, 0x7F, 0x80, 0xF0, 0xFF };
const char* const kNotes[] = { "C-0", "B-6", "C-3", "B-5" };

struct Kind
{
    const char* mark;
    int         samples;
    uint8       restart;
};

const Kind kKinds[] = {
    { "", 15, 0 },         // SoundTracker: loop starts in bytes
    { "M.K.", 31, 0 },     // NoiseTracker: no extended commands
    { "FLT4", 31, 0 },     // StarTracker
    { "M.K.", 31, 127 },   // ProTracker
    { "8CHN", 31, 0 },     // FastTracker: wide period range
};

// The command is (effect << 8 | parameter); effect 14 carries its sub-command in the
// parameter's high four bits.
std::vector<uint8>
ModPlaying(const Kind& kind, uint8 effect, uint8 param)
{
    zw::ModWriter mod(kind.mark, kind.samples);
    mod.restart = kind.restart;
    mod.SetSample(1, Ramp(2), 64);
    mod.SetSample(2, Ramp(800, 9), 64, 100, 250);
    mod.SetSample(3, {}, 64);
    mod.SetSample(4, Ramp(256, 3), 64, 0, 128);
    mod.SetPositions({ 0, 1 });
    for (int p = 0; p < 2; p++) {
        for (int row = 0; row < 64; row++) {
            for (int c = 0; c < mod.channels; c++) {
                bool note = (row + c) % 3 == 0;
                mod.Cell(p, row, c) = { note ? zw::NotePeriod(kNotes[(row + c) % 4]) : uint16(0),
                    uint8(note ? 1 + (row / 3 + c) % 4 : 0), effect, param };
            }
        }
    }
    if (kind.samples == 15)
        mod.Cell(0, 30, 0) = {};
    return mod.Build();
}

std::vector<uint8>
MtmPlaying(uint8 effect, uint8 param)
{
    zw::MtmWriter mtm(4, 32);
    mtm.SetSample(1, URamp(2), 64);
    mtm.SetSample(2, URamp(800, 9), 64, 200, 700);
    mtm.SetSample(3, {}, 64);
    for (int t = 1; t <= 2; t++) {
        for (int row = 0; row < 32; row++) {
            bool note = (row + t) % 3 == 0;
            mtm.Row(t, row) = { uint8(note ? (row % 2 ? 1 : 63) : 0), uint8(note ? 1 + row % 3 : 0),
                effect, param };
        }
    }
    for (int c = 0; c < 4; c++)
        mtm.Sequence(0, c) = uint16(1 + c % 2);
    mtm.SetPositions({ 0, 0 });
    return mtm.Build();
}

class EffectExtremes : public testing::TestWithParam<int>
{};

std::string
CommandName(const testing::TestParamInfo<int>& info)
{
    char name[32];
    if (info.param < 16)
        snprintf(name, sizeof(name), "Effect%X", info.param);
    else
        snprintf(name, sizeof(name), "ExtendedE%X", info.param - 16);
    return name;
}

}   // namespace


TEST_P(EffectExtremes, EveryFlavourAndParameter_Plays)
{
    int   command = GetParam();
    uint8 effect = uint8(command < 16 ? command : 0xE);
    for (uint8 low : kParams) {
        uint8 param = command < 16 ? low : uint8((command - 16) << 4 | (low & 0x0F));
        for (const Kind& kind : kKinds) {
            SCOPED_TRACE(std::string(kind.mark) + " parameter " + std::to_string(param));
            ExpectPlays(PlayBytes(ModPlaying(kind, effect, param), 12), 12);
        }
        SCOPED_TRACE("MTM parameter " + std::to_string(param));
        ExpectPlays(PlayBytes(MtmPlaying(effect, param), 12, true, nullptr, "song.mtm"), 12);
        if (HasFailure())
            return;
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, EffectExtremes, testing::Range(0, 32), CommandName);
