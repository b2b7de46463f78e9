// Shared helpers of the mixer tests: access to the mixer's internals, a small player
// that counts its ticks, and sample builders.
#ifndef TESTS_MIXER_MIXERTESTSUPPORT_H
#define TESTS_MIXER_MIXERTESTSUPPORT_H

#include <functional>
#include <random>
#include <vector>

#include "framework/RVAddOnPlayer.h"
#include "framework/RVChannel.h"
#include "mixer/RVMixer.h"
#include "support/PString.h"

// Reaches the voices, scratch bounds and protected steps of a mixer.
class RVMixerProbe
{
public:
    explicit RVMixerProbe(RVMixer& mixer) : mixer(mixer) {}

    VINFO& Voice(uint16 i) { return mixer.voices[i]; }
    uint16 ChannelCount() const { return mixer.channelCount; }
    uint16 MasterVolume() const { return mixer.masterVolume; }
    uint32 Mode() const { return mixer.mode; }
    bool   SampleMode() const { return mixer.sampleMode; }
    int32* MixBuffer() { return mixer.mixBuffer; }
    int64  SampleEnd() const { return mixer.sampleEnd; }
    int64  LoopBegin() const { return mixer.loopBegin; }
    int64  LoopFinish() const { return mixer.loopFinish; }

    void SetCurrent(VINFO* voice) { mixer.currentVoice = voice; }
    void Prepare(VINFO* voice)
    {
        mixer.currentVoice = voice;
        mixer.PrepareVoice();
    }

    // Prepares the voice and renders frames of it into buffer (2 values a frame).
    void Render(VINFO* voice, int32* buffer, int64 frames)
    {
        Prepare(voice);
        mixer.AddChannel(buffer, frames);
    }
    void RenderSample(VINFO* voice, int32* buffer, uint32 frames)
    {
        mixer.currentVoice = voice;
        mixer.SetGains();
        const int64 length = voice->length;
        mixer.sampleEnd = length != 0 ? length * MIX_FRACTION_ONE - 1 : 0;
        mixer.AddSampleChannel(buffer, frames);
    }

private:
    RVMixer& mixer;
};

// A player whose Play runs a test-supplied function on its channels.
class TestPlayer : public RVAddOnPlayer
{
public:
    explicit TestPlayer(uint16 channels = 4) : RVAddOnPlayer(nullptr), channels(channels) {}

    PString GetName(uint32) override { return PString(); }
    PString GetDescription(uint32) override { return PString(); }
    int32   ModuleCheck(uint32, PFile*) override { return -1; }
    int32   LoadModule(uint32, PFile*) override { return -1; }
    uint16  GetVirtualChannels() override { return channels; }
    void    GetSamplePlayerInfo(SamplePlayerInfo* info) override
    {
        info->bits = 8;
        info->frequency = MIX_OUTPUT_FREQUENCY;
    }
    int32 Play() override
    {
        playCount++;
        if (onPlay)
            onPlay(*this);
        return 0;
    }

    RVChannel* Channel(uint16 i) { return virtualChannels[i]; }

    uint16                           channels;
    int                              playCount = 0;
    std::function<void(TestPlayer&)> onPlay;
};

// A mixer set up on a player, as the playback control does it.
struct MixerRig
{
    explicit MixerRig(uint16 channels = 4) : player(channels), probe(mixer)
    {
        mixer.InitMixer(&player);
        mixer.StartMixer();
        mixer.ResumePlaying();
    }
    ~MixerRig() { mixer.EndMixer(); }

    // Renders frames of stereo output.
    std::vector<int16> Render(uint32 frames)
    {
        std::vector<int16> out(frames * 2, 0x5A5A);
        mixer.Mixer(out.data(), frames * 4);
        return out;
    }

    TestPlayer   player;
    RVMixer      mixer;
    RVMixerProbe probe;
};

template<typename Sample>
std::vector<Sample>
RandomSamples(std::mt19937& rng, size_t length)
{
    std::uniform_int_distribution<int> value(
        sizeof(Sample) == 1 ? -128 : -32768, sizeof(Sample) == 1 ? 127 : 32767);
    std::vector<Sample> data(length);
    for (Sample& s : data)
        s = Sample(value(rng));
    return data;
}

// A voice ready to play data from its start at the given step-giving frequency.
inline VINFO
MakeVoice(const void* data, uint32 length, uint32 frequency, uint16 volume = 256,
    uint16 panning = 0, uint16 flags = 0)
{
    VINFO v {};
    v.active = true;
    v.address = data;
    v.length = length;
    v.frequency = frequency;
    v.volume = volume;
    v.panning = panning;
    v.flags = flags;
    return v;
}

// The frequency whose step at 44100 Hz is exactly `step`.
inline uint32
FrequencyForStep(uint32 step)
{
    // step = f * 2048 / 44100, truncating; the smallest such f.
    return uint32((uint64(step) * 44100 + MIX_FRACTION_ONE - 1) / MIX_FRACTION_ONE);
}

// The rate whose step at 44100 Hz is exactly one sample a frame.
const uint32 kStepOneSample = MIX_OUTPUT_FREQUENCY;

// 16-bit data whose value is its index + 1, so the output tells which sample was read.
inline std::vector<int16>
Ramp(uint32 length)
{
    std::vector<int16> data(length);
    for (uint32 i = 0; i < length; i++)
        data[i] = int16(i + 1);
    return data;
}

// Renders frames of a hard-left, full-volume voice over a Ramp and returns, per frame,
// the index read (-1: nothing added).
inline std::vector<int>
Trace(RVMixerProbe& probe, VINFO& voice, int64 frames)
{
    std::vector<int32> buffer(2 * frames, 0);
    probe.Render(&voice, buffer.data(), frames);
    std::vector<int> read;
    for (int64 i = 0; i < frames; i++)
        read.push_back(buffer[2 * i] % 255 == 0 ? buffer[2 * i] / 255 - 1 : -1000);
    return read;
}

// from .. to inclusive, counting up or down.
inline std::vector<int>
Sequence(int from, int to)
{
    std::vector<int> s;
    for (int i = from;; i += (to >= from ? 1 : -1)) {
        s.push_back(i);
        if (i == to)
            break;
    }
    return s;
}

inline std::vector<int>
Concat(std::initializer_list<std::vector<int>> parts)
{
    std::vector<int> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

#endif
