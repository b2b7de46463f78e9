// Fuzz target: the player and the mixer on bytes in memory, the way the plug-in drives
// them, with seeks between the blocks. Bytes after "|NT|" are the ".nt" companion of a
// StarTracker module.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <unistd.h>

#include "FuzzInput.h"
#include "framework/RVGlobal.h"
#include "mixer/RVMixer.h"
#include "modtracker/ModTracker.h"
#include "support/PMemFile.h"

using namespace zwfuzz;

namespace {

const uint32 kBlockBytes = 4096;

// Counts the ticks the mixer starts, to bound the work of one block.
class CountingTracker : public ModTracker
{
public:
    explicit CountingTracker(RVGlobalData* global) : ModTracker(global) {}

    virtual int32 Play() override
    {
        ticks++;
        return ModTracker::Play();
    }

    int ticks = 0;
};

// The type detection gives, which ModuleCheck takes and another type does not. Asking
// all eight types ran detection eight times over for nothing.
int32
DetectedType(ModTracker& player, PFile& file)
{
    int32 found = player.TestModule(&file);
    ZW_FUZZ_CHECK(found >= -1 && found < int32(MODTYPE_COUNT));
    uint32 other = uint32(file.GetLength()) % MODTYPE_COUNT;
    if (found >= 0)
        ZW_FUZZ_CHECK(player.ModuleCheck(uint32(found), &file) == 0);
    if (int32(other) != found)
        ZW_FUZZ_CHECK(player.ModuleCheck(other, &file) == 2);
    return found;
}

void
CheckReplayState(const ModTracker& player)
{
    const ModuleView module = player.Module();
    const ReplayView replay = player.Replay();
    ZW_FUZZ_CHECK(module.songLength >= 1 && module.songLength <= 128);
    ZW_FUZZ_CHECK(replay.songPos < module.songLength);
    ZW_FUZZ_CHECK(replay.patternPos < module.rowsPerPattern);
    ZW_FUZZ_CHECK(replay.speed >= 1 && replay.speed <= 31);
    ZW_FUZZ_CHECK(player.bpm != 0);
}

// Loads the companion the way the plug-in does: from beside the module's path. Only a
// StarTracker module looks for one.
void
LoadCompanion(ModTracker& player, const Split& split)
{
    if (!player.IsStarTracker())
        return;
    const std::string module = ScratchFolder() + "/player";
    PlaceCompanion(module + ".nt", split);
    player.ExtraLoad(PString(module.c_str()));
}

void
Play(CountingTracker& player, RVGlobal& global, const Split& split)
{
    RVMixer mixer;
    ZW_FUZZ_CHECK(mixer.InitMixer(&player));
    player.InitSound(0);
    mixer.StartMixer();
    mixer.ResumePlaying();
    // Exactly one block, so the sanitizer sees any write beyond it.
    std::unique_ptr<int16[]> block(new int16[kBlockBytes / 2]);
    // Past the block after the end the song starts again: nothing new to find.
    int lastBlock = kBlocks;
    for (int b = 0; b < lastBlock; b++) {
        player.ticks = 0;
        global.moduleEnded = false;
        mixer.Mixer(block.get(), kBlockBytes);
        if (global.moduleEnded)
            lastBlock = std::min(lastBlock, b + 2);
        ZW_FUZZ_CHECK(player.ticks <= kMaxTicksPerBlock);
        CheckReplayState(player);
        ZW_FUZZ_CHECK(player.GetSongPosition() >= 0);
        ZW_FUZZ_CHECK(player.GetSongPosition() < player.GetSongLength());
        // Seeks come from the input too: in range as the plug-in sends them, and now
        // and then any 16-bit value.
        if (b % 5 == 4 && split.moduleBytes > 0) {
            uint8 value = split.module[(b * 131) % split.moduleBytes];
            int16 pos =
                value >= 0xF0 ? int16(value << 8 | value) : int16(value % player.GetSongLength());
            player.SetSongPosition(pos);
            CheckReplayState(player);
        }
    }
    mixer.PausePlaying();
    mixer.StopMixer();
    mixer.EndMixer();
    player.EndSound();
}

}   // namespace


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
    QuietStandardOutput();
    return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Split     split = SplitInput(data, size);
    RVGlobal        global;
    CountingTracker player(&global);
    PMemFile        file(CopyModule(split), int32(split.moduleBytes), 0);

    int32 type = DetectedType(player, file);
    // A file nobody recognises still goes through a loader now and then: the loaders
    // must be safe on any bytes, not only on those detection lets through.
    if (type < 0) {
        if (split.moduleBytes == 0 || split.module[0] % 4 != 0)
            return 0;
        type = int32(split.moduleBytes % MODTYPE_COUNT);
    }
    file.SeekToBegin();
    if (player.LoadModule(uint32(type), &file) != 0) {
        const ModuleView module = player.Module();
        ZW_FUZZ_CHECK(module.samples == nullptr && module.tracks == nullptr);
        ZW_FUZZ_CHECK(module.sequences == nullptr && module.amData == nullptr);
        return 0;
    }
    LoadCompanion(player, split);
    global.currentPlayer = &player;
    global.currentModType = uint32(type);
    ZW_FUZZ_CHECK(player.InitPlayer());
    Play(player, global, split);
    player.EndPlayer();
    return 0;
}
