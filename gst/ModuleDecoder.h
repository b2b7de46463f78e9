// One module played through a plug-in object of its own: the frames to its end (or to a
// time limit for songs that never end), its timeline and its facts. No GStreamer here.
#ifndef GST_MODULEDECODER_H
#define GST_MODULEDECODER_H

#include <cstdint>
#include <memory>
#include <string>

#include "gst/AddOns.h"
#include "hostlib/ModuleFacts.h"
#include "hostlib/PluginPlayback.h"
#include "hostlib/Timeline.h"

namespace zwgst {

class ModuleDecoder
{
public:
    ModuleDecoder() {}
    ~ModuleDecoder() { Close(); }
    ModuleDecoder(const ModuleDecoder&) = delete;
    ModuleDecoder& operator=(const ModuleDecoder&) = delete;

    // Starts `path` and scans its timeline, both up to `maxFrames`; false with `error`
    // set when no add-on plays it or the plug-in cannot load it.
    bool Open(const std::string& path, int64_t maxFrames, std::string& error);
    void Close();
    bool IsOpen() const { return playback != nullptr; }

    // Frames from the start to the end, or to the limit.
    int64_t            Frames() const { return timeline.frames; }
    const ModuleFacts& Facts() const { return facts; }

    // Continues from `frame` as counted from the start, exactly as playing from there
    // would sound; false when the song ends before it.
    bool SeekToFrame(int64_t frame);
    // The next frames, at most a block; none at the end of the song or at the limit.
    PluginPlayback::Block Next();
    int64_t               Frame() const { return playback ? playback->Frame() : 0; }

private:
    Players                         players;
    std::unique_ptr<PluginPlayback> playback;
    Timeline                        timeline;
    ModuleFacts                     facts;
    int64_t                         limit = 0;
};

}   // namespace zwgst

#endif
