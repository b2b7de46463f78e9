// Hostile files through the built add-on, loaded with dlopen as a host loads it: its
// answers, blocks and positions are the same as those of the plug-in linked into this
// program, byte for byte.
#include "HostileTestSupport.h"

#include <cstring>
#include <dlfcn.h>
#include <memory>

#include "modtracker/Tables.h"

using namespace hostile;

namespace {

const char* const kAddOnPath = ZW_BUILD_DIR "/plugins/zarnowelle.so";

typedef InputPlugin* (*NewPluginFunction)(int32*);

// Kept for the life of the program, as a host keeps its add-ons.
NewPluginFunction
AddOnEntry()
{
    static void* handle = dlopen(kAddOnPath, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return nullptr;
    return reinterpret_cast<NewPluginFunction>(dlsym(handle, "NewPlugin"));
}

// Everything a host sees of one playback.
struct Transcript
{
    bool               recognised = false;
    bool               started = false;
    std::vector<int>   sizes;
    std::vector<int32> positions;
    std::vector<char>  audio;
};

Transcript
Record(InputPlugin& plugin, const std::string& path, int blocks)
{
    Transcript       t;
    PlayerInfoStruct info = {};
    testing::internal::CaptureStdout();
    t.recognised = plugin.IsOur(path.c_str());
    t.started = plugin.InitPlaying(path.c_str(), &info);
    testing::internal::GetCapturedStdout();
    if (!t.started)
        return t;
    const int32 seeks[] = { 700, 0, 1500, -3, 999 };
    for (int b = 0; b < blocks; b++) {
        char* buffer = nullptr;
        int   bytes = plugin.GetAudio(&buffer, kBlockBytes);
        t.sizes.push_back(bytes);
        t.positions.push_back(info.position);
        if (buffer != nullptr)
            t.audio.insert(t.audio.end(), buffer, buffer + kBlockBytes);
        if (b % 9 == 8)
            plugin.JumpTo(seeks[(b / 9) % 5]);
    }
    plugin.CleanupPlaying();
    return t;
}

std::vector<std::pair<std::string, std::vector<uint8>>>
HostileFiles()
{
    std::vector<std::pair<std::string, std::vector<uint8>>> files;
    zw::MtmWriter                                           mtm(6, 24);
    mtm.SetSample(1, URamp(500), 64, 100, 0xFFFFFF);
    mtm.SetSample(2, URamp(90, 13), 64, 80, 10);
    for (int row = 0; row < 24; row++)
        mtm.Row(1, row) = { uint8(row * 3 % 64), uint8(row % 4), uint8(row % 16), uint8(row * 37) };
    for (int c = 0; c < 6; c++)
        mtm.Sequence(0, c) = uint16(c % 3);
    mtm.SetPositions({ 0, 0 });
    std::vector<uint8> whole = mtm.Build();
    for (size_t cut = 60; cut <= whole.size(); cut += 37)
        files.push_back({ "cut" + std::to_string(cut) + ".mtm", zw::Truncated(whole, cut) });
    files.push_back({ "whole.mtm", whole });

    zw::ModWriter mod("8CHN");
    mod.SetSample(1, Ramp(1000), 64, 400, 0xFFFF);
    mod.SetSample(2, Ramp(64), 255, 0xFFFF, 0xFFFF);
    mod.SetPositions({ 0, 1, 0 });
    for (int p = 0; p < 2; p++) {
        for (int row = 0; row < 64; row++) {
            for (int c = 0; c < 8; c++)
                mod.Cell(p, row, c) = { uint16(row % 5 ? periods[0][(row * 7 + c) % 84] : 1 + row),
                    uint8((row + c) % 40), uint8((row * 3 + c) % 16), uint8(row * 41 + c) };
        }
    }
    files.push_back({ "wild.mod", mod.Build() });
    return files;
}

}   // namespace


TEST(RealAddOn, HostileFiles_SameAsThePluginLinkedIn)
{
    NewPluginFunction entry = AddOnEntry();
    ASSERT_NE(entry, nullptr) << dlerror();
    TempDir dir;
    int     started = 0;
    for (const auto& file : HostileFiles()) {
        SCOPED_TRACE(file.first);
        std::string                  path = dir.Write(file.first, file.second);
        int32                        version = 0;
        std::unique_ptr<InputPlugin> addOn(entry(&version));
        ASSERT_NE(addOn, nullptr);
        MyPlugin   linked;
        Transcript fromAddOn = Record(*addOn, path, 40);
        Transcript fromLinked = Record(linked, path, 40);
        EXPECT_EQ(fromAddOn.recognised, fromLinked.recognised);
        EXPECT_EQ(fromAddOn.started, fromLinked.started);
        EXPECT_EQ(fromAddOn.sizes, fromLinked.sizes);
        EXPECT_EQ(fromAddOn.positions, fromLinked.positions);
        EXPECT_TRUE(fromAddOn.audio == fromLinked.audio);
        for (int size : fromAddOn.sizes)
            EXPECT_TRUE(size == 0 || size == kBlockBytes);
        started += fromAddOn.started ? 1 : 0;
    }
    EXPECT_GE(started, 2);
}
