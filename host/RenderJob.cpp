#include "host/RenderJob.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "host/Arguments.h"
#include "host/Renderer.h"
#include "host/Sinks.h"
#include "host/Sound.h"
#include "hostlib/ModuleFacts.h"
#include "hostlib/ModuleText.h"
#include "hostlib/PluginPlayback.h"

namespace fs = std::filesystem;

volatile sig_atomic_t gRenderStopSignal = 0;

namespace {

class Progress
{
public:
    Progress(const std::string& name, bool shown) : name(name), shown(shown) {}
    ~Progress()
    {
        if (shown && last >= 0)
            fprintf(stderr, "\r\033[K");
    }

    void Show(int permille, int64_t frames)
    {
        permille = std::clamp(permille, 0, 1000);
        if (!shown || permille == last)
            return;
        last = permille;
        const int   width = 30, filled = permille * width / 1000;
        std::string bar = std::string(filled, '=') + (filled < width ? ">" : "");
        fprintf(stderr, "\r\033[K%s [%-*s] %3d%% %s", name.c_str(), width, bar.c_str(),
            permille / 10, ClockTime(frames).c_str());
    }

private:
    std::string name;
    bool        shown;
    int         last = -1;
};

enum PullResult { SONG_ENDED, TIME_LIMIT, WRITE_FAILED, STOPPED };

// The blocks of every pass, through the host's listening stage, into the sink.
class Puller
{
public:
    Puller(PluginPlayback& playback, const RenderOptions& options, const Listening& listening,
        Sink& sink, Progress& progress)
        : playback(playback), options(options), listening(listening), sink(sink),
          progress(progress), maxFrames(std::llround(options.maxTime * PLUGIN_SAMPLE_RATE)),
          passesLeft(options.repeat), passFrames(std::max<int64_t>(playback.Frame(), 0))
    {
    }

    PullResult Run(std::string& error);

private:
    bool Write(const int16_t* frames, int count, std::string& error);
    bool EndOfPass(const PluginPlayback::Block& block, std::string& error, bool& more);

    // One bar for all passes: each pass fills its share of it.
    int Permille() const;

