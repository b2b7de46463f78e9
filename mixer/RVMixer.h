// RVMixer: renders the virtual channels of one player into interleaved signed 16-bit
// stereo at 44100 Hz, calling the player's Play once per tick.
#ifndef MIXER_RVMIXER_H
#define MIXER_RVMIXER_H

#include "beos/SupportDefs.h"
#include "framework/VInfo.h"
#include "mixer/FixedPoint.h"
#include "mixer/MixerSettings.h"

class RVAddOnPlayer;
class RVAmigaSound;
struct SamplePlayerInfo;
namespace MixKernel {
struct PassPlan;
struct KernelPair;
struct Stretch;
}   // namespace MixKernel

enum : uint32 {
    MIX_16BIT = 0x001,
    MIX_STEREO = 0x002,
    MIX_SURROUND = 0x100,
    MIX_INTERP = 0x200,
};

// The highest position the 32-bit kernels may start or end a stretch at.
const int64  MIX_POSITION_32BIT_MAX = 0x7FFFFFFE;
const uint32 MIX_OUTPUT_FREQUENCY = 44100;
const uint32 MIX_DEFAULT_MODE = MIX_16BIT | MIX_STEREO | MIX_SURROUND;
// 32896 bytes of 32-bit sums; a pass uses at most 8192 of them.
const uint32 MIX_BUFFER_VALUES = 32896 / sizeof(int32);
const uint16 MIX_PASS_FRAMES_MONO = 8192;
const uint16 MIX_PASS_FRAMES_STEREO = 4096;

class RVMixer
{
public:
    RVMixer();
    virtual ~RVMixer();
    RVMixer(const RVMixer&) = delete;
    RVMixer& operator=(const RVMixer&) = delete;

    bool InitMixer(RVAddOnPlayer* player);
    void EndMixer();
    void StartMixer();
    void StopMixer();

    void Mixer(int16* buffer, uint32 bytes);
    void SetVolume(uint16 volume);

    // The sound to render from the next call of Mixer on; kept across InitMixer and
    // EndMixer. The defaults give the mixer's own sound.
    void                 SetSettings(const MixerSettings& newSettings);
    const MixerSettings& Settings() const { return settings; }

    bool IsPlaying() const;
    void PausePlaying();
    void ResumePlaying();

    void SwitchToSampleMode(SamplePlayerInfo* info);

    uint32 Samples2Bytes(uint32 frames) const;
    uint32 Bytes2Samples(uint32 bytes) const;

    // Frames still to render before the next Play.
    uint32 TickFramesLeft() const { return tickFramesLeft; }

    // The nearest-sample kernels of the stereo and surround layouts: render one stretch
    // of currentVoice (no loop or end boundary inside it) with its gains. Positions and
    // steps have 11 fraction bits; they return the new position. The mixer itself picks
    // its kernels from a table by interpolation, width and gains (mixer/KernelTable.h).
    int32 Mix8StereoNormal(
        const int8* data, int32* buffer, int32 position, int32 step, uint32 frames);
    int32 Mix16StereoNormal(
        const int16* data, int32* buffer, int32 position, int32 step, uint32 frames);
    int32 Mix8SurroundNormal(
        const int8* data, int32* buffer, int32 position, int32 step, uint32 frames);
    int32 Mix16SurroundNormal(
        const int16* data, int32* buffer, int32 position, int32 step, uint32 frames);
    int64 Mix8StereoNormal64(
        const int8* data, int32* buffer, int64 position, int64 step, uint32 frames);
    int64 Mix16StereoNormal64(
        const int16* data, int32* buffer, int64 position, int64 step, uint32 frames);
    int64 Mix8SurroundNormal64(
        const int8* data, int32* buffer, int64 position, int64 step, uint32 frames);
    int64 Mix16SurroundNormal64(
        const int16* data, int32* buffer, int64 position, int64 step, uint32 frames);

