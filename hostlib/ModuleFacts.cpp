#include "hostlib/ModuleFacts.h"

#include "framework/RVGlobal.h"
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
    const ModuleView module = player.Module();
    facts.name = Name(player.GetModuleName());
    facts.channels = module.channelNum;
    facts.patterns = module.patternNum;
    facts.samples = module.sampleNum;
    facts.songLength = module.songLength;
    facts.restart = module.restartPos;
    for (uint16 i = 0; module.samples != nullptr && i < module.sampleNum; i++) {
        const Sample& sample = module.samples[i];
        facts.sampleList.push_back({ Name(sample.name), sample.length * 2u, sample.volume,
            sample.fineTune, sample.loopStart, sample.loopLength });
    }
    for (uint32 line = 0; line < player.GetInfoCount(); line++) {
        facts.info.emplace_back(Text(player.GetInfoString(line, RV_INFO_LABEL)),
            Text(player.GetInfoString(line, RV_INFO_VALUE)));
    }
}

std::string
SampleNumbers(const std::vector<int>& numbers)
{
    std::string text = numbers.size() == 1 ? "sample " : "samples ";
    for (size_t i = 0; i < numbers.size(); i++)
        text += (i == 0 ? "" : ", ") + std::to_string(numbers[i]);
    return text;
}

// What a damaged file lacked, as the player remembers it.
std::vector<std::string>
Warnings(const ModTracker& player)
{
    const ModuleView         module = player.Module();
    std::vector<std::string> warnings;
    if (module.namedPatterns > module.patternNum) {
        warnings.push_back("the file lacks patterns " + std::to_string(module.patternNum) + " to "
            + std::to_string(module.namedPatterns - 1) + ", named only by positions past the song");
    }
    uint64_t         missing = 0;
    uint64_t         total = 0;
    std::vector<int> cut;
    for (uint16 i = 0; module.samples != nullptr && i < module.sampleNum; i++) {
        total += 2u * module.samples[i].length;
        missing += module.samples[i].missing;
        if (module.samples[i].missing != 0)
            cut.push_back(i + 1);
    }
    if (missing != 0) {
        warnings.push_back("the sample data is cut short: " + std::to_string(missing) + " of "
            + std::to_string(total) + " bytes missing (" + SampleNumbers(cut)
            + "), played as silence");
    }
    return warnings;
}

// AM sounds play on sample slots without data; without their companion they are silent.
bool
AMSoundsSilent(const ModTracker& player)
{
    const ModuleView module = player.Module();
    if (!player.IsStarTracker() || module.amData != nullptr || module.tracks == nullptr)
        return false;
    // Every track the load made, counted as the load counted them: a count derived
    // from the type, which a later check may change, could run past them.
    for (uint32 t = 0; t < module.trackNum; t++) {
        for (uint16 row = 0; module.tracks[t] != nullptr && row < module.rowsPerPattern; row++) {
            const TrackLine& line = module.tracks[t][row];
            if (line.note != 0 && line.sample != 0 && line.sample <= module.sampleNum
                && module.samples[line.sample - 1].length == 0)
                return true;
        }
    }
    return false;
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
    file.SeekToBegin();
    std::string message;
    player.SetLoadErrorSink(
        [](void* context, const char* text) { *static_cast<std::string*>(context) = text; },
        &message);
    int32 result = player.LoadModule(type, &file);
    if (result != 0) {
        facts.error = message.empty() ? "load error " + std::to_string(result) : message;
        return;
    }
    player.ExtraLoad(facts.file.c_str());
    TakeFacts(player, facts);
    facts.warnings = Warnings(player);
    PString companion = player.Module().companionPath;
    if (!companion.IsEmpty())
        facts.companion = Text(companion);
    facts.amSoundsSilent = AMSoundsSilent(player);
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
    RVGlobal   global;
    ModTracker player(&global);
    PFile      file;
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

std::string
SilentAMSoundsWarning(const std::string& path)
{
    if (!ReadModuleFacts(path).amSoundsSilent)
        return "";
    return path + ": warning: no companion \".nt\" file found; its AM sounds will be silent";
}
