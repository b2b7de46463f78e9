// Sample mode: the player hands every channel a ready-made buffer per tick, which plays
// once from its start at one common source rate.
#include "mixer/RVMixer.h"

#include <cstring>

#include "framework/RVAddOnPlayer.h"
#include "framework/RVChannelParser.h"
#include "framework/SamplePlayerInfo.h"
#include "mixer/KernelTable.h"


// Voices left from normal mode describe instruments, not buffers, and may hold data of
// another width than sample mode reads; they are stopped so that nothing reads them as
// buffers (SampleMode.Switch_StopsOldVoices). Without a source description there is
// nothing to switch to.
void
RVMixer::SwitchToSampleMode(SamplePlayerInfo* info)
{
    if (info == nullptr)
        return;
    sampleMode = true;
    sampleInfo = info;
    if (voices == nullptr)
        return;
    for (uint16 i = 0; i < channelCount; i++)
        voices[i].active = false;
}


void
RVMixer::DoSampleMixing(int8* buffer, uint32 frames)
{
    while (frames != 0) {
        if (tickFramesLeft == 0) {
            player->Play();
            for (uint16 i = 0; i < channelCount; i++) {
                RVChannelParser* channel =
                    static_cast<RVChannelParser*>(player->virtualChannels[i]);
                tickFramesLeft = channel == nullptr
                    ? 0
                    : channel->ParseSampleInfo(&voices[i], sampleInfo->frequency, mixFrequency);
            }
            // The last channel brought no buffer: the rest of this block is silence and
            // the next call starts with a new Play (SampleMode.LastChannelEmpty_RestOfBlockSilentAndNextCallPlays).
            if (tickFramesLeft == 0) {
                memset(buffer, 0, Samples2Bytes(frames));
                return;
            }
        }

        uint32 run = tickFramesLeft < frames ? tickFramesLeft : frames;
        tickFramesLeft -= run;
        frames -= run;
        while (run != 0) {
            const uint32 chunk = run < passFrames ? run : passFrames;
            MixSamplePass(buffer, chunk);
            buffer += Samples2Bytes(chunk);
            run -= chunk;
        }
    }
}


void
RVMixer::MixSamplePass(int8* output, uint32 frames)
{
    const uint32 values = FramesToValues(frames);

    currentRamp = nullptr;
    for (uint16 i = 0; i < channelCount; i++) {
        currentVoice = &voices[i];
        if (!currentVoice->active)
            continue;
        SetGains();
        const int64 length = currentVoice->length;
        sampleEnd = length != 0 ? length * MIX_FRACTION_ONE - 1 : 0;
        AddSampleChannel(mixBuffer, frames);
    }
    ConvertPass(output, values);
}


// A buffer-less voice, an empty buffer or a step that does not move forwards (a source
// rate below 22 Hz) would read outside the data or divide by zero; such a voice stops
// instead (AddSampleChannel_ZeroStep_StopsVoice).
void
RVMixer::AddSampleChannel(int32* buffer, uint32 frames)
{
    const VINFO* voice = currentVoice;
    if (voice->address == nullptr || voice->length == 0 || voice->step <= 0) {
        StopVoice();
        return;
    }
    if (sampleInfo->bits == 16)
        AddSampleStretches(static_cast<const int16*>(voice->address), buffer, frames);
    else
        AddSampleStretches(static_cast<const int8*>(voice->address), buffer, frames);
}


template<typename Sample>
void
RVMixer::AddSampleStretches(const Sample* data, int32* buffer, uint32 frames)
{
    VINFO*             voice = currentVoice;
    MixKernel::Stretch stretch;
    PrepareStretch(stretch, data, false);
    // The buffers of consecutive ticks join without a gap, which taps past a buffer's
    // end would not see: sample mode always plays the sample under the position.
    const MixKernel::KernelPair& kernels = MixKernel::Kernels(
        MixKernel::KernelIndex(MIX_INTERPOLATION_NEAREST, sizeof(Sample) == 2, false));

    while (frames != 0) {
        if (voice->position > sampleEnd)
            return;
        if (voice->position < 0) {
            StopVoice();
            return;
        }
        int64 done = (sampleEnd - voice->position) / voice->step + 1;
        if (done > frames)
            done = frames;

        voice->position =
            MixStretch(kernels, stretch, buffer, voice->position, voice->step, uint32(done));
        frames -= uint32(done);
        buffer += FramesToValues(uint32(done));
    }
}
