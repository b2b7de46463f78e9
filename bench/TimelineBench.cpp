// The timeline scan: how many seconds of audio a host learns the duration of per CPU
// second, over the modules of the shared corpus, each alone and all together.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "hostlib/Timeline.h"
#include "plugin/MyPlugin.h"

namespace fs = std::filesystem;

namespace {

const int64_t kMaxFrames = int64_t(1800) * PLUGIN_SAMPLE_RATE;

std::vector<std::string>
CorpusModules()
{
    std::vector<std::string> modules;
    std::error_code          error;
    for (const fs::directory_entry& entry : fs::directory_iterator(ZW_CORPUS_DIR, error)) {
        std::string extension = entry.path().extension().string();
        if (extension != ".md" && extension != ".nt")
            modules.push_back(entry.path().string());
    }
    std::sort(modules.begin(), modules.end());
    return modules;
}

// Items are frames; the rate counter is seconds of audio per CPU second.
void
BM_TimelineScan(benchmark::State& state, std::vector<std::string> paths)
{
    MyPlugin plugin;
    int64_t  frames = 0;
    for (auto _ : state) {
        for (const std::string& path : paths)
            frames += ScanTimeline(&plugin, path, kMaxFrames).frames;
    }
    if (frames == 0) {
        state.SkipWithError("no module of these plays");
        return;
    }
    state.SetItemsProcessed(frames);
    state.counters["audio_s_per_cpu_s"] =
        benchmark::Counter(double(frames) / PLUGIN_SAMPLE_RATE, benchmark::Counter::kIsRate);
}

// One benchmark for each module that plays, and one for the whole corpus.
const bool sRegistered = [] {
    std::vector<std::string> playing;
    MyPlugin                 plugin;
    for (const std::string& path : CorpusModules()) {
        if (ScanTimeline(&plugin, path, PLUGIN_BLOCK_FRAMES).loaded)
            playing.push_back(path);
    }
    for (const std::string& path : playing) {
        benchmark::RegisterBenchmark(
            ("BM_TimelineScan/" + fs::path(path).filename().string()).c_str(), BM_TimelineScan,
            std::vector<std::string> { path });
    }
    if (!playing.empty())
        benchmark::RegisterBenchmark("BM_TimelineScan/corpus", BM_TimelineScan, playing);
    return true;
}();

}   // namespace
