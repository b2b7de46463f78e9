#include "host/Renderer.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/Player.h"
#include "hostlib/ModuleFacts.h"
#include "hostlib/PluginHost.h"

namespace fs = std::filesystem;

namespace {

const int kSampleRate = 44100;
const int kFrameBytes = 4;
const int kBlockBytes = 4096;

// Where the blocks go: a sound file or raw little-endian PCM on standard output.
class Sink
{
public:
    virtual         ~Sink() {}
    // False with `error` set when the write failed.
    virtual bool    Write(const int16* frames, int count, std::string& error) = 0;
    virtual bool    Finish(std::string& error) = 0;
};

class SoundFileSink : public Sink
{
public:
                    SoundFileSink(SNDFILE* file) : file(file) {}
                    ~SoundFileSink() override { if (file) sf_close(file); }

    bool
    Write(const int16* frames, int count, std::string& error) override
    {
        if (sf_writef_short(file, frames, count) == count)
            return true;
        error = sf_strerror(file);
        return false;
    }

    bool
    Finish(std::string& error) override
    {
        int result = sf_close(file);
        file = nullptr;
        if (result != 0)
            error = sf_error_number(result);
        return result == 0;
    }

private:
    SNDFILE*        file;
};

class RawSink : public Sink
{
public:
    explicit        RawSink(FILE* out) : out(out) {}

    bool
    Write(const int16* frames, int count, std::string& error) override
    {
        std::vector<uint8> bytes(count * kFrameBytes);
        for (int i = 0; i < count * 2; i++) {
            bytes[2 * i] = (uint8)(frames[i] & 0xff);
            bytes[2 * i + 1] = (uint8)((uint16)frames[i] >> 8);
        }
        if (fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size())
            return true;
        error = strerror(errno);
        return false;
    }

    bool
    Finish(std::string& error) override
    {
        if (fflush(out) == 0)
            return true;
        error = strerror(errno);
        return false;
    }

private:
    FILE*           out;
};

std::string
Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

std::unique_ptr<Sink>
OpenSink(const std::string& path, FILE* pcm, std::string& error)
{
    if (path == "-")
        return std::make_unique<RawSink>(pcm);
    SF_INFO format;
    memset(&format, 0, sizeof(format));
    format.samplerate = kSampleRate;
    format.channels = 2;
    format.format = OutputFormat(path);
    if (format.format == 0) {
        error = "unknown output format (use a .wav, .flac or .ogg name, or - for raw PCM)";
        return nullptr;
    }
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &format);
    if (file == nullptr) {
        error = sf_strerror(nullptr);
        return nullptr;
    }
    return std::make_unique<SoundFileSink>(file);
}

int32
ReadPosition(const PlayerInfoStruct& info)
{
    return info.position;
}

class Progress
{
public:
    explicit        Progress(const std::string& name)
                        : name(name), shown(isatty(STDERR_FILENO)) {}

    void
    Show(int permille, int64 frames)
    {
        if (!shown || permille == last)
            return;
        last = permille;
        fprintf(stderr, "\r\033[K%s %s %3d%% %s", name.c_str(),
            PositionBar(permille, 30).c_str(), std::clamp(permille, 0, 1000) / 10,
            ClockTime((long)(frames / kSampleRate)).c_str());
    }

    void            Done() { if (shown) fprintf(stderr, "\r\033[K"); }

private:
    std::string     name;
    bool            shown;
    int             last = -1;
};

enum PullResult { SONG_ENDED, TIME_LIMIT, WRITE_FAILED };

PullResult
Pull(InputPlugin* plugin, PlayerInfoStruct& info, Sink& sink, int64 maxFrames,
    Progress& progress, std::string& error)
{
    int64 frames = 0;
    while (frames < maxFrames) {
        char* block = nullptr;
        int bytes = plugin->GetAudio(&block, kBlockBytes);
        if (bytes <= 0 || block == nullptr)
            return SONG_ENDED;
        int count = (int)std::min<int64>(bytes / kFrameBytes, maxFrames - frames);
        std::vector<int16> samples(count * 2);
        memcpy(samples.data(), block, count * kFrameBytes);
        if (!sink.Write(samples.data(), count, error))
            return WRITE_FAILED;
        frames += count;
        progress.Show(ReadPosition(info), frames);
    }
    return TIME_LIMIT;
}

