// Shared set-up of the loader tests: a player on its own global data, fed from bytes.
#ifndef TESTS_MODTRACKER_LOADERTESTSUPPORT_H
#define TESTS_MODTRACKER_LOADERTESTSUPPORT_H

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/RVGlobal.h"
#include "modtracker/ModTracker.h"
#include "support/PMemFile.h"
#include "tools/modwriter/ModWriter.h"

// The line the loaders print for load error 1000 + n (1 memory, 2 header, 3 patterns,
// 4 sample information, 5 samples).
inline std::string
ErrorLine(int n)
{
    const char* const what[] = { "Out of memory", "Couldn't read the module header",
        "Couldn't read the module patterns", "Couldn't read the module sample information",
        "Couldn't read the module samples" };
    return "Ravlo Mod plugin ERROR: Error " + std::to_string(n) + ":\n" + what[n - 1] + "\n";
}

inline std::unique_ptr<PMemFile>
MemFile(const std::vector<uint8>& bytes)
{
    auto   file = std::make_unique<PMemFile>(1024);
    uint8* block = new uint8[bytes.size() + 1];
    if (!bytes.empty())
        memcpy(block, bytes.data(), bytes.size());
    file->Attach(block, int32(bytes.size()), 1024);
    return file;
}

class PlayerTest : public testing::Test
{
protected:
    int32 Detect(const std::vector<uint8>& bytes)
    {
        return player.TestModule(MemFile(bytes).get());
    }
    int32 Load(uint32 type, const std::vector<uint8>& bytes)
    {
        return player.LoadModule(type, MemFile(bytes).get());
    }
    // Loads and returns what the loader printed.
    std::string LoadOutput(uint32 type, const std::vector<uint8>& bytes, int32* result)
    {
        testing::internal::CaptureStdout();
        *result = Load(type, bytes);
        return testing::internal::GetCapturedStdout();
    }
    // The load fails with error 1000 + n, prints its line and keeps nothing.
    void ExpectLoadError(uint32 type, const std::vector<uint8>& bytes, int n)
    {
        int32 result = 0;
        EXPECT_EQ(LoadOutput(type, bytes, &result), ErrorLine(n));
        EXPECT_EQ(result, 1);
        ExpectNothingOwned();
    }
    void ExpectNothingOwned()
    {
        const ModuleView module = player.Module();
        const ReplayView replay = player.Replay();
        EXPECT_EQ(module.samples, nullptr);
        EXPECT_EQ(module.tracks, nullptr);
        EXPECT_EQ(module.sequences, nullptr);
        EXPECT_EQ(module.amData, nullptr);
        EXPECT_EQ(replay.channels, nullptr);
        EXPECT_EQ(replay.mutex, nullptr);
    }

    RVGlobal   global;
    ModTracker player { &global };
};

// The stretch of sample data the replay plays and loops for a sample, in bytes from the
// start of its data, formed as the replay forms it. Both must lie inside the data.
struct ReplayLoop
{
    int64 playEnd;
    int64 loopBegin;
    int64 loopEnd;
};

inline ReplayLoop
FormLoop(const Sample& s, bool soundTracker)
{
    if (s.loopStart != 0 && s.loopLength > 1) {
        if (soundTracker)
            return { s.loopStart + 2 * s.loopLength, s.loopStart, s.loopStart + 2 * s.loopLength };
        return { 2 * (s.loopStart + s.loopLength), 2 * s.loopStart,
            2 * (s.loopStart + s.loopLength) };
    }
    return { 2 * s.length, s.loopStart, s.loopStart + 2 * s.loopLength };
}

inline void
ExpectLoopInside(const Sample& s, bool soundTracker)
{
    ReplayLoop loop = FormLoop(s, soundTracker);
    int64      size = 2 * int64(s.length);
    EXPECT_LE(loop.playEnd, size);
    if (s.loopLength != 0) {
        EXPECT_LE(loop.loopEnd, size)
            << "loop start " << s.loopStart << " length " << s.loopLength << " sample " << s.length;
    }
    if (s.length == 0) {
        EXPECT_EQ(s.data, nullptr);
        EXPECT_EQ(s.loopStart, 0);
        EXPECT_EQ(s.loopLength, 0);
    }
}

#endif
