// Rendering songs to sound files through libsndfile, or to raw PCM on standard output,
// several files at once.
#ifndef HOST_RENDERER_H
#define HOST_RENDERER_H

#include <string>
#include <vector>

#include "host/Sound.h"

class PluginHost;

struct RenderOptions
{
    std::vector<std::string> files;
    std::string              output;              // a file, a folder (several inputs) or "-"
    double                   seek = -1;           // seconds; below 0 = from the start
    int                      seekPermille = -1;   // thousandths of the song; below 0 = none
    double                   maxTime = 1800;      // seconds of a pass before giving up on an ending
    int                      repeat = 0;          // passes after the first
    Sound                    sound;
    int                      sampleRate = 0;   // 0 = the plug-in's own
    std::string              format;           // of the files a folder gets; empty = wav
    bool                     force = false;    // replace existing files
    bool                     quiet = false;    // no summary lines
    int                      jobs = 1;         // files rendered at once
};

// 0 when every file rendered completely, 1 otherwise, 128 + the signal when SIGINT or
// SIGTERM stopped it (what was written is kept, complete as a file). Throws UsageError
// for requests that cannot be met whatever the files.
int RenderFiles(PluginHost& host, const RenderOptions& options);

#endif
