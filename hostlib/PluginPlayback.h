// PluginPlayback: one file played through an InputPlugin, counting the frames it delivers.
// Its seek is exact to the frame and sounds as playing from the start would: the song is
// played silently up to the frame, so notes still ring and the effects' memory, speed and
// tempo are what a listener would have by then. A jump to a song position gives none of
// that, and rendering is fast enough that the silent run costs milliseconds.
#ifndef HOSTLIB_PLUGINPLAYBACK_H
#define HOSTLIB_PLUGINPLAYBACK_H

#include <cstdint>
#include <functional>
#include <string>

#include "plugin/InputPlugin.h"

class PluginPlayback
{
public:
    // A run of delivered frames. When songEnded is set, the plug-in signalled the end of
    // the song in this block: it then holds the tail of the last row and the start of the
    // next pass, which a host that repeats the song plays and a host that stops drops.
    struct Block
    {
        const int16* frames = nullptr;   // interleaved left, right
        int          count = 0;
        bool         songEnded = false;
    };

    // `plugin` is not owned; it plays one file at a time, so give each playback its own.
    explicit PluginPlayback(InputPlugin* plugin);
    ~PluginPlayback();
    PluginPlayback(const PluginPlayback&) = delete;
    PluginPlayback& operator=(const PluginPlayback&) = delete;

    // False when the plug-in does not start the file (nothing is playing then). The
    // loader's report comes through the settings channel, off standard output;
    // LoadError() holds it. The plug-in's other messages (the settings file's warnings)
    // go to the message handler.
    bool Start(const std::string& path);
    // Receives the plug-in's messages other than the loader's report, a line each;
    // ReportError (standard error) when none is set.
    void SetMessageHandler(std::function<void(const std::string&)> handler);
    void Stop();
    bool Playing() const { return playing; }
    // Why the last start failed, as the plug-in's loader put it; empty when it said
    // nothing.
    const std::string& LoadError() const { return loadError; }

    // The next frames, at most a block. After a block with songEnded the song plays on
    // from where the player continues (its restart position).
    Block Next();

    // Continues from `frame` of the song as counted from its start. False when the song
    // ends before it; the player then plays on into its next pass.
    bool SeekToFrame(int64_t frame);

    // Frames delivered since the song's start; the block of an end is not counted.
    int64_t Frame() const { return frame; }
    // The plug-in's position after the last block, in thousandths of the song.
    int32        Permille() const { return info.position; }
    InputPlugin* Plugin() const { return plugin; }

private:
    bool Restart();

    InputPlugin*     plugin;
    std::string      path;
    std::string      loadError;
    PlayerInfoStruct info;
    bool             playing = false;
    int64_t          frame = 0;
    bool             ended = false;       // a block with songEnded was handed out
    const int16*     pending = nullptr;   // frames of the last block not yet handed out
    int              pendingCount = 0;
    bool             pendingEnd = false;

    std::function<void(const std::string&)> messageHandler;
};

#endif
