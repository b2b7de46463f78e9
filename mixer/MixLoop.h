// The one mixing loop every kernel is made of: a template over the sample width, the
// interpolation (MixModes.h lists them) and how the gains behave over the stretch
// (constant or ramping), instantiated for 32-bit and 64-bit positions.
//
// A frame's value is formed from the taps around the sample under the position. Frames
// whose taps all lie where the data reads as it is go through the direct loop; the
// frames near an edge read each tap through the voice's SampleMap, so that nothing is
// ever read outside the data.
#ifndef MIXER_MIXLOOP_H
#define MIXER_MIXLOOP_H

#include <type_traits>

#include "beos/SupportDefs.h"
#include "mixer/FilterTable.h"
#include "mixer/FixedPoint.h"
#include "mixer/MixKernel.h"

namespace MixKernel {

// What the sample holds around the data that is read as it is: past a one-shot end and
// before the first sample, silence; after a loop's end, its start (a ping-pong loop
// reflects instead). Once the voice plays inside its loop, what lies before the loop's
// start is the loop seen from the other side as well.
struct SampleMap
{
    enum Kind : uint8 { kOneShot, kForwardLoop, kPingPongLoop };

    int64 length = 0;   // samples of data
    int64 loopStart = 0;
    int64 loopEnd = 0;   // cut at length, above loopStart when looping
    Kind  kind = kOneShot;

    // The data index that tap j of a frame at sample i reads, or -1 for silence.
    int64 Index(int64 j, int64 i) const
    {
        if (kind != kOneShot && (j >= loopEnd || (j < loopStart && i >= loopStart))) {
            const int64 span = loopEnd - loopStart;
            if (kind == kForwardLoop)
                return loopStart + Fold(j - loopStart, span);
            const int64 t = Fold(j - loopStart, 2 * span);
            return t < span ? loopStart + t : loopStart + 2 * span - 1 - t;
        }
        return j >= 0 && j < length ? j : -1;
    }

    // The samples [low, high] whose frames read every tap as the data holds it, with
    // `before` taps before the sample and `after` after it: up to two spans, the lower
    // one first (empty ones have low > high). A frame before a loop's start reads its
    // taps as they are down to the first sample; one inside the loop only down to the
    // loop's start.
    struct Span
    {
        int64 low;
        int64 high;
    };
    void DirectSpans(int32 before, int32 after, Span spans[2]) const
    {
        if (kind == kOneShot) {
            spans[0] = { before, length - 1 - after };
            spans[1] = { 1, 0 };
            return;
        }
        const int64 highest = loopEnd - 1 - after;
        spans[0] = { before, loopStart - 1 < highest ? loopStart - 1 : highest };
        spans[1] = { loopStart + before, highest };
    }

private:
    // a modulo m, in [0, m). A tap lies at most a few samples outside the loop, mostly
    // within one period of it, so a division is seldom needed.
    static int64 Fold(int64 a, int64 m)
    {
        if (a >= m)
            a -= m;
        else if (a < 0)
            a += m;
        if (a >= 0 && a < m)
            return a;
        const int64 r = a % m;
        return r < 0 ? r + m : r;
    }
};

// What every frame of one stretch shares. Gains are the frame's own, after the surround
// rule and the stereo width; a ramp moves them by a step a frame, with 16 fraction bits.
struct Stretch
{
    const void* data = nullptr;
    SampleMap   map;
    int32       left = 0;
    int32       right = 0;
    int32       rampLeft = 0;   // gains at the stretch's first frame, then after its last
    int32       rampRight = 0;
    int32       rampStepLeft = 0;
    int32       rampStepRight = 0;
};

// Gains that stay put over the stretch.
struct ConstantGains
{
    explicit ConstantGains(const Stretch& s) : left(s.left), right(s.right) {}
    void Add(int32* out, int32 value)
    {
        out[0] = WrapAdd(out[0], value * left);
        out[1] = WrapAdd(out[1], value * right);
    }
    void Finish(Stretch&) const {}

