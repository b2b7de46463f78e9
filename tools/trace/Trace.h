// The per-tick trace: loads a module the way the host does, calls Play once per tick and
// records, for every tick, where the song is and what each virtual channel was told.
//
//   zw::TraceRecorder recorder;
//   std::string error = recorder.Load("/tmp/song.mod");
//   while (error.empty() && recorder.TicksPlayed() < 300)
//       std::cout << zw::FormatText(recorder.Step()) << '\n';
#ifndef TOOLS_TRACE_TRACE_H
#define TOOLS_TRACE_TRACE_H

#include <iosfwd>
#include <string>
#include <vector>

#include "beos/SupportDefs.h"
#include "framework/VInfo.h"

class ModTracker;
class PFile;
class RVChannelParser;
class RVGlobal;

namespace zw {

// One channel after one tick.
struct TraceChannel
{
    bool   triggered = false;   // the sample (re)started this tick
    uint32 sample = 0;          // 1-based sample number of the trigger
    uint32 start = 0;           // bytes into that sample's data where it starts
    uint32 length = 0;          // bytes of the data that plays
    uint32 frequency = 0;       // Hz, as the voice holds them after the tick
    uint16 volume = 0;          // 0..256
    uint16 panning = 0;
    bool   looping = false;
    uint32 loopStart = 0;   // bytes from the playing data's start
    uint32 loopLength = 0;
    bool   mute = true;   // stopped by the player, or never started
    uint32 told = 0;      // RV_CHANNEL_* bits the player raised this tick
};

struct TraceTick
{
    uint32                    index = 0;   // 1 for the first Play after InitSound
    int32                     pos = -1;    // the row last read; -1 before the first
    int32                     row = -1;
    uint32                    tick = 0;   // 0 on the tick that read the row
    uint32                    speed = 0;
    uint32                    bpm = 0;
    bool                      ended = false;   // ModuleEnds was called during the tick
    std::vector<TraceChannel> channels;
};

class TraceRecorder
{
public:
    TraceRecorder();
    ~TraceRecorder();
    TraceRecorder(const TraceRecorder&) = delete;
    TraceRecorder& operator=(const TraceRecorder&) = delete;

    // Each returns an empty string on success, else what failed. `extraPath` is the
    // path the AM companion file is looked up beside (none when empty). A `type` of 0
    // to 7 loads the module as that type whatever detection finds: a type's rules for
    // commands its own files never hold.
    std::string Load(const std::string& path);
    std::string Load(
        const std::vector<uint8>& bytes, const std::string& extraPath = "", int32 type = -1);

    // Plays one tick and records it; valid until the next Step.
    const TraceTick& Step();
    uint32           TicksPlayed() const { return current.index; }

    ModTracker* Player() { return player; }
    RVGlobal*   Global() { return global; }
    uint32      ModuleType() const { return modType; }

private:
    std::string Start(PFile* file, const std::string& extraPath, int32 type = -1);
    void        CreateVoices(uint16 count);
    void        RecordChannel(uint16 i, TraceChannel& out);
    void        Release();

    RVGlobal*                     global;
    ModTracker*                   player;
    std::vector<RVChannelParser*> parsers;
    std::vector<VINFO>            voices;
    uint32                        modType;
    bool                          playerReady;
    TraceTick                     current;
};

// One readable line per tick, and one JSON object per tick.
std::string FormatText(const TraceTick& tick);
std::string FormatJson(const TraceTick& tick);

// Records up to maxTicks ticks of the module at path.
std::string RecordTicks(const std::string& path, uint32 maxTicks, std::vector<TraceTick>& ticks);

// Writes up to maxTicks lines, text or JSON, for the module at path. Returns an empty
// string on success, else the reason it could not play the module.
std::string TraceModule(const std::string& path, uint32 maxTicks, bool json, std::ostream& out);

}   // namespace zw

#endif
