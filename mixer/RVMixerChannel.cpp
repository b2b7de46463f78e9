// Voice preparation and AddChannel: walks currentVoice through its sample, one
// stretch between boundaries at a time.
//
// Whatever the voice holds, every index a kernel reads lies in [0, length): the bounds
// are 64-bit, the loop end is cut at the sample's end, and a position found outside the
// sample before a stretch stops the voice.
#include "mixer/RVMixer.h"

#include "framework/RVChannel.h"
#include "mixer/KernelTable.h"
#include "mixer/MixKernel.h"
#include "mixer/RVAmigaSound.h"

namespace {

const int32 kMaxVolume = 256;
const int32 kMaxPanning = 255;
// Panning in 1/256 steps, for the narrowed pan law: its centre and its full right.
const int32 kFinePanCentre = 255 * 128;
const int32 kFinePanRight = 255 * 256;
// About 2.9 ms at 44100 Hz: long enough to take the click out of a step, short enough
// to keep an attack sharp.
const int32 kRampFrames = 128;

}   // namespace


void
RVMixer::PrepareVoice()
{
    // Widened so that frequencies of 2,097,152 Hz and more do not wrap.
    const int64 step = int64(uint64(currentVoice->frequency) * MIX_FRACTION_ONE / mixFrequency);
    currentVoice->step = (currentVoice->flags & VINFO_BACKWARDS) ? -step : step;
    SetGains();
    SetBounds();
}


// Volume and panning outside their ranges are held at the nearest legal value, which
// keeps every product of a kernel far from overflow (AddChannel.Gains_PanningAndMasterVolume).
void
RVMixer::SetGains()
{
    VINFO*      voice = currentVoice;
    const int32 volume = voice->volume > kMaxVolume ? kMaxVolume : voice->volume;
    const int32 vol = volume * masterVolume / 256;

    voice->oldLeftVolume = voice->leftVolume;
    voice->oldRightVolume = voice->rightVolume;
    if ((mode & MIX_STEREO) == 0) {
        voice->leftVolume = vol;
    } else if (voice->panning == RV_PANNING_SURROUND) {
        voice->leftVolume = vol / 2;
        voice->rightVolume = vol / 2;
    } else if (applied.stereoPercent >= MIX_STEREO_MAX_PERCENT) {
        const int32 panning = voice->panning > kMaxPanning ? kMaxPanning : voice->panning;
        voice->leftVolume = ((kMaxPanning - panning) * vol) >> 8;
        voice->rightVolume = (panning * vol) >> 8;
    } else {
        // Narrower stereo moves every panning towards the centre, in finer steps so
        // that 0 % gives both sides the same gain.
        const int32 panning = voice->panning > kMaxPanning ? kMaxPanning : voice->panning;
        const int32 fine = kFinePanCentre
            + (panning * 256 - kFinePanCentre) * applied.stereoPercent / MIX_STEREO_MAX_PERCENT;
        voice->leftVolume = ((kFinePanRight - fine) * vol) >> 16;
        voice->rightVolume = (fine * vol) >> 16;
    }
}


// The gains a stretch of the current voice plays at. A surround voice sounds on the two
// sides in opposite phase; narrower stereo blends that towards the same phase, which is
// mono at 0 %.
void
RVMixer::StretchGains(int32& left, int32& right) const
{
    left = currentVoice->leftVolume;
    right = currentVoice->rightVolume;
    if (!IsSurround())
        return;
    MixKernel::SurroundGains(left, right, left, right);
    const int32 percent = applied.stereoPercent;
    if (percent >= MIX_STEREO_MAX_PERCENT)
        return;
    int32& opposite = left < 0 ? left : right;
    opposite = -opposite * (MIX_STEREO_MAX_PERCENT - 2 * percent) / MIX_STEREO_MAX_PERCENT;
}


