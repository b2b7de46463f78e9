// The settings channel: reached through the real add-on, per object, from the settings
// file, with its warnings, and the loader's line through the message sink. With no
// setting the plug-in renders every corpus module bit for bit as before the channel.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "plugin/MyPlugin.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const char* const kPluginPath = ZW_BUILD_DIR "/plugins/zarnowelle.so";

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : name(name)
    {
        if (const char* old = getenv(name))
            saved = old;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char*                name;
    std::optional<std::string> saved;
};

struct Render
{
    long     blocks = -1;   // -1: the plug-in did not start the file
    uint64_t hash = 0;      // FNV-1a of the counted blocks' bytes
};

void
Add(Render& render, const char* block)
{
    for (int i = 0; i < PLUGIN_BLOCK_BYTES; i++)
        render.hash = (render.hash ^ uint8(block[i])) * 1099511628211ull;
    render.blocks++;
}

Render
Play(InputPlugin& plugin, const std::string& path)
{
    PlayerInfoStruct info = {};
    Render           render;
    if (!plugin.InitPlaying(path.c_str(), &info))
        return render;
    render = { 0, 14695981039346656037ull };
    char* block = nullptr;
    while (render.blocks < 60000 && plugin.GetAudio(&block, PLUGIN_BLOCK_BYTES) != 0)
        Add(render, block);
    plugin.CleanupPlaying();
    return render;
}

bool
operator==(const Render& a, const Render& b)
{
    return a.blocks == b.blocks && a.hash == b.hash;
}

// Renders of main before the settings channel existed (nearest-neighbour kernels, the
// detected type's rules), by the same measure as Play. PatternDelaysRetrig and
// PatternJump are since detected as ProTracker; forced to NoiseTracker's rules they
// still give their old renders (335 blocks 0xba51b47f44ea8011, 35 0x66b50fc85eb55601).
struct CorpusRender
{
    const char* name;
    long        blocks;
    uint64_t    hash;
};

// clang-format off
const CorpusRender kCorpusRenders[] = {
    { "PatternDelaysRetrig.mod", 438, 0x156676f835d58d19ull },
    { "PatternJump.mod", 35, 0xd63396804c816fc9ull },
    { "PortaTarget.mod", 335, 0x893d6af6a35f8dc0ull },
    { "TDZ3.MOD", 335, 0x7e44758d66cefb7aull },
    { "TEMPO2.MTM", 58, 0x289bce701ade0f71ull },
    { "TempoChange.mod", 123, 0x9390c02df7893c92ull },
    { "VibratoReset.mod", 630, 0x9308f643ffc92f69ull },
    { "ZONE-2A.mod", 4304, 0x3849dafd4950f509ull },
    { "bonus.ft", 1823, 0x3836cafbefba7396ull },
    { "fall1.mtm", 3401, 0xd4834c346f949197ull },
    { "flt_am_envelope.mod", 187, 0xcb647bc780a058c8ull },
    { "reborning.mod", 4634, 0xe44df6f3a89b9bdcull },
    { "sll7.mod", 8603, 0xf046ab8b0e4c5ddaull },
    { "zob-the-zob.mod", 5999, 0x7c89b3436c6f1ff9ull },
};
// clang-format on

// A ProTracker song by any detection (a tempo command in its first pattern): NoiseTracker
// rules take its tempo commands for speeds, and so change its length.
std::vector<uint8>
TempoSong()
{
    zw::ModWriter     mod("M.K.");
    std::vector<int8> saw(512);
    for (size_t i = 0; i < saw.size(); i++)
        saw[i] = int8(i % 64 * 3 - 96);
    mod.SetSample(1, saw, 64, 0, 256);
    mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0xF, 0x40 };
    mod.Cell(1, 0, 1) = { zw::NotePeriod("G-2"), 1, 0xF, 0x60 };
    mod.SetPositions({ 0, 1 });
    return mod.Build();
}

class Settings : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    std::string Write(const std::string& leaf, const std::string& text)
    {
        return dir.Write(leaf, text);
    }

    static bool Set(PluginSettings& plugin, const char* key, const char* value)
    {
        char why[200] = "";
        bool taken = plugin.SetSetting(key, value, why, sizeof(why));
        EXPECT_TRUE(taken) << key << " = " << value << ": " << why;
        return taken;
    }

    static std::string Get(const PluginSettings& plugin, const char* key)
    {
        char value[64] = "";
        EXPECT_TRUE(plugin.GetSetting(key, value, sizeof(value))) << key;
        return value;
    }

    static void Collect(void* context, const char* line)
    {
        static_cast<std::vector<std::string>*>(context)->push_back(line);
    }

    TempDir   dir;
    ScopedEnv noFile { "ZARNOWELLE_SETTINGS", "" };
};

