// The Amiga's output stage: band-limited steps, fixed filters, LED filter.
#include "mixer/RVAmigaSound.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mixer/FixedPoint.h"
#include "mixer/MixKernel.h"

namespace {

// Faster than two samples a frame (no Amiga plays so fast) the steps are taken once a
// frame, which bounds the work per frame.
const int64 kStepsEveryFrame = 2 * MIX_FRACTION_ONE;

#if defined(__SSE2__)
// Two frames in the accumulator's units: rounded to the nearest (ties to even, as lrint
// in the default mode), saturating at its range. SSE2 converts both channels in one
// instruction where lrint is a call for each.
inline __m128i
Round(RVStereo v0, RVStereo v1)
{
    const double  top = 2147483647.0;
    const __m128d low = _mm_set1_pd(-top - 1.0), high = _mm_set1_pd(top);
    const __m128i a = _mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(__m128d(v0), low), high));
    const __m128i b = _mm_cvtpd_epi32(_mm_min_pd(_mm_max_pd(__m128d(v1), low), high));
    return _mm_unpacklo_epi64(a, b);
}
#endif

// Writes two frames in the accumulator's units.
inline void
Store(int32* sums, RVStereo v0, RVStereo v1)
{
#if defined(__SSE2__)
    _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), Round(v0, v1));
#else
    const double top = 2147483647.0;
    sums[0] = int32(std::lrint(std::clamp(v0[0], -top - 1.0, top)));
    sums[1] = int32(std::lrint(std::clamp(v0[1], -top - 1.0, top)));
    sums[2] = int32(std::lrint(std::clamp(v1[0], -top - 1.0, top)));
    sums[3] = int32(std::lrint(std::clamp(v1[1], -top - 1.0, top)));
#endif
}

// The same, then on to 16 bits as the mixer's conversion takes its sums (the top 16 bits
// of 25, saturated), without the round trip through its accumulator.
inline void
Store(int16* output, RVStereo v0, RVStereo v1)
{
#if defined(__SSE2__)
    const __m128i both = _mm_srai_epi32(Round(v0, v1), 9);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(output), _mm_packs_epi32(both, both));
#else
    int32 sums[4];
    Store(sums, v0, v1);
    for (int k = 0; k < 4; k++)
        output[k] = MixKernel::ClipTo16(sums[k]);
#endif
}

}   // namespace


RVAmigaSound::RVAmigaSound(MixAmigaModel newModel, uint32 newRate)
    : model(newModel), rate(newRate), ledOn(false), ledSettled(false), ledInput {},
      ledInputAt(0), residualBefore {}, avx2(MixKernel::ActiveKernels() >= MixKernel::KERNELS_AVX2)
{
    filters.Design(model, rate);
    led.Design(rate);
}


void
RVAmigaSound::Reset(uint32 frames)
{
    ledOn = false;
    ledSettled = false;
    std::fill(std::begin(ledInput), std::end(ledInput), RVStereo {});
    ledInputAt = 0;
    residualBefore = RVStereo {};
    voices.clear();
    steps.Reset(frames);
    filters.Reset();
    led.Reset();
}


void
RVAmigaSound::BeginPass(uint16 voiceCount)
{
    if (voices.size() != voiceCount)
        voices.resize(voiceCount);
    for (Voice& voice : voices)
        voice.end = 0;
}


// A change of the held value is a step of the voice's level at `time`.
inline __attribute__((always_inline)) void
RVAmigaSound::Hold(Voice& voice, int32 sample, double time)
{
    if (sample == voice.sample)
        return;
    const int32 change = sample - voice.sample;
    steps.Place(time, change * voice.left, change * voice.right);
    voice.sample = sample;
}


template<typename Sample>
int64
RVAmigaSound::AddStretch(uint16 index, const Sample* data, int64 position, int64 step,
    uint32 frames, uint32 first, int32 left, int32 right)
{
#if defined(__x86_64__)
    if (avx2)
        return AddStretchAvx2(index, data, position, step, frames, first, left, right);
#endif
    return AddStretchBody(index, data, position, step, frames, first, left, right);
}


