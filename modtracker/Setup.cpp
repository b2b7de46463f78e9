// ModTracker: freeing a module, replay set-up, song positions and info lines.
#include "modtracker/ModTracker.h"

#include <cstring>
#include <new>

#include "modtracker/Effects.h"
#include "modtracker/Tables.h"
#include "support/PException.h"
#include "support/PMutex.h"

namespace {

const uint32 INFO_LABEL_STRING = 30;
const uint32 INFO_LINES = 4;
const uint8  START_SPEED = 6;
const uint8  PAN_SCALE = 16;   // MTM pan 0..15 -> channel panning 0..240
const uint16 DEFAULT_TEMPO = 125;

// Holds the player's mutex, waiting for ever, while a scope runs.
class Locker
{
public:
    explicit Locker(PMutex* m) : mutex(m)
    {
        if (mutex)
            locked = mutex->Lock() == 0;
    }
    ~Locker()
    {
        if (locked)
            mutex->Unlock();
    }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

private:
    PMutex* mutex;
    bool    locked = false;
};

}   // namespace

// Safe on a fresh player, twice in a row and after a load that failed half-way: every
// owner and every entry is null until it is filled.
void
ModTracker::Cleanup()
{
    delete[] amData;
    amData = nullptr;
    delete[] channels;
    channels = nullptr;
    delete[] sequences;
    sequences = nullptr;
    if (tracks != nullptr) {
        for (uint32 i = 0; i < trackBuffers; i++)
            delete[] tracks[i];
        delete[] tracks;
        tracks = nullptr;
    }
    trackBuffers = 0;
    if (samples != nullptr) {
        for (uint32 i = 0; i < sampleNum; i++)
            delete[] samples[i].data;
        delete[] samples;
        samples = nullptr;
    }
    delete mutex;
    mutex = nullptr;
}

bool
ModTracker::InitPlayer()
{
    // A second call replaces the first call's resources rather than leaking them.
    delete[] channels;
    channels = nullptr;
    delete mutex;
    mutex = nullptr;

    try {
        mutex = new (std::nothrow) PMutex(false);
    } catch (PException* e) {
        e->Delete();
        mutex = nullptr;
    }
    if (mutex == nullptr)
        return false;

    channels = new (std::nothrow) Channel[channelNum]();
    if (channels == nullptr) {
        delete mutex;
        mutex = nullptr;
        return false;
    }
    return true;
}

void
ModTracker::EndPlayer()
{
    Cleanup();
}

void
ModTracker::InitSound(uint16 /*subSong*/)
{
    Locker lock(mutex);
    speed = START_SPEED;
    counter = 0;
    songPos = 0;
    patternPos = 0;
    breakPos = 0;
    posJumpFlag = false;
    loopJumpFlag = false;
    patternDelay = 0;
    patternDelayCount = 0;
    ledFilter = false;   // every song starts with the filter off
    memcpy(amWaveforms, amWaveformTable, sizeof(amWaveforms));

    if (channels != nullptr) {
        for (uint16 i = 0; i < channelNum; i++) {
            channels[i] = Channel {};
            if (IsMultiTracker())
                channels[i].panning = uint8(panning[i] * PAN_SCALE);
        }
    }
    ResetReplayState();
}

// "%u" of every tempo the song can report, so that Play never formats: the tempos its
// speed commands set and the default a stop restores. Made once per player; formatting
// all 256 cost more than the rest of a start.
void
ModTracker::PrepareTempoTexts()
{
    bool wanted[256] = {};
    wanted[DEFAULT_TEMPO] = true;
    if (HasTempoCommand() && tracks != nullptr) {
        for (uint32 t = 0; t < trackBuffers; t++) {
            const TrackLine* track = tracks[t];
            for (uint16 row = 0; track != nullptr && row < rowsPerPattern; row++) {
                if (SetsTempo(track[row].effect, track[row].effectArg))
                    wanted[track[row].effectArg] = true;
            }
        }
    }
    for (uint32 tempo = 0; tempo < 256; tempo++) {
        if (wanted[tempo] && tempoTexts[tempo].IsEmpty())
            tempoTexts[tempo].Format("%u", tempo);
    }
}

PString
ModTracker::GetModuleName()
{
    return moduleName;
}

uint16
ModTracker::GetVirtualChannels()
{
    return channelNum;
}

int16
ModTracker::GetSongLength()
{
    return int16(songLength);
}

// Seeks come from another host thread: the position is read under the lock it is
// written under (ThreadStress.JumpToFromAnotherThread_BlocksKeepComing).
int16
ModTracker::GetSongPosition()
{
    Locker lock(mutex);
    return int16(songPos);
}

// The host computes pos from a fraction of the song and may hand in songLength itself
// (a seek to the very end) or worse, so pos is kept on the list: the replay reads
// positions[songPos] before it compares songPos with songLength.
void
ModTracker::SetSongPosition(int16 pos)
{
    Locker lock(mutex);
    if (pos < 0 || songLength == 0)
        pos = 0;
    else if (pos >= int16(songLength))
        pos = int16(songLength - 1);
    songPos = uint16(pos);
    patternPos = 0;
    patternDelay = 0;
    patternDelayCount = 0;
    endPending = false;
    NewPass();
}

uint32
ModTracker::GetInfoCount()
{
    return INFO_LINES;
}

PString
ModTracker::GetInfoString(uint32 line, rv_infoType type)
{
    PString text;
    if (line >= INFO_LINES)
        return text;
    if (type == RV_INFO_LABEL) {
        text.LoadString(resourceId, INFO_LABEL_STRING + line);
        return text;
    }
    const uint32 values[INFO_LINES] = { songLength, patternNum, sampleNum, bpm };
    text.Format("%u", values[line]);
    return text;
}
