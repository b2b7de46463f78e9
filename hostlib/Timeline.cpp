#include "hostlib/Timeline.h"

#include <algorithm>

#include "hostlib/PluginPlayback.h"

double
Timeline::Seconds() const
{
    return double(frames) / PLUGIN_SAMPLE_RATE;
}

Timeline
ScanTimeline(InputPlugin* plugin, const std::string& path, int64_t maxFrames,
    const std::function<void(const std::string&)>& messages)
{
    Timeline       timeline;
    PluginPlayback playback(plugin);
    if (messages)
        playback.SetMessageHandler(messages);
    timeline.loaded = playback.Start(path);
    if (!timeline.loaded)
        return timeline;
    while (playback.Frame() < maxFrames) {
        int64_t               first = playback.Frame();
        PluginPlayback::Block block = playback.Next();
        if (block.songEnded || block.count == 0) {
            timeline.ends = true;
            break;
        }
        // The plug-in reports the position reached at the end of each block.
        int32_t permille = playback.Permille();
        if (timeline.positions.empty() || timeline.positions.back().second != permille)
            timeline.positions.emplace_back(first, permille);
    }
    timeline.frames = std::min(playback.Frame(), maxFrames);
    return timeline;
}