    PluginPlayback&      playback;
    const RenderOptions& options;
    const Listening      listening;
    Sink&                sink;
    Progress&            progress;
    const int64_t        maxFrames;
    int                  passesLeft;
    int64_t              passFrames;   // song frames of this pass so far
    std::vector<int16_t> scratch;
};

PullResult
Puller::Run(std::string& error)
{
    for (;;) {
        if (gRenderStopSignal != 0)
            return STOPPED;
        PluginPlayback::Block block = playback.Next();
        if (block.songEnded) {
            bool more = false;
            if (!EndOfPass(block, error, more))
                return WRITE_FAILED;
            if (!more)
                return SONG_ENDED;
            continue;
        }
        if (block.count == 0)
            return SONG_ENDED;
        // At the limit, a song whose end falls right there still ends by itself.
        if (passFrames >= maxFrames)
            return TIME_LIMIT;
        int count = int(std::min<int64_t>(block.count, maxFrames - passFrames));
        if (!Write(block.frames, count, error))
            return WRITE_FAILED;
        passFrames += count;
        progress.Show(Permille(), sink.Frames());
        if (count < block.count)
            return TIME_LIMIT;
    }
}

int
Puller::Permille() const
{
    int passes = options.repeat + 1, done = options.repeat - passesLeft;
    return (done * 1000 + playback.Permille()) / passes;
}

// The block of an end holds the start of the next pass, which a repeat plays; a plug-in
// that gives nothing after its end starts the song again.
bool
Puller::EndOfPass(const PluginPlayback::Block& block, std::string& error, bool& more)
{
    more = passesLeft > 0;
    if (!more)
        return true;
    passesLeft--;
    passFrames = 0;
    if (block.count == 0) {
        more = playback.SeekToFrame(0);
        return true;
    }
    passFrames = block.count;
    return Write(block.frames, block.count, error);
}

bool
Puller::Write(const int16_t* frames, int count, std::string& error)
{
    if (listening.Changes()) {
        scratch.assign(frames, frames + 2 * count);
        ApplyListening(listening, scratch.data(), count);
        frames = scratch.data();
    }
    return sink.Write(frames, count, error);
}

std::unique_ptr<Sink>
OpenOutput(const RenderTask& task, const ModuleFacts& facts, const RenderOptions& options,
    FILE* pcm, std::string& error)
{
    std::unique_ptr<Sink> sink;
    if (task.output == "-") {
        sink = OpenRawOutput(pcm);
    } else {
        int        rate = options.sampleRate > 0 ? options.sampleRate : PLUGIN_SAMPLE_RATE;
        ModuleTags tags;
        if (FormatForExtension("wav") != task.format)
            tags = TagsFor(facts);
        sink = OpenSoundFile(task.output, task.format, rate, options.force, tags, error);
    }
    if (sink != nullptr && options.sampleRate > 0 && options.sampleRate != PLUGIN_SAMPLE_RATE)
        sink = OpenResampler(std::move(sink), options.sampleRate, error);
    return sink;
}

// Exact seeks play silently up to the time; the thousandths jump to a song position.
bool
Seek(PluginPlayback& playback, RenderTask& task, const RenderOptions& options)
{
    if (options.seekPermille >= 0)
        playback.Plugin()->JumpTo(options.seekPermille);
    if (options.seek < 0)
        return true;
    int64_t frame = std::llround(options.seek * PLUGIN_SAMPLE_RATE);
    if (playback.SeekToFrame(frame))
        return true;
    // A seek that fails has played the whole song: it stands at its end.
    task.log.push_back(task.input + ": --seek " + DurationText(frame, PLUGIN_SAMPLE_RATE)
        + " lies past the end of the song (" + DurationText(playback.Frame(), PLUGIN_SAMPLE_RATE)
        + ")");
    return false;
}

std::string
OutputName(const RenderTask& task)
{
    return task.output == "-" ? "standard output" : task.output;
}

void
Summarise(RenderTask& task, PullResult result, const Sink& sink, const RenderOptions& options,
    const SoundControl& control)
{
    if (result == TIME_LIMIT) {
        char seconds[32];
        snprintf(seconds, sizeof(seconds), "%g", options.maxTime);
        task.log.push_back(task.input + ": warning: stopped after " + seconds
            + " seconds (--max-time); the song had not ended by then");
    }
    if (options.quiet)
        return;
    int         rate = options.sampleRate > 0 ? options.sampleRate : PLUGIN_SAMPLE_RATE;
    std::string facts = DurationText(sink.Frames(), rate);
    for (const std::string& word : control.Differences(options.sound.listening))
        facts += ", " + word;
    task.log.push_back(task.input + " -> " + OutputName(task) + " (" + facts
        + (result == STOPPED ? ", interrupted)" : ")"));
}

}   // namespace

void
RunRenderTask(RenderTask& task, InputPlugin* plugin, const RenderOptions& options, FILE* pcm,
    bool showProgress)
{
    SoundControl control(plugin);
    control.Apply(options.sound, task.input, task.log);
    PluginPlayback playback(plugin);
    if (!playback.Start(task.input)) {
        task.log.push_back(task.input + ": cannot load: " + LoadFailureText(playback.LoadError()));
        return;
    }
    if (!Seek(playback, task, options))
        return;
    ModuleFacts facts = ReadModuleFacts(task.input);
    for (const std::string& warning : PlaybackWarnings(facts))
        task.log.push_back(warning);
    std::string           error;
    std::unique_ptr<Sink> sink = OpenOutput(task, facts, options, pcm, error);
    if (sink == nullptr) {
        task.log.push_back(OutputName(task) + ": cannot write: " + error);
        return;
    }
    Progress progress(fs::path(task.input).filename().string(), showProgress);
    Puller   puller(
          playback, options, control.HostListening(options.sound.listening), *sink, progress);
    PullResult result = puller.Run(error);
    if (result == WRITE_FAILED || !sink->Finish(error)) {
        task.log.push_back(OutputName(task) + ": cannot write: " + error);
        return;
    }
    Summarise(task, result, *sink, options, control);
    task.ok = result != STOPPED;
}
