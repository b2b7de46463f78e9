// The fake plug-in's sound: a formula both the plug-in and the tests compute. A file
// "FAKE blocks=N" plays N blocks (0: never ends); "FAKE fail" is taken but fails to load.
#ifndef TESTS_HOST_FAKE_FAKESIGNAL_H
#define TESTS_HOST_FAKE_FAKESIGNAL_H

#include <cstdint>

namespace fake {

const int kBlockFrames = 1024;

// Sample of frame `frame` (counted from the song's start) on channel 0 or 1. Channel 1
// carries the block number, so a recording tells where each stretch came from.
inline int16_t
Sample(int64_t frame, int channel)
{
    if (channel == 1)
        return (int16_t)(frame / kBlockFrames);
    return (int16_t)(uint16_t)((frame * 37 + 5) & 0xffff);
}

}   // namespace fake

#endif
