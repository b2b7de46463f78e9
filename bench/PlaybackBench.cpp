// Throughput of the replay and of whole playback: one Play with every channel busy, and
// whole 4096-byte GetAudio blocks of the busy songs, at 4, 8 and 32 channels.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "framework/RVGlobal.h"
#include "mixer/MixKernel.h"
#include "mixer/RVMixer.h"
#include "modtracker/ModTracker.h"
#include "plugin/MyPlugin.h"
#include "support/PMemFile.h"
#include "tools/busysongs/BusySongs.h"

namespace {

const int kFastestKernels = -1;

// Uses a kernel set while it exists.
class KernelChoice
{
public:
    explicit KernelChoice(int64 set) : previous(MixKernel::ActiveKernels())
    {
        available = set == kFastestKernels || MixKernel::UseKernels(MixKernel::KernelSet(set));
    }
    ~KernelChoice() { MixKernel::UseKernels(previous); }
    bool Available() const { return available; }

private:
    MixKernel::KernelSet previous;
    bool                 available;
};

// The busy song of that many channels.
const zw::BusySong&
SongFor(int channels)
{
    static const std::vector<zw::BusySong> songs = zw::StandardBusySongs();
    for (const zw::BusySong& song : songs) {
        if (song.channels == channels)
            return song;
    }
    return songs.front();
}


// One tick of the replay; the mixer only provides the virtual channels Play writes to.
void
BM_PlayTick(benchmark::State& state)
{
    const zw::BusySong& song = SongFor(int(state.range(0)));
    PMemFile            file;
    file.Write(song.bytes.data(), int32(song.bytes.size()));
    RVGlobal   global;
    ModTracker player(&global);
    uint32     type = 0;
    for (; type < player.GetCount(); type++) {
        file.Seek(0, PFile::pSeekBegin);
        if (player.ModuleCheck(type, &file) == 0)
            break;
    }
    file.Seek(0, PFile::pSeekBegin);
    if (type == player.GetCount() || player.LoadModule(type, &file) != 0 || !player.InitPlayer()) {
        state.SkipWithError("the busy song does not load");
        return;
    }
    RVMixer mixer;
    mixer.InitMixer(&player);
    player.InitSound(0);
    for (auto _ : state)
        benchmark::DoNotOptimize(player.Play());
    state.SetItemsProcessed(int64(state.iterations()));
    mixer.EndMixer();
    player.EndSound();
    player.EndPlayer();
}


// Whole blocks as the host asks for them; items are frames. The song restarts, untimed,
// when it ends. Arguments: channels, and the kernel set (the reference loops, the
// portable blocks, or the fastest the processor runs).
void
BM_GetAudio(benchmark::State& state)
{
    const zw::BusySong& song = SongFor(int(state.range(0)));
    KernelChoice        kernels(state.range(1));
    if (!kernels.Available()) {
        state.SkipWithError("the processor lacks this kernel set");
        return;
    }
    char      path[] = "/tmp/zw-bench-song-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 || write(fd, song.bytes.data(), song.bytes.size()) != ssize_t(song.bytes.size())) {
        state.SkipWithError("cannot write the busy song");
        return;
    }
    close(fd);

    MyPlugin         plugin;
    PlayerInfoStruct info {};
    if (!plugin.InitPlaying(path, &info)) {
        state.SkipWithError("the busy song does not play");
        unlink(path);
        return;
    }
    char* block = nullptr;
    for (auto _ : state) {
        if (plugin.GetAudio(&block, PLUGIN_BLOCK_BYTES) == 0) {
            state.PauseTiming();
            plugin.CleanupPlaying();
            plugin.InitPlaying(path, &info);
            state.ResumeTiming();
        }
        benchmark::DoNotOptimize(block);
    }
    state.SetItemsProcessed(int64(state.iterations()) * PLUGIN_BLOCK_BYTES / 4);
    plugin.CleanupPlaying();
    unlink(path);
}

}   // namespace

BENCHMARK(BM_PlayTick)->Arg(4)->Arg(8)->Arg(32);
BENCHMARK(BM_GetAudio)->ArgsProduct({ { 4, 8, 32 }, { kFastestKernels } });
BENCHMARK(BM_GetAudio)
    ->ArgsProduct({ { 4, 32 },
        { MixKernel::KERNELS_REFERENCE, MixKernel::KERNELS_PORTABLE, MixKernel::KERNELS_AVX2 } });
