// A stand-in plug-in for the host tests: plays "FAKE ..." text files as a known signal.
// Built a second time with FAKE_SETTINGS, it also takes settings, and its signal stays
// the same whatever they are: a host that still applied gain or stereo itself would
// show.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "beos/Message.h"
#include "beos/MimeType.h"
#include "plugin/InputPlugin.h"
#include "plugin/PluginSettings.h"
#include "tests/host/fake/FakeSignal.h"

namespace {

// "blocks=N" -> N; "fail" -> -1; anything else that starts "FAKE " -> 0 (endless).
bool
ReadFake(const char* path, long& blocks)
{
    std::ifstream file(path);
    std::string   magic, request;
    if (!(file >> magic) || magic != "FAKE")
        return false;
    file >> request;
    blocks = request == "fail"             ? -1
        : request.rfind("blocks=", 0) == 0 ? atol(request.c_str() + 7)
                                           : 0;
    return true;
}

class FakePlugin : public InputPlugin
{
public:
    void Init() override {}
    void Cleanup() override {}
    bool About(bool query) override
    {
        if (!query)
            printf("Fake plug-in for tests\n");
        return true;
    }
    bool Prefs(bool) override { return false; }
    bool Edit(const char*, bool) override { return false; }

    bool GetMimeType(BMimeType* type, int index) override
    {
        if (index != 0)
            return false;
        type->SetTo("audio/x-zw-fake");
        BMessage extensions;
        extensions.AddString("extensions", "fake");
        type->SetFileExtensions(&extensions);
        type->SetShortDescription("Fake signal");
        type->SetLongDescription("A known signal for testing hosts");
        return true;
    }

    bool IsOur(const char* path) override
    {
        long blocks;
        return ReadFake(path, blocks);
    }
    bool GetSongInfo(const char*, PlayerInfoStruct*) override { return true; }
    void AbortPlaying() override {}
    void Pause(bool) override {}
    void NewSpeed(int32) override {}
    void NewVolume(int32) override {}

    bool InitPlaying(const char* path, PlayerInfoStruct* newInfo) override
    {
        info = newInfo;
        next = 0;
        return ReadFake(path, total) && total >= 0;
    }

    int GetAudio(char** buffer, int) override
    {
        if (total > 0 && next >= total)
            return 0;
        for (int f = 0; f < fake::kBlockFrames; f++) {
            int64_t frame = next * fake::kBlockFrames + f;
            block[2 * f] = fake::Sample(frame, 0);
            block[2 * f + 1] = fake::Sample(frame, 1);
        }
        next++;
        info->position = total > 0 ? (int32)(next * 1000 / total) : 0;
        *buffer = reinterpret_cast<char*>(block);
        return sizeof(block);
    }

    void JumpTo(int32 position) override { next = total > 0 ? position * total / 1000 : 0; }
    void CleanupPlaying() override { info = nullptr; }

private:
    PlayerInfoStruct* info = nullptr;
    long              total = 0;
    long              next = 0;
    int16_t           block[2 * fake::kBlockFrames];
};

#ifdef FAKE_SETTINGS
// Takes any value of a known key but "refuse", and answers with what it was given.
class FakeSettingsPlugin : public FakePlugin, public PluginSettings
{
public:
    bool SetSetting(const char* key, const char* value, char* why, size_t size) override
    {
        if (defaults.count(key) == 0 || strcmp(value, "refuse") == 0) {
            if (why != nullptr)
                snprintf(why, size, "refused");
            return false;
        }
        settings[key] = value;
        return true;
    }
    bool GetSetting(const char* key, char* value, size_t size) const override
    {
        auto known = defaults.find(key);
        if (known == defaults.end())
            return false;
        auto        set = settings.find(key);
        std::string text = set != settings.end() ? set->second : known->second;
        return snprintf(value, size, "%s", text.c_str()) < (int)size;
    }
    void ResetSettings() override { settings.clear(); }
    void SetMessageSink(PluginMessageSink, void*) override {}

private:
    const std::map<std::string, std::string> defaults = { { "interpolation", "nearest" },
        { "ramping", "off" }, { "gain", "0" }, { "stereo", "100" }, { "amiga", "off" },
        { "rules", "auto" } };
    std::map<std::string, std::string>       settings;
};
typedef FakeSettingsPlugin MadePlugin;
#else
typedef FakePlugin MadePlugin;
#endif

}   // namespace

extern "C" __attribute__((visibility("default"))) InputPlugin*
NewPlugin(int32* version)
{
    *version = 2;
    return new MadePlugin;
}
