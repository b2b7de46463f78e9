#include "tests/gst/GstTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "hostlib/PluginHost.h"
#include "hostlib/SettingsChannel.h"
#include "hostlib/Timeline.h"
#include "tools/modwriter/ModWriter.h"

namespace gsttest {

namespace fs = std::filesystem;

namespace {

const GstClockTime kPatience = 120 * GST_SECOND;   // sanitizer builds are slow

// GStreamer, its tools and the element look at the build tree: the variables of
// ZW_GST_ENVIRONMENT ("NAME=value|..."), set before anything starts GStreamer.
const bool kEnvironmentSet = [] {
    std::string list = ZW_GST_ENVIRONMENT;
    for (size_t start = 0; start < list.size();) {
        size_t      end = std::min(list.find('|', start), list.size());
        std::string entry = list.substr(start, end - start);
        size_t      equals = entry.find('=');
        setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
        start = end + 1;
    }
    // A run with only the plug-ins a folder holds, without the stock module decoders.
    if (const char* system = getenv("ZW_GST_SYSTEM_PLUGINS")) {
        setenv("GST_PLUGIN_SYSTEM_PATH_1_0", system, 1);
        setenv("GST_REGISTRY", (std::string(system) + "/registry.bin").c_str(), 1);
    }
    return true;
}();

// The module decoder a gst-launch-1.0 -v run names in its caps lines.
std::string
DecoderIn(const std::string& verbose)
{
    for (const char* name : { "zarnowelledec", "openmptdec", "modplug" }) {
        if (verbose.find(std::string(":") + name) != std::string::npos)
            return name;
    }
    return "";
}

Decoded
LaunchToWav(const std::vector<std::string>& head, const TempDir& dir,
    const std::vector<std::string>& environment)
{
    std::vector<std::string> args = { "-v" };
    args.insert(args.end(), head.begin(), head.end());
    Result  launch = Tool("gst-launch-1.0", args, environment);
    Decoded decoded;
    decoded.decoder = DecoderIn(launch.out);
    if (launch.status == 0)
        decoded.samples = hosttest::ReadSoundFile(dir.File("out.wav"));
    return decoded;
}

// Another decoder may give another rate, which the README's pipeline resamples.
const char kPinned[] = "audio/x-raw,format=S16LE,rate=44100,channels=2,layout=interleaved";

struct Recorder
{
    std::mutex lock;
    Outcome    run;
};

GstPadProbeReturn
Record(GstPad*, GstPadProbeInfo* info, gpointer data)
{
    Recorder&                   recorder = *static_cast<Recorder*>(data);
    std::lock_guard<std::mutex> hold(recorder.lock);
    Outcome&                    run = recorder.run;
    if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        (info->type & GST_PAD_PROBE_TYPE_BUFFER) && buffer != nullptr) {
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_READ);
        const int16_t* samples = reinterpret_cast<const int16_t*>(map.data);
        run.samples.insert(run.samples.end(), samples, samples + map.size / 2);
        gst_buffer_unmap(buffer, &map);
        return GST_PAD_PROBE_OK;
    }
    GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        const GstSegment* segment;
        gst_event_parse_segment(event, &segment);
        run.segment = *segment;
        run.samples.clear();
    }
    run.eos |= GST_EVENT_TYPE(event) == GST_EVENT_EOS;
    return GST_PAD_PROBE_OK;
}

// Waits for one of `types` and gives the one that came; 0 on a bus error (kept in
// `error`) or when none came. Warnings on the way are added to `warnings`, a line each.
int
Await(GstElement* pipeline, int types, std::string& error, std::string& warnings)
{
    GstBus*     bus = gst_element_get_bus(pipeline);
    GstMessage* message;
    while ((message = gst_bus_timed_pop_filtered(
                bus, kPatience, GstMessageType(types | GST_MESSAGE_ERROR | GST_MESSAGE_WARNING)))
        != nullptr) {
        if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_WARNING)
            break;
        GError* warning = nullptr;
        gst_message_parse_warning(message, &warning, nullptr);
        warnings += std::string(warning->message) + "\n";
        g_error_free(warning);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (message == nullptr) {
        error = "timed out";
        return 0;
    }
    int type = GST_MESSAGE_TYPE(message);
    if (type == GST_MESSAGE_ERROR) {
        GError* gerror = nullptr;
        gst_message_parse_error(message, &gerror, nullptr);
        error = gerror->message;
        g_error_free(gerror);
        type = 0;
    }
    gst_message_unref(message);
    return type;
}