// The steps' spreads take twice the lanes; the same arithmetic (no fused multiply-add),
// so the same sums.
#if defined(__x86_64__)
template<typename Sample>
__attribute__((target("avx2"))) int64
RVAmigaSound::AddStretchAvx2(uint16 index, const Sample* data, int64 position, int64 step,
    uint32 frames, uint32 first, int32 left, int32 right)
{
    return AddStretchBody(index, data, position, step, frames, first, left, right);
}
#endif


template<typename Sample>
inline __attribute__((always_inline)) int64
RVAmigaSound::AddStretchBody(uint16 index, const Sample* data, int64 position, int64 step,
    uint32 frames, uint32 first, int32 left, int32 right)
{
    Voice& voice = voices[index];
    if (left != voice.left || right != voice.right) {
        // A new volume or panning steps the held level at once, as Paula's volume does.
        if (voice.sample != 0)
            steps.Place(
                first, voice.sample * (left - voice.left), voice.sample * (right - voice.right));
        voice.left = left;
        voice.right = right;
    }
    voice.end = first + frames;

    const int32 scale = MixKernel::SampleScale<Sample>;
    const int64 end = position + int64(frames) * step;
    const int64 last = end - step;   // the position of the stretch's last frame
    if (left == 0 && right == 0) {
        voice.sample = data[last >> MIX_FRACTION_BITS] * scale;
        return end;
    }

    const bool   forwards = step > 0;
    const double perUnit = 1.0 / double(forwards ? step : -step);
    const int64  firstIndex = position >> MIX_FRACTION_BITS;
    const int64  lastIndex = last >> MIX_FRACTION_BITS;

    // The value under the first frame was reached since the frame before: how long ago
    // follows from how far into the sample the position is.
    const int64  into = position & (MIX_FRACTION_ONE - 1);
    const double ago = (forwards ? into : MIX_FRACTION_ONE - 1 - into) * perUnit;
    Hold(voice, data[firstIndex] * scale, first - std::min(ago, 0.999));

    if (step > kStepsEveryFrame || -step > kStepsEveryFrame) {
        for (uint32 k = 1; k < frames; k++)
            Hold(voice, data[(position + k * step) >> MIX_FRACTION_BITS] * scale, first + k);
    } else if (forwards) {
        // Sample j starts where the position reaches j * 2048.
        for (int64 j = firstIndex + 1; j <= lastIndex; j++)
            Hold(voice, data[j] * scale,
                first + double((j << MIX_FRACTION_BITS) - position) * perUnit);
    } else {
        // Running backwards, sample j starts below (j + 1) * 2048.
        for (int64 j = firstIndex - 1; j >= lastIndex; j--) {
            const int64 from = ((j + 1) << MIX_FRACTION_BITS) - 1;
            Hold(voice, data[j] * scale, first + double(position - from) * perUnit);
        }
    }
    return end;
}

template int64 RVAmigaSound::AddStretch<int8>(
    uint16, const int8*, int64, int64, uint32, uint32, int32, int32);
template int64 RVAmigaSound::AddStretch<int16>(
    uint16, const int16*, int64, int64, uint32, uint32, int32, int32);


void
RVAmigaSound::EndVoice(uint16 index, bool active, uint32 frames)
{
    Voice& voice = voices[index];
    if (active || voice.sample == 0)
        return;
    const uint32 at = std::min(voice.end, frames - 1);
    steps.Step(at, -voice.sample * voice.left, -voice.sample * voice.right);
    voice.sample = 0;
}


