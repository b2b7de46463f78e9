// Rendering a song to a file through libsndfile, or to raw PCM on standard output.
#ifndef HOST_RENDERER_H
#define HOST_RENDERER_H

#include <string>
#include <vector>

class PluginHost;

struct RenderOptions
{
    std::vector<std::string> files;
    std::string     output;             // a file, a folder (several inputs) or "-"
    int             seek = -1;          // thousandths; -1 = from the start
    double          maxTime = 1800;     // seconds of audio before giving up on an ending
};

// libsndfile's major format and subtype for an output name's extension, or 0 when the
// extension is none of wav, flac, ogg.
int                 OutputFormat(const std::string& path);

// 0 when every file rendered completely, 1 otherwise.
int                 RenderFiles(PluginHost& host, const RenderOptions& options);

#endif