Outcome
Play(GstElement* pipeline, const Seek* seek, double maxTime)
{
    GstElement* decoder = gst_bin_get_by_name(GST_BIN(pipeline), "dec");
    if (maxTime > 0)
        g_object_set(decoder, "max-time", maxTime, nullptr);
    GstPad*  pad = gst_element_get_static_pad(decoder, "src");
    Recorder recorder;
    gst_pad_add_probe(pad,
        GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), Record,
        &recorder, nullptr);
    std::string error, warnings;
    int         ended = 0;
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    bool going = Await(pipeline, GST_MESSAGE_ASYNC_DONE, error, warnings) != 0;
    if (going && seek != nullptr) {
        recorder.run.seekAccepted =
            gst_element_seek(pipeline, seek->rate, seek->format, seek->flags, GST_SEEK_TYPE_SET,
                seek->start, seek->stop < 0 ? GST_SEEK_TYPE_NONE : GST_SEEK_TYPE_SET, seek->stop);
    }
    if (going) {
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
        ended = Await(pipeline, GST_MESSAGE_EOS | GST_MESSAGE_SEGMENT_DONE, error, warnings);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pad);
    gst_object_unref(decoder);
    gst_object_unref(pipeline);
    std::lock_guard<std::mutex> hold(recorder.lock);
    recorder.run.error = error;
    recorder.run.warnings = warnings;
    // From the bus: the element posts segment-done before it sends the event on.
    recorder.run.segmentDone = ended == GST_MESSAGE_SEGMENT_DONE;
    return recorder.run;
}

// The add-on of the build tree, loaded once, for the expected values.
PluginHost&
BuildTreeHost()
{
    static PluginHost host(hosttest::PluginFolder());
    return host;
}

GstElement*
Launch(const std::string& description)
{
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
    return gst_parse_launch(description.c_str(), nullptr);
}

}   // namespace

Result
Tool(const std::string& tool, const std::vector<std::string>& args,
    const std::vector<std::string>& environment)
{
    return hosttest::RunProgram("/usr/bin/" + tool, args, environment);
}

std::vector<int16_t>
Rendered(const std::string& path, const std::vector<std::string>& options,
    const std::vector<std::string>& environment)
{
    TempDir                  dir;
    std::vector<std::string> args = { "render", path, "-o", dir.File("out.wav") };
    args.insert(args.end(), options.begin(), options.end());
    Result render = hosttest::Host(args, environment);
    return render.status == 0 ? hosttest::ReadSoundFile(dir.File("out.wav"))
                              : std::vector<int16_t>();
}

Decoded
DecodebinWav(const std::string& path, const std::vector<std::string>& environment)
{
    TempDir dir;
    return LaunchToWav({ "filesrc", "location=" + path, "!", "decodebin", "!", "audioconvert", "!",
                           "audioresample", "!", kPinned, "!", "wavenc", "!", "filesink",
                           "location=" + dir.File("out.wav") },
        dir, environment);
}

Decoded
PlaybinWav(const std::string& path)
{
    TempDir dir;
    return LaunchToWav({ "playbin", "uri=file://" + path, "video-sink=fakesink",
                           std::string("audio-sink=audioconvert ! audioresample ! ") + kPinned
                               + " ! wavenc ! filesink location=" + dir.File("out.wav") },
        dir, {});
}

bool
HasFeature(const std::string& name)
{
    return Tool("gst-inspect-1.0", { "--exists", name }).status == 0;
}

