// Modules full of random cells, for every flavour: whatever the cells say, the replay
// stays on the song, inside its samples and within full volume (the sanitizer build
// catches any read or write outside them).
#include "ReplayTest.h"

#include <random>

using namespace replaytest;

namespace {

// Checks what every tick must satisfy.
void
CheckTick(ModTracker* player, const zw::TraceTick& tick)
{
    const ModuleView module = player->Module();
    const ReplayView replay = player->Replay();
    ASSERT_LT(replay.songPos, module.songLength);
    ASSERT_LT(replay.patternPos, module.rowsPerPattern);
    ASSERT_GE(replay.speed, 1);
    ASSERT_LE(replay.speed, 31);
    ASSERT_TRUE(player->bpm == 125 || player->bpm >= 32);
    for (uint16 i = 0; i < tick.channels.size(); i++) {
        const zw::TraceChannel& ch = tick.channels[i];
        ASSERT_LE(ch.volume, 256u);
        if (ch.looping) {
            ASSERT_LE(ch.loopStart + ch.loopLength, ch.length) << "channel " << i;
        }
        if (!ch.triggered)
            continue;
        ASSERT_LE(ch.sample, module.sampleNum);
        ASSERT_LE(player->virtualChannels[i]->SampleStart(), ch.length);
        const Channel& state = replay.channels[i];
        if (state.amSound)
            continue;
        // The played bytes lie inside the sample's data.
        const Sample& smp = module.samples[ch.sample - 1];
        const int8* address = static_cast<const int8*>(player->virtualChannels[i]->SampleAddress());
        ASSERT_GE(address, smp.data);
        ASSERT_LE(address + ch.length, smp.data + 2 * smp.length) << "channel " << i;
    }
}

// Returns how many notes started, to show the song really played.
uint32
PlayAndCheck(Song& song, uint32 ticks)
{
    uint32 triggers = 0;
    for (uint32 t = 0; t < ticks; t++) {
        const zw::TraceTick& tick = song.Step();
        CheckTick(song.Player(), tick);
        if (testing::Test::HasFatalFailure())
            return triggers;
        for (const zw::TraceChannel& ch : tick.channels)
            triggers += ch.triggered ? 1 : 0;
    }
    return triggers;
}

void
AddHostileSamples(zw::ModWriter& mod)
{
    int count = mod.sampleCount;
    mod.SetSample(1, Ramp(512), 64, 16, 64);
    mod.SetSample(2, {}, 64);
    mod.SetSample(3, Ramp(2), 200);
    mod.SetSample(4, Ramp(64), 64, 24, 200);
    mod.SetSample(5, Ramp(64), 64, 300, 2);
    if (count > 5)
        mod.SetSample(count, Ramp(100), 64, 10, 1);
}

// Mostly samples the module has, now and then one it lacks.
uint8
SampleNumber(int value, int usual)
{
    return uint8(value < 230 ? value % usual : value);
}

void
FillRandomCells(zw::ModWriter& mod, std::mt19937& random, int patterns)
{
    std::uniform_int_distribution<int> note(0, 84), byte(0, 255), effect(0, 15);
    for (int p = 0; p < patterns; p++) {
        for (int row = 0; row < 64; row++) {
            for (int c = 0; c < mod.channels; c++) {
                int    n = note(random);
                uint16 period = n == 0 || n > 84 ? 0 : periods[0][n - 1];
                // Few speed commands, so the song moves through many rows.
                int e = effect(random);
                int param = byte(random);
                if (e == 0xF && param < 32 && param != 0)
                    param = 1;
                mod.Cell(
                    p, row, c) = { period, SampleNumber(byte(random), 7), uint8(e), uint8(param) };
            }
        }
    }
}

}   // namespace


