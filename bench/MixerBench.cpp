// Throughput of the mixer's inner loops: voice-frames per second through AddChannel,
// values per second through the 16-bit conversion, and whole blocks per voice count.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "framework/RVAddOnPlayer.h"
#include "framework/RVChannel.h"
#include "mixer/RVAmigaSound.h"
#include "mixer/RVMixer.h"
#include "support/PString.h"

// The mixer's test access, reduced to what the benchmarks drive.
class RVMixerProbe
{
public:
    explicit RVMixerProbe(RVMixer& mixer) : mixer(mixer) {}
    void Render(VINFO* voice, int32* buffer, int64 frames)
    {
        mixer.currentVoice = voice;
        mixer.PrepareVoice();
        mixer.AddChannel(buffer, frames);
    }

private:
    RVMixer& mixer;
};

namespace {

const uint32 kFrames = 1024;
// Period 428 (C-2) on a PAL Amiga.
const uint32 kTypicalFrequency = AMIGA_CLOCK / 428;

template<typename Sample>
std::vector<Sample>
Noise(size_t length)
{
    std::mt19937        rng(1);
    std::vector<Sample> data(length);
    for (Sample& s : data)
        s = Sample(rng());
    return data;
}

// How a benchmarked voice plays its sample.
enum VoiceLoop { kOneShot, kForwardLoop, kPingPongLoop };

// One 1024-frame pass of one voice at a typical pitch. Arguments: panning, VoiceLoop.
template<typename Sample>
void
AddChannelVoice(benchmark::State& state)
{
    const std::vector<Sample> data = Noise<Sample>(10000);
    const VoiceLoop           loop = VoiceLoop(state.range(1));
    VINFO                     voice {};
    voice.active = true;
    voice.address = data.data();
    voice.length = 10000;
    voice.loopStart = 2000;
    voice.loopEnd = 10000;
    voice.flags = (sizeof(Sample) == 2 ? VINFO_16BIT : 0) | (loop != kOneShot ? VINFO_LOOP : 0)
        | (loop == kPingPongLoop ? VINFO_PINGPONG : 0);
    voice.frequency = kTypicalFrequency;
    voice.volume = 256;
    voice.panning = uint16(state.range(0));

    RVMixer            mixer;
    RVMixerProbe       probe(mixer);
    std::vector<int32> buffer(2 * kFrames, 0);
    for (auto _ : state) {
        // A one-shot voice starts over before it would reach its end.
        if (loop == kOneShot && voice.position > 9000 * MIX_FRACTION_ONE)
            voice.position = 0;
        probe.Render(&voice, buffer.data(), kFrames);
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64(state.iterations()) * kFrames);
}


void
BM_AddChannel8(benchmark::State& state)
{
    AddChannelVoice<int8>(state);
}


void
BM_AddChannel16(benchmark::State& state)
{
    AddChannelVoice<int16>(state);
}


void
BM_Mix32To16(benchmark::State& state)
{
    std::mt19937       rng(2);
    std::vector<int32> sums(2 * kFrames);
    for (int32& v : sums)
        v = int32(rng()) >> 6;
    std::vector<int16> out(2 * kFrames);
    RVMixer            mixer;
    for (auto _ : state) {
        mixer.Mix32To16(out.data(), sums.data(), int64(sums.size()));
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64(state.iterations()) * int64(sums.size()));
}


// A player whose voices all loop 8-bit noise at slightly different pitches.
class NoisePlayer : public RVAddOnPlayer
{
public:
    explicit NoisePlayer(uint16 channels)
        : RVAddOnPlayer(nullptr), channels(channels), data(Noise<int8>(20000))
    {
    }
    PString GetName(uint32) override { return PString(); }
    PString GetDescription(uint32) override { return PString(); }
    int32   ModuleCheck(uint32, PFile*) override { return -1; }
    int32   LoadModule(uint32, PFile*) override { return -1; }
    uint16  GetVirtualChannels() override { return channels; }
    int32   Play() override
    {
        if (started)
            return 0;
        started = true;
        for (uint16 i = 0; i < channels; i++) {
            virtualChannels[i]->PlaySample(data.data(), 0, 20000);
            virtualChannels[i]->SetLoop(1000, 19000, RV_LOOP_NORMAL);
            virtualChannels[i]->SetFrequency(kTypicalFrequency + 97 * i);
            virtualChannels[i]->SetVolume(128);
        }
        return 0;
    }

private:
    uint16            channels;
    std::vector<int8> data;
    bool              started = false;
};


// Whole 4096-byte blocks; items are voice-frames. Arguments: voices, MixInterpolation.
void
BM_MixerBlock(benchmark::State& state)
{
    const uint16 channels = uint16(state.range(0));
    NoisePlayer  player(channels);
    RVMixer      mixer;
    mixer.InitMixer(&player);
    MixerSettings settings;
    settings.interpolation = MixInterpolation(state.range(1));
    mixer.SetSettings(settings);
    mixer.StartMixer();
    std::vector<int16> out(2 * kFrames);
    for (auto _ : state) {
        mixer.Mixer(out.data(), 4 * kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64(state.iterations()) * kFrames * channels);
    mixer.EndMixer();
}


// The A500's output stage on four MOD voices panned hard left and right, noise at
// periods 214 to 428, in 1024-frame passes to 16-bit stereo; items are frames. Also
// with the LED filter in.
void
BM_AmigaPass(benchmark::State& state)
{
    const std::vector<int8> data = Noise<int8>(1 << 16);
    const uint32            periods[4] = { 214, 254, 320, 428 };
    const int32             left[4] = { 128, 0, 0, 128 };
    RVAmigaSound            amiga(MIX_AMIGA_A500, 44100);
    amiga.Reset(kFrames);
    amiga.SetLed(state.range(0) != 0);
    int64              positions[4] = {};
    std::vector<int16> out(2 * kFrames);
    for (auto _ : state) {
        amiga.BeginPass(4);
        for (uint16 v = 0; v < 4; v++) {
            const int64 step = int64(AMIGA_CLOCK / periods[v]) * MIX_FRACTION_ONE / 44100;
            if ((positions[v] >> MIX_FRACTION_BITS) + 2 * kFrames >= int64(data.size()))
                positions[v] = 0;
            positions[v] = amiga.AddStretch<int8>(
                v, data.data(), positions[v], step, kFrames, 0, left[v], 128 - left[v]);
            amiga.EndVoice(v, true, kFrames);
        }
        amiga.EndPass16(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64(state.iterations()) * kFrames);
}

// The output stage alone, on a pass without steps: the filters and the conversion.
void
BM_AmigaFilters(benchmark::State& state)
{
    RVAmigaSound amiga(MIX_AMIGA_A500, 44100);
    amiga.Reset(kFrames);
    amiga.SetLed(state.range(0) != 0);
    std::vector<int16> out(2 * kFrames);
    for (auto _ : state) {
        amiga.BeginPass(0);
        amiga.EndPass16(out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64(state.iterations()) * kFrames);
}

}   // namespace

BENCHMARK(BM_AmigaPass)->Arg(0)->Arg(1);
BENCHMARK(BM_AmigaFilters)->Arg(0)->Arg(1);
BENCHMARK(BM_AddChannel8)
    ->ArgsProduct({ { 0, RV_PANNING_SURROUND }, { kOneShot, kForwardLoop, kPingPongLoop } });
BENCHMARK(BM_AddChannel16)
    ->ArgsProduct({ { 0, RV_PANNING_SURROUND }, { kOneShot, kForwardLoop, kPingPongLoop } });
BENCHMARK(BM_Mix32To16);
BENCHMARK(BM_MixerBlock)
    ->ArgsProduct({ { 4, 32 },
        { MIX_INTERPOLATION_NEAREST, MIX_INTERPOLATION_LINEAR, MIX_INTERPOLATION_CUBIC,
            MIX_INTERPOLATION_SINC } });
