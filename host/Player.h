// Live playback through SDL: the plug-in's blocks are pulled on SDL's audio thread,
// while the terminal's thread reads keys and draws the status line.
#ifndef HOST_PLAYER_H
#define HOST_PLAYER_H

#include <string>
#include <vector>

class PluginHost;

// 0 when an audio device can be opened, 1 otherwise.
int                 CheckAudio();

// Plays the files one after another; 0 when every file played, 1 otherwise.
int                 PlayFiles(PluginHost& host, const std::vector<std::string>& files);

// "[=====>    ]" for a position in thousandths.
std::string         PositionBar(int permille, int width);
// "m:ss" for whole seconds.
std::string         ClockTime(long seconds);

#endif
