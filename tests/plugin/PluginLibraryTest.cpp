// The built add-on as the host sees it: loaded with dlopen, reached through NewPlugin
// alone and driven by virtual slot, playing modules written by the module writer.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "beos/MimeType.h"
#include "plugin/InputPlugin.h"
#include "tests/common/ModtrackerHostCorpus.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const char* const kPluginPath = ZW_BUILD_DIR "/plugins/zarnowelle.so";

typedef InputPlugin* (*NewPluginFunction)(int32*);

class PluginLibrary : public ::testing::Test
{
protected:
    // Loaded once and kept for the life of the program, as the host keeps its add-ons:
    // the platform layer's semaphore table lives as long as the add-on's code.
    static void SetUpTestSuite()
    {
        if (sHandle == nullptr)
            sHandle = dlopen(kPluginPath, RTLD_NOW | RTLD_LOCAL);
        if (sHandle != nullptr)
            sNewPlugin = (NewPluginFunction)dlsym(sHandle, "NewPlugin");
    }

    void SetUp() override
    {
        ASSERT_NE(sHandle, nullptr) << dlerror();
        ASSERT_NE(sNewPlugin, nullptr);
        plugin.reset(NewHostPlugin());
        ASSERT_NE(plugin, nullptr);
        memset(&record, 0, sizeof(record));
    }

    static InputPlugin* NewHostPlugin()
    {
        int32        version = 0;
        InputPlugin* made = sNewPlugin(&version);
        EXPECT_EQ(version, 2);
        return made;
    }

