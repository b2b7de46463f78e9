// Fuzz target: the replay alone, tick by tick, without the cost of mixing. After every
// tick each voice the player started must lie inside the module's sample data (or the
// AM waveforms), its loop inside the voice, and the replay state on the song. Bytes
// after "|NT|" are the ".nt" companion of a StarTracker module.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <unistd.h>

#include "FuzzInput.h"
#include "framework/RVChannelParser.h"
#include "framework/RVGlobal.h"
#include "mixer/RVMixer.h"
#include "modtracker/ModTracker.h"
#include "support/PMemFile.h"

using namespace zwfuzz;

namespace {

const int kTicks = 600;
const int kTicksAfterTheEnd = 64;
const int kSeekEvery = 150;

// True when [begin, begin + bytes) lies inside one sample's data or one AM waveform.
bool
InsideModule(const ModTracker& player, const int8* begin, uint32 bytes)
{
    const ModuleView module = player.Module();
    for (uint16 i = 0; i < module.sampleNum; i++) {
        const Sample& s = module.samples[i];
        if (s.data != nullptr && begin >= s.data && begin + bytes <= s.data + 2 * uint32(s.length))
            return true;
    }
    for (const auto& wave : player.Replay().amWaveforms) {
        if (begin >= wave && begin + bytes <= wave + sizeof(wave))
            return true;
    }
    return false;
}

void
CheckVoice(const ModTracker& player, const RVChannel& voice)
{
    ZW_FUZZ_CHECK(voice.Volume() <= 256);
    ZW_FUZZ_CHECK(voice.Panning() <= 255 || voice.Panning() == RV_PANNING_SURROUND);
    uint32 flags = voice.Flags();
    if ((flags & RV_CHANNEL_TRIGGER) == 0 || (flags & RV_CHANNEL_MUTE) != 0)
        return;
    const int8* address = static_cast<const int8*>(voice.SampleAddress());
    ZW_FUZZ_CHECK(address != nullptr);
    ZW_FUZZ_CHECK(voice.SampleStart() <= voice.SampleLength());
    ZW_FUZZ_CHECK(InsideModule(player, address, voice.SampleLength()));
    if ((flags & RV_CHANNEL_LOOP) != 0)
        ZW_FUZZ_CHECK(uint64(voice.LoopStart()) + voice.LoopLength() <= voice.SampleLength());
}

void
CheckState(const ModTracker& player)
{
    const ModuleView module = player.Module();
    const ReplayView replay = player.Replay();
    ZW_FUZZ_CHECK(replay.songPos < module.songLength);
    ZW_FUZZ_CHECK(replay.patternPos < module.rowsPerPattern);
    ZW_FUZZ_CHECK(replay.speed >= 1 && replay.speed <= 31);
    ZW_FUZZ_CHECK(player.bpm == 125 || player.bpm >= 32);
}

void
Run(ModTracker& player, RVGlobal& global, const Split& split)
{
    RVMixer mixer;   // makes the virtual channels, as in a playback
    ZW_FUZZ_CHECK(mixer.InitMixer(&player));
    player.InitSound(0);
    const uint16             channels = player.GetVirtualChannels();
    std::unique_ptr<VINFO[]> voices(new VINFO[channels]());
    // A song that ended plays again from its restart: a few rows of that are enough.
    int lastTick = kTicks;
    for (int tick = 0; tick < lastTick; tick++) {
        global.moduleEnded = false;
        player.Play();
        if (global.moduleEnded)
            lastTick = std::min(lastTick, tick + kTicksAfterTheEnd);
        CheckState(player);
        for (uint16 i = 0; i < channels; i++) {
            auto* voice = static_cast<RVChannelParser*>(player.virtualChannels[i]);
            CheckVoice(player, *voice);
            voice->ParseInfo(&voices[i]);
            // The mixer's answer, roughly: a started voice sounds until muted.
            voice->Active(voices[i].retrigger || voices[i].active);
            voices[i].active = voices[i].retrigger || voices[i].active;
            voices[i].retrigger = false;
        }
        if (tick % kSeekEvery == kSeekEvery - 1 && split.moduleBytes > 0) {
            uint8 value = split.module[(tick * 7) % split.moduleBytes];
            player.SetSongPosition(int16(value % player.GetSongLength()));
        }
    }
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
    const Split split = SplitInput(data, size);
    RVGlobal    global;
    ModTracker  player(&global);
    PMemFile    file(CopyModule(split), int32(split.moduleBytes), 0);

    int32 type = -1;
    for (uint32 i = 0; i < player.GetCount() && type < 0; i++) {
        if (player.ModuleCheck(i, &file) == 0)
            type = int32(i);
    }
    // Any bytes through any loader, now and then.
    if (type < 0) {
        if (split.moduleBytes == 0 || split.module[0] % 4 != 0)
            return 0;
        type = int32(split.moduleBytes % MODTYPE_COUNT);
    }
    file.SeekToBegin();
    if (player.LoadModule(uint32(type), &file) != 0)
        return 0;
    if (type == MODTYPE_STARTRACKER) {
        const std::string module = ScratchFolder() + "/replay";
        PlaceCompanion(module + ".nt", split);
        player.ExtraLoad(PString(module.c_str()));
    }
    global.currentPlayer = &player;
    ZW_FUZZ_CHECK(player.InitPlayer());
    Run(player, global, split);
    player.EndPlayer();
    return 0;
}
