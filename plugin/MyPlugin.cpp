#include "plugin/MyPlugin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "beos/Alert.h"
#include "beos/Message.h"
#include "beos/MimeType.h"
#include "framework/RVGlobal.h"
#include "modtracker/ModTracker.h"
#include "support/PCacheFile.h"
#include "support/PException.h"

namespace {

const int32 kModuleCacheSize = 32768;
// Detection reads the header and often the first pattern in small pieces, once for
// every type asked: through this cache they cost one read, not a seek and a read each.
const int32 kProbeCacheSize = 4096;

// Fixed values the host expects in its record from this plug-in.
const int32 kInfoFlags = 29;

struct MimeTypeEntry
{
    const char* type;
    const char* extension;
    const char* shortDescription;
    const char* longDescription;
};

const MimeTypeEntry kMimeTypes[] = {
    { "audio/x-mod", "mod", "MOD Sound Module",
        "ProTracker and various module formats with 4 or more channels" },
    { "audio/x-mtm", "mtm", "MultiTracker Module", "2-32 channels MultiTracker module format" },
};
const int kMimeTypeCount = sizeof(kMimeTypes) / sizeof(kMimeTypes[0]);

const char  kAboutText[] = "Zarnowelle\nVersion 1.1\n\n"
                           "Made by the Zarnowelle developers\n"
                           "E-mail: zarnowelle@example.org\n"
                           "https://zarnowelle.example.org/\n"
                           "\n";
const int32 kAboutTitleLength = 10;   // "Zarnowelle", set large and bold
const float kAboutTitleSize = 24.0f;

// A settings file is a few lines; anything larger is not one, and is not read into memory.
const std::uintmax_t kMaxSettingsFileBytes = 65536;
// Of a value a host sent, this much is quoted back in a refusal.
const size_t kQuotedValueLength = 40;

// Copies `text` into the host's buffer of `size` bytes, cut to fit with its zero.
void
CopyOut(const std::string& text, char* buffer, size_t size)
{
    if (buffer == nullptr || size == 0)
        return;
    size_t count = std::min(text.size(), size - 1);
    memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

// The whole file at `path` into `text`; false with the reason in `why`.
bool
ReadSettingsText(const std::string& path, std::string& text, std::string& why)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) {
        why = error ? error.message() : "no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        why = "not a regular file";
        return false;
    }
    std::uintmax_t size = fs::file_size(path, error);
    if (!error && size > kMaxSettingsFileBytes) {
        why = "larger than " + std::to_string(kMaxSettingsFileBytes) + " bytes";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = strerror(errno);
        return false;
    }
    text.assign(size_t(kMaxSettingsFileBytes), '\0');
    in.read(text.data(), std::streamsize(text.size()));
    if (in.bad()) {
        why = "read error";
        return false;
    }
    text.resize(size_t(in.gcount()));
    return true;
}

// Every failure inside the plug-in ends here, at the operation the host called: the
// exception is released and the operation reports it through its result. Call only
// from a catch block.
void
ReleaseFailure() noexcept
{
    try {
        throw;
    } catch (PException* exception) {
        if (exception != nullptr)
            exception->Delete();
    } catch (...) {
    }
}

}   // namespace


MyPlugin::MyPlugin()
    : PluginSettings(), info(nullptr), global(nullptr), player(nullptr), audioBuffer(nullptr)
{
    extensions = "mod";
    description = "Module player (from Ravlo by Quillan)";
    hostData = 0;
}


// A host that unloads us while a file still plays would otherwise leak the playback.
MyPlugin::~MyPlugin() { CleanupPlaying(); }


// clang-format off
void MyPlugin::Init() {}
void MyPlugin::Cleanup() {}
void MyPlugin::AbortPlaying() {}
void MyPlugin::Pause(bool) {}
void MyPlugin::NewSpeed(int32) {}
void MyPlugin::NewVolume(int32) {}
// clang-format on


bool
MyPlugin::Prefs(bool)
{
    return false;
}


bool
MyPlugin::Edit(const char*, bool)
{
    return false;
}


// With query true the host only asks whether there is an About box.
bool
MyPlugin::About(bool query)
{
    if (query)
        return true;
    try {
        ShowAboutBox();
    } catch (...) {
        ReleaseFailure();
        return false;
    }
    return true;
}


