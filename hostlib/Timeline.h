// The timeline of a song: the frames playback delivers to its end, and the frame at which
// each reported position starts, found by playing the song once without sound through a
// plug-in object of its own. Equal to what playback delivers by construction.
#ifndef HOSTLIB_TIMELINE_H
#define HOSTLIB_TIMELINE_H

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class InputPlugin;

struct Timeline
{
    bool    loaded = false;   // the plug-in started the file
    bool    ends = false;     // the song ended within the limit
    int64_t frames = 0;       // delivered up to the end, or up to the limit
    // (first frame, position in thousandths) for each position the plug-in reported.
    std::vector<std::pair<int64_t, int32_t>> positions;

    double Seconds() const;
};

// Plays `path` silently on `plugin`, which must not be playing anything else, and stops
// at the end or after `maxFrames`. The plug-in's messages go to `messages` when given
// (a host that shows them for its playing object already), else to standard error.
Timeline ScanTimeline(InputPlugin* plugin, const std::string& path, int64_t maxFrames,
    const std::function<void(const std::string&)>& messages = nullptr);

#endif
