// Set-up, tear-down and the tick loop of the mixer.
#include "mixer/RVMixer.h"

#include <cmath>
#include <cstring>
#include <new>

#include "framework/RVAddOnPlayer.h"
#include "framework/RVChannelParser.h"
#include "mixer/MixKernel.h"
#include "mixer/RVAmigaSound.h"
#include "support/PException.h"

namespace {

// Tempo the tick length is measured against: bpm 125 gives 50 ticks a second.
const uint32 kReferenceTempo = 125;
const uint32 kReferenceTicksPerSecond = 50;
const int32  kUnityGain = 1 << 16;

}   // namespace


RVMixer::RVMixer()
    : playing(false), sampleMode(false), player(nullptr), sampleInfo(nullptr),
      mixFrequency(MIX_OUTPUT_FREQUENCY), channelCount(0), masterVolume(256),
      mode(MIX_DEFAULT_MODE), passFrames(MIX_PASS_FRAMES_STEREO), tickFramesLeft(0), sampleEnd(0),
      loopBegin(0), loopFinish(0), mixBuffer(nullptr), voices(nullptr), currentVoice(nullptr),
      passPlan(nullptr), planning(false), gainFactor(kUnityGain), fades(nullptr), ramps(nullptr),
      currentRamp(nullptr), amiga(nullptr)
{
}


// The buffers belong to EndMixer; the Amiga stage follows the settings.
RVMixer::~RVMixer() { delete amiga; }


// Values out of range are held at the nearest legal one; an interpolation the mixer
// does not know plays as nearest.
void
RVMixer::SetSettings(const MixerSettings& newSettings)
{
    settings = newSettings;
    if (settings.interpolation > MIX_INTERPOLATION_SINC)
        settings.interpolation = MIX_INTERPOLATION_NEAREST;
    if (!(settings.gainDb >= MIX_GAIN_MIN_DB))   // also NaN
        settings.gainDb = settings.gainDb > 0 ? MIX_GAIN_MAX_DB : MIX_GAIN_MIN_DB;
    if (settings.gainDb > MIX_GAIN_MAX_DB)
        settings.gainDb = MIX_GAIN_MAX_DB;
    if (settings.stereoPercent < 0)
        settings.stereoPercent = 0;
    if (settings.stereoPercent > MIX_STEREO_MAX_PERCENT)
        settings.stereoPercent = MIX_STEREO_MAX_PERCENT;
}


// Settings take effect at the start of a Mixer call, never inside one.
void
RVMixer::ApplySettings()
{
    if (settings == applied)
        return;
    applied = settings;
    gainFactor = applied.gainDb == 0.0
        ? kUnityGain
        : int32(std::lround(kUnityGain * std::pow(10.0, applied.gainDb / 20.0)));
    if (amiga != nullptr && amiga->Model() != applied.amiga) {
        delete amiga;
        amiga = nullptr;
    }
    if (amiga == nullptr && applied.amiga != MIX_AMIGA_OFF) {
        amiga = new RVAmigaSound(applied.amiga, mixFrequency);
        amiga->Reset(passFrames);
    }
}


bool
RVMixer::InitMixer(RVAddOnPlayer* newPlayer)
{
    if (newPlayer == nullptr)
        return false;
    // A second InitMixer without EndMixer must not leak the first set of channels.
    FreeChannels();
    sampleMode = false;
    player = newPlayer;
    channelCount = player->GetVirtualChannels();

    try {
        mixFrequency = MIX_OUTPUT_FREQUENCY;
        mode = MIX_DEFAULT_MODE;

        delete[] mixBuffer;
        delete[] voices;
        delete[] fades;
        delete[] ramps;
        delete passPlan;
        mixBuffer = nullptr;
        voices = nullptr;
        fades = nullptr;
        ramps = nullptr;
        passPlan = nullptr;

        mixBuffer = new (std::nothrow) int32[MIX_BUFFER_VALUES]();
        if (mixBuffer == nullptr)
            ThrowMemoryException();
        passPlan = new (std::nothrow) MixKernel::PassPlan;
        if (passPlan == nullptr)
            ThrowMemoryException();

        voices = new (std::nothrow) VINFO[channelCount]();
        fades = new (std::nothrow) VINFO[channelCount]();
        ramps = new (std::nothrow) VoiceRamp[2 * channelCount]();
        if (voices == nullptr || fades == nullptr || ramps == nullptr)
            ThrowMemoryException();
        for (uint16 i = 0; i < channelCount; i++) {
            voices[i].retrigger = false;
            voices[i].active = false;
            voices[i].frequency = 10000;
            voices[i].volume = 0;
            // Left, right, right, left, as on the Amiga.
            voices[i].panning = (i % 4 == 1 || i % 4 == 2) ? 255 : 0;
        }

        player->virtualChannels = new (std::nothrow) RVChannel*[channelCount]();
        if (player->virtualChannels == nullptr)
            ThrowMemoryException();
        for (uint16 i = 0; i < channelCount; i++) {
            player->virtualChannels[i] = new (std::nothrow) RVChannelParser;
            if (player->virtualChannels[i] == nullptr)
                ThrowMemoryException();
        }
    } catch (PFileException* e) {
        e->Delete();
        return false;
    } catch (PSoundException* e) {
        e->Delete();
        return false;
    }
    return true;
}