// A new target starts a ramp of kRampFrames from the gains reached so far; the same
// target lets the running ramp go on.
void
RVMixer::AimRamp(int32 left, int32 right)
{
    VoiceRamp& ramp = *currentRamp;
    if (left == ramp.targetLeft && right == ramp.targetRight)
        return;
    ramp.targetLeft = left;
    ramp.targetRight = right;
    ramp.stepLeft = (left * 65536 - ramp.left) / kRampFrames;
    ramp.stepRight = (right * 65536 - ramp.right) / kRampFrames;
    ramp.framesLeft = kRampFrames;
}


void
RVMixer::RenderVoice(int32* buffer, uint32 frames)
{
    AddChannel(buffer, frames);
}


// The loop end is cut at the sample's end so that a loop reaching past the data wraps
// there instead of reading beyond it (BadVoice.AddChannel_LoopPastSample_WrapsAtSampleEnd).
void
RVMixer::SetBounds()
{
    const VINFO* voice = currentVoice;
    const int64  length = voice->length;
    const int64  loopEnd = voice->loopEnd < voice->length ? voice->loopEnd : voice->length;

    sampleEnd = length != 0 ? length * MIX_FRACTION_ONE - 1 : 0;
    loopBegin = int64(voice->loopStart) * MIX_FRACTION_ONE;
    loopFinish = loopEnd != 0 ? loopEnd * MIX_FRACTION_ONE - 1 : 0;
}


void
RVMixer::AddChannel(int32* buffer, int64 frames)
{
    const VINFO* voice = currentVoice;
    if (voice->address == nullptr) {
        StopVoice();
        return;
    }
    if (voice->flags & VINFO_16BIT)
        AddStretches(static_cast<const int16*>(voice->address), buffer, frames);
    else
        AddStretches(static_cast<const int8*>(voice->address), buffer, frames);
}


// The data and what surrounds it, and the gains, for the stretches of the current voice.
void
RVMixer::PrepareStretch(MixKernel::Stretch& stretch, const void* data, bool looping) const
{
    const VINFO* voice = currentVoice;
    stretch.data = data;
    stretch.map.length = voice->length;
    if (looping) {
        stretch.map.kind = (voice->flags & VINFO_PINGPONG) ? MixKernel::SampleMap::kPingPongLoop
                                                           : MixKernel::SampleMap::kForwardLoop;
        stretch.map.loopStart = voice->loopStart;
        stretch.map.loopEnd = voice->loopEnd < voice->length ? voice->loopEnd : voice->length;
    }
    StretchGains(stretch.left, stretch.right);
}


// The 32-bit kernel serves every stretch whose positions all fit in 32 bits; it gives
// the same result as the 64-bit one there.
int64
RVMixer::MixStretch(const MixKernel::KernelPair& kernels, MixKernel::Stretch& stretch,
    int32* buffer, int64 position, int64 step, uint32 frames)
{
    const int64 end = position + int64(frames) * step;
    const bool  fits32 = position <= MIX_POSITION_32BIT_MAX && end <= MIX_POSITION_32BIT_MAX
        && position > INT32_MIN && end > INT32_MIN && step > INT32_MIN && step <= INT32_MAX;
    if (fits32)
        return kernels.mix32(stretch, buffer, int32(position), int32(step), frames);
    return kernels.mix64(stretch, buffer, position, step, frames);
}


// The frames of a stretch that fall in the current voice's ramp, up to `frames`; the
// ramp arrives exactly at its target. Returns the frames mixed.
int64
RVMixer::MixRamped(MixKernel::Stretch& stretch, int32* buffer, uint32 frames)
{
    VoiceRamp&   ramp = *currentRamp;
    const uint32 count = frames < ramp.framesLeft ? frames : ramp.framesLeft;
    stretch.rampLeft = ramp.left;
    stretch.rampRight = ramp.right;
    stretch.rampStepLeft = ramp.stepLeft;
    stretch.rampStepRight = ramp.stepRight;
    const MixKernel::KernelPair& kernels = MixKernel::Kernels(MixKernel::KernelIndex(
        applied.interpolation, (currentVoice->flags & VINFO_16BIT) != 0, true));
    currentVoice->position =
        MixStretch(kernels, stretch, buffer, currentVoice->position, currentVoice->step, count);
    ramp.left = stretch.rampLeft;
    ramp.right = stretch.rampRight;
    ramp.framesLeft -= count;
    if (ramp.framesLeft == 0) {
        ramp.left = ramp.targetLeft * 65536;
        ramp.right = ramp.targetRight * 65536;
    }
    return count;
}