    // Accumulator to output: shift right by 9 and clip.
    void Mix32To16(int16* output, const int32* buffer, int64 count);
    void Mix32To8(int8* output, const int32* buffer, int64 count);

protected:
    void DoMixing(int8* buffer, uint32 frames);
    void DoSampleMixing(int8* buffer, uint32 frames);
    void StartTick();
    void MixPass(int8* output, uint32 frames);
    void MixSamplePass(int8* output, uint32 frames);
    void ConvertPass(int8* output, uint32 values);

    // Voice preparation and rendering of currentVoice.
    void PrepareVoice();
    void SetGains();
    void SetBounds();
    void AddChannel(int32* buffer, int64 frames);
    void AddSampleChannel(int32* buffer, uint32 frames);
    // How one voice of a pass is rendered into the sums: through AddChannel, the
    // resampling kernels. An emulated output stage with its own voice renderer takes
    // over here, and its filter in ConvertPass.
    void RenderVoice(int32* buffer, uint32 frames);

private:
    friend class RVMixerProbe;   // test access to voices and scratch bounds

    void FreeChannels();

    // A voice's gains moving to new values over a few milliseconds.
    struct VoiceRamp
    {
        int32  left;   // gains reached, 16 fraction bits
        int32  right;
        int32  targetLeft;   // whole gains the ramp heads for
        int32  targetRight;
        int32  stepLeft;
        int32  stepRight;
        uint32 framesLeft;
    };

    void  ApplySettings();
    void  StartFades();
    void  AimRamp(int32 left, int32 right);
    void  StretchGains(int32& left, int32& right) const;
    void  PrepareStretch(MixKernel::Stretch& stretch, const void* data, bool looping) const;
    int64 MixStretch(const MixKernel::KernelPair& kernels, MixKernel::Stretch& stretch,
        int32* buffer, int64 position, int64 step, uint32 frames);
    int64 MixRamped(MixKernel::Stretch& stretch, int32* buffer, uint32 frames);
    template<typename Sample>
    void AddStretches(const Sample* data, int32* buffer, int64 frames);
    template<typename Sample>
    void AddSampleStretches(const Sample* data, int32* buffer, uint32 frames);
    template<typename Sample>
    bool PlanStretch(const Sample* data, const int32* buffer, int64 frames);
    template<typename Sample, typename Pos>
    Pos MixNearest(
        const Sample* data, int32* buffer, Pos position, Pos step, uint32 frames, bool surround);
    template<typename Sample>
    int64 AddAmigaStretch(const Sample* data, const int32* buffer, uint32 frames);
    bool  UsesTiles() const;
    bool  IsSurround() const;

    bool   LoopIsUsable() const;
    bool   CheckBoundary(bool looping);
    void   WrapForwards(bool pingPong);
    void   WrapBackwards(bool pingPong);
    void   Reverse();
    void   StopVoice();
    uint32 FramesToValues(uint32 frames) const;

    bool                 playing;
    bool                 sampleMode;
    RVAddOnPlayer*       player;
    SamplePlayerInfo*    sampleInfo;
    uint32               mixFrequency;
    uint16               channelCount;
    uint16               masterVolume;
    uint32               mode;
    uint16               passFrames;
    uint32               tickFramesLeft;
    int64                sampleEnd;
    int64                loopBegin;
    int64                loopFinish;
    int32*               mixBuffer;
    VINFO*               voices;
    VINFO*               currentVoice;
    MixKernel::PassPlan* passPlan;   // the pass's stretches, while tiles mix it
    bool                 planning;
    MixerSettings        settings;      // as last set
    MixerSettings        applied;       // in force for the current Mixer call
    int32                gainFactor;    // applied gain, 16 fraction bits
    VINFO*               fades;         // per voice: a note fading out under the next
    VoiceRamp*           ramps;         // the voices' ramps, then the fades'
    VoiceRamp*           currentRamp;   // of currentVoice, while ramping
    RVAmigaSound*        amiga;         // the Amiga's output stage while one is chosen; owned
};

#endif
