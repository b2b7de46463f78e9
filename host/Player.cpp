#include "host/Player.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <random>

#include "host/Arguments.h"
#include "host/AudioStream.h"
#include "host/SharedLibrary.h"
#include "host/StatusLine.h"
#include "host/Terminal.h"
#include "hostlib/ModuleFacts.h"
#include "hostlib/ModuleText.h"
#include "hostlib/PluginHost.h"
#include "hostlib/PluginPlayback.h"
#include "hostlib/Timeline.h"

namespace {

const int    kDeviceFrames = 1024;
const int    kShortSeek = 5;     // seconds, left and right
const int    kLongSeek = 30;     // seconds, up and down
const double kGainStep = 1;      // dB
const int    kStereoStep = 10;   // percent
const int    kRedrawMilliseconds = 100;

struct SdlFunctions
{
    static constexpr const char* kSoname = ZW_SDL_SONAME;

    decltype(&::SDL_Init)                 Init;
    decltype(&::SDL_Quit)                 Quit;
    decltype(&::SDL_GetError)             GetError;
    decltype(&::SDL_SetHint)              SetHint;
    decltype(&::SDL_LogSetOutputFunction) LogSetOutputFunction;
    decltype(&::SDL_OpenAudioDevice)      OpenAudioDevice;
    decltype(&::SDL_CloseAudioDevice)     CloseAudioDevice;
    decltype(&::SDL_PauseAudioDevice)     PauseAudioDevice;
    decltype(&::SDL_LockAudioDevice)      LockAudioDevice;
    decltype(&::SDL_UnlockAudioDevice)    UnlockAudioDevice;
    decltype(&::SDL_Delay)                Delay;

