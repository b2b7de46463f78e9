#include "hostlib/ModuleFacts.h"

#include "framework/RVGlobal.h"
#include "hostlib/LoaderOutput.h"
#include "hostlib/PluginHost.h"
#include "hostlib/Text.h"
#include "modtracker/ModTracker.h"
#include "support/PException.h"
#include "support/PFile.h"

namespace {

// Names are bytes of the file; they leave the player as ISO-8859-1 text.
std::string
Name(const PString& text)
{
    const char* chars = text;
    return Latin1ToUtf8(chars != nullptr ? chars : "");
}

std::string
Text(const PString& text)
{
    const char* chars = text;
    return chars != nullptr ? chars : "";
}

void
TakeFacts(ModTracker& player, ModuleFacts& facts)
{
    facts.name = Name(player.GetModuleName());
    facts.channels = player.channelNum;
    facts.patterns = player.patternNum;
    facts.samples = player.sampleNum;
    facts.songLength = player.songLength;
    facts.restart = player.restartPos;
    for (uint16 i = 0; player.samples != nullptr && i < player.sampleNum; i++) {
        const Sample& sample = player.samples[i];
        facts.sampleList.push_back({ Name(sample.name), sample.length * 2u, sample.volume,
            sample.fineTune, sample.loopStart, sample.loopLength });
    }
    for (uint32 line = 0; line < player.GetInfoCount(); line++) {
        facts.info.emplace_back(Text(player.GetInfoString(line, RV_INFO_LABEL)),
            Text(player.GetInfoString(line, RV_INFO_VALUE)));
    }
}

void
Examine(ModTracker& player, PFile& file, ModuleFacts& facts)
{
    int32 type = player.TestModule(&file);
    if (type < 0 || type >= (int32)player.GetCount()) {
        facts.error = "not a module of any known type";
        return;
    }
    facts.type = type;
    facts.typeName = Text(player.GetName(type));
    player.modType = type;
    file.SeekToBegin();
    int32 result = 0;
    std::string message = RunCapturingLoaderMessage(
        [&] { result = player.LoadModule(type, &file); });
    if (result != 0) {
        facts.error = message.empty() ? "load error " + std::to_string(result) : message;
        return;
    }
    TakeFacts(player, facts);
    player.EndPlayer();
}

}   // namespace

ModuleFacts
ReadModuleFacts(const std::string& path)
{
    ModuleFacts facts;
    facts.file = path;
    std::string reason = UnreadableReason(path);
    if (!reason.empty()) {
        facts.error = "cannot read: " + reason;
        return facts;
    }
    RVGlobal global;
    ModTracker player(&global);
    PFile file;
    try {
        file.Open(path.c_str(), PFile::pModeRead);
        Examine(player, file, facts);
    } catch (PException* exception) {
        exception->Delete();
        facts.error = "cannot read the file";
    }
    player.Cleanup();
    return facts;
}
