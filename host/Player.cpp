#include "host/Player.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "hostlib/ModuleFacts.h"
#include "hostlib/PluginHost.h"
#include "host/Terminal.h"

namespace {

const int kSampleRate = 44100;
const int kFrameBytes = 4;          // 16-bit stereo
const int kBlockBytes = 4096;
const int kDeviceFrames = 1024;
const int kSeekStep = 50;           // thousandths: 5 % of the song
const int kSeekFine = 7;            // below 1000 / 128, the finest position step

int32
ReadPosition(const PlayerInfoStruct& info)
{
    return info.position;
}

// What SDL's audio thread plays. The fields the callback owns change only under
// SDL_LockAudioDevice; the atomics are the terminal thread's window on it.
class AudioStream
{
public:
    void            Start(InputPlugin* plugin, PlayerInfoStruct* info);
    void            Stop();
    void            Fill(uint8* out, int bytes);

    std::atomic<int32>  position{0};
    std::atomic<int32>  seekSteps{0};   // 5 % steps asked for, + forward, - back
    std::atomic<bool>   ended{true};
    std::atomic<int64>  framesPlayed{0};

private:
    bool            NextBlock();
    bool            Seek(int32 steps);

    InputPlugin*    plugin = nullptr;
    PlayerInfoStruct* info = nullptr;
    char*           block = nullptr;
    int             blockBytes = 0;
    int             blockOffset = 0;
};

void
AudioStream::Start(InputPlugin* newPlugin, PlayerInfoStruct* newInfo)
{
    plugin = newPlugin;
    info = newInfo;
    blockBytes = blockOffset = 0;
    position = 0;
    seekSteps = 0;
    framesPlayed = 0;
    ended = false;
}

void
AudioStream::Stop()
{
    plugin = nullptr;
    info = nullptr;
    ended = true;
}

bool
AudioStream::NextBlock()
{
    int bytes = plugin->GetAudio(&block, kBlockBytes);
    if (bytes <= 0 || block == nullptr)
        return false;
    blockBytes = bytes - bytes % kFrameBytes;
    blockOffset = 0;
    position = ReadPosition(*info);
    return true;
}

// Positions move in steps of 1000 / song length, which the host cannot see: 5 % may land
// in the position now playing, and a jump there restarts it, which would turn a step
// forward into one back. So the jump widens until the reported position really moves;
// forward from the last position there is nothing left, and the song ends.
bool
AudioStream::Seek(int32 steps)
{
    const int32 from = position;
    const int32 direction = steps > 0 ? 1 : -1;
    int32 target = from + steps * kSeekStep;
    for (;;) {
        target = std::clamp(target, 0, 999);
        plugin->JumpTo(target);
        if (!NextBlock())
            return false;
        bool moved = direction > 0 ? position > from : position < from;
        if (moved || (direction < 0 && target == 0))
            return true;
        if (direction > 0 && target == 999)
            return false;
        target += direction * kSeekFine;
    }
}

void
AudioStream::Fill(uint8* out, int bytes)
{
    while (bytes > 0) {
        if (plugin == nullptr || ended) {
            memset(out, 0, bytes);
            return;
        }
        int32 steps = seekSteps.exchange(0);
        // A seek drops the rest of the old block.
        bool more = steps != 0 ? Seek(steps) : blockOffset < blockBytes || NextBlock();
        if (!more) {
            ended = true;
            continue;
        }
        int count = std::min(bytes, blockBytes - blockOffset);
        memcpy(out, block + blockOffset, count);
        blockOffset += count;
        out += count;
        bytes -= count;
        framesPlayed += count / kFrameBytes;
    }
}

void
AudioCallback(void* userData, uint8* out, int bytes)
{
    static_cast<AudioStream*>(userData)->Fill(out, bytes);
}

SDL_AudioDeviceID
OpenDevice(AudioStream* stream)
{
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = kDeviceFrames;
    wanted.callback = stream != nullptr ? AudioCallback : nullptr;
    wanted.userdata = stream;
    SDL_AudioSpec obtained;
    // No changes allowed: SDL converts whatever the device really wants.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

// The device's own buffer still sounds after the last block was handed over.
void
Drain()
{
    SDL_Delay(2 * kDeviceFrames * 1000 / kSampleRate + 20);
}

enum FileResult { PLAYED, FAILED, QUIT };

class Session
{
public:
                    Session(PluginHost& host, SDL_AudioDeviceID device, AudioStream& stream,
                        Terminal& terminal);
    FileResult      Play(const std::string& path);

private:
    bool            HandleKey(Terminal::Key key, bool& quit);
    void            ShowStatus(const std::string& name);

    PluginHost&     host;
    SDL_AudioDeviceID device;
    AudioStream&    stream;
    Terminal&       terminal;
    bool            paused = false;
    bool            statusLine;
};

Session::Session(PluginHost& host, SDL_AudioDeviceID device, AudioStream& stream,
        Terminal& terminal)
    :
    host(host),
    device(device),
    stream(stream),
    terminal(terminal),
    statusLine(isatty(STDOUT_FILENO))
{
}

FileResult
Session::Play(const std::string& path)
{
    std::string reason = UnreadableReason(path);
    if (!reason.empty()) {
        ReportError(path + ": cannot read: " + reason);
        return FAILED;
    }
    InputPlugin* plugin = host.FindPlugin(path);
    if (plugin == nullptr) {
        ReportError(path + ": no plug-in plays this file");
        return FAILED;
    }
    PlayerInfoStruct info;
    memset(&info, 0, sizeof(info));
    if (!plugin->InitPlaying(path.c_str(), &info)) {
        ReportError(path + ": the plug-in could not load it");
        plugin->CleanupPlaying();
        return FAILED;
    }
    WarnOfSilentAMSounds(path);
    std::string name = std::filesystem::path(path).filename().string();
    if (!statusLine)
        printf("Playing %s\n", path.c_str());
    SDL_LockAudioDevice(device);
    stream.Start(plugin, &info);
    SDL_UnlockAudioDevice(device);
    SDL_PauseAudioDevice(device, paused ? 1 : 0);

    bool quit = false;
    bool next = false;
    while (!stream.ended && !next && !quit) {
        next = HandleKey(terminal.ReadKey(100), quit);
        ShowStatus(name);
    }
    if (stream.ended)
        Drain();
    SDL_LockAudioDevice(device);
    stream.Stop();
    SDL_UnlockAudioDevice(device);
    plugin->CleanupPlaying();
    if (statusLine)
        printf("\n");
    return quit ? QUIT : PLAYED;
}

// True for "next file".
bool
Session::HandleKey(Terminal::Key key, bool& quit)
{
    switch (key) {
        case Terminal::KEY_SPACE:
            paused = !paused;
            SDL_PauseAudioDevice(device, paused ? 1 : 0);
            return false;
        case Terminal::KEY_LEFT:
            stream.seekSteps--;
            return false;
        case Terminal::KEY_RIGHT:
            stream.seekSteps++;
            return false;
        case Terminal::KEY_NEXT:
            return true;
        case Terminal::KEY_QUIT:
            quit = true;
            return false;
        default:
            return false;
    }
}

void
Session::ShowStatus(const std::string& name)
{
    if (!statusLine)
        return;
    std::string shown = name.size() > 32 ? name.substr(0, 29) + "..." : name;
    int permille = std::clamp((int)stream.position, 0, 1000);
    long seconds = (long)(stream.framesPlayed / kSampleRate);
    printf("\r\033[K%s %-32s %s %3d%% %s", paused ? "||" : "> ", shown.c_str(),
        PositionBar(permille, 30).c_str(), permille / 10, ClockTime(seconds).c_str());
    fflush(stdout);
}

}   // namespace

std::string
PositionBar(int permille, int width)
{
    permille = std::clamp(permille, 0, 1000);
    int filled = permille * width / 1000;
    std::string bar = "[" + std::string(filled, '=');
    if (filled < width)
        bar += '>' + std::string(width - filled - 1, ' ');
    return bar + "]";
}

std::string
ClockTime(long seconds)
{
    char text[32];
    snprintf(text, sizeof(text), "%ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

namespace {

// SDL would otherwise catch Ctrl-C and only queue a quit event that nobody reads.
int
InitAudio()
{
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    return SDL_Init(SDL_INIT_AUDIO);
}

}   // namespace

int
CheckAudio()
{
    if (InitAudio() != 0)
        return 1;
    SDL_AudioDeviceID device = OpenDevice(nullptr);
    if (device == 0) {
        SDL_Quit();
        return 1;
    }
    SDL_CloseAudioDevice(device);
    SDL_Quit();
    return 0;
}

int
PlayFiles(PluginHost& host, const std::vector<std::string>& files)
{
    if (InitAudio() != 0) {
        ReportError(std::string("cannot start the audio system: ") + SDL_GetError());
        return 1;
    }
    AudioStream stream;
    SDL_AudioDeviceID device = OpenDevice(&stream);
    if (device == 0) {
        ReportError(std::string("cannot open an audio device: ") + SDL_GetError());
        SDL_Quit();
        return 1;
    }
    int status = 0;
    {
        Terminal terminal;
        if (terminal.IsInteractive())
            printf("space: pause   left/right: seek   n: next file   q: quit\n");
        Session session(host, device, stream, terminal);
        for (const std::string& path : files) {
            FileResult result = session.Play(path);
            if (result == FAILED)
                status = 1;
            if (result == QUIT)
                break;
        }
    }
    SDL_CloseAudioDevice(device);
    SDL_Quit();
    return status;
}