TEST_F(Settings, Corpus_NoSettingAndNearest_RenderAsBefore)
{
    const std::filesystem::path corpus(ZW_CORPUS_DIR);
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    MyPlugin plain;
    MyPlugin nearest;
    Set(nearest, "interpolation", "nearest");
    for (const CorpusRender& expected : kCorpusRenders) {
        SCOPED_TRACE(expected.name);
        std::string path = (corpus / expected.name).string();
        Render      want = { expected.blocks, expected.hash };
        EXPECT_TRUE(Play(plain, path) == want);
        EXPECT_TRUE(Play(nearest, path) == want);
    }
}

TEST_F(Settings, TwoObjects_InTwoModes_EachRendersAsWhenAlone)
{
    std::string song = dir.Write("tempo.mod", TempoSong());
    MyPlugin    plain;
    Render      detected = Play(plain, song);

    auto modeA = [](MyPlugin& p) { Set(p, "rules", "NoiseTracker"); };
    auto modeB = [](MyPlugin& p) {
        Set(p, "interpolation", "linear");
        Set(p, "gain", "-6");
        Set(p, "stereo", "40");
    };
    MyPlugin loneA, loneB;
    modeA(loneA);
    modeB(loneB);
    Render aloneA = Play(loneA, song);
    Render aloneB = Play(loneB, song);
    EXPECT_GT(aloneA.blocks, detected.blocks);   // NoiseTracker rules read F40 as a speed

    MyPlugin a, b;
    modeA(a);
    modeB(b);
    PlayerInfoStruct infoA = {}, infoB = {};
    ASSERT_TRUE(a.InitPlaying(song.c_str(), &infoA));
    ASSERT_TRUE(b.InitPlaying(song.c_str(), &infoB));
    Render    together[2] = { { 0, 14695981039346656037ull }, { 0, 14695981039346656037ull } };
    bool      playing[2] = { true, true };
    MyPlugin* objects[2] = { &a, &b };
    while (playing[0] || playing[1]) {
        for (int i = 0; i < 2; i++) {
            char* block = nullptr;
            if (!playing[i])
                continue;
            playing[i] = objects[i]->GetAudio(&block, PLUGIN_BLOCK_BYTES) != 0;
            if (playing[i])
                Add(together[i], block);
        }
    }
    EXPECT_TRUE(together[0] == aloneA);
    EXPECT_TRUE(together[1] == aloneB);
    EXPECT_EQ(Get(a, "interpolation"), "nearest");
    EXPECT_EQ(Get(b, "rules"), "auto");
    EXPECT_EQ(Get(b, "gain"), "-6");
}

TEST_F(Settings, SettingsFile_ReachesAHostThatSetsNothing_HostSettingWins)
{
    std::string song = dir.Write("tempo.mod", TempoSong());
    MyPlugin    forced;
    Set(forced, "rules", "noisetracker");   // names are taken in any case
    Render noiseTracker = Play(forced, song);

    ScopedEnv file("ZARNOWELLE_SETTINGS",
        Write("settings.conf", "# mine\n\n  rules =  NoiseTracker   # for old songs\r\n").c_str());
    MyPlugin  bare;
    EXPECT_TRUE(Play(bare, song) == noiseTracker);
    EXPECT_EQ(Get(bare, "rules"), "NoiseTracker");

    Set(bare, "rules", "auto");
    EXPECT_FALSE(Play(bare, song) == noiseTracker);
    bare.ResetSettings();
    EXPECT_TRUE(Play(bare, song) == noiseTracker);

    // Without the variable: the XDG folder, read only when it is absolute.
    ScopedEnv unset("ZARNOWELLE_SETTINGS", nullptr);
    std::filesystem::create_directories(dir.File("config/zarnowelle"));
    Write("config/zarnowelle/settings.conf", "gain = -4.5\n");
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.File("config").c_str());
    Play(bare, song);
    EXPECT_EQ(Get(bare, "gain"), "-4.5");
    ScopedEnv relative("XDG_CONFIG_HOME", "config");
    ScopedEnv home("HOME", dir.File("nowhere").c_str());
    Play(bare, song);
    EXPECT_EQ(Get(bare, "gain"), "0");
}