void
MyPlugin::ShowAboutBox()
{
    std::unique_ptr<BAlert> alert(
        new BAlert("", kAboutText, "Aha!", nullptr, nullptr, B_WIDTH_FROM_LABEL, B_INFO_ALERT));
    BTextView* view = alert->TextView();
    view->SetStylable(true);
    view->Select(0, kAboutTitleLength);
    view->SetFontAndColor(be_bold_font, B_FONT_ALL, nullptr);
    BFont font;
    view->GetFontAndColor(2, &font, nullptr);
    font.SetSize(kAboutTitleSize);
    view->SetFontAndColor(&font, B_FONT_ALL, nullptr);
    if (messageSink == nullptr) {
        alert.release()->Go();   // closes and destroys the alert
        return;
    }
    // A host that takes our messages shows the text itself.
    std::string text(view->Text());
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        messageSink(messageContext, text.substr(start, end - start).c_str());
        start = end + 1;
    }
}


bool
MyPlugin::GetMimeType(BMimeType* type, int index)
{
    if (type == nullptr || index < 0 || index >= kMimeTypeCount)
        return false;
    const MimeTypeEntry& entry = kMimeTypes[index];
    try {
        type->SetTo(entry.type);
        BMessage message;
        message.AddString("extensions", entry.extension);
        type->SetFileExtensions(&message);
        type->SetShortDescription(entry.shortDescription);
        type->SetLongDescription(entry.longDescription);
    } catch (...) {
        ReleaseFailure();
        return false;
    }
    return true;
}


void
MyPlugin::WriteFixedInfo(PlayerInfoStruct* record)
{
    record->hostWord108 = 0;
    record->flags = kInfoFlags;
    record->sampleRate = PLUGIN_SAMPLE_RATE;
    record->hostFlag124 = true;
    record->hostFlag127 = false;
    record->hostWord112 = 0;
}


bool
MyPlugin::GetSongInfo(const char*, PlayerInfoStruct* record)
{
    if (record == nullptr)
        return false;
    WriteFixedInfo(record);
    return true;
}


// GetCount is asked again before each try, as a player may change its mind.
bool
MyPlugin::FindModuleType(RVAddOnPlayer* candidate, PFile* file, uint32* type)
{
    for (uint32 i = 0; i < candidate->GetCount(); i++) {
        if (candidate->ModuleCheck(i, file) == 0) {
            *type = i;
            return true;
        }
    }
    return false;
}


RVAddOnPlayer*
MyPlugin::NewPlayer(RVGlobal* playerGlobal)
{
    return new ModTracker(playerGlobal);
}


bool
MyPlugin::IsOur(const char* path)
{
    if (path == nullptr)
        return false;
    bool found = false;
    try {
        std::unique_ptr<PFile>         file(new PCacheFile(kProbeCacheSize));
        std::unique_ptr<RVGlobal>      probeGlobal(new RVGlobal);
        std::unique_ptr<RVAddOnPlayer> probe(NewPlayer(probeGlobal.get()));
        if (probe == nullptr)
            return false;
        file->Open(path, PFile::pModeRead);
        uint32 type;
        found = FindModuleType(probe.get(), file.get(), &type);
    } catch (...) {
        ReleaseFailure();
        return false;
    }
    return found;
}


// The host keeps info even when the start fails; nothing else of the attempt survives.
bool
MyPlugin::InitPlaying(const char* path, PlayerInfoStruct* record)
{
    // The host must end one playback before starting the next; if it does not, the
    // old one is ended here rather than leaked.
    if (player != nullptr)
        ReleasePlayback(PLAYBACK_RUNNING);
    info = record;
    if (path == nullptr || record == nullptr)
        return false;
    try {
        ReadSettingsFile();
        StartPlayback(path);
    } catch (...) {
        ReleaseFailure();
        return false;
    }
    return true;
}


