#include "host/AudioStream.h"

#include <algorithm>
#include <cstring>

#include "hostlib/PluginPlayback.h"

void
AudioStream::Start(PluginPlayback* newPlayback, int repeat, int64_t newMaxFrames)
{
    playback = newPlayback;
    passesLeft = repeat;
    looping = false;
    maxFrames = newMaxFrames;
    passFrames = playback->Frame();
    blockFrames = blockOffset = 0;
    cut = false;
    played = passFrames;
    pass = 1;
    limitReached = false;
    ended = false;
}

void
AudioStream::Stop()
{
    playback = nullptr;
    ended = true;
}

bool
AudioStream::SeekTo(int64_t frame)
{
    blockFrames = blockOffset = 0;   // the rest of the old block is dropped
    cut = false;
    if (playback == nullptr) {
        ended = true;
        return false;
    }
    // Past the end of a pass that repeats, the seek goes on into the next pass at the
    // same distance; looping never ends the song.
    while (!playback->SeekToFrame(frame)) {
        int64_t length = playback->Frame();
        if (length <= 0 || frame < length || !EndOfPass(0)) {
            ended = true;
            return false;
        }
        frame -= length;
    }
    passFrames = frame;
    played = frame;
    return true;
}

// The end's block holds the start of the next pass, which a repeat plays; a plug-in
// that gives nothing after its end starts the song again.
bool
AudioStream::EndOfPass(int count)
{
    if (!looping && passesLeft == 0)
        return false;
    if (passesLeft > 0)
        passesLeft--;
    pass++;
    passFrames = 0;
    played = 0;
    return count > 0 || playback->SeekToFrame(0);
}

bool
AudioStream::NextBlock()
{
    if (cut) {
        limitReached = true;
        return false;
    }
    PluginPlayback::Block next = playback->Next();
    if (next.songEnded) {
        if (!EndOfPass(next.count))
            return false;
        if (next.count == 0) {
            next = playback->Next();
            if (next.count == 0 || next.songEnded)
                return false;
        }
    } else if (next.count == 0) {
        return false;
    }
    // At the limit, a song whose end falls right there still ends by itself.
    if (passFrames >= maxFrames) {
        limitReached = true;
        return false;
    }
    int count = int(std::min<int64_t>(next.count, maxFrames - passFrames));
    TakeBlock(next.frames, count);
    cut = count < next.count;
    return true;
}

void
AudioStream::TakeBlock(const int16_t* frames, int count)
{
    block.assign(frames, frames + 2 * count);
    ApplyListening(listening, block.data(), count);
    Peaks peaks = MeasurePeaks(block.data(), count);
    peakLeft = std::max<int>(peakLeft, peaks.left);
    peakRight = std::max<int>(peakRight, peaks.right);
    blockFrames = count;
    blockOffset = 0;
    passFrames += count;
}

void
AudioStream::Fill(uint8_t* out, int bytes)
{
    const int frameBytes = 2 * sizeof(int16_t);
    while (bytes > 0) {
        if (playback == nullptr || ended) {
            memset(out, 0, bytes);
            return;
        }
        if (blockOffset == blockFrames && !NextBlock()) {
            ended = true;
            continue;
        }
        int count = std::min(bytes / frameBytes, blockFrames - blockOffset);
        memcpy(out, block.data() + 2 * blockOffset, count * frameBytes);
        blockOffset += count;
        out += count * frameBytes;
        bytes -= count * frameBytes;
        played += count;
    }
}
