// Plays hostile files through the plug-in, the way a host does, and records what came
// back: whether the file was recognised and started, the loader's error line, every
// block's size and the number of ticks each block needed.
#ifndef TESTS_HOSTILE_HOSTILETESTSUPPORT_H
#define TESTS_HOSTILE_HOSTILETESTSUPPORT_H

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/RVGlobal.h"
#include "modtracker/ModTracker.h"
#include "plugin/MyPlugin.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace hostile {

const int kBlockBytes = 4096;

// The loader's error lines, by error number.
inline std::string
ErrorLine(int error)
{
    static const char* const messages[] = {
        "Error 1:\nOut of memory",
        "Error 2:\nCouldn't read the module header",
        "Error 3:\nCouldn't read the module patterns",
        "Error 4:\nCouldn't read the module sample information",
        "Error 5:\nCouldn't read the module samples",
    };
    return std::string("Ravlo Mod plugin ERROR: ") + messages[error - 1001] + "\n";
}

// A ModTracker that counts the ticks the mixer asks of it.
class CountingTracker : public ModTracker
{
public:
    CountingTracker(RVGlobalData* global, int* ticks) : ModTracker(global), ticks(ticks) {}

    virtual int32 Play() override
    {
        (*ticks)++;
        return ModTracker::Play();
    }

private:
    int* ticks;
};

class CountingPlugin : public MyPlugin
{
public:
    int         ticks = 0;
    ModTracker* lastPlayer = nullptr;

protected:
    virtual RVAddOnPlayer* NewPlayer(RVGlobal* global) override
    {
        lastPlayer = new CountingTracker(global, &ticks);
        return lastPlayer;
    }
};

struct Outcome
{
    bool        recognised = false;
    bool        started = false;
    std::string output;             // standard output of IsOur and InitPlaying
    int         blocks = 0;         // GetAudio calls that returned
    int         ends = 0;           // of which returned 0 (end of the song)
    int         badBlocks = 0;      // size neither 0 nor 4096, or no buffer
    int         badPositions = 0;   // position field outside 0..999
    int         maxTicks = 0;       // most ticks started by one block
    int         loudBlocks = 0;     // blocks with any sample not 0
};

// Plays at most `blocks` blocks, seeking now and then when `seek` is set.
inline Outcome
PlayBytes(const std::vector<uint8>& module, int blocks = 32, bool seek = true,
    const std::vector<uint8>* companion = nullptr, const std::string& leaf = "song.mod")
{
    TempDir     dir;
    std::string path = dir.Write(leaf, module);
    if (companion != nullptr) {
        std::string base = leaf.substr(0, leaf.rfind('.'));
        dir.Write(base + ".nt", *companion);
    }
    CountingPlugin   plugin;
    PlayerInfoStruct info = {};
    Outcome          outcome;
    testing::internal::CaptureStdout();
    outcome.recognised = plugin.IsOur(path.c_str());
    outcome.started = plugin.InitPlaying(path.c_str(), &info);
    outcome.output = testing::internal::GetCapturedStdout();
    if (!outcome.started)
        return outcome;
    const int32 seeks[] = { 999, 0, 500, -5, 1000, 3000, 250 };
    for (int b = 0; b < blocks; b++) {
        plugin.ticks = 0;
        char* buffer = nullptr;
        int   bytes = plugin.GetAudio(&buffer, kBlockBytes);
        outcome.blocks++;
        outcome.ends += bytes == 0 ? 1 : 0;
        if ((bytes != 0 && bytes != kBlockBytes) || buffer == nullptr) {
            outcome.badBlocks++;
            continue;
        }
        if (info.position < 0 || info.position >= 1000)
            outcome.badPositions++;
        outcome.maxTicks = std::max(outcome.maxTicks, plugin.ticks);
        const int16* samples = reinterpret_cast<const int16*>(buffer);
        if (std::any_of(samples, samples + kBlockBytes / 2, [](int16 s) { return s != 0; }))
            outcome.loudBlocks++;
        if (seek && b % 7 == 6)
            plugin.JumpTo(seeks[(b / 7) % 7]);
    }
    plugin.CleanupPlaying();
    return outcome;
}

// What a hostile file may do: be refused (with the loader's line when it was loaded),
// or play, every block whole.
inline void
ExpectRefused(const Outcome& o, int error)
{
    EXPECT_TRUE(o.recognised);
    EXPECT_FALSE(o.started);
    EXPECT_EQ(o.output, ErrorLine(error));
}

inline void
ExpectNotRecognised(const Outcome& o)
{
    EXPECT_FALSE(o.recognised);
    EXPECT_FALSE(o.started);
    EXPECT_EQ(o.output, "");
}

inline void
ExpectPlays(const Outcome& o, int blocks)
{
    EXPECT_TRUE(o.recognised);
    ASSERT_TRUE(o.started) << o.output;
    EXPECT_EQ(o.output, "");
    EXPECT_EQ(o.blocks, blocks);
    EXPECT_EQ(o.badBlocks, 0);
    EXPECT_EQ(o.badPositions, 0);
    // At the fastest tempo a 1024-frame block starts three ticks.
    EXPECT_LE(o.maxTicks, 3);
}

inline std::vector<int8>
Ramp(int bytes, int step = 5)
{
    std::vector<int8> data(size_t(bytes), 0);
    for (int i = 0; i < bytes; i++)
        data[size_t(i)] = int8((i * step) % 200 - 100);
    return data;
}

inline std::vector<uint8>
URamp(int bytes, int step = 5)
{
    std::vector<uint8> data(size_t(bytes), 0);
    for (int i = 0; i < bytes; i++)
        data[size_t(i)] = uint8(28 + (i * step) % 200);
    return data;
}

}   // namespace hostile

#endif
