// One file of a render: from the plug-in's first block to the finished output.
#ifndef HOST_RENDERJOB_H
#define HOST_RENDERJOB_H

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

class InputPlugin;
struct RenderOptions;

struct RenderTask
{
    std::string              input;
    std::string              output;             // "-" for the raw stream
    int                      format = 0;         // libsndfile's, for a sound file
    InputPlugin*             plugin = nullptr;   // the add-on's first object, which took the file
    std::vector<std::string> log;                // lines for standard error, without our prefix
    bool                     ok = false;
};

// The signal that asks every render to stop and keep what it wrote; 0 while none came.
extern volatile sig_atomic_t gRenderStopSignal;

// Renders `task` on `plugin`, an object of its own; `pcm` is the raw stream. With
// `progress` a bar is drawn on standard error.
void RunRenderTask(
    RenderTask& task, InputPlugin* plugin, const RenderOptions& options, FILE* pcm, bool progress);

#endif