// The steps' changes, the fixed filters, the LED filter while it is on and the conversion
// in one loop over the frames, on copies of the states the compiler can keep in
// registers. While the LED filter is off, its input is kept instead.
template<bool Led, typename Out>
void
RVAmigaSound::FilterPass(Out* out, uint32 frames)
{
#if defined(__x86_64__)
    if (avx2) {
        FilterPassAvx2<Led>(out, frames);
        return;
    }
#endif
    FilterPassBody<Led>(out, frames);
}


// The same with the three-operand AVX instructions and their sixteen registers, which
// spare the loop the copies and reloads of the two-operand ones. No fused multiply-add:
// the same sums.
#if defined(__x86_64__)
template<bool Led, typename Out>
__attribute__((target("avx2"))) void
RVAmigaSound::FilterPassAvx2(Out* out, uint32 frames)
{
    FilterPassBody<Led>(out, frames);
}
#endif


template<bool Led, typename Out>
inline __attribute__((always_inline)) void
RVAmigaSound::FilterPassBody(Out* out, uint32 frames)
{
    // Copies of the filters too: the coefficients stay in registers, where the stores
    // into ledInput would otherwise make the compiler read them again for every frame.
    const RVAmigaFilters  fixedFilters = filters;
    const RVLedFilter     ledFilter = led;
    RVAmigaFilters::State fixed = filters.Current();
    RVBiquadState         ledState = led.Current();
    RVStereo              before = residualBefore;
    // While the LED filter is off, only the input of the pass's last frames can still be
    // in its history when the pass ends.
    const uint32 keepFrom = frames > kLedHistory ? frames - kLedHistory : 0;
    const uint32 at = ledInputAt;
    auto         throughLed = [&](RVStereo y, uint32 i) {
        if (!Led) {
            if (i >= keepFrom)
                ledInput[(at + i) % kLedHistory] = y;
            return y;
        }
        return ledFilter.Process(ledState, y);
    };
    // In chunks of changes, read from the steps a chunk at a time.
    const uint32 kChunk = 256;
    RVStereo     changes[kChunk];
    for (uint32 from = 0; from < frames; from += kChunk) {
        const uint32 end = std::min(frames, from + kChunk);
        steps.Changes(from, end, before, changes);
        uint32 i = from;
        for (; i + 1 < end; i += 2) {
            RVStereo y0 = changes[i - from];
            RVStereo y1 = changes[i + 1 - from];
            fixedFilters.ProcessTwo(fixed, y0, y1);
            y0 = throughLed(y0, i);
            y1 = throughLed(y1, i + 1);
            Store(out + 2 * i, y0, y1);
        }
        if (i < end) {
            // The odd frame out at the end, stored through a spare one.
            Out            last[4];
            const RVStereo y = throughLed(fixedFilters.Process(fixed, changes[i - from]), i);
            Store(last, y, y);
            out[2 * i] = last[0];
            out[2 * i + 1] = last[1];
        }
    }
    steps.Finish(frames);
    residualBefore = before;
    RVAmigaFilters::Settle(fixed);
    filters.Current() = fixed;
    if (Led) {
        ledState.Flush();
        led.Current() = ledState;
    }
    ledInputAt = (at + frames) % kLedHistory;
}


template<typename Out>
void
RVAmigaSound::Filter(Out* out, uint32 frames)
{
    if (ledOn && !ledSettled) {
        // The analogue filter is there all the time, switched in or not: switched in, it
        // is already settled on the signal. Run over the input it has missed, it is
        // again, to within 1e-18 of the signal (its poles decay by 0.716 a frame).
        led.Reset();
        for (uint32 k = 0; k < kLedHistory; k++)
            led.Process(led.Current(), ledInput[(ledInputAt + k) % kLedHistory]);
    }
    ledSettled = ledOn;
    if (ledOn)
        FilterPass<true>(out, frames);
    else
        FilterPass<false>(out, frames);
}


void
RVAmigaSound::EndPass(int32* sums, uint32 frames)
{
    Filter(sums, frames);
}


void
RVAmigaSound::EndPass16(int16* output, uint32 frames)
{
    Filter(output, frames);
}