int64_t
TimelineFrames(const std::string& path)
{
    InputPlugin* plugin = BuildTreeHost().FindPlugin(path);
    if (plugin == nullptr)
        return -1;
    Timeline timeline = ScanTimeline(plugin, path, int64_t(1800) * PLUGIN_SAMPLE_RATE);
    return timeline.loaded && timeline.ends ? timeline.frames : -1;
}

std::string
CorpusFile(const std::string& leaf)
{
    std::string path = std::string(ZW_CORPUS_DIR) + "/" + leaf;
    return fs::exists(path) ? path : "";
}

bool
AddOnHasSettings()
{
    InputPlugin* plugin =
        BuildTreeHost().AddOns().empty() ? nullptr : BuildTreeHost().AddOns().front().plugin;
    return plugin != nullptr && SettingsOf(plugin) != nullptr;
}

Outcome
PlayFile(const std::string& path, const Seek* seek, double maxTime, const std::string& properties)
{
    GstElement* pipeline = Launch(
        "filesrc name=src ! zarnowelledec name=dec " + properties + " ! fakesink sync=false");
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    g_object_set(source, "location", path.c_str(), nullptr);
    gst_object_unref(source);
    return Play(pipeline, seek, maxTime);
}

Outcome
PlayBytes(const std::vector<uint8_t>& bytes)
{
    GstElement* pipeline = Launch("appsrc name=src ! zarnowelledec name=dec ! fakesink sync=false");
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    GstFlowReturn flow;
    if (!bytes.empty()) {
        GstBuffer* buffer = gst_buffer_new_memdup(bytes.data(), bytes.size());
        g_signal_emit_by_name(source, "push-buffer", buffer, &flow);   // takes a reference
        gst_buffer_unref(buffer);
    }
    g_signal_emit_by_name(source, "end-of-stream", &flow);
    gst_object_unref(source);
    return Play(pipeline, nullptr, 0);
}

std::vector<uint8_t>
SoundTracker15Song()
{
    zw::ModWriter mod("", 15);
    mod.name = "fifteen";
    std::vector<int8> wave(400);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = int8((i * 11) % 160 - 80);
    mod.SetSample(1, wave, 60, 0, 200).name = "triangle";
    mod.SetSample(2, std::vector<int8>(wave.begin(), wave.begin() + 64), 40, 0, 32).name = "short";
    mod.SetPositions({ 0, 1 });
    for (int row = 0; row < 64; row += 4) {
        mod.Cell(0, row, row % 4) = { zw::NotePeriod(row % 8 ? "C-2" : "G-2"), 1, 0, 0 };
        mod.Cell(1, row, (row + 1) % 4) = { zw::NotePeriod("E-2"), 2, 0xA, 0x02 };
    }
    return mod.Build();
}

std::vector<uint8_t>
EightChannelMKSong()
{
    zw::ModWriter mod("M.K.");
    mod.channels = 8;
    mod.name = "eight";
    std::vector<int8> wave(256);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = int8(i < 128 ? 50 : -50);
    mod.SetSample(1, wave, 48, 0, 128);
    mod.SetPositions({ 0 });
    for (int row = 0; row < 64; row += 8)
        mod.Cell(0, row, (row / 8) % 8) = { zw::NotePeriod(row % 16 ? "C-2" : "A-2"), 1, 0, 0 };
    return mod.Build();
}

std::vector<uint8_t>
RefusedMKSong()
{
    zw::ModWriter     mod("M.K.");
    std::vector<int8> wave(8000);
    for (size_t i = 0; i < wave.size(); i++)
        wave[i] = int8(100 * std::sin(double(i) / 8));
    mod.SetSample(1, wave, 64);
    mod.SetPositions({ 0 });
    for (int row = 0; row < 64; row += 4)
        mod.Cell(0, row, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    mod.Cell(0, 63, 3).sample = 32;
    std::vector<uint8_t> bytes = mod.Build();
    return zw::Truncated(bytes, bytes.size() - wave.size() / 2);
}

}   // namespace gsttest
