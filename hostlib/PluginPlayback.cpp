#include "hostlib/PluginPlayback.h"

#include <algorithm>
#include <cstring>

#include "hostlib/PluginHost.h"
#include "hostlib/SettingsChannel.h"

PluginPlayback::PluginPlayback(InputPlugin* plugin) : plugin(plugin)
{
    memset(&info, 0, sizeof(info));
}

PluginPlayback::~PluginPlayback() { Stop(); }

bool
PluginPlayback::Start(const std::string& file)
{
    Stop();
    path = file;
    return Restart();
}

bool
PluginPlayback::Restart()
{
    Stop();
    memset(&info, 0, sizeof(info));
    frame = 0;
    ended = false;
    loadError.clear();
    auto receive = [this](const std::string& line) {
        std::string message = LoaderMessageOf(line);
        if (!message.empty())
            loadError = message;
        else if (messageHandler)
            messageHandler(line);
        else
            ReportError(line);
    };
    WithMessages(plugin, receive, [this] { playing = plugin->InitPlaying(path.c_str(), &info); });
    if (!playing)
        plugin->CleanupPlaying();
    return playing;
}

void
PluginPlayback::SetMessageHandler(std::function<void(const std::string&)> handler)
{
    messageHandler = std::move(handler);
}

void
PluginPlayback::Stop()
{
    if (playing)
        plugin->CleanupPlaying();
    playing = false;
    pending = nullptr;
    pendingCount = 0;
    pendingEnd = false;
}

PluginPlayback::Block
PluginPlayback::Next()
{
    Block block;
    if (!playing)
        return block;
    if (pendingCount == 0) {
        char* data = nullptr;
        int   bytes = plugin->GetAudio(&data, PLUGIN_BLOCK_BYTES);
        pendingEnd = bytes == 0;
        // The block of the end is the full block the plug-in mixed, though not counted.
        pendingCount = data == nullptr ? 0
            : pendingEnd               ? PLUGIN_BLOCK_FRAMES
                                       : bytes / PLUGIN_FRAME_BYTES;
        pending = reinterpret_cast<const int16*>(data);
    }
    block.frames = pending;
    block.count = pendingCount;
    block.songEnded = pendingEnd;
    pending = nullptr;
    pendingCount = 0;
    pendingEnd = false;
    if (block.songEnded)
        ended = true;
    else
        frame += block.count;
    return block;
}

bool
PluginPlayback::SeekToFrame(int64_t target)
{
    // Past an end the frames count the next pass no longer; start again.
    if ((target < frame || ended) && !Restart())
        return false;
    // Frames held back by an earlier seek lie before the next block.
    int64_t skip = std::min<int64_t>(target - frame, pendingCount);
    pending += 2 * skip;
    pendingCount -= int(skip);
    frame += skip;
    while (frame < target) {
        Block block = Next();
        if (block.count == 0 || block.songEnded)
            return false;
        if (frame > target) {
            // Keep the part of the block from the target on.
            int keep = int(frame - target);
            pending = block.frames + 2 * (block.count - keep);
            pendingCount = keep;
            frame = target;
        }
    }
    return true;
}
