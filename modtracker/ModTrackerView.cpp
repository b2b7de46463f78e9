// ModTracker: the read-only views of its module and replay state.
#include "modtracker/ModTracker.h"

ModuleView
ModTracker::Module() const
{
    return {
        .modType = modType,
        .patternNum = patternNum,
        .namedPatterns = namedPatterns,
        .channelNum = channelNum,
        .sampleNum = sampleNum,
        .songLength = songLength,
        .trackNum = trackNum,
        .rowsPerPattern = rowsPerPattern,
        .restartPos = restartPos,
        .minPeriod = minPeriod,
        .maxPeriod = maxPeriod,
        .panning = panning,
        .positions = positions,
        .samples = samples,
        .tracks = tracks,
        .sequences = sequences,
        .amData = amData,
        .companionPath = companionPath,
    };
}

ReplayView
ModTracker::Replay() const
{
    return {
        .channels = channels,
        .mutex = mutex,
        .songPos = songPos,
        .patternPos = patternPos,
        .breakPos = breakPos,
        .posJumpFlag = posJumpFlag,
        .loopJumpFlag = loopJumpFlag,
        .speed = speed,
        .counter = counter,
        .patternDelay = patternDelay,
        .patternDelayCount = patternDelayCount,
        .amWaveforms = amWaveforms,
        .rowSongPos = rowSongPos,
        .rowPatternPos = rowPatternPos,
    };
}

uint32
ModTracker::SampleBytes(uint16 n) const
{
    return samples != nullptr && n < sampleNum ? 2u * samples[n].length : 0;
}

uint32
ModTracker::MissingSampleBytes(uint16 n) const
{
    return samples != nullptr && n < sampleNum ? samples[n].missing : 0;
}

// Every track the load made, whatever the type has become since.
bool
ModTracker::SilentAMSounds() const
{
    if (!IsStarTracker() || amData != nullptr || tracks == nullptr || samples == nullptr)
        return false;
    for (uint32 t = 0; t < trackBuffers; t++) {
        const TrackLine* track = tracks[t];
        for (uint16 row = 0; track != nullptr && row < rowsPerPattern; row++) {
            const TrackLine& line = track[row];
            if (line.note != 0 && line.sample != 0 && line.sample <= sampleNum
                && samples[line.sample - 1].length == 0)
                return true;
        }
    }
    return false;
}
