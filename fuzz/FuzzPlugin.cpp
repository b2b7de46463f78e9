// Fuzz target: the real add-on, loaded once with dlopen and driven through NewPlugin the
// way a host does, on bytes written to a file. Bytes after "|NT|" are written beside it
// as its ".nt" companion.
#include <cstdint>
#include <dlfcn.h>
#include <unistd.h>

#include "FuzzInput.h"
#include "plugin/InputPlugin.h"

using namespace zwfuzz;

namespace {

const int kBlockBytes = 4096;
// Host seek values, wild ones included: thousandths of the song.
const int32 kSeeks[] = { 0, 500, 999, 1000, -1, 250, 1 << 30, -(1 << 30), 750 };

InputPlugin* plugin = nullptr;

InputPlugin*
LoadPlugin()
{
    const char* path = getenv("ZW_PLUGIN");
    if (path == nullptr)
        path = ZW_PLUGIN_PATH;
    void* addOn = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (addOn == nullptr) {
        fprintf(stderr, "cannot load %s: %s\n", path, dlerror());
        abort();
    }
    auto newPlugin = reinterpret_cast<InputPlugin* (*)(int32*)>(dlsym(addOn, "NewPlugin"));
    ZW_FUZZ_CHECK(newPlugin != nullptr);
    int32        version = 0;
    InputPlugin* made = newPlugin(&version);
    ZW_FUZZ_CHECK(made != nullptr && version == 2);
    return made;   // kept, with the add-on, for the life of the process
}

void
PlayBlocks(const Split& split, PlayerInfoStruct& info)
{
    for (int b = 0; b < kBlocks; b++) {
        char* buffer = nullptr;
        int   bytes = plugin->GetAudio(&buffer, kBlockBytes);
        ZW_FUZZ_CHECK(bytes == 0 || bytes == kBlockBytes);
        ZW_FUZZ_CHECK(buffer != nullptr);
        ZW_FUZZ_CHECK(info.position >= 0 && info.position < 1000);
        if (b % 4 == 3) {
            uint8 pick = split.moduleBytes > 0 ? split.module[(b * 97) % split.moduleBytes] : 0;
            plugin->JumpTo(kSeeks[pick % (sizeof(kSeeks) / sizeof(kSeeks[0]))]);
        }
    }
}

}   // namespace


extern "C" int
LLVMFuzzerInitialize(int*, char***)
{
    QuietStandardOutput();
    plugin = LoadPlugin();
    return 0;
}


extern "C" int
LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const Split       split = SplitInput(data, size);
    const std::string module = ScratchFolder() + "/plugin.mod";
    const std::string companion = ScratchFolder() + "/plugin.nt";
    WriteFile(module, split.module, split.moduleBytes);
    PlaceCompanion(companion, split);

    bool             recognised = plugin->IsOur(module.c_str());
    PlayerInfoStruct info = {};
    bool             playing = plugin->InitPlaying(module.c_str(), &info);
    // A file that plays is a file the plug-in says it plays, and the other way round.
    ZW_FUZZ_CHECK(!playing || recognised);
    if (playing) {
        ZW_FUZZ_CHECK(info.sampleRate == 44100 && info.flags == 29);
        PlayBlocks(split, info);
    }
    plugin->CleanupPlaying();
    return 0;
}