TEST_F(Settings, BadInput_WarnsOnceWithFileLineAndKey_KeepsTheDefault)
{
    std::string              song = dir.Write("tempo.mod", TempoSong());
    std::string              path = Write("bad.conf",
                     "gain = 45\nstereo = fifty\nsustain = on\ninterpolation = cubic\njust words\n"
                                  "amiga = a600\n");
    ScopedEnv                bad("ZARNOWELLE_SETTINGS", path.c_str());
    MyPlugin                 plugin;
    std::vector<std::string> lines;
    plugin.SetMessageSink(&Collect, &lines);
    Play(plugin, song);
    const char* expected[][2] = { { "line 1: gain = 45: ", "-60 to 30" },
        { "line 2: stereo = fifty: ", "0 to 100" }, { "line 3: sustain: ", "no such setting" },
        { "line 5: just words: ", "key = value" }, { "line 6: amiga = a600: ", "a500" } };
    ASSERT_EQ(lines.size(), std::size(expected));
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(lines[i].rfind("settings file " + path + ", " + expected[i][0], 0), 0u)
            << lines[i];
        EXPECT_NE(lines[i].find(expected[i][1]), std::string::npos) << lines[i];
    }
    EXPECT_EQ(Get(plugin, "gain"), "0");
    EXPECT_EQ(Get(plugin, "stereo"), "100");
    EXPECT_EQ(Get(plugin, "amiga"), "off");
    EXPECT_EQ(Get(plugin, "interpolation"), "cubic");
    Play(plugin, song);   // the same file again: no new warnings
    EXPECT_EQ(lines.size(), std::size(expected));

    // A host's bad value: refused with a reason, the old value kept.
    char why[100] = "";
    EXPECT_FALSE(plugin.SetSetting("gain", "30.5", why, sizeof(why)));
    EXPECT_STREQ(why, "gain = 30.5: wants a number of dB from -60 to 30");
    EXPECT_FALSE(plugin.SetSetting("stereo", "-1", why, 8));
    EXPECT_STREQ(why, "stereo ");
    EXPECT_FALSE(plugin.SetSetting("volume", "1", nullptr, 0));
    EXPECT_FALSE(plugin.SetSetting(nullptr, nullptr, why, sizeof(why)));
    EXPECT_EQ(Get(plugin, "gain"), "0");
    char small[3];
    EXPECT_FALSE(plugin.GetSetting("interpolation", small, sizeof(small)));

    // Without a sink: standard error. A named file that cannot be read warns; a missing
    // file in the usual place does not.
    MyPlugin  quiet;
    ScopedEnv missing("ZARNOWELLE_SETTINGS", dir.File("missing.conf").c_str());
    testing::internal::CaptureStderr();
    Play(quiet, song);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("zarnowelle: " + dir.File("missing.conf") + ": cannot read", 0), 0u) << err;
    ScopedEnv unset("ZARNOWELLE_SETTINGS", nullptr);
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.Path().c_str());
    testing::internal::CaptureStderr();
    Play(quiet, song);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(Settings, LoaderLine_ToTheSinkWhenSet_ElseOnStandardOutputAsBefore)
{
    std::string      cut = dir.Write("cut.mod", zw::Truncated(TempoSong(), 1084 + 512));
    MyPlugin         plugin;
    PlayerInfoStruct info = {};

    testing::internal::CaptureStdout();
    EXPECT_FALSE(plugin.InitPlaying(cut.c_str(), &info));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
        "Ravlo Mod plugin ERROR: Error 3:\nCouldn't read the module patterns\n");

    std::vector<std::string> lines;
    plugin.SetMessageSink(&Collect, &lines);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(plugin.InitPlaying(cut.c_str(), &info));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(lines,
        std::vector<std::string> {
            "Ravlo Mod plugin ERROR: Error 3: Couldn't read the module patterns" });

    // An MTM keeps its own rules, and says so.
    zw::MtmWriter mtm(4);
    mtm.SetSample(1, std::vector<uint8>(64, 200));
    mtm.Row(1, 0) = { zw::MtmNote("C-3"), 1, 0, 0 };
    mtm.Sequence(0, 0) = 1;
    mtm.SetPositions({ 0 });
    std::string song = dir.Write("song.mtm", mtm.Build());
    Set(plugin, "rules", "ProTracker");
    lines.clear();
    MyPlugin plain;
    EXPECT_TRUE(Play(plugin, song) == Play(plain, song));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(song + ": a MultiTracker module", 0), 0u) << lines[0];
}

TEST_F(Settings, RealAddOn_ReachedByDynamicCast_PlaysItsSettings)
{
    void* addOn = dlopen(kPluginPath, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(addOn, nullptr) << dlerror();
    auto newPlugin = reinterpret_cast<InputPlugin* (*)(int32*)>(dlsym(addOn, "NewPlugin"));
    ASSERT_NE(newPlugin, nullptr);
    int32                        version = 0;
    std::unique_ptr<InputPlugin> plugin(newPlugin(&version));
    PluginSettings*              settings = dynamic_cast<PluginSettings*>(plugin.get());
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(Set(*settings, "rules", "NoiseTracker"));
    EXPECT_EQ(Get(*settings, "rules"), "NoiseTracker");

    std::string song = dir.Write("tempo.mod", TempoSong());
    MyPlugin    local;
    Set(local, "rules", "NoiseTracker");
    EXPECT_TRUE(Play(*plugin, song) == Play(local, song));
    plugin.reset();
    // The add-on stays loaded: other tests keep it, as a host keeps its add-ons.
}

}   // namespace