std::string
OutputFor(const std::string& input, const RenderOptions& options)
{
    std::error_code error;
    if (options.output != "-" && fs::is_directory(options.output, error))
        return (fs::path(options.output) / fs::path(input).stem()).string() + ".wav";
    return options.output;
}

bool
RenderFile(PluginHost& host, const std::string& path, const RenderOptions& options, FILE* pcm)
{
    std::string reason = UnreadableReason(path);
    if (!reason.empty()) {
        ReportError(path + ": cannot read: " + reason);
        return false;
    }
    InputPlugin* plugin = host.FindPlugin(path);
    if (plugin == nullptr) {
        ReportError(path + ": no plug-in plays this file");
        return false;
    }
    PlayerInfoStruct info;
    memset(&info, 0, sizeof(info));
    if (!plugin->InitPlaying(path.c_str(), &info)) {
        ReportError(path + ": the plug-in could not load it");
        plugin->CleanupPlaying();
        return false;
    }
    WarnOfSilentAMSounds(path);
    std::string output = OutputFor(path, options);
    std::string error;
    std::unique_ptr<Sink> sink = OpenSink(output, pcm, error);
    if (!sink) {
        ReportError(output + ": cannot write: " + error);
        plugin->CleanupPlaying();
        return false;
    }
    if (options.seek >= 0)
        plugin->JumpTo(options.seek);
    Progress progress(fs::path(path).filename().string());
    int64 maxFrames = (int64)std::llround(options.maxTime * kSampleRate);
    PullResult result = Pull(plugin, info, *sink, maxFrames, progress, error);
    progress.Done();
    plugin->CleanupPlaying();
    if (result == TIME_LIMIT) {
        char seconds[32];
        snprintf(seconds, sizeof(seconds), "%g", options.maxTime);
        ReportError(path + ": warning: stopped after " + seconds
            + " seconds of audio; the song does not end by itself");
    }
    if (result == WRITE_FAILED || !sink->Finish(error)) {
        ReportError(output + ": cannot write: " + error);
        return false;
    }
    return true;
}

}   // namespace

int
OutputFormat(const std::string& path)
{
    std::string extension = Lower(fs::path(path).extension().string());
    if (extension == ".wav")
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (extension == ".flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (extension == ".ogg")
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return 0;
}

int
RenderFiles(PluginHost& host, const RenderOptions& options)
{
    std::error_code error;
    // "-o out/" asks for a folder, made if need be.
    if (options.output.size() > 1 && options.output.back() == '/'
        && !fs::create_directories(options.output, error) && error) {
        ReportError(options.output + ": cannot make the folder: " + error.message());
        return 1;
    }
    if (options.files.size() > 1 && options.output != "-"
        && !fs::is_directory(options.output, error)) {
        ReportError("several files need -o to name a folder, or - for raw PCM");
        return 1;
    }
    // Raw PCM keeps standard output to itself: whatever a plug-in prints (a loader's
    // error line) goes to standard error instead.
    FILE* pcm = nullptr;
    if (options.output == "-") {
        fflush(stdout);
        pcm = fdopen(dup(STDOUT_FILENO), "wb");
        dup2(STDERR_FILENO, STDOUT_FILENO);
        if (pcm == nullptr) {
            ReportError(std::string("cannot write to standard output: ") + strerror(errno));
            return 1;
        }
    }
    int status = 0;
    for (const std::string& path : options.files) {
        if (!RenderFile(host, path, options, pcm))
            status = 1;
    }
    if (pcm != nullptr && fclose(pcm) != 0)
        status = 1;
    return status;
}
