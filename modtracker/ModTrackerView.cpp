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
