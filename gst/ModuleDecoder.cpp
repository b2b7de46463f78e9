#include "gst/ModuleDecoder.h"

#include <algorithm>

#include "hostlib/ModuleText.h"

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

void
ModuleDecoder::Collect(const std::string& line)
{
    std::lock_guard<std::mutex> hold(messageLock);
    messages.push_back(OneLine(line));
}

std::vector<std::string>
ModuleDecoder::Messages()
{
    std::lock_guard<std::mutex> hold(messageLock);
    return std::move(messages);
}

bool
ModuleDecoder::Open(const std::string& path, int64_t maxFrames, int newLoops,
    const Settings& settings, std::string& error)
{
    Close();
    if (!NewPlayers(path, players, error))
        return false;
    for (const std::string& refused : ApplySettings(players.playing.get(), settings))
        Collect(refused);
    // The scan needs the rules the playing has; its refusals are the same.
    ApplySettings(players.scanning.get(), settings);
    // The plug-in's lines go to the bus, never to the application's standard streams.
    playback = std::make_unique<PluginPlayback>(players.playing.get());
    playback->SetMessageHandler([this](const std::string& line) { Collect(line); });
    if (!playback->Start(path)) {
        // The loader's own line carries its number; the bus gets the host's words for it.
        std::string why = playback->LoadError();
        if (!why.empty()) {
            why = LoadFailureText(why);
        } else {
            ModuleFacts failed = ReadFacts(path);
            why = failed.error ? *failed.error : "";
        }
        error = "the plug-in could not load it" + (why.empty() ? "" : ": " + OneLine(why));
        Close();
        return false;
    }
    limit = maxFrames;
    loops = loopsLeft = newLoops;
    // The playing object has said what the scan would say again.
    timeline = ScanTimeline(players.scanning.get(), path, maxFrames, [](const std::string&) {});
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
    frame = passFrames = 0;
}

bool
ModuleDecoder::Set(const std::string& key, const std::string& value, std::string& why)
{
    std::vector<std::string> refused = ApplySettings(players.playing.get(), { { key, value } });
    if (refused.empty())
        return true;
    why = refused.front();
    return false;
}

bool
ModuleDecoder::SeekToFrame(int64_t target)
{
    if (playback == nullptr || target > limit || !playback->SeekToFrame(target))
        return false;
    frame = passFrames = target;
    loopsLeft = loops;
    return true;
}

// As the host's render repeats: the block of an end holds the start of the next pass,
// and a plug-in that gives nothing after its end starts the song again.
PluginPlayback::Block
ModuleDecoder::Next()
{
    while (playback != nullptr) {
        PluginPlayback::Block block = playback->Next();
        if (block.songEnded) {
            if (loopsLeft == 0)
                break;
            if (loopsLeft > 0)
                loopsLeft--;
            passFrames = 0;
            if (block.count == 0) {
                if (!playback->SeekToFrame(0))
                    break;
                continue;
            }
            block.songEnded = false;
        } else if (block.count == 0 || passFrames >= limit) {
            break;
        } else {
            block.count = int(std::min<int64_t>(block.count, limit - passFrames));
        }
        passFrames += block.count;
        frame += block.count;
        return block;
    }
    return PluginPlayback::Block();
}

}   // namespace zwgst