    bool Bind(SharedLibrary& library, std::string& error)
    {
        return library.Find(Init, "SDL_Init", error) && library.Find(Quit, "SDL_Quit", error)
            && library.Find(GetError, "SDL_GetError", error)
            && library.Find(SetHint, "SDL_SetHint", error)
            && library.Find(LogSetOutputFunction, "SDL_LogSetOutputFunction", error)
            && library.Find(OpenAudioDevice, "SDL_OpenAudioDevice", error)
            && library.Find(CloseAudioDevice, "SDL_CloseAudioDevice", error)
            && library.Find(PauseAudioDevice, "SDL_PauseAudioDevice", error)
            && library.Find(LockAudioDevice, "SDL_LockAudioDevice", error)
            && library.Find(UnlockAudioDevice, "SDL_UnlockAudioDevice", error)
            && library.Find(Delay, "SDL_Delay", error);
    }
};

// Set by InitAudio, before anything else here calls SDL.
const SdlFunctions* sdl = nullptr;

void
AudioCallback(void* userData, uint8* out, int bytes)
{
    static_cast<AudioStream*>(userData)->Fill(out, bytes);
}

SDL_AudioDeviceID
OpenDevice(AudioStream* stream)
{
    SDL_AudioSpec wanted {};
    wanted.freq = PLUGIN_SAMPLE_RATE;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kDeviceFrames;
    wanted.callback = stream != nullptr ? AudioCallback : nullptr;
    wanted.userdata = stream;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts whatever the device really wants.
    return sdl->OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

// The device's own buffer still sounds after the last block was handed over.
void
Drain()
{
    sdl->Delay(2 * kDeviceFrames * 1000 / PLUGIN_SAMPLE_RATE + 20);
}

enum FileResult { PLAYED, FAILED, PREVIOUS, QUIT };

class Session
{
public:
    Session(PluginHost& host, SDL_AudioDeviceID device, AudioStream& stream, Terminal& terminal,
        const PlayOptions& options);
    FileResult Play(const std::string& path, int index, int count);

private:
    int64_t    Duration(InputPlugin* plugin, const std::string& path);
    FileResult Listen();
    // True when the key ends this file.
    bool HandleKey(Terminal::Key key, FileResult& result);
    void Seek(int seconds);
    void Change(const Listening& changed);
    // Moves `key` to the value after its present one among `values`.
    void Cycle(const std::string& key, const std::vector<std::string>& values);
    void ShowStatus();

    PluginHost&                                          host;
    SDL_AudioDeviceID                                    device;
    AudioStream&                                         stream;
    Terminal&                                            terminal;
    const PlayOptions&                                   options;
    std::map<InputPlugin*, std::unique_ptr<InputPlugin>> scanners;
    Sound                                                sound;     // as keys changed it
    std::unique_ptr<SoundControl>                        control;   // of the playing object
    bool                                                 paused = false;
    bool                                                 looping = false;
    bool                                                 statusLine;
    StatusFacts                                          status;
};

Session::Session(PluginHost& host, SDL_AudioDeviceID device, AudioStream& stream,
    Terminal& terminal, const PlayOptions& options)
    : host(host), device(device), stream(stream), terminal(terminal), options(options),
      sound(options.sound), statusLine(isatty(STDOUT_FILENO))
{
}

// The song's frames to its end, found by a second plug-in object playing it silently:
// -2 when it does not end within the time limit, -1 when that cannot be known.
int64_t
Session::Duration(InputPlugin* plugin, const std::string& path)
{
    std::unique_ptr<InputPlugin>& scanner = scanners[plugin];
    if (scanner == nullptr)
        scanner = host.NewInstance(plugin);
    if (scanner == nullptr)
        return -1;
    // The scan hears what the listener asked for: replay rules change a song's length.
    std::vector<std::string> ignored;
    SoundControl(scanner.get()).Apply(sound, path, ignored);
    Timeline timeline =
        ScanTimeline(scanner.get(), path, std::llround(options.maxTime * PLUGIN_SAMPLE_RATE));
    return !timeline.loaded ? -1 : timeline.ends ? timeline.frames : -2;
}

FileResult
Session::Play(const std::string& path, int index, int count)
{
    std::string  reason = UnreadableReason(path);
    InputPlugin* plugin = reason.empty() ? host.FindPlugin(path) : nullptr;
    if (!reason.empty() || plugin == nullptr) {
        ReportError(
            path + (reason.empty() ? ": no plug-in plays this file" : ": cannot read: " + reason));
        return FAILED;
    }
    control = std::make_unique<SoundControl>(plugin);
    std::vector<std::string> warnings;
    control->Apply(sound, path, warnings);
    PluginPlayback playback(plugin);
    if (!playback.Start(path)) {
        ReportError(path + ": cannot load: " + LoadFailureText(playback.LoadError()));
        return FAILED;
    }
    ModuleFacts facts = ReadModuleFacts(path);
    for (const std::string& warning : PlaybackWarnings(facts))
        warnings.push_back(warning);
    status = StatusFacts();
    status.name = std::filesystem::path(path).filename().string();
    status.title = facts.name;
    status.index = index + 1;
    status.count = count;
    status.total = Duration(plugin, path);
    status.passes = options.repeat < 0 ? 0 : options.repeat + 1;
    looping = options.repeat < 0;
    int64_t start = options.seek > 0 ? std::llround(options.seek * PLUGIN_SAMPLE_RATE) : 0;
    if (start > 0 && !playback.SeekToFrame(start)) {
        ReportError(path + ": --seek " + DurationText(start, PLUGIN_SAMPLE_RATE)
            + " lies past the end of the song");
        return FAILED;
    }
    for (const std::string& warning : warnings)
        ReportError(warning);
    if (!statusLine) {
        // Flushed at once: a pipe's reader sees it even when the player is killed.
        printf("Playing %s\n", path.c_str());
        fflush(stdout);
    }
    sdl->LockAudioDevice(device);
    stream.Start(&playback, options.repeat, std::llround(options.maxTime * PLUGIN_SAMPLE_RATE));
    stream.SetListening(control->HostListening(sound.listening));
    stream.SetLooping(looping);
    sdl->UnlockAudioDevice(device);
    sdl->PauseAudioDevice(device, paused ? 1 : 0);

    FileResult result = Listen();
    sdl->LockAudioDevice(device);
    stream.Stop();
    sdl->UnlockAudioDevice(device);
    control.reset();
    if (stream.limitReached) {
        char seconds[32];
        snprintf(seconds, sizeof(seconds), "%g", options.maxTime);
        ReportError(path + ": warning: stopped after " + seconds
            + " seconds (--max-time); the song had not ended by then");
    }
    return result;
}

FileResult
Session::Listen()
{
    FileResult result = PLAYED;
    bool       leave = false;
    while (!stream.ended && !leave) {
        leave = HandleKey(terminal.ReadKey(kRedrawMilliseconds), result);
        ShowStatus();
    }
    if (stream.ended && !leave)
        Drain();
    ShowStatus();
    if (statusLine) {
        printf("\n");   // the last status stays on its own line
        fflush(stdout);
    }
    return result;
}

bool
Session::HandleKey(Terminal::Key key, FileResult& result)
{
    Listening changed = sound.listening;
    switch (key) {
        case Terminal::KEY_SPACE:
            paused = !paused;
            sdl->PauseAudioDevice(device, paused ? 1 : 0);
            return false;
        case Terminal::KEY_LEFT: Seek(-kShortSeek); return false;
        case Terminal::KEY_RIGHT: Seek(kShortSeek); return false;
        case Terminal::KEY_DOWN: Seek(-kLongSeek); return false;
        case Terminal::KEY_UP: Seek(kLongSeek); return false;
        case Terminal::KEY_LOOP:
            looping = !looping;
            sdl->LockAudioDevice(device);
            stream.SetLooping(looping);
            sdl->UnlockAudioDevice(device);
            return false;
        case Terminal::KEY_GAIN_UP: changed.gain += kGainStep; break;
        case Terminal::KEY_GAIN_DOWN: changed.gain -= kGainStep; break;
        case Terminal::KEY_WIDER: changed.stereo += kStereoStep; break;
        case Terminal::KEY_NARROWER: changed.stereo -= kStereoStep; break;
        case Terminal::KEY_INTERPOLATION:
            Cycle("interpolation", InterpolationModes());
            return false;
        case Terminal::KEY_AMIGA: Cycle("amiga", AmigaModels()); return false;
        case Terminal::KEY_NEXT: result = PLAYED; return true;
        case Terminal::KEY_PREVIOUS: result = PREVIOUS; return true;
        case Terminal::KEY_QUIT: result = QUIT; return true;
        default: return false;
    }
    Change(changed);
    return false;
}

// Exact to the frame, from the time heard now; back past the start plays from the
// start, forward past the end goes on into the next pass when one follows (loop or
// repeat), else ends the song.
void
Session::Seek(int seconds)
{
    int64_t target = std::max<int64_t>(0, stream.played + int64_t(seconds) * PLUGIN_SAMPLE_RATE);
    sdl->LockAudioDevice(device);
    stream.SeekTo(target);
    sdl->UnlockAudioDevice(device);
}

// Gain and stereo go to the plug-in's mixer when it takes settings, else to the host's
// own stage after it.
void
Session::Change(const Listening& changed)
{
    Listening& listening = sound.listening;
    listening.gain = std::clamp(changed.gain, Listening::kMinGain, Listening::kMaxGain);
    listening.stereo = std::clamp(changed.stereo, 0, Listening::kFullStereo);
    char gain[32];
    snprintf(gain, sizeof(gain), "%g", listening.gain);
    sound.asked["gain"] = gain;
    sound.asked["stereo"] = std::to_string(listening.stereo);
    sdl->LockAudioDevice(device);
    control->Set("gain", gain);
    control->Set("stereo", sound.asked["stereo"]);
    stream.SetListening(control->HostListening(listening));
    sdl->UnlockAudioDevice(device);
}

// A plug-in without settings has one sound, and the key does nothing.
void
Session::Cycle(const std::string& key, const std::vector<std::string>& values)
{
    if (!control->HasChannel())
        return;
    std::string now = control->Get(key);
    auto        at = std::find(values.begin(), values.end(), now);
    std::string next = at == values.end() || at + 1 == values.end() ? values.front() : *(at + 1);
    sdl->LockAudioDevice(device);
    bool taken = control->Set(key, next);
    sdl->UnlockAudioDevice(device);
    if (taken)
        sound.asked[key] = next;
}

void
Session::ShowStatus()
{
    if (!statusLine)
        return;
    status.paused = paused;
    status.played = stream.played;
    status.pass = stream.pass;
    status.looping = looping;
    status.sound = control->Differences(sound.listening);
    status.peaks = { stream.peakLeft.exchange(0), stream.peakRight.exchange(0) };
    Terminal::TakeResize();   // every draw measures the terminal afresh
    std::string text = StatusText(status, Terminal::Columns() - 1);
    printf("\r\033[K%s", text.c_str());
    fflush(stdout);
}

// SDL's own log lines (its disk driver announces itself on every run) are left out:
// every message is this program's, and SDL's failures reach it through SDL_GetError.
void
IgnoreSdlMessage(void*, int, SDL_LogPriority, const char*)
{
}

// Opens SDL, on the first play of the process. SDL would otherwise catch Ctrl-C and
// only queue a quit event that nobody reads.
bool
InitAudio(std::string& error)
{
    sdl = LoadLibrary<SdlFunctions>(error);
    if (sdl == nullptr)
        return false;
    sdl->LogSetOutputFunction(IgnoreSdlMessage, nullptr);
    sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (sdl->Init(SDL_INIT_AUDIO) == 0)
        return true;
    error = sdl->GetError();
    return false;
}

std::vector<std::string>
PlayOrder(const PlayOptions& options)
{
    std::vector<std::string> files = options.files;
    if (options.shuffle)
        std::shuffle(files.begin(), files.end(), std::mt19937(std::random_device()()));
    return files;
}

int
PlayList(Session& session, const std::vector<std::string>& files)
{
    int  status = 0;
    bool back = false;
    for (size_t i = 0; i < files.size();) {
        FileResult result = session.Play(files[i], int(i), int(files.size()));
        if (result == QUIT)
            break;
        if (result == FAILED)
            status = 1;
        // A file that fails while going back is passed over in the same direction.
        back = result == PREVIOUS || (result == FAILED && back);
        if (back && i == 0 && result == FAILED)
            back = false;
        i = back ? (i > 0 ? i - 1 : 0) : i + 1;
    }
    return status;
}

}   // namespace

int
CheckAudio()
{
    std::string error;
    if (!InitAudio(error))
        return 1;
    SDL_AudioDeviceID device = OpenDevice(nullptr);
    if (device == 0) {
        sdl->Quit();
        return 1;
    }
    sdl->CloseAudioDevice(device);
    sdl->Quit();
    return 0;
}

int
PlayFiles(PluginHost& host, const PlayOptions& options)
{
    const std::string hint = "; `zarnowelle render FILE -o FILE.wav` writes a song to a "
                             "file instead";
    std::string       error;
    if (!InitAudio(error)) {
        ReportError("cannot start the audio system: " + error + hint);
        return 1;
    }
    AudioStream       stream;
    SDL_AudioDeviceID device = OpenDevice(&stream);
    if (device == 0) {
        ReportError(std::string("cannot open an audio device: ") + sdl->GetError() + hint);
        sdl->Quit();
        return 1;
    }
    int status = 0;
    {
        Terminal terminal;
        if (terminal.IsInteractive()) {
            printf("space: pause  left/right: 5 s  down/up: 30 s  p/n: previous/next file  "
                   "l: loop  -/+: gain  [/]: stereo  i: interpolation  a: Amiga  q: quit\n");
        }
        Session session(host, device, stream, terminal, options);
        status = PlayList(session, PlayOrder(options));
    }
    sdl->CloseAudioDevice(device);
    sdl->Quit();
    return status;
}