    int32 left;
    int32 right;
};

// Gains that move a step each frame; the products are taken wide, since the gains carry
// 16 fraction bits.
struct RampGains
{
    explicit RampGains(const Stretch& s)
        : left(s.rampLeft), right(s.rampRight), stepLeft(s.rampStepLeft), stepRight(s.rampStepRight)
    {
    }
    void Add(int32* out, int32 value)
    {
        out[0] = WrapAdd(out[0], int32((int64(value) * left) >> 16));
        out[1] = WrapAdd(out[1], int32((int64(value) * right) >> 16));
        left += stepLeft;
        right += stepRight;
    }
    void Finish(Stretch& s) const
    {
        s.rampLeft = left;
        s.rampRight = right;
    }

    int32 left;
    int32 right;
    int32 stepLeft;
    int32 stepRight;
};

namespace detail {

inline int64
CeilDiv(int64 a, int64 b)   // b > 0
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

inline uint32
ClampFrames(int64 k, uint32 frames)
{
    return k < 0 ? 0 : (k > int64(frames) ? frames : uint32(k));
}

}   // namespace detail

// The frames [first, last) of a stretch whose sample index stays in [low, high].
struct FrameRange
{
    uint32 first;
    uint32 last;
};

inline FrameRange
FramesWithin(int64 position, int64 step, uint32 frames, int64 low, int64 high)
{
    if (low > high || step == 0)
        return { 0, 0 };
    const int64 lowPos = low * MIX_FRACTION_ONE;
    const int64 pastPos = (high + 1) * MIX_FRACTION_ONE;   // first position beyond
    FrameRange  r;
    if (step > 0) {
        r.first = detail::ClampFrames(detail::CeilDiv(lowPos - position, step), frames);
        r.last = detail::ClampFrames(detail::CeilDiv(pastPos - position, step), frames);
    } else {
        r.first = detail::ClampFrames(detail::CeilDiv(position - (pastPos - 1), -step), frames);
        r.last = detail::ClampFrames(detail::CeilDiv(position - lowPos + 1, -step), frames);
    }
    if (r.last < r.first)
        r.last = r.first;
    return r;
}

// Adds `frames` frames of the stretch to interleaved stereo sums and returns the new
// position. An interpolation may bring a loop of its own for constant gains
// (MixConstant), which must give exactly what this loop gives.
template<typename Sample, typename Interp, typename Gains, typename Pos>
Pos
MixLoop(Stretch& s, int32* buffer, Pos position, Pos step, uint32 frames)
{
    const Sample* data = static_cast<const Sample*>(s.data);
    if constexpr (requires { Interp::MixConstant(data, buffer, position, step, frames, s); }) {
        if constexpr (std::is_same_v<Gains, ConstantGains>)
            return Interp::MixConstant(data, buffer, position, step, frames, s);
    }

    constexpr int32 kBefore = Interp::kBefore;
    constexpr int32 kAfter = Interp::kTaps - 1 - Interp::kBefore;
    const auto      filter = Interp::Prepare(int64(step));
    Gains           gains(s);
    // A table-driven interpolation at constant gains mixes its frames in batches.
    using Batched = std::conjunction<std::is_same<Gains, ConstantGains>,
        std::is_same<typename Interp::Filter, const FilterTable<Interp::kTaps>*>>;
    constexpr bool  kBatched = Batched::value;
    SampleMap::Span spans[2];
    s.map.DirectSpans(kBefore, kAfter, spans);
    FrameRange direct[2];
    for (int32 n = 0; n < 2; n++)
        direct[n] = FramesWithin(int64(position), int64(step), frames, spans[n].low, spans[n].high);
    if (step < 0) {   // the higher samples come first
        const FrameRange lower = direct[0];
        direct[0] = direct[1];
        direct[1] = lower;
    }

    // Frames [from, to) whose taps all lie in base, which holds sample j at
    // base[j - (offset >> MIX_FRACTION_BITS)].
    const auto mixFrames = [&](const Sample* base, Pos offset, uint32 from, uint32 to) {
        Pos at = Pos(position - offset);
        if constexpr (kBatched) {
            at = MixTable<Interp::kTaps, kBefore>(
                base, buffer + 2 * from, at, step, to - from, *filter, gains.left, gains.right);
        } else {
            Gains  local = gains;
            uint32 k = from;
            if constexpr (std::is_same_v<Gains, ConstantGains>) {
                // Values a block at a time, then the gains over the block in a loop of
                // fixed count, which the compiler vectorises.
                constexpr uint32 kBlock = 16;
                for (; k + kBlock <= to; k += kBlock) {
                    int32 values[kBlock];
                    for (uint32 n = 0; n < kBlock; n++) {
                        const int64 i = int64(at >> MIX_FRACTION_BITS);
                        values[n] = Interp::Value(base + (i - kBefore),
                            uint32(at) & uint32(MIX_FRACTION_ONE - 1), filter);
                        at += step;
                    }
                    int32* out = buffer + 2 * k;
                    for (uint32 n = 0; n < kBlock; n++) {
                        out[2 * n] = WrapAdd(out[2 * n], values[n] * local.left);
                        out[2 * n + 1] = WrapAdd(out[2 * n + 1], values[n] * local.right);
                    }
                }
            }
            for (; k < to; k++) {
                const int64 i = int64(at >> MIX_FRACTION_BITS);
                local.Add(buffer + 2 * k,
                    Interp::Value(
                        base + (i - kBefore), uint32(at) & uint32(MIX_FRACTION_ONE - 1), filter));
                at += step;
            }
            gains = local;
        }
        position = Pos(at + offset);
    };

    // Frames near an edge: the few samples their taps read are gathered through the map
    // once, and the frames read them from there. Frames that straddle a loop's start, or
    // a stretch whose taps reach too far for that, read each tap through the map, as all
    // do with the reference kernel set.
    const auto checked = [&](uint32 from, uint32 to) {
        if (from >= to)
            return;
        const int64 first = int64(position >> MIX_FRACTION_BITS);
        const int64 last =
            (int64(position) + int64(to - from - 1) * int64(step)) >> MIX_FRACTION_BITS;
        const int64      lowest = first < last ? first : last;
        const int64      highest = first < last ? last : first;
        const int64      low = lowest - kBefore;
        constexpr int64  kWindow = 64;
        const SampleMap& map = s.map;
        if (highest + kAfter - low < kWindow && ActiveKernels() != KERNELS_REFERENCE
            && (map.kind == SampleMap::kOneShot || highest < map.loopStart
                || lowest >= map.loopStart)) {
            Sample window[kWindow];
            for (int64 j = low; j <= highest + kAfter; j++) {
                const int64 index = map.Index(j, lowest);
                window[j - low] = index < 0 ? Sample(0) : data[index];
            }
            mixFrames(window, Pos(low * MIX_FRACTION_ONE), from, to);
            return;
        }
        for (uint32 k = from; k < to; k++) {
            const int64 i = int64(position >> MIX_FRACTION_BITS);
            Sample      taps[Interp::kTaps];
            for (int32 t = 0; t < Interp::kTaps; t++) {
                const int64 index = map.Index(i - kBefore + t, i);
                taps[t] = index < 0 ? Sample(0) : data[index];
            }
            gains.Add(buffer + 2 * k,
                Interp::Value(taps, uint32(position) & uint32(MIX_FRACTION_ONE - 1), filter));
            position += step;
        }
    };

    uint32 done = 0;
    for (const FrameRange& range : direct) {
        if (range.first >= range.last)
            continue;
        checked(done, range.first);
        mixFrames(data, Pos(0), range.first, range.last);
        done = range.last;
    }
    checked(done, frames);
    gains.Finish(s);
    return position;
}

}   // namespace MixKernel

#endif