TEST(HostileModules, RandomCells_EveryModFlavour_StayInsideSongAndSamples)
{
    struct Flavour
    {
        const char* mark;
        int         samples;
        uint8       restart;
        uint32      type;
    };
    const Flavour flavours[] = {
        { "", 15, 0, MODTYPE_SOUNDTRACKER15 },
        { "M.K.", 31, 0, MODTYPE_NOISETRACKER },
        { "M.K.", 31, 127, MODTYPE_PROTRACKER },
        { "8CHN", 31, 0, MODTYPE_FASTTRACKER },
        { "TDZ3", 31, 0, MODTYPE_TAKETRACKER },
    };
    uint32 triggers = 0;
    for (const Flavour& f : flavours) {
        for (uint32 seed = 1; seed <= 6; seed++) {
            std::mt19937  random(seed);
            zw::ModWriter mod(f.mark, f.samples);
            mod.restart = f.restart;
            AddHostileSamples(mod);
            mod.SetPositions({ 0, 1, 2, 1, 0 });
            FillRandomCells(mod, random, 3);
            // Keep offset 1080 of a SoundTracker file free of a printable mark.
            if (f.samples == 15)
                mod.Cell(0, 30, 0) = {};
            // Tempos and extended commands would make an M.K. file ProTracker.
            Song song(mod, f.type, Song::Forced {});
            ASSERT_TRUE(song.Loaded()) << f.mark << " seed " << seed;
            SCOPED_TRACE(std::string(f.mark) + " seed " + std::to_string(seed));
            triggers += PlayAndCheck(song, 4000);
            if (HasFatalFailure())
                return;
        }
    }
    // Some songs jump out of their first rows at once; together they play many notes.
    EXPECT_GT(triggers, 3000u);
}


TEST(HostileModules, RandomRows_MultiTracker_StayInsideSongAndSamples)
{
    uint32 triggers = 0;
    for (uint32 seed = 1; seed <= 6; seed++) {
        std::mt19937                       random(seed);
        std::uniform_int_distribution<int> byte(0, 255);
        zw::MtmWriter                      mtm(6, 32);
        mtm.SetSample(1, std::vector<uint8>(300, 150), 64, 100, 250);
        mtm.SetSample(2, std::vector<uint8>(), 64);
        mtm.SetSample(3, std::vector<uint8>(1, 7), 80, 0, 900);
        for (int t = 1; t <= 8; t++) {
            for (int row = 0; row < 32; row++)
                mtm.Row(t, row) = { uint8(byte(random) % 64),
                    uint8(SampleNumber(byte(random), 5) % 64), uint8(byte(random) % 16),
                    uint8(byte(random)) };
        }
        for (int p = 0; p < 3; p++) {
            for (int c = 0; c < 6; c++)
                mtm.Sequence(p, c) = uint16(byte(random) % 9);
        }
        mtm.SetPositions({ 0, 1, 2, 0 });
        Song song(mtm.Build(), MODTYPE_MULTITRACKER);
        ASSERT_TRUE(song.Loaded()) << "seed " << seed;
        SCOPED_TRACE("seed " + std::to_string(seed));
        triggers += PlayAndCheck(song, 4000);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(triggers, 500u);
}


// Breaks, jumps, loops and delays on every row of a song: it keeps moving and ends.
TEST(HostileModules, FlowCommands_OnEveryRow_KeepTheSongMovingToItsEnd)
{
    std::mt19937                       random(7);
    std::uniform_int_distribution<int> byte(0, 255), pick(0, 5);
    zw::ModWriter                      mod = ProTrackerModule();
    mod.SetPositions({ 0, 1, 2, 3 });
    const uint8 effects[] = { 0xB, 0xD, 0xE, 0xE, 0xE, 0xF };
    for (int p = 0; p < 4; p++) {
        for (int row = 0; row < 64; row++) {
            for (int c = 0; c < 4; c++) {
                uint8 effect = effects[pick(random)];
                uint8 param = uint8(byte(random));
                if (effect == 0xE)
                    param = uint8((c % 2 == 0 ? 0x60 : 0xE0) | (param & 0x0f));
                if (effect == 0xF)
                    param = uint8(param % 32);
                mod.Cell(p, row, c) = { 0, 0, effect, param };
            }
        }
    }
    Song song(mod.Build(), MODTYPE_PROTRACKER);
    ASSERT_TRUE(song.Loaded());
    uint32 ends = 0;
    for (uint32 t = 0; t < 200000 && ends < 3; t++) {
        const zw::TraceTick& tick = song.Step();
        CheckTick(song.Player(), tick);
        ASSERT_FALSE(HasFatalFailure());
        ends += tick.ended ? 1 : 0;
    }
    EXPECT_EQ(ends, 3u);
}
