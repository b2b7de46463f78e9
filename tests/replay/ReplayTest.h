// Shared helpers of the replay tests: modules written in code, loaded through the trace
// recorder, played tick by tick.
#ifndef TESTS_REPLAY_REPLAYTEST_H
#define TESTS_REPLAY_REPLAYTEST_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/RVChannel.h"
#include "modtracker/ModTracker.h"
#include "modtracker/Tables.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"
#include "tools/trace/Trace.h"

namespace replaytest {

// What SetAmigaPeriod makes of a period.
inline uint32
Hz(uint32 period)
{
    return period != 0 ? AMIGA_CLOCK / period : 0;
}

inline std::vector<uint32>
Hz(std::initializer_list<uint32> periods)
{
    std::vector<uint32> result;
    for (uint32 period : periods)
        result.push_back(Hz(period));
    return result;
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

// One cell of a module written in code: pattern, row, channel, note name ("" for none),
// sample, effect, parameter.
struct At
{
    int         pattern, row, channel;
    const char* note;
    uint8       sample, effect, param;
};

inline void
SetCells(zw::ModWriter& mod, std::initializer_list<At> cells)
{
    for (const At& c : cells)
        mod.Cell(
            c.pattern, c.row, c.channel) = { zw::NotePeriod(c.note), c.sample, c.effect, c.param };
}

// Sample 1 is 512 ramp bytes at volume 64. M.K. with restart byte 127 is detected as
// ProTracker, below 127 as NoiseTracker.
inline zw::ModWriter
Module(const std::string& mark, int samples, uint8 restart, std::initializer_list<At> cells,
    std::initializer_list<uint8> positions)
{
    zw::ModWriter mod(mark, samples);
    mod.restart = restart;
    mod.SetSample(1, Ramp(512), 64);
    SetCells(mod, cells);
    if (positions.size() != 0)
        mod.SetPositions(positions);
    return mod;
}

inline zw::ModWriter
ProTrackerModule(std::initializer_list<At> cells = {}, std::initializer_list<uint8> positions = {})
{
    return Module("M.K.", 31, 127, cells, positions);
}

inline zw::ModWriter
NoiseTrackerModule(std::initializer_list<At> cells = {})
{
    return Module("M.K.", 31, 0, cells, {});
}

inline zw::ModWriter
SoundTracker15Module(std::initializer_list<At> cells = {})
{
    return Module("", 15, 0, cells, {});
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

    Song(const zw::ModWriter& mod, uint32 expectedType) : Song(mod.Build(), expectedType) {}

    // Loaded as `type` whatever detection finds: NoiseTracker's rules on commands that
    // make a file ProTracker.
    struct Forced
    {};
    Song(const zw::ModWriter& mod, uint32 type, Forced)
    {
        error = recorder.Load(mod.Build(), "", int32(type));
        EXPECT_EQ(error, "");
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

    // What channel `channel` sent on the six ticks of the row read on Play `rowPlay`.
    template<typename T>
    std::vector<uint32> Row(uint32 rowPlay, int channel, T zw::TraceChannel::*field)
    {
        std::vector<uint32> result;
        for (uint32 play = rowPlay; play < rowPlay + 6; play++)
            result.push_back(PlayTo(play).channels[channel].*field);
        return result;
    }
    std::vector<uint32> RowFrequencies(uint32 rowPlay, int channel = 0)
    {
        return Row(rowPlay, channel, &zw::TraceChannel::frequency);
    }
    std::vector<uint32> RowVolumes(uint32 rowPlay)
    {
        return Row(rowPlay, 0, &zw::TraceChannel::volume);
    }

    ModTracker* Player() { return recorder.Player(); }

    zw::TraceRecorder recorder;
    std::string       error;
};

// Where a tick is and how fast it goes: pos, row, tick, speed, bpm.
inline std::tuple<int32, int32, uint32, uint32, uint32>
Where(const zw::TraceTick& t)
{
    return { t.pos, t.row, t.tick, t.speed, t.bpm };
}

// What a trigger set up on a channel: triggered, start, length, looping, loop start and
// loop length, in bytes.
inline std::tuple<bool, uint32, uint32, bool, uint32, uint32>
Voice(const zw::TraceChannel& c)
{
    return { c.triggered, c.start, c.length, c.looping, c.loopStart, c.loopLength };
}

// Play numbers (1-based) of the ticks on which ModuleEnds was called.
inline std::vector<uint32>
EndTicks(const std::vector<zw::TraceTick>& ticks)
{
    std::vector<uint32> ends;
    for (const zw::TraceTick& tick : ticks) {
        if (tick.ended)
            ends.push_back(tick.index);
    }
    return ends;
}

// Play numbers of the ticks on which `channel` (re)started its sample.
inline std::vector<uint32>
TriggerPlays(const std::vector<zw::TraceTick>& ticks, int channel = 0)
{
    std::vector<uint32> plays;
    for (const zw::TraceTick& tick : ticks) {
        if (tick.channels[channel].triggered)
            plays.push_back(tick.index);
    }
    return plays;
}

// The rows read on `count` ticks from index `first`.
inline std::vector<int32>
Rows(const std::vector<zw::TraceTick>& ticks, size_t first, size_t count)
{
    std::vector<int32> rows;
    for (size_t i = first; i < first + count && i < ticks.size(); i++)
        rows.push_back(ticks[i].row);
    return rows;
}

// A StarTracker module with `note` on row 0 (samples 1 and 2: 64 ramp bytes, volumes 64
// and 48) and, unless told otherwise, its ".nt" companion: `record` for sample 1, an
// unmarked record for sample 2. The files are removed with the object.
class AMSong
{
public:
    AMSong(const AMSample& record, const char* note = "C-2", bool withCompanion = true,
        std::initializer_list<At> moreCells = {})
    {
        zw::ModWriter mod("FLT4");
        mod.SetSample(1, Ramp(64), 64);
        mod.SetSample(2, Ramp(64), 48);
        SetCells(mod, { { 0, 0, 0, note, 1, 0, 0 } });
        SetCells(mod, moreCells);
        EXPECT_TRUE(mod.Save(path));
        if (withCompanion) {
            zw::NtWriter nt;
            nt.Record(0) = record;
            nt.Record(1).mark = 0;
            EXPECT_TRUE(nt.Save(path + ".nt"));
        }
        song = std::make_unique<Song>(path, MODTYPE_STARTRACKER);
    }

    TempDir               dir;
    std::string           path = dir.File("song.mod");
    std::unique_ptr<Song> song;
};

}   // namespace replaytest

#endif