void
MyPlugin::StartPlayback(const char* path)
{
    std::unique_ptr<PFile> file(new PCacheFile(kModuleCacheSize));
    WriteFixedInfo(info);
    PlaybackStage stage = PLAYBACK_NONE;
    try {
        global = new RVGlobal;
        player = NewPlayer(global);
        audioBuffer = new char[PLUGIN_BLOCK_BYTES];
        if (player == nullptr)
            ThrowUserException();
        int32 rules;
        {
            std::lock_guard<std::mutex> hold(settingsLock);
            rules = settings.rules;
        }
        if (ModTracker* tracker = dynamic_cast<ModTracker*>(player)) {
            tracker->SetRules(rules >= 0 ? uint32(rules) : MODTYPE_COUNT);
            if (messageSink != nullptr)
                tracker->SetLoadErrorSink(&MyPlugin::LoaderMessage, this);
        }

        file->Open(path, PFile::pModeRead);
        uint32 type;
        if (!FindModuleType(player, file.get(), &type))
            ThrowUserException();
        if (type == MODTYPE_MULTITRACKER && rules >= 0) {
            Warn(std::string(path) + ": a MultiTracker module keeps its own replay rules; rules = "
                + RulesNames()[rules] + " is ignored");
        }
        file->SeekToBegin();
        if (player->LoadModule(type, file.get()) != 0)
            ThrowUserException();
        player->ExtraLoad(PString(path));   // a missing companion file is normal
        global->currentPlayer = player;
        global->currentModType = type;

        if (!player->InitPlayer())
            ThrowUserException();
        // From here on a failure undoes InitMixer too: a failed one may leave channels
        // behind that only EndMixer frees.
        stage = PLAYBACK_MIXER_READY;
        if (!mixer.InitMixer(player))
            ThrowUserException();
        player->InitSound(0);
        stage = PLAYBACK_RUNNING;
        mixerSettingsChanged = true;   // the mixer takes them before its first block
        mixer.StartMixer();
        mixer.ResumePlaying();
    } catch (...) {
        ReleasePlayback(stage);
        throw;
    }
    file->Close();   // the whole module is in memory now
}


// Undoes a playback that got as far as stage, newest step first.
void
MyPlugin::ReleasePlayback(PlaybackStage stage)
{
    if (stage >= PLAYBACK_RUNNING) {
        mixer.PausePlaying();
        mixer.StopMixer();
    }
    if (stage >= PLAYBACK_MIXER_READY)
        mixer.EndMixer();
    if (stage >= PLAYBACK_RUNNING)
        player->EndSound();
    if (stage >= PLAYBACK_MIXER_READY)
        player->EndPlayer();
    delete[] audioBuffer;
    delete player;
    delete global;
    audioBuffer = nullptr;
    player = nullptr;
    global = nullptr;
}


void
MyPlugin::CleanupPlaying()
{
    if (player != nullptr) {
        try {
            ReleasePlayback(PLAYBACK_RUNNING);
        } catch (...) {
            ReleaseFailure();
        }
    }
    info = nullptr;
}


int
MyPlugin::GetAudio(char** buffer, int)
{
    if (player == nullptr)
        return 0;
    try {
        if (mixerSettingsChanged.exchange(false)) {
            std::lock_guard<std::mutex> hold(settingsLock);
            mixer.SetSettings(settings.mixer);
        }
        global->moduleEnded = false;
        mixer.Mixer((int16*)audioBuffer, PLUGIN_BLOCK_BYTES);
        if (buffer != nullptr)
            *buffer = audioBuffer;
        // The block in which the song ended is not counted; the position stays.
        if (global->moduleEnded)
            return 0;
        if (info != nullptr) {
            int32 length = player->GetSongLength();
            info->position =
                length != 0 ? player->GetSongPosition() * PLUGIN_POSITION_SCALE / length : 0;
        }
    } catch (...) {
        ReleaseFailure();
        return 0;
    }
    return PLUGIN_BLOCK_BYTES;
}


int32
MyPlugin::SeekPosition(int32 value, int32 songLength)
{
    if (songLength <= 0)
        return -1;
    // 64 bits: value is any int32 the host sends.
    int64 position = (int64)value * songLength / PLUGIN_POSITION_SCALE;
    if (position < 0)
        return 0;
    if (position >= songLength)
        return songLength - 1;
    return (int32)position;
}


void
MyPlugin::JumpTo(int32 value)
{
    if (player == nullptr)
        return;
    try {
        int32 position = SeekPosition(value, player->GetSongLength());
        if (position >= 0)
            player->SetSongPosition((int16)position);
    } catch (...) {
        ReleaseFailure();
    }
}


const RuleNames&
MyPlugin::RulesNames()
{
    // The player's own names, as `info` prints them.
    static const RuleNames names = [] {
        RuleNames  list;
        RVGlobal   probeGlobal;
        ModTracker probe(&probeGlobal);
        for (uint32 type = 0; type < MODTYPE_MULTITRACKER; type++)
            list.emplace_back(static_cast<const char*>(probe.GetName(type)));
        return list;
    }();
    return names;
}