template<typename Sample>
void
RVMixer::AddStretches(const Sample* data, int32* buffer, int64 frames)
{
    VINFO* voice = currentVoice;
    // A loop that ends before it starts (or lies wholly past the sample) plays as none.
    const bool         looping = (voice->flags & VINFO_LOOP) != 0 && LoopIsUsable();
    MixKernel::Stretch stretch;
    PrepareStretch(stretch, data, looping);
    // With ramps, the gains after one are its target, which for a fade is silence.
    bool silent = voice->volume == 0;
    if (currentRamp != nullptr) {
        stretch.left = currentRamp->targetLeft;
        stretch.right = currentRamp->targetRight;
        silent = stretch.left == 0 && stretch.right == 0;
    }
    const MixKernel::KernelPair& kernels = MixKernel::Kernels(
        MixKernel::KernelIndex(applied.interpolation, sizeof(Sample) == 2, false));

    while (frames > 0) {
        if (!CheckBoundary(looping))
            return;

        const bool  backwards = (voice->flags & VINFO_BACKWARDS) != 0;
        const int64 target =
            backwards ? (looping ? loopBegin : 0) : (looping ? loopFinish : sampleEnd);
        int64 done = 0;
        if (target != voice->position && voice->step != 0) {
            // Frames whose position stays on this side of the target.
            done = (target - voice->position) / voice->step + 1;
            if (done > frames)
                done = frames;
            if (done < 0)
                done = 0;
        }
        if (done == 0) {
            // Also a step of 0: such a voice falls silent.
            voice->active = false;
            return;
        }

        if (amiga != nullptr) {
            voice->position = AddAmigaStretch(data, buffer, uint32(done));
            frames -= done;
            buffer += FramesToValues(uint32(done));
            continue;
        }
        // A ramp takes the first frames, even of a voice on its way to silence.
        int64 mixed = 0;
        if (currentRamp != nullptr && currentRamp->framesLeft != 0)
            mixed = MixRamped(stretch, buffer, uint32(done));
        const int64 rest = done - mixed;
        if (rest != 0 && silent) {
            voice->position += rest * voice->step;
        } else if (rest != 0 && !PlanStretch(data, buffer, rest)) {
            voice->position = MixStretch(kernels, stretch, buffer + FramesToValues(uint32(mixed)),
                voice->position, voice->step, uint32(rest));
        }
        frames -= done;
        buffer += FramesToValues(uint32(done));
    }
}


// While a pass is mixed in tiles, a stretch they take is only noted, and the voice moves
// on as the kernel would have moved it. One they do not take goes through the kernel
// into the accumulator, which the tiles then add in.
template<typename Sample>
bool
RVMixer::PlanStretch(const Sample* data, const int32* buffer, int64 frames)
{
    if (!planning)
        return false;
    MixKernel::PassPlan&    plan = *passPlan;
    VINFO*                  voice = currentVoice;
    MixKernel::PassStretch& stretch = plan.stretches[plan.count];
    int32                   left, right;
    StretchGains(left, right);
    stretch.data = data;
    stretch.length = voice->length;
    stretch.first = uint32(buffer - mixBuffer) / 2;
    stretch.end = stretch.first + uint32(frames);
    stretch.gainLeft = int32(uint32(left) << 16);
    stretch.gainRight = int32(uint32(right) << 16);
    stretch.wide = sizeof(Sample) == 2;
    if (plan.count == MixKernel::PassPlan::kCapacity - 1
        || !MixKernel::TilesTakeStretch(stretch, voice->position, voice->step)) {
        plan.sumsUsed = true;
        return false;
    }

    // A voice's stretches follow one another; a new voice starts a new group.
    if (plan.groups == 0 || plan.groupOwner != voice) {
        plan.groupOwner = voice;
        plan.groups++;
    }
    plan.count++;
    plan.groupEnds[plan.groups - 1] = uint16(plan.count);
    voice->position += frames * voice->step;
    return true;
}