    // A 4-channel M.K. module: a square wave played on every row of channel 0, and
    // `positions` entries of pattern 0 unless a list is given.
    static zw::ModWriter SquareSong(int positions)
    {
        zw::ModWriter     mod("M.K.");
        std::vector<int8> square(256);
        for (size_t i = 0; i < square.size(); i++)
            square[i] = (i / 16) % 2 ? 80 : -80;
        mod.SetSample(1, square, 64, 0, 128);
        for (int row = 0; row < 64; row += 4)
            mod.Cell(0, row, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
        mod.SetPositions({ 0 });
        mod.songLength = (uint8)positions;
        return mod;
    }

    std::string Write(const std::string& leaf, const std::vector<uint8>& bytes)
    {
        return dir.Write(leaf, bytes);
    }

    static void*             sHandle;
    static NewPluginFunction sNewPlugin;

    TempDir                      dir;
    std::unique_ptr<InputPlugin> plugin;
    PlayerInfoStruct             record;
};

void*             PluginLibrary::sHandle = nullptr;
NewPluginFunction PluginLibrary::sNewPlugin = nullptr;

bool
HasSound(const char* block)
{
    const int16* samples = (const int16*)block;
    for (int i = 0; i < 2048; i++) {
        if (samples[i] != 0)
            return true;
    }
    return false;
}

TEST(PluginExports, NewPluginIsTheOnlyDefinedDynamicSymbol)
{
    ASSERT_TRUE(std::filesystem::exists(kPluginPath)) << kPluginPath;
    std::string command = std::string("nm -D --defined-only ") + kPluginPath + " 2>&1";
    FILE*       pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> symbols;
    char                     line[1024];
    while (fgets(line, sizeof(line), pipe) != nullptr) {
        char address[64], kind[8], name[900];
        if (sscanf(line, "%63s %7s %899s", address, kind, name) == 3)
            symbols.push_back(name);
        else
            ADD_FAILURE() << "unexpected nm output: " << line;
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(symbols, std::vector<std::string> { "NewPlugin" });
}

TEST_F(PluginLibrary, IsOurAndInitPlaying_TellModulesFromTheRest)
{
    EXPECT_TRUE(plugin->IsOur(Write("song.mod", SquareSong(3).Build()).c_str()));
    zw::MtmWriter mtm(4);
    mtm.SetSample(1, std::vector<uint8>(64, 200));
    mtm.Row(1, 0) = { zw::MtmNote("C-3"), 1, 0, 0 };
    mtm.Sequence(0, 0) = 1;
    mtm.SetPositions({ 0 });
    EXPECT_TRUE(plugin->IsOur(Write("song.mtm", mtm.Build()).c_str()));

    char* buffer = nullptr;
    for (const std::string& path : { Write("text.mod", std::vector<uint8>(4000, 'x')),
             Write("empty.mod", {}), dir.File("missing.mod"), dir.Path() }) {
        EXPECT_FALSE(plugin->IsOur(path.c_str())) << path;
        EXPECT_FALSE(plugin->InitPlaying(path.c_str(), &record)) << path;
        EXPECT_EQ(plugin->GetAudio(&buffer, 4096), 0) << path;
    }
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, TruncatedModule_ReportsTheLoaderErrorAndFails)
{
    std::vector<uint8> whole = SquareSong(2).Build();
    std::string        path = Write("cut.mod", zw::Truncated(whole, 1084 + 512));
    EXPECT_TRUE(plugin->IsOur(path.c_str()));   // the header alone passes detection

    testing::internal::CaptureStdout();
    bool started = plugin->InitPlaying(path.c_str(), &record);
    fflush(stdout);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(started);
    EXPECT_EQ(out.rfind("Ravlo Mod plugin ERROR: ", 0), 0u) << out;
    EXPECT_EQ(out.back(), '\n');
    char* buffer = nullptr;
    EXPECT_EQ(plugin->GetAudio(&buffer, 4096), 0);
    plugin->CleanupPlaying();
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, Positions_ThousandthsAndSeeks)
{
    ASSERT_TRUE(plugin->InitPlaying(Write("ten.mod", SquareSong(10).Build()).c_str(), &record));
    EXPECT_EQ(record.flags, 29);
    EXPECT_EQ(record.sampleRate, 44100);
    char* buffer = nullptr;
    struct Seek
    {
        int32 value;
        int32 expected;
    };
    const Seek seeks[] = { { 300, 300 }, { 999, 900 }, { 0, 0 }, { -5, 0 }, { 5000, 900 },
        { 1000, 900 }, { INT32_MIN, 0 }, { INT32_MAX, 900 }, { 450, 400 } };
    for (const Seek& seek : seeks) {
        plugin->JumpTo(seek.value);
        ASSERT_EQ(plugin->GetAudio(&buffer, 4096), 4096) << seek.value;
        EXPECT_EQ(record.position, seek.expected) << seek.value;
    }
    EXPECT_TRUE(HasSound(buffer));
    plugin->CleanupPlaying();
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, EndOfSong_ZeroBlockKeepsThePosition)
{
    // Position 0 sets speed 1 and breaks at once; position 1 then runs 64 ticks, the
    // list wraps back to position 0 in block 59 (tick 70), and the song ends with the
    // next row tick, in block 60.
    zw::ModWriter mod = SquareSong(2);
    mod.SetPositions({ 0, 1 });
    mod.Cell(0, 0, 1) = { 0, 0, 0xF, 0x01 };
    mod.Cell(0, 0, 2) = { 0, 0, 0xD, 0x00 };
    mod.Cell(1, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    ASSERT_TRUE(plugin->InitPlaying(Write("end.mod", mod.Build()).c_str(), &record));
    int32 before = -1;   // the position field before the zero block
    int   blocks = 0;
    char* buffer = nullptr;
    for (; blocks < 1000; blocks++) {
        before = record.position;
        if (plugin->GetAudio(&buffer, 4096) == 0)
            break;
    }
    ASSERT_LT(blocks, 1000) << "the song never ended";
    // At least 65 ticks of 882 frames: past block 55 of 1024 frames.
    EXPECT_EQ(blocks, 60);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(record.position, 0);
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, HostRequests_DoNotChangeTheBlocks)
{
    std::unique_ptr<InputPlugin> other(NewHostPlugin());
    std::string                  path = Write("song.mod", SquareSong(3).Build());
    PlayerInfoStruct             otherRecord;
    ASSERT_TRUE(plugin->InitPlaying(path.c_str(), &record));
    ASSERT_TRUE(other->InitPlaying(path.c_str(), &otherRecord));
    bool sounded = false;
    for (int block = 0; block < 40; block++) {
        other->Pause(block % 2 == 0);
        other->NewVolume(block * 7);
        other->NewSpeed(block % 3 == 0 ? 50 : 400);
        char* plain = nullptr;
        char* requested = nullptr;
        ASSERT_EQ(plugin->GetAudio(&plain, 4096), 4096);
        ASSERT_EQ(other->GetAudio(&requested, 4096), 4096);
        ASSERT_EQ(memcmp(plain, requested, 4096), 0) << "block " << block;
        sounded = sounded || HasSound(plain);
    }
    EXPECT_TRUE(sounded);
    other->CleanupPlaying();
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, SongLengthByteZero_NeverCrashes)
{
    zw::ModWriter mod = SquareSong(1);
    mod.songLength = 0;
    std::string path = Write("zero.mod", mod.Build());
    if (plugin->InitPlaying(path.c_str(), &record)) {
        char* buffer = nullptr;
        for (int i = 0; i < 8; i++) {
            plugin->JumpTo(i * 300 - 300);
            int delivered = plugin->GetAudio(&buffer, 4096);
            EXPECT_TRUE(delivered == 0 || delivered == 4096);
            EXPECT_GE(record.position, 0);
            EXPECT_LE(record.position, 1000);
        }
    }
    plugin->CleanupPlaying();
    plugin->CleanupPlaying();
}

TEST_F(PluginLibrary, GetMimeType_ThroughTheSlots)
{
    // The add-on keeps a MIME database of its own; the object it fills is ours.
    BMimeType type("audio/x-zw-before");
    EXPECT_FALSE(plugin->GetMimeType(&type, 2));
    EXPECT_FALSE(plugin->GetMimeType(&type, -1));
    EXPECT_STREQ(type.Type(), "audio/x-zw-before");
    ASSERT_TRUE(plugin->GetMimeType(&type, 1));
    EXPECT_STREQ(type.Type(), "audio/x-mtm");
    ASSERT_TRUE(plugin->GetMimeType(&type, 0));
    EXPECT_STREQ(type.Type(), "audio/x-mod");
    EXPECT_TRUE(plugin->About(true));
    EXPECT_FALSE(plugin->Prefs(true));
}

// Every corpus module but the one of another format is recognised. One that starts must
// deliver sound with valid positions; one the loader refuses must say so on the error
// line and leave nothing.
TEST_F(PluginLibrary, Corpus_ModulesAreRecognisedAndPlayOrReportWhy)
{
    const std::filesystem::path corpus(ZW_CORPUS_DIR);
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    int played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        std::string name = entry.path().filename();
        std::string extension = entry.path().extension();
        if (name == "README.md" || extension == ".nt")
            continue;
        std::string                path = entry.path();
        const corpus::KnownModule* known = corpus::Find(name);
        bool                       ours = known == nullptr || known->type >= 0;
        EXPECT_EQ(plugin->IsOur(path.c_str()), ours) << name;
        if (!ours)
            continue;

        testing::internal::CaptureStdout();
        bool started = plugin->InitPlaying(path.c_str(), &record);
        fflush(stdout);
        std::string out = testing::internal::GetCapturedStdout();
        if (!started) {
            EXPECT_EQ(out.rfind("Ravlo Mod plugin ERROR: ", 0), 0u) << name;
            plugin->CleanupPlaying();
            continue;
        }
        char* buffer = nullptr;
        bool  sounded = false;
        for (int block = 0; block < 200; block++) {
            int delivered = plugin->GetAudio(&buffer, 4096);
            EXPECT_TRUE(delivered == 0 || delivered == 4096) << name;
            sounded = sounded || HasSound(buffer);
            EXPECT_GE(record.position, 0) << name;
            EXPECT_LE(record.position, 1000) << name;
        }
        EXPECT_TRUE(sounded) << name;
        plugin->CleanupPlaying();
        played++;
    }
    EXPECT_GT(played, 0);
}

}   // namespace
