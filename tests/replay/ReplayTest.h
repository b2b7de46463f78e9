// Shared helpers of the replay tests: modules written in code, loaded through the trace
// recorder, played tick by tick.
#ifndef TESTS_REPLAY_REPLAYTEST_H
#define TESTS_REPLAY_REPLAYTEST_H

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/RVChannel.h"
#include "modtracker/ModTracker.h"
#include "modtracker/Tables.h"
#include "tools/modwriter/ModWriter.h"
#include "tools/trace/Trace.h"

namespace replaytest {

// What SetAmigaPeriod makes of a period.
inline uint32
Hz(uint32 period)
{
    return period != 0 ? AMIGA_CLOCK / period : 0;
}

// Distinct, recognisable sample bytes.
inline std::vector<int8>
Ramp(size_t bytes)
{
    std::vector<int8> data(bytes);
    for (size_t i = 0; i < bytes; i++)
        data[i] = int8(i * 3 + 1);
    return data;
}

// M.K. with restart byte 127 is detected as ProTracker, below 127 as NoiseTracker.
inline zw::ModWriter
ProTrackerModule()
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;
    mod.SetSample(1, Ramp(512), 64);
    return mod;
}

inline zw::ModWriter
NoiseTrackerModule()
{
    zw::ModWriter mod("M.K.");
    mod.restart = 0;
    mod.SetSample(1, Ramp(512), 64);
    return mod;
}

inline zw::ModWriter
SoundTracker15Module()
{
    zw::ModWriter mod("", 15);
    mod.SetSample(1, Ramp(512), 64);
    return mod;
}

inline void
SetCell(zw::ModWriter& mod, int pattern, int row, int channel, const char* note,
    uint8 sample, uint8 effect, uint8 param)
{
    mod.Cell(pattern, row, channel) = { zw::NotePeriod(note), sample, effect, param };
}

// A loaded module, ready to play from InitSound.
class Song
{
public:
    Song(const std::vector<uint8>& bytes, uint32 expectedType)
    {
        error = recorder.Load(bytes);
        EXPECT_EQ(error, "");
        EXPECT_EQ(recorder.ModuleType(), expectedType);
    }

    Song(const std::string& path, uint32 expectedType)
    {
        error = recorder.Load(path);
        EXPECT_EQ(error, "");
        EXPECT_EQ(recorder.ModuleType(), expectedType);
    }

    bool Loaded() const { return error.empty(); }

    // Plays up to Play number `index` (1 = the first after InitSound) and returns it.
    const zw::TraceTick& PlayTo(uint32 index)
    {
        EXPECT_LT(recorder.TicksPlayed(), index);
        while (recorder.TicksPlayed() + 1 < index)
            recorder.Step();
        return recorder.Step();
    }

    const zw::TraceTick& Step() { return recorder.Step(); }

    std::vector<zw::TraceTick> Record(uint32 ticks)
    {
        std::vector<zw::TraceTick> result;
        for (uint32 t = 0; t < ticks; t++)
            result.push_back(recorder.Step());
        return result;
    }

    ModTracker* Player() { return recorder.Player(); }

    zw::TraceRecorder recorder;
    std::string     error;

};

}   // namespace replaytest

#endif
