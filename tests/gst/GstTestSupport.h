// The element from tests: GStreamer's tools run on the build tree, and small pipelines
// run in this process and record what reaches the element's source pad.
#ifndef TESTS_GST_GSTTESTSUPPORT_H
#define TESTS_GST_GSTTESTSUPPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include <gst/gst.h>

#include "tests/host/HostTestSupport.h"

namespace gsttest {

using hosttest::Result;

// A GStreamer tool (gst-launch-1.0, ...) with the build tree's plug-ins.
Result Tool(const std::string& tool, const std::vector<std::string>& args,
    const std::vector<std::string>& environment = {});
// Everything `zarnowelle render` writes for a file with `options`, as 16-bit samples.
std::vector<int16_t> Rendered(const std::string& path, const std::vector<std::string>& options = {},
    const std::vector<std::string>& environment = {});
// Whether the build tree's add-on has the settings channel.
bool AddOnHasSettings();
// What a pipeline wrote to a WAV, and the decoder that played: "zarnowelledec",
// "openmptdec", "modplug" or empty.
struct Decoded
{
    std::vector<int16_t> samples;
    std::string          decoder;
};
// The README's filesrc ! decodebin ! audioconvert ! audioresample ! wavenc, format pinned
// to the element's.
Decoded DecodebinWav(const std::string& path, const std::vector<std::string>& environment = {});
// playbin with that conversion and wavenc as its audio sink.
Decoded PlaybinWav(const std::string& path);
// Whether the registry the tests use holds a GStreamer feature (another decoder).
bool HasFeature(const std::string& name);
// The song's length in frames as the host library's timeline scan finds it; -1 when the
// file does not play.
int64_t TimelineFrames(const std::string& path);

// A StarTracker module beside its companion, from the shared corpus; empty when absent.
std::string CorpusFile(const std::string& leaf);

// What one in-process run delivered after its last segment event.
struct Outcome
{
    std::vector<int16_t> samples;
    GstSegment           segment;
    bool                 eos = false;
    bool                 segmentDone = false;
    bool                 seekAccepted = true;
    std::string          error;      // the bus error's message, if any
    std::string          warnings;   // the bus warnings' messages, a line each
};

struct Seek
{
    GstFormat    format = GST_FORMAT_TIME;
    GstSeekFlags flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    gint64       start = 0;
    gint64       stop = -1;
    double       rate = 1.0;
};

// Plays `path` through filesrc ! zarnowelledec ! fakesink; with a seek, sent once the
// pipeline has prerolled; with a time limit, the element's max-time; `properties` as
// gst-launch takes them ("num-loops=1 gain=-6").
Outcome PlayFile(const std::string& path, const Seek* seek = nullptr, double maxTime = 0,
    const std::string& properties = "");
// The same with the bytes pushed by appsrc, which names no file.
Outcome PlayBytes(const std::vector<uint8_t>& bytes);

// A short SoundTracker15 song (15 samples, no mark).
std::vector<uint8_t> SoundTracker15Song();
// A short "M.K." song laid out with 8 channels, as some trackers wrote them.
std::vector<uint8_t> EightChannelMKSong();
// An "M.K." song this player refuses (a cell names a sample the file lacks, and sample
// data ends far short) while other module decoders play what is there.
std::vector<uint8_t> RefusedMKSong();

}   // namespace gsttest

#endif