// The stretch as Paula plays it, into the Amiga stage rather than the accumulator.
template<typename Sample>
int64
RVMixer::AddAmigaStretch(const Sample* data, const int32* buffer, uint32 frames)
{
    const VINFO* voice = currentVoice;
    int32        left, right;
    StretchGains(left, right);
    if (voice->volume == 0)
        left = right = 0;
    return amiga->AddStretch(uint16(voice - voices), data, voice->position, voice->step, frames,
        uint32(buffer - mixBuffer) / 2, left, right);
}


// The current voice plays through the surround kernels.
bool
RVMixer::IsSurround() const
{
    return (mode & MIX_STEREO) != 0 && currentVoice->panning == RV_PANNING_SURROUND
        && (mode & MIX_SURROUND) != 0;
}


bool
RVMixer::LoopIsUsable() const
{
    return loopFinish > loopBegin;
}


// Wraps or reverses at a loop boundary, stops at the sample's ends. Returns false when
// the voice stopped. A position left outside the sample by anything else also stops it,
// so the stretch that follows reads only inside the data.
bool
RVMixer::CheckBoundary(bool looping)
{
    VINFO*     voice = currentVoice;
    const bool pingPong = (voice->flags & VINFO_PINGPONG) != 0;

    if (voice->flags & VINFO_BACKWARDS) {
        if (looping && voice->position < loopBegin)
            WrapBackwards(pingPong);
        else if (voice->position < 0) {
            StopVoice();
            return false;
        }
    } else {
        if (looping && voice->position >= loopFinish)
            WrapForwards(pingPong);
        else if (voice->position >= sampleEnd) {
            StopVoice();
            return false;
        }
    }
    if (voice->position < 0 || voice->position > sampleEnd) {
        StopVoice();
        return false;
    }
    return true;
}


// One wrap or reflection brings an ordinary step back into the loop. A step longer than
// the loop would land outside it, so the overshoot is then folded by the loop's period
// (AddChannel_StepLongerThanLoop_StaysInsideLoop).
void
RVMixer::WrapForwards(bool pingPong)
{
    VINFO*      voice = currentVoice;
    const int64 span = loopFinish - loopBegin;
    int64       over = voice->position - loopFinish;

    if (!pingPong) {
        if (over > span)
            over %= span;
        voice->position = loopBegin + over;
        return;
    }
    if (over > span)
        over %= 2 * span;
    if (over <= span) {
        voice->position = loopFinish - over;
        Reverse();
    } else {
        voice->position = loopBegin + (over - span);
    }
}


void
RVMixer::WrapBackwards(bool pingPong)
{
    VINFO*      voice = currentVoice;
    const int64 span = loopFinish - loopBegin;
    int64       under = loopBegin - voice->position;

    if (!pingPong) {
        if (under > span)
            under %= span;
        voice->position = loopFinish - under;
        return;
    }
    if (under > span)
        under %= 2 * span;
    if (under <= span) {
        voice->position = loopBegin + under;
        Reverse();
    } else {
        voice->position = loopFinish - (under - span);
    }
}


void
RVMixer::Reverse()
{
    currentVoice->step = -currentVoice->step;
    currentVoice->flags ^= VINFO_BACKWARDS;
}


void
RVMixer::StopVoice()
{
    currentVoice->position = 0;
    currentVoice->active = false;
}


uint32
RVMixer::FramesToValues(uint32 frames) const
{
    return (mode & MIX_STEREO) ? frames * 2 : frames;
}