bool
MyPlugin::SetSetting(const char* key, const char* value, char* why, size_t whySize)
{
    std::string reason;
    try {
        SettingKey found = key != nullptr ? FindSettingKey(key) : SETTING_COUNT;
        if (found == SETTING_COUNT) {
            reason = std::string(key != nullptr ? key : "").substr(0, kQuotedValueLength)
                + ": no such setting";
        } else {
            std::string                 text(value != nullptr ? value : "");
            const RuleNames&            rules = RulesNames();
            std::lock_guard<std::mutex> hold(settingsLock);
            SoundSettings               trial = hostSettings;
            if (ParseSetting(found, text, rules, trial, reason)) {
                hostSettings = trial;
                hostMask |= 1u << found;
                MergeSettings();
                return true;
            }
            reason = std::string(SettingName(found)) + " = " + text.substr(0, kQuotedValueLength)
                + ": " + reason;
        }
    } catch (...) {
        ReleaseFailure();
        reason = "out of memory";
    }
    CopyOut(reason, why, whySize);
    return false;
}


bool
MyPlugin::GetSetting(const char* key, char* value, size_t size) const
{
    SettingKey found = key != nullptr ? FindSettingKey(key) : SETTING_COUNT;
    if (found == SETTING_COUNT || value == nullptr)
        return false;
    try {
        const RuleNames&            rules = RulesNames();
        std::lock_guard<std::mutex> hold(settingsLock);
        std::string                 text = SettingText(found, settings, rules);
        if (text.size() >= size)
            return false;
        CopyOut(text, value, size);
    } catch (...) {
        ReleaseFailure();
        return false;
    }
    return true;
}


void
MyPlugin::ResetSettings()
{
    std::lock_guard<std::mutex> hold(settingsLock);
    hostSettings = SoundSettings();
    hostMask = 0;
    MergeSettings();
}


void
MyPlugin::SetMessageSink(PluginMessageSink sink, void* context)
{
    messageSink = sink;
    messageContext = context;
}


void
MyPlugin::MergeSettings()
{
    SoundSettings merged;
    CopySettings(fileMask, fileSettings, merged);
    CopySettings(hostMask, hostSettings, merged);
    settings = merged;
    mixerSettingsChanged = true;
}


std::string
MyPlugin::SettingsFilePath(bool* named)
{
    *named = false;
    if (const char* chosen = getenv("ZARNOWELLE_SETTINGS")) {
        *named = true;
        return chosen;
    }
    // A relative XDG_CONFIG_HOME is to be ignored.
    const char* config = getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/zarnowelle/settings.conf";
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/zarnowelle/settings.conf";
    return "";
}


// Each song start reads the file afresh, so an edit applies from the next song; the
// same text is warned about once.
void
MyPlugin::ReadSettingsFile()
{
    bool                         named = false;
    std::string                  path = SettingsFilePath(&named);
    SoundSettings                read;
    SettingMask                  mask = 0;
    std::vector<SettingsProblem> problems;
    std::string                  text;
    std::string                  why;
    std::string                  warned;
    if (!path.empty() && ReadSettingsText(path, text, why)) {
        mask = ParseSettingsText(text, RulesNames(), read, problems);
        warned = path + '\n' + text;
    } else if (!path.empty() && named) {
        warned = path + '\n' + why;
    }
    {
        std::lock_guard<std::mutex> hold(settingsLock);
        fileSettings = read;
        fileMask = mask;
        MergeSettings();
    }
    if (warned == warnedFile)
        return;
    warnedFile = warned;
    if (!why.empty() && named)
        Warn(path + ": cannot read the settings file: " + why);
    for (const SettingsProblem& problem : problems) {
        std::string value = problem.value.empty() ? "" : " = " + problem.value;
        Warn("settings file " + path + ", line " + std::to_string(problem.line) + ": " + problem.key
            + value + ": " + problem.why + "; ignored");
    }
}


void
MyPlugin::Message(const std::string& line)
{
    if (messageSink != nullptr)
        messageSink(messageContext, line.c_str());
}


void
MyPlugin::Warn(const std::string& line)
{
    if (messageSink != nullptr)
        Message(line);
    else
        fprintf(stderr, "zarnowelle: %s\n", line.c_str());
}


void
MyPlugin::LoaderMessage(void* context, const char* message)
{
    static_cast<MyPlugin*>(context)->Message(PLUGIN_LOADER_ERROR_PREFIX + std::string(message));
}