// The channels are the player's now, but made by this mixer for channelCount voices.
void
RVMixer::FreeChannels()
{
    if (player == nullptr)
        return;
    if (player->virtualChannels != nullptr) {
        for (uint16 i = 0; i < channelCount; i++)
            delete player->virtualChannels[i];
        delete[] player->virtualChannels;
    }
    player->virtualChannels = nullptr;
}


void
RVMixer::EndMixer()
{
    FreeChannels();
    delete[] voices;
    delete[] fades;
    delete[] ramps;
    delete[] mixBuffer;
    delete passPlan;
    fades = nullptr;
    ramps = nullptr;
    voices = nullptr;
    mixBuffer = nullptr;
    passPlan = nullptr;
    currentVoice = nullptr;
    player = nullptr;
}


void
RVMixer::StartMixer()
{
    passFrames = (mode & MIX_STEREO) ? MIX_PASS_FRAMES_STEREO : MIX_PASS_FRAMES_MONO;
    tickFramesLeft = 0;
    if (amiga != nullptr)
        amiga->Reset(passFrames);
}


void
RVMixer::StopMixer()
{
}


void
RVMixer::Mixer(int16* buffer, uint32 bytes)
{
    const uint32 frames = Bytes2Samples(bytes);
    if (frames == 0)
        return;
    int8* output = reinterpret_cast<int8*>(buffer);

    // Without a set-up there is nothing to render; the block is still defined.
    if (mixBuffer == nullptr || player == nullptr || player->virtualChannels == nullptr) {
        memset(output, 0, Samples2Bytes(frames));
        return;
    }

    ApplySettings();
    if (sampleMode)
        DoSampleMixing(output, frames);
    else
        DoMixing(output, frames);
}


void
RVMixer::SetVolume(uint16 volume)
{
    masterVolume = volume > 256 ? 256 : volume;
}


bool
RVMixer::IsPlaying() const
{
    return playing;
}


void
RVMixer::PausePlaying()
{
    playing = false;
}


void
RVMixer::ResumePlaying()
{
    playing = true;
}


uint32
RVMixer::Samples2Bytes(uint32 frames) const
{
    if (mode & MIX_16BIT)
        frames <<= 1;
    if (mode & MIX_STEREO)
        frames <<= 1;
    return frames;
}


uint32
RVMixer::Bytes2Samples(uint32 bytes) const
{
    if (mode & MIX_16BIT)
        bytes >>= 1;
    if (mode & MIX_STEREO)
        bytes >>= 1;
    return bytes;
}


void
RVMixer::DoMixing(int8* buffer, uint32 frames)
{
    while (frames != 0) {
        if (tickFramesLeft == 0)
            StartTick();

        uint32 run = tickFramesLeft < frames ? tickFramesLeft : frames;
        tickFramesLeft -= run;
        frames -= run;
        while (run != 0) {
            const uint32 chunk = run < passFrames ? run : passFrames;
            MixPass(buffer, chunk);
            buffer += Samples2Bytes(chunk);
            run -= chunk;
        }
    }
}


// One replay tick: the player plays, the parsers hand its changes over, and the tempo
// it leaves sizes the tick.
void
RVMixer::StartTick()
{
    player->Play();
    for (uint16 i = 0; i < channelCount; i++) {
        RVChannelParser* channel = static_cast<RVChannelParser*>(player->virtualChannels[i]);
        if (channel == nullptr)
            continue;
        if (!applied.ramping) {
            channel->ParseInfo(&voices[i]);
            continue;
        }
        // A note that a new one or a mute cuts off fades out beside it.
        const VINFO before = voices[i];
        channel->ParseInfo(&voices[i]);
        const VoiceRamp& ramp = ramps[i];
        if (before.active && (voices[i].retrigger || !voices[i].active)
            && (ramp.left != 0 || ramp.right != 0 || ramp.framesLeft != 0)) {
            fades[i] = before;
            ramps[channelCount + i] = ramp;
        }
    }
    if (amiga != nullptr)
        amiga->SetLed(player->ledFilter);

    // A tempo of 0 would divide by zero; it plays as the slowest tempo, 1 bpm
    // (Tick_ZeroBpm_PlaysAsOneBpm).
    const uint32 bpm = player->bpm == 0 ? 1 : player->bpm;
    tickFramesLeft = (mixFrequency * kReferenceTempo) / (bpm * kReferenceTicksPerSecond);
    if (tickFramesLeft == 0)
        tickFramesLeft = 1;
}


