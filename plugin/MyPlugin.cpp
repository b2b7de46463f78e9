#include "plugin/MyPlugin.h"

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


MyPlugin::MyPlugin() : info(nullptr), global(nullptr), player(nullptr), audioBuffer(nullptr)
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
    alert.release()->Go();   // closes and destroys the alert
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

        file->Open(path, PFile::pModeRead);
        uint32 type;
        if (!FindModuleType(player, file.get(), &type))
            ThrowUserException();
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
