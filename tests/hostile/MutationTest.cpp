// Good modules with a few bytes changed at random (a fixed seed per case, so a failure
// repeats): whatever the damage, the plug-in refuses with at most the loader's one line,
// or plays whole blocks. A small, repeatable relative of the fuzz targets.
#include "HostileTestSupport.h"

#include <random>

using namespace hostile;

namespace {

const int kVariants = 150;

std::vector<uint8>
ProTrackerSong()
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;
    mod.SetSample(1, Ramp(500), 64, 40, 200);
    mod.SetSample(2, Ramp(90, 17), 50);
    mod.SetPositions({ 0, 1, 0 });
    const uint8 effects[] = { 0x0, 0x1, 0x3, 0x4, 0x7, 0x9, 0xA, 0xE, 0xF };
    for (int p = 0; p < 2; p++) {
        for (int row = 0; row < 64; row += 2)
            mod.Cell(p, row, row % 4) = { zw::NotePeriod(row % 3 ? "C-2" : "F#3"),
                uint8(1 + row % 2), effects[row % 9], uint8(row * 5) };
    }
    return mod.Build();
}

std::vector<uint8>
MultiTrackerSong()
{
    zw::MtmWriter mtm(4, 32);
    mtm.SetSample(1, URamp(300), 64, 20, 280);
    mtm.SetSample(2, URamp(100, 7), 40);
    for (int row = 0; row < 32; row += 2)
        mtm.Row(1, row) = { zw::MtmNote(row % 4 ? "C-3" : "G-4"), uint8(1 + row % 2),
            uint8(row % 16), uint8(row * 9) };
    for (int c = 0; c < 4; c++)
        mtm.Sequence(0, c) = uint16(c % 2);
    mtm.SetPositions({ 0, 0 });
    mtm.comment = "mutations";
    return mtm.Build();
}

// Changes 1 to 8 bytes, each at a random place or in the first 1100 bytes where the
// headers are, and now and then cuts the end off.
std::vector<uint8>
Mutated(std::vector<uint8> bytes, std::mt19937& random)
{
    std::uniform_int_distribution<int> count(1, 8), byte(0, 255), coin(0, 3);
    int                                changes = count(random);
    for (int i = 0; i < changes; i++) {
        size_t limit = coin(random) == 0 ? bytes.size() : std::min<size_t>(bytes.size(), 1100);
        std::uniform_int_distribution<size_t> where(0, limit - 1);
        bytes[where(random)] = uint8(byte(random));
    }
    if (coin(random) == 0) {
        std::uniform_int_distribution<size_t> length(0, bytes.size());
        bytes.resize(length(random));
    }
    return bytes;
}

void
CheckVariants(const std::vector<uint8>& song, const std::string& leaf, uint32 seed)
{
    std::mt19937 random(seed);
    int          started = 0;
    for (int v = 0; v < kVariants; v++) {
        SCOPED_TRACE("variant " + std::to_string(v));
        Outcome o = PlayBytes(Mutated(song, random), 8, true, nullptr, leaf);
        if (o.started) {
            started++;
            ExpectPlays(o, 8);
        } else {
            // Refused: silently when not recognised, else with the loader's one line.
            EXPECT_TRUE(o.output.empty()
                || (o.recognised && o.output.rfind("Ravlo Mod plugin ERROR: ", 0) == 0
                    && std::count(o.output.begin(), o.output.end(), '\n') == 2))
                << o.output;
        }
        if (testing::Test::HasFailure())
            return;
    }
    // Most damage leaves a module that still plays.
    EXPECT_GT(started, kVariants / 3);
}

}   // namespace


TEST(Mutations, ProTrackerModule_RefusesOrPlays) { CheckVariants(ProTrackerSong(), "song.mod", 1); }


TEST(Mutations, MultiTrackerModule_RefusesOrPlays)
{
    CheckVariants(MultiTrackerSong(), "song.mtm", 2);
}
