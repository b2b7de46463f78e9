// Real modules played whole through the plug-in, where the corpus is present: each that
// the peer players play loads, sounds, and lasts as long as the nearer peer's rendering
// (measured with libxmp and libopenmpt by zw_corpus_table), within 1 % and the one
// 1024-frame block the host drops when the end comes inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "plugin/MyPlugin.h"

namespace {

const double kRate = 44100;
const double kBlockSeconds = 1024 / kRate;

struct PeerDuration
{
    const char* name;
    double      seconds;
};

const PeerDuration kDurations[] = {
    { "PatternJump.mod", 0.820 },
    { "PortaTarget.mod", 7.780 },
    { "TDZ3.MOD", 7.780 },
    { "TEMPO2.MTM", 1.360 },
    { "VibratoReset.mod", 14.586 },
    { "ZONE-2A.mod", 99.940 },
    { "bonus.ft", 42.340 },
    { "fall1.mtm", 78.990 },
    { "flt_am_envelope.mod", 4.360 },
    { "reborning.mod", 107.620 },
    { "sll7.mod", 199.780 },
    { "zob-the-zob.mod", 139.300 },
    // The first row is read on the sixth tick, after five at tempo 125 (0.1 s, 3.5 % of
    // this song, whose first row sets tempo 32); the peers give 2.786 s and 2.816 s.
    { "TempoChange.mod", 2.856 },
    // M.K. with EEx pattern delays: a ProTracker song, its delays played.
    { "PatternDelaysRetrig.mod", 10.180 },
};

struct Heard
{
    bool   started = false;
    bool   loud = false;
    double seconds = 0;
};

Heard
Play(const std::string& path)
{
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    Heard            heard;
    heard.started = plugin.InitPlaying(path.c_str(), &info);
    char* buffer = nullptr;
    long  blocks = 0;
    for (; heard.started && blocks < 400000 && plugin.GetAudio(&buffer, 4096) != 0; blocks++) {
        const int16* samples = reinterpret_cast<const int16*>(buffer);
        heard.loud =
            heard.loud || std::any_of(samples, samples + 2048, [](int16 s) { return s != 0; });
    }
    plugin.CleanupPlaying();
    heard.seconds = double(blocks) * kBlockSeconds;
    return heard;
}

}   // namespace


TEST(CorpusDurations, EveryModuleThePeersPlay_LoadsSoundsAndLastsAsLong)
{
    const std::filesystem::path corpus(ZW_CORPUS_DIR);
    if (!std::filesystem::is_directory(corpus))
        GTEST_SKIP() << "no corpus at " << corpus;
    for (const PeerDuration& d : kDurations) {
        SCOPED_TRACE(d.name);
        Heard heard = Play((corpus / d.name).string());
        ASSERT_TRUE(heard.started);
        EXPECT_TRUE(heard.loud);
        EXPECT_NEAR(heard.seconds, d.seconds, d.seconds / 100 + kBlockSeconds);
    }
}
