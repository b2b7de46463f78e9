// The replay driver: ticks, rows, positions, note triggers and the speed command.
#include "modtracker/ModTracker.h"

#include <algorithm>
#include <cstring>

#include "framework/RVChannel.h"
#include "modtracker/Effects.h"
#include "modtracker/ReplayLookups.h"
#include "modtracker/Tables.h"
#include "support/PMutex.h"

namespace {

const uint16 SONG_POSITIONS = 128;
const uint8  DEFAULT_SPEED = 6;
const uint8  MAX_SPEED = 31;
const uint16 DEFAULT_TEMPO = 125;
const uint32 TEMPO_INFO_LINE = 3;

// A row whose data is missing plays as an empty cell.
const TrackLine emptyLine = { 0, 0, 0, 0 };

// Beyond this many pattern-loop jumps in one pass a song is taken to loop for ever;
// real songs stay far below it.
const uint32 MAX_LOOP_JUMPS_PER_PASS = 4096;

bool
IsEmptyCell(const TrackLine& line)
{
    return line.note == 0 && line.sample == 0 && line.effect == 0 && line.effectArg == 0;
}

}   // namespace


void
ModTracker::ResetReplayState()
{
    rowSongPos = NO_ROW;
    rowPatternPos = NO_ROW;
    positionJumped = false;
    endPending = false;
    memset(sampleBounds, 0, sizeof(sampleBounds));
    memcpy(amWaveforms, amWaveformTable, sizeof(amWaveforms));
    PrepareTempoTexts();
    NewPass();
}


void
ModTracker::NewPass()
{
    memset(playedRows, 0, sizeof(playedRows));
    loopJumps = 0;
}


// Every end of the song starts a new pass, so a song heard through ends once per pass.
// The end is told on the next row tick: the host drops the block in which it hears of
// it, and that block would otherwise hold the song's last row.
void
ModTracker::SongEnds()
{
    endPending = true;
    NewPass();
}


bool
ModTracker::RowPlayed(uint16 pos, uint16 row) const
{
    if (pos >= SONG_POSITIONS || row >= MAX_PASS_ROWS)
        return false;
    return (playedRows[pos][row / 64] >> (row % 64)) & 1;
}


int32
ModTracker::Play()
{
    if (mutex == nullptr || channels == nullptr || virtualChannels == nullptr)
        return B_ERROR;
    int32 locked = mutex->Lock(0);
    if (locked != 0)
        return locked;

    counter++;
    if (counter >= speed) {
        counter = 0;
        if (endPending) {
            endPending = false;
            ModuleEnds();
        }
        if (patternDelayCount != 0)
            NoNewAllChan();
        else
            GetNewNote();
        patternPos++;
        if (patternDelay != 0) {
            patternDelayCount = patternDelay;
            patternDelay = 0;
        }
        if (patternDelayCount != 0) {
            patternDelayCount--;
            if (patternDelayCount != 0)
                patternPos--;
        }
        // A loop jump waits until a pattern delay on its row has played out.
        if (loopJumpFlag && patternDelayCount == 0) {
            loopJumpFlag = false;
            patternPos = breakPos;
            breakPos = 0;
            if (++loopJumps > MAX_LOOP_JUMPS_PER_PASS)
                SongEnds();
        }
        if (patternPos >= rowsPerPattern)
            NextPos();
    } else
        NoNewAllChan();

    if (posJumpFlag)
        NextPos();
    if (IsStarTracker())
        AMHandler();

    mutex->Unlock();
    return 0;
}


void
ModTracker::GetNewNote()
{
    // The pattern is looked up once: a position jump on one channel changes songPos
    // for the next row, not for the later channels of this one.
    rowSongPos = songPos % SONG_POSITIONS;
    rowPatternPos = patternPos;
    uint16 pattern = positions[rowSongPos];
    // The buffers the load made: a later ModuleCheck may change the type, not the module.
    const TrackTable table = { tracks, trackBuffers, sequences, patternNum, rowsPerPattern };
    if (table.HasRow(pattern, patternPos) && patternPos < MAX_PASS_ROWS)
        playedRows[rowSongPos][patternPos / 64] |= uint64(1) << (patternPos % 64);
    positionJumped = false;

    for (uint16 i = 0; i < channelNum; i++) {
        const TrackLine* cell = table.Cell(pattern, patternPos, i);
        const TrackLine* line = cell != nullptr ? cell : &emptyLine;
        PlayVoice(line, virtualChannels[i], channels[i]);
    }
}


void
ModTracker::PlayVoice(const TrackLine* line, RVChannel* voice, Channel& ch)
{
    if (IsEmptyCell(*line))
        voice->SetAmigaPeriod(ch.period);

    ch.note = line->note;
    ch.sample = line->sample;
    ch.effect = line->effect;
    ch.effectArg = line->effectArg;

    if (line->sample != 0)
        TakeSample(line->sample, voice, ch);
    // A note beyond the table is no note.
    if (line->note != 0 && line->note <= PERIOD_NOTES) {
        if (!ch.amSound) {
            if (TunesNote(ch))
                SetFineTune(voice, ch);
            else if (SlidesToNote(ch)) {
                SetTonePorta(ch);
                CheckMoreEFX(voice, ch);
                return;
            } else if (OffsetsNote(ch))
                CheckMoreEFX(voice, ch);
        }
        ch.period = periods[ch.fineTune & 15][line->note - 1];
        if (!DelaysNote(ch))
            TriggerNote(voice, ch);
    }
    CheckMoreEFX(voice, ch);
}


