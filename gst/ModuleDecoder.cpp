#include "gst/ModuleDecoder.h"

#include <algorithm>

#include "plugin/PluginSettings.h"

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
ModuleDecoder::Collect(void* decoder, const char* line)
{
    ModuleDecoder&              self = *static_cast<ModuleDecoder*>(decoder);
    std::lock_guard<std::mutex> hold(self.messageLock);
    self.messages.push_back(OneLine(line));
}

std::vector<std::string>
ModuleDecoder::Messages()
{
    std::lock_guard<std::mutex> hold(messageLock);
    return std::move(messages);
}

// The plug-in's lines come here instead of standard output, which belongs to the
// application. False when the plug-in has no settings channel.
bool
ModuleDecoder::Apply(InputPlugin* plugin, const Settings& settings)
{
    PluginSettings* channel = dynamic_cast<PluginSettings*>(plugin);
    if (channel == nullptr)
        return settings.empty();
    channel->SetMessageSink(Collect, this);
    for (const auto& [key, value] : settings) {
        char why[256] = "";
        if (!channel->SetSetting(key.c_str(), value.c_str(), why, sizeof(why)))
            Collect(this, (key + " = " + value + ": " + why).c_str());
    }
    return true;
}

bool
ModuleDecoder::Open(const std::string& path, int64_t maxFrames, int newLoops,
    const Settings& settings, std::string& error)
{
    Close();
    if (!NewPlayers(path, players, error))
        return false;
    // The scan needs the same rules as the playing; the sound settings do not hurt it.
    if (!Apply(players.playing.get(), settings) || !Apply(players.scanning.get(), settings))
        Collect(this, "the add-on has no settings channel: the sound settings are ignored");
    playback = std::make_unique<PluginPlayback>(players.playing.get());
    if (!playback->Start(path)) {
        std::vector<std::string> lines = Messages();
        std::string              why = !lines.empty() ? lines.back() : playback->LoadError();
        if (why.empty()) {
            ModuleFacts failed = ReadFacts(path);
            why = failed.error ? OneLine(*failed.error) : "";
        }
        error = "the plug-in could not load it" + (why.empty() ? "" : ": " + why);
        Close();
        return false;
    }
    limit = maxFrames;
    loops = loopsLeft = newLoops;
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
    frame = passFrames = 0;
}

bool
ModuleDecoder::Set(const std::string& key, const std::string& value, std::string& why)
{
    PluginSettings* channel = dynamic_cast<PluginSettings*>(players.playing.get());
    if (channel == nullptr) {
        why = "the add-on has no settings channel";
        return false;
    }
    char reason[256] = "";
    if (channel->SetSetting(key.c_str(), value.c_str(), reason, sizeof(reason)))
        return true;
    why = reason;
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
