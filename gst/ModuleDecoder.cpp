#include "gst/ModuleDecoder.h"

#include <algorithm>

namespace zwgst {

namespace {

// The loader's message is made for a dialog of two lines; a bus message takes one.
std::string
OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

}   // namespace

bool
ModuleDecoder::Open(const std::string& path, int64_t maxFrames, std::string& error)
{
    Close();
    if (!NewPlayers(path, players, error))
        return false;
    playback = std::make_unique<PluginPlayback>(players.playing.get());
    if (!playback->Start(path)) {
        ModuleFacts failed = ReadFacts(path);
        error = "the plug-in could not load it";
        if (failed.error)
            error += ": " + OneLine(*failed.error);
        Close();
        return false;
    }
    limit = maxFrames;
    timeline = ScanTimeline(players.scanning.get(), path, maxFrames);
    players.scanning.reset();
    facts = ReadFacts(path);
    return true;
}

void
ModuleDecoder::Close()
{
    playback.reset();
    players.playing.reset();
    players.scanning.reset();
    timeline = Timeline();
    facts = ModuleFacts();
}

bool
ModuleDecoder::SeekToFrame(int64_t frame)
{
    return playback != nullptr && frame <= limit && playback->SeekToFrame(frame);
}

PluginPlayback::Block
ModuleDecoder::Next()
{
    PluginPlayback::Block block;
    if (playback == nullptr || playback->Frame() >= limit)
        return block;
    block = playback->Next();
    if (block.songEnded)
        return PluginPlayback::Block();
    block.count = int(std::min<int64_t>(block.count, limit - playback->Frame() + block.count));
    return block;
}

}   // namespace zwgst
