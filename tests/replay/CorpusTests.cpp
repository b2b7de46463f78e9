// Real modules, when the shared corpus is present: each loads through the trace
// recorder and plays some thousand ticks on the song, inside full volume.
#include "ReplayTest.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>

using namespace replaytest;

namespace {

bool
IsModuleFile(const std::filesystem::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
        [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".mod" || extension == ".mtm" || extension == ".ft";
}

}   // namespace


TEST(Corpus, Play_EveryCorpusModule_StaysInsideSongAndVolume)
{
    std::filesystem::path folder(ZW_CORPUS_DIR);
    if (!std::filesystem::is_directory(folder))
        GTEST_SKIP() << "no corpus at " << folder;
    int played = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || !IsModuleFile(entry.path()))
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        zw::TraceRecorder recorder;
        // A file the loader refuses (one is cut short) is the loader's concern, not
        // the replay's.
        std::string error = recorder.Load(entry.path().string());
        if (!error.empty()) {
            std::printf("not played: %s (%s)\n", entry.path().filename().c_str(), error.c_str());
            continue;
        }
        ModTracker* player = recorder.Player();
        uint32      triggers = 0;
        for (int t = 0; t < 5000; t++) {
            const zw::TraceTick& tick = recorder.Step();
            const ReplayView     replay = player->Replay();
            ASSERT_LT(replay.songPos, player->Module().songLength);
            ASSERT_LT(replay.patternPos, player->Module().rowsPerPattern);
            for (const zw::TraceChannel& ch : tick.channels) {
                ASSERT_LE(ch.volume, 256u);
                triggers += ch.triggered ? 1 : 0;
            }
        }
        EXPECT_GT(triggers, 0u);
        played++;
    }
    EXPECT_GE(played, 10);
}


// The text and JSON renderings of a real song carry one line per tick.
TEST(Corpus, TraceModule_RealSong_WritesOneLinePerTick)
{
    std::filesystem::path file = std::filesystem::path(ZW_CORPUS_DIR) / "ZONE-2A.mod";
    if (!std::filesystem::exists(file))
        GTEST_SKIP() << "no corpus module " << file;
    for (bool json : { false, true }) {
        std::ostringstream out;
        EXPECT_EQ(zw::TraceModule(file.string(), 300, json, out), "");
        std::string text = out.str();
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 300);
    }
}
