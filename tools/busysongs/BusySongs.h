// Busy songs for benchmarks and render comparisons: every channel plays a looped sample on every row, with
// a note every few rows and slides, vibrato and arpeggios in between, so that the
// replay and the mixer both work on every tick.
#ifndef TOOLS_BUSYSONGS_BUSYSONGS_H
#define TOOLS_BUSYSONGS_BUSYSONGS_H

#include <string>
#include <vector>

#include "beos/SupportDefs.h"

namespace zw {

// A 31-sample MOD with the given mark ("M.K." for 4 channels, "8CHN" for 8).
std::vector<uint8> BusyMod(const std::string& mark, int channels);
// An MTM of the given channel count (up to 32).
std::vector<uint8> BusyMtm(int channels);

// The three songs the peer comparison and the block benchmarks share.
struct BusySong
{
    std::string        name;   // file name, extension included
    int                channels;
    std::vector<uint8> bytes;
    std::vector<uint8> companion;   // the ".nt" file written beside it, if any
};
std::vector<BusySong> StandardBusySongs();

// Short StarTracker songs (FLT4, a few seconds) whose first `voices` channels play AM
// sounds from their companion, restarted every few rows so that every envelope phase
// runs, with pitch falls and vibratos; the other channels rest. Channel c plays sound
// c % 4 (the four waveforms), or every channel sound `waveform` when it is 0 to 3.
std::vector<uint8>    AMSong(int voices, int waveform);
std::vector<uint8>    AMCompanion();
std::vector<BusySong> AMSongs();

}   // namespace zw

#endif
