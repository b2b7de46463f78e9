// MyPlugin: the plug-in object the host drives. It recognises module files, plays one at
// a time through a player add-on and the mixer, and hands the host 4096-byte blocks of
// signed 16-bit stereo at 44100 Hz. Hosts of our own also reach its settings channel.
#ifndef PLUGIN_MYPLUGIN_H
#define PLUGIN_MYPLUGIN_H

#include <atomic>
#include <mutex>
#include <string>

#include "mixer/RVMixer.h"
#include "plugin/InputPlugin.h"
#include "plugin/PluginSettings.h"
#include "plugin/SettingsParser.h"

class PFile;
class RVAddOnPlayer;
class RVGlobal;

class MyPlugin : public InputPlugin, public PluginSettings
{
public:
    MyPlugin();
    virtual ~MyPlugin();

    virtual void Init() override;
    virtual void Cleanup() override;
    virtual bool About(bool query) override;
    virtual bool Prefs(bool query) override;
    virtual bool Edit(const char* path, bool query) override;
    virtual bool GetMimeType(BMimeType* type, int index) override;
    virtual bool IsOur(const char* path) override;
    virtual bool GetSongInfo(const char* path, PlayerInfoStruct* info) override;
    virtual void AbortPlaying() override;
    virtual void Pause(bool paused) override;
    virtual void NewSpeed(int32 speed) override;
    virtual void NewVolume(int32 volume) override;
    virtual bool InitPlaying(const char* path, PlayerInfoStruct* info) override;
    virtual int  GetAudio(char** buffer, int size) override;
    virtual void JumpTo(int32 position) override;
    virtual void CleanupPlaying() override;

    // The settings channel (PluginSettings.h). Safe to call from another thread than the
    // one that plays.
    virtual bool SetSetting(const char* key, const char* value, char* why, size_t whySize) override;
    virtual bool GetSetting(const char* key, char* value, size_t size) const override;
    virtual void ResetSettings() override;
    virtual void SetMessageSink(PluginMessageSink sink, void* context) override;

    // The settings file a song start reads: $ZARNOWELLE_SETTINGS when set (empty: none),
    // else $XDG_CONFIG_HOME/zarnowelle/settings.conf, else the same under ~/.config.
    // `named` tells whether the variable named it.
    static std::string SettingsFilePath(bool* named);
    // The type names `rules` takes, MOD-family types only, in type order.
    static const RuleNames& RulesNames();

    // The song position a host seek value selects, inside 0..songLength - 1; -1 when the
    // song has no positions.
    static int32 SeekPosition(int32 value, int32 songLength);

protected:
    // Makes the player add-on, a ModTracker; a test may put another player in its place.
    // Declared after the host's slots, which it leaves where they are.
    virtual RVAddOnPlayer* NewPlayer(RVGlobal* global);

private:
    // How far a playback got, for undoing it.
    enum PlaybackStage {
        PLAYBACK_NONE,          // objects made, maybe a module loaded
        PLAYBACK_MIXER_READY,   // InitPlayer succeeded, InitMixer was called
        PLAYBACK_RUNNING,       // InitSound was called
    };

    static void WriteFixedInfo(PlayerInfoStruct* info);
    static bool FindModuleType(RVAddOnPlayer* player, PFile* file, uint32* type);
    void        StartPlayback(const char* path);
    void        ReleasePlayback(PlaybackStage stage);
    void        ShowAboutBox();
    void        ReadSettingsFile();
    void        MergeSettings();   // with settingsLock held
    void        Message(const std::string& line);
    void        Warn(const std::string& line);
    static void LoaderMessage(void* context, const char* message);

    PlayerInfoStruct* info;     // the host's, for the file now playing
    RVGlobal*         global;   // owned while a file plays
    RVMixer           mixer;
    RVAddOnPlayer*    player;        // owned while a file plays
    char*             audioBuffer;   // PLUGIN_BLOCK_BYTES, owned while a file plays

    // Settings: the host's win over the file's, which win over the defaults. The host may
    // set them while another thread plays; the mixer takes them between blocks.
    mutable std::mutex settingsLock;
    SoundSettings      hostSettings;
    SettingMask        hostMask = 0;
    SoundSettings      fileSettings;
    SettingMask        fileMask = 0;
    SoundSettings      settings;   // in force
    std::atomic<bool>  mixerSettingsChanged { false };
    std::string        warnedFile;   // the file text last warned about, to warn once
    PluginMessageSink  messageSink = nullptr;
    void*              messageContext = nullptr;
};

#endif