void
RVMixer::MixPass(int8* output, uint32 frames)
{
    const uint32 values = (mode & MIX_STEREO) ? frames * 2 : frames;
    planning = UsesTiles() && amiga == nullptr;
    if (amiga != nullptr)
        amiga->BeginPass(channelCount);
    if (planning) {
        passPlan->count = 0;
        passPlan->groups = 0;
        passPlan->groupOwner = nullptr;
        passPlan->sumsUsed = false;
    }

    for (uint16 i = 0; i < channelCount; i++) {
        currentVoice = &voices[i];
        // Paula steps at once: the Amiga sound has no ramps.
        currentRamp = applied.ramping && amiga == nullptr ? &ramps[i] : nullptr;
        if (currentVoice->retrigger) {
            currentVoice->position = int64(currentVoice->start) * MIX_FRACTION_ONE;
            currentVoice->retrigger = false;
            currentVoice->active = true;
            if (currentRamp != nullptr)   // a note starts from silence
                *currentRamp = VoiceRamp {};
        }
        if (currentVoice->frequency == 0)
            currentVoice->active = false;
        if (currentVoice->active) {
            PrepareVoice();
            if (currentRamp != nullptr) {
                int32 left, right;
                StretchGains(left, right);
                AimRamp(left, right);
            }
            RenderVoice(mixBuffer, frames);
        }
        if (!currentVoice->active && currentRamp != nullptr)
            *currentRamp = VoiceRamp {};

        RVChannelParser* channel = static_cast<RVChannelParser*>(player->virtualChannels[i]);
        if (channel != nullptr)
            channel->Active(currentVoice->active);
        if (amiga != nullptr)
            amiga->EndVoice(i, currentVoice->active, frames);

        // The note cut off under this voice, down to silence.
        VINFO* fade = &fades[i];
        if (currentRamp != nullptr && fade->active) {
            currentVoice = fade;
            currentRamp = &ramps[channelCount + i];
            PrepareVoice();
            AimRamp(0, 0);
            RenderVoice(mixBuffer, frames);
            if (currentRamp->framesLeft == 0)
                fade->active = false;
        } else {
            fade->active = false;
        }
    }
    if (amiga != nullptr) {
        // 16-bit stereo at unity gain comes out of the Amiga stage as it is; the
        // accumulator, untouched, stays clear.
        if ((mode & (MIX_16BIT | MIX_STEREO)) == (MIX_16BIT | MIX_STEREO)
            && gainFactor == kUnityGain) {
            amiga->EndPass16(reinterpret_cast<int16*>(output), frames);
            return;
        }
        amiga->EndPass(mixBuffer, frames);
    }
    if (planning) {
        planning = false;
        MixKernel::MixPassTiles(reinterpret_cast<int16*>(output), frames, *passPlan, mixBuffer);
    } else {
        ConvertPass(output, values);
    }
}


// Tiles mix 16-bit stereo of the nearest samples at constant gains, with the AVX-512
// set, and clip the sums as they are; any other gain goes through the accumulator.
bool
RVMixer::UsesTiles() const
{
    return passPlan != nullptr && MixKernel::ActiveKernels() == MixKernel::KERNELS_AVX512
        && (mode & (MIX_16BIT | MIX_STEREO)) == (MIX_16BIT | MIX_STEREO)
        && applied.interpolation == MIX_INTERPOLATION_NEAREST && !applied.ramping
        && gainFactor == kUnityGain;
}


// The output stage: what acts on the whole mix (the gain) is applied as the sums are
// converted. Passes start from a cleared accumulator without clearing it themselves:
// InitMixer allocates it cleared, and each conversion clears the sums it has read.
void
RVMixer::ConvertPass(int8* output, uint32 values)
{
    if ((mode & MIX_16BIT) && gainFactor != kUnityGain) {
        MixKernel::Convert16GainAndClear(
            reinterpret_cast<int16*>(output), mixBuffer, values, gainFactor);
    } else if (mode & MIX_16BIT) {
        MixKernel::Convert16AndClear(reinterpret_cast<int16*>(output), mixBuffer, values);
    } else {
        Mix32To8(output, mixBuffer, values);
        memset(mixBuffer, 0, values * sizeof(int32));
    }
}