// Takes a new sample into the channel. A sample number the module does not have is
// no sample change.
void
ModTracker::TakeSample(uint8 number, RVChannel* voice, Channel& ch)
{
    if (samples == nullptr || number > sampleNum)
        return;
    const Sample& smp = samples[number - 1];
    ch.sampleNumber = number;
    ch.amSound = false;
    if (IsStarTracker() && amData != nullptr && number <= 31
        && amData[number - 1].mark == AM_MARK) {
        ch.amSound = true;
        ch.volume = int8(std::min(amData[number - 1].startAmplitude / 4, 64));
    }

    ch.startOffset = 0;
    ch.fineTune = smp.fineTune & 15;
    // Volumes above full, which files may hold, play at full volume.
    if (!ch.amSound)
        ch.volume = int8(std::min<uint8>(smp.volume, 64));
    TakeLoop(smp, IsSoundTracker(), ch);
    uint32 bytes = smp.data != nullptr ? 2u * smp.length : 0;
    sampleBounds[&ch - channels] = { smp.data, smp.data + bytes };

    if (!ch.amSound)
        voice->SetVolume(uint16(ch.volume * 4));
    if (IsMultiTracker())
        voice->SetPanning(ch.panning);
}


void
ModTracker::TriggerNote(RVChannel* voice, Channel& ch)
{
    if ((ch.waveControl & 0x04) == 0)
        ch.vibratoPos = 0;
    if ((ch.waveControl & 0x40) == 0)
        ch.tremoloPos = 0;
    if (ch.amSound)
        StartAMSound(ch);

    if (ch.length == 0) {
        voice->Mute();
        return;
    }
    voice->PlaySample(ch.sampleData, 2u * ch.startOffset, 2u * ch.length, 8);
    voice->SetAmigaPeriod(ch.period);
    if (ch.loopLength != 0)
        voice->SetLoop(uint32(ch.loopData - ch.sampleData), 2u * ch.loopLength, RV_LOOP_NORMAL);
}


// The trigger of the retrigger and note-delay effects: always from the start of the
// data, ignoring the sample offset.
void
ModTracker::Retrigger(RVChannel* voice, Channel& ch)
{
    if (ch.length == 0) {
        voice->Mute();
        return;
    }
    voice->PlaySample(ch.sampleData, 0, 2u * ch.length, 8);
    if (ch.loopLength != 0)
        voice->SetLoop(uint32(ch.loopData - ch.sampleData), 2u * ch.loopLength, RV_LOOP_NORMAL);
    voice->SetAmigaPeriod(ch.period);
}


void
ModTracker::NoNewAllChan()
{
    for (uint16 i = 0; i < channelNum; i++)
        CheckEFX(virtualChannels[i], channels[i]);
}


void
ModTracker::NextPos()
{
    patternPos = breakPos;
    if (patternPos >= rowsPerPattern)
        patternPos = 0;
    breakPos = 0;
    posJumpFlag = false;
    bool jumped = positionJumped;
    positionJumped = false;

    songPos = (songPos + 1) % SONG_POSITIONS;
    if (songPos < songLength) {
        ChangePosition();
        // A jump back, or onto a row of this position heard in this pass, would repeat
        // the song for ever.
        if (jumped
            && (songPos < rowSongPos || (songPos == rowSongPos && RowPlayed(songPos, patternPos))))
            SongEnds();
        return;
    }
    songPos = restartPos < songLength ? restartPos : 0;
    ChangePosition();
    SongEnds();
}


void
ModTracker::ReportTempo()
{
    PString& text = tempoTexts[bpm & 255];
    // Made beforehand for every tempo the song sets; only cells changed since then
    // are formatted here.
    if (text.IsEmpty())
        text.Format("%u", bpm & 255);
    ChangeModuleInfo(TEMPO_INFO_LINE, RV_INFO_VALUE, text);
}


void
ModTracker::SetSpeed(Channel& ch)
{
    uint8 p = ch.effectArg;
    if (!HasTempoCommand()) {
        speed = std::clamp<uint8>(p, 1, MAX_SPEED);
        counter = 0;
        return;
    }
    if (p == 0) {
        speed = DEFAULT_SPEED;
        counter = 0;
        breakPos = 0;
        posJumpFlag = true;
        SongEnds();
        if (bpm != DEFAULT_TEMPO) {
            bpm = DEFAULT_TEMPO;
            ReportTempo();
        }
    } else if (p <= MAX_SPEED) {
        speed = p;
        counter = 0;
    } else if (p != bpm) {
        bpm = p;
        ReportTempo();
    }
}
