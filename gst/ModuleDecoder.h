// One module played through a plug-in object of its own: the frames to its end (or to a
// time limit for songs that never end), its repeats, its timeline, its facts and the
// sound settings the element passes on. No GStreamer here.
#ifndef GST_MODULEDECODER_H
#define GST_MODULEDECODER_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "gst/AddOns.h"
#include "hostlib/ModuleFacts.h"
#include "hostlib/PluginPlayback.h"
#include "hostlib/SettingsChannel.h"
#include "hostlib/Timeline.h"

namespace zwgst {

// Settings channel keys and values as text (plugin/PluginSettings.h).
using Settings = SettingList;

class ModuleDecoder
{
public:
    ModuleDecoder() {}
    ~ModuleDecoder() { Close(); }
    ModuleDecoder(const ModuleDecoder&) = delete;
    ModuleDecoder& operator=(const ModuleDecoder&) = delete;

    // Starts `path` with `settings` and scans its timeline, both up to `maxFrames` a
    // pass; `loops` more passes follow the first (-1: for ever). False with `error` set
    // when no add-on plays it or the plug-in cannot load it; settings the plug-in refuses
    // are reported through Messages() and leave its default.
    bool Open(const std::string& path, int64_t maxFrames, int loops, const Settings& settings,
        std::string& error);
    void Close();
    bool IsOpen() const { return playback != nullptr; }

    // Frames from the start to the end, or to the limit; -1 when the song repeats.
    int64_t            Frames() const { return loopsLeft == 0 ? timeline.frames : -1; }
    const ModuleFacts& Facts() const { return facts; }

    // Continues from `frame` of the first pass, exactly as playing from there would
    // sound, with all repeats to come; false when the song ends before it.
    bool SeekToFrame(int64_t frame);
    // The next frames, at most a block; none at the end of the last pass.
    PluginPlayback::Block Next();
    // Frames delivered since the start, repeats included.
    int64_t Frame() const { return frame; }

    // Passes after this one (-1: for ever), from the next end of the song; seeks keep it.
    void SetLoops(int count) { loops = loopsLeft = count; }
    // A setting for the playing object, from its next block. False with `why` set when
    // the plug-in refuses it or has no settings channel.
    bool Set(const std::string& key, const std::string& value, std::string& why);

    // The plug-in's message lines since the last call (settings-file warnings, settings
    // it refused at the start).
    std::vector<std::string> Messages();

private:
    void Collect(const std::string& line);

    Players                         players;
    std::unique_ptr<PluginPlayback> playback;
    Timeline                        timeline;
    ModuleFacts                     facts;
    int64_t                         limit = 0;
    int64_t                         frame = 0;
    int64_t                         passFrames = 0;   // of the pass playing
    int                             loops = 0;        // as opened, for seeks
    int                             loopsLeft = 0;
    std::mutex                      messageLock;
    std::vector<std::string>        messages;
};

}   // namespace zwgst

#endif
