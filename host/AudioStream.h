// What SDL's audio thread plays: blocks of one playback, through the listening
// controls, pass after pass. Its settings change only under SDL_LockAudioDevice; the
// atomics are the terminal thread's window on it.
#ifndef HOST_AUDIOSTREAM_H
#define HOST_AUDIOSTREAM_H

#include <atomic>
#include <cstdint>
#include <vector>

#include "host/Listening.h"

class PluginPlayback;

class AudioStream
{
public:
    // `passes` after the first; -1 plays for ever. A pass stops after `maxFrames`.
    void Start(PluginPlayback* playback, int repeat, int64_t maxFrames);
    void Stop();
    // SDL's callback.
    void Fill(uint8_t* out, int bytes);

    // Under the device lock. False when the song ends before `frame`.
    bool SeekTo(int64_t frame);
    void SetListening(const Listening& newListening) { listening = newListening; }
    void SetLooping(bool loop) { looping = loop; }

    std::atomic<int64_t> played { 0 };   // frames of the current pass heard
    std::atomic<int>     pass { 1 };
    std::atomic<bool>    ended { true };
    std::atomic<bool>    limitReached { false };
    std::atomic<int>     peakLeft { 0 };   // the largest since the terminal last took them
    std::atomic<int>     peakRight { 0 };

private:
    bool NextBlock();
    bool EndOfPass(int count);
    void TakeBlock(const int16_t* frames, int count);

    PluginPlayback*      playback = nullptr;
    Listening            listening;
    bool                 looping = false;
    int                  passesLeft = 0;   // -1 for ever
    int64_t              maxFrames = 0;
    int64_t              passFrames = 0;   // delivered in this pass
    bool                 cut = false;      // the last block was cut at the limit
    std::vector<int16_t> block;            // the current block, as it will be heard
    int                  blockFrames = 0;
    int                  blockOffset = 0;
};

#endif
