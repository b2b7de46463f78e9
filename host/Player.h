// Live playback through SDL: the plug-in's blocks are pulled on SDL's audio thread,
// while the terminal's thread reads keys and draws the status line.
#ifndef HOST_PLAYER_H
#define HOST_PLAYER_H

#include <string>
#include <vector>

#include "host/Sound.h"

class PluginHost;

struct PlayOptions
{
    std::vector<std::string> files;
    double                   seek = -1;        // seconds into each file; below 0 = from the start
    double                   maxTime = 1800;   // seconds of a pass before giving up on an ending
    int                      repeat = 0;       // passes after the first; -1 for ever
    bool                     shuffle = false;
    Sound                    sound;
};

// 0 when an audio device can be opened, 1 otherwise.
int CheckAudio();

// Plays the files one after another; 0 when every file played, 1 otherwise.
int PlayFiles(PluginHost& host, const PlayOptions& options);

#endif
