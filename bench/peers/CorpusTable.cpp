// zw_corpus_table PLUGIN CORPUS-DIR: for every module of a folder, whether this plug-in,
// libxmp and libopenmpt load it, whether what they render is silent, and how long the
// song lasts (frames rendered to the end / 44100), with this plug-in's difference to the
// nearer peer in per cent.
#include <dlfcn.h>
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "plugin/InputPlugin.h"

namespace fs = std::filesystem;

namespace {

const int  kRate = PLUGIN_SAMPLE_RATE;
const int  kBlockFrames = PLUGIN_BLOCK_FRAMES;
const long kMaxFrames = 3600L * kRate;   // an hour: a song that never ends

struct Render
{
    bool loaded = false;
    bool loud = false;
    long frames = 0;
};

bool
Loud(const int16* samples, size_t count)
{
    return std::any_of(samples, samples + count, [](int16 s) { return s != 0; });
}

Render
RenderPlugin(InputPlugin* plugin, const std::string& path)
{
    Render           result;
    PlayerInfoStruct info {};
    if (!plugin->IsOur(path.c_str()) || !plugin->InitPlaying(path.c_str(), &info)) {
        plugin->CleanupPlaying();
        return result;
    }
    result.loaded = true;
    char* block = nullptr;
    while (result.frames < kMaxFrames && plugin->GetAudio(&block, kBlockFrames * 4) != 0) {
        result.loud = result.loud || Loud(reinterpret_cast<int16*>(block), kBlockFrames * 2);
        result.frames += kBlockFrames;
    }
    plugin->CleanupPlaying();
    return result;
}

Render
RenderXmp(const std::string& path)
{
    Render      result;
    xmp_context context = xmp_create_context();
    if (xmp_load_module(context, path.c_str()) == 0) {
        if (xmp_start_player(context, kRate, 0) == 0) {
            result.loaded = true;
            std::vector<int16> buffer(kBlockFrames * 2);
            // A loop count of 1 ends at the first return to a position already played.
            while (result.frames < kMaxFrames
                && xmp_play_buffer(context, buffer.data(), kBlockFrames * 4, 1) == 0) {
                result.loud = result.loud || Loud(buffer.data(), buffer.size());
                result.frames += kBlockFrames;
            }
            xmp_end_player(context);
        }
        xmp_release_module(context);
    }
    xmp_free_context(context);
    return result;
}

Render
RenderOpenmpt(const std::string& path)
{
    Render            result;
    std::ifstream     in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    openmpt_module*   module = openmpt_module_create_from_memory2(
          bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (module == nullptr)
        return result;
    result.loaded = true;
    openmpt_module_set_repeat_count(module, 0);
    std::vector<int16> buffer(kBlockFrames * 2);
    size_t             got;
    while (result.frames < kMaxFrames
        && (got = openmpt_module_read_interleaved_stereo(
                module, kRate, kBlockFrames, buffer.data()))
            != 0) {
        result.loud = result.loud || Loud(buffer.data(), got * 2);
        result.frames += long(got);
    }
    openmpt_module_destroy(module);
    return result;
}

std::string
Cell(const Render& r)
{
    if (!r.loaded)
        return "refused";
    char text[32];
    snprintf(text, sizeof(text), "%.3f%s", double(r.frames) / kRate, r.loud ? "" : " silent");
    return text;
}

}   // namespace


int
main(int argc, char** argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: zw_corpus_table PLUGIN.so CORPUS-DIR\n");
        return 2;
    }
    void*        addOn = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    auto         entry = addOn != nullptr
                ? reinterpret_cast<InputPlugin* (*)(int32*)>(dlsym(addOn, "NewPlugin"))
                : nullptr;
    int32        version = 0;
    InputPlugin* plugin = entry != nullptr ? entry(&version) : nullptr;
    if (plugin == nullptr) {
        fprintf(stderr, "cannot load the plug-in %s\n", argv[1]);
        return 1;
    }
    plugin->Init();
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(argv[2])) {
        std::string ext = e.path().extension().string();
        if (e.is_regular_file() && ext != ".md" && ext != ".nt")
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());

    printf("| module | zarnowelle s | libxmp s | libopenmpt s | difference to the nearer peer |\n");
    printf("|---|---|---|---|---|\n");
    for (const fs::path& file : files) {
        Render      own = RenderPlugin(plugin, file.string());
        Render      xmp = RenderXmp(file.string());
        Render      mpt = RenderOpenmpt(file.string());
        std::string difference = "-";
        long        nearest = -1;
        for (const Render* peer : { &xmp, &mpt }) {
            if (peer->loaded
                && (nearest < 0
                    || std::labs(peer->frames - own.frames) < std::labs(nearest - own.frames)))
                nearest = peer->frames;
        }
        if (own.loaded && nearest > 0) {
            char text[32];
            snprintf(text, sizeof(text), "%+.2f %%",
                100.0 * double(own.frames - nearest) / double(nearest));
            difference = text;
        }
        printf("| %s | %s | %s | %s | %s |\n", file.filename().c_str(), Cell(own).c_str(),
            Cell(xmp).c_str(), Cell(mpt).c_str(), difference.c_str());
    }
    plugin->Cleanup();
    delete plugin;
    return 0;
}
