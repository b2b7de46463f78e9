// ModTracker: the player add-on for the Amiga module family and MultiTracker modules.
// The class spans several files by concern: detection, each loader, the AM file,
// set-up and info, the replay driver, row effects, extended effects, AM sounds, tables.
#ifndef MODTRACKER_MODTRACKER_H
#define MODTRACKER_MODTRACKER_H

#include "framework/RVAddOnPlayer.h"
#include "modtracker/ModTrackerView.h"
#include "modtracker/ModuleTypes.h"

class PMutex;
class RVChannel;

class ModTracker : public RVAddOnPlayer
{
public:
    ModTracker(RVGlobalData* global);
    virtual ~ModTracker();
    ModTracker(const ModTracker&) = delete;
    ModTracker& operator=(const ModTracker&) = delete;

    // Add-on description.
    virtual float   GetVersion() override;
    virtual uint32  GetCount() override;
    virtual PString GetName(uint32 index) override;
    virtual PString GetDescription(uint32 index) override;
    virtual uint32  GetSupportFlags() override;
    virtual PString GetModTypeString(uint32 index) override;

    // Detection and loading.
    virtual int32 ModuleCheck(uint32 index, PFile* file) override;
    virtual int32 LoadModule(uint32 index, PFile* file) override;
    virtual int32 ExtraLoad(PString fileName) override;
    int32         TestModule(PFile* file);
    bool          CheckSampleName(PFile* file, uint16 n);
    void          Cleanup();

    // Where the loaders' error message goes. With no sink (the default) it is printed on
    // standard output as the one line a host expects; a sink gets the message on one
    // line, its parts joined by a space.
    typedef void (*LoadErrorSink)(void* context, const char* message);
    void SetLoadErrorSink(LoadErrorSink sink, void* context);
    // The replay rules of MOD-family type `type` for the MOD-family loads from now on; the
    // file is still read as the type detected. MODTYPE_COUNT (the default) keeps the
    // detected type's rules. A MultiTracker load ignores it.
    void SetRules(uint32 type);

    // Set-up, positions and info.
    virtual bool    InitPlayer() override;
    virtual void    EndPlayer() override;
    virtual void    InitSound(uint16 subSong) override;
    virtual int32   Play() override;
    virtual PString GetModuleName() override;
    virtual uint16  GetVirtualChannels() override;
    virtual int16   GetSongLength() override;
    virtual int16   GetSongPosition() override;
    virtual void    SetSongPosition(int16 pos) override;
    virtual uint32  GetInfoCount() override;
    virtual PString GetInfoString(uint32 line, rv_infoType type) override;

    // Differences by module type.
    bool IsSoundTracker() const { return modType <= MODTYPE_SOUNDTRACKER31; }
    bool HasTempoCommand() const { return modType >= MODTYPE_PROTRACKER; }
    bool HasExtendedCommands() const { return modType >= MODTYPE_PROTRACKER; }
    bool IsStarTracker() const { return modType == MODTYPE_STARTRACKER; }
    bool IsMultiTracker() const { return modType == MODTYPE_MULTITRACKER; }

    // The module and replay state below, read-only, for tests and the trace tool.
    ModuleView Module() const;
    ReplayView Replay() const;

private:
    // How loads go: the type a MOD file is read as, the rules forced on it, and where the
    // loader's report goes. The replay follows modType.
    uint32        fileType = 0;
    uint32        rulesType = MODTYPE_COUNT;
    LoadErrorSink errorSink = nullptr;
    void*         errorContext = nullptr;

    // Module data.
    uint32  resourceId;
    uint32  modType;
    PString moduleName;
    uint16  patternNum;
    uint16  namedPatterns;    // by the whole position list; more than patternNum
                              // when the file lacked some past the song
    uint16      channelNum;   // 1..32
    uint16      sampleNum;
    uint16      songLength;   // 1..128 once loaded
    uint16      trackNum;
    uint16      rowsPerPattern;
    uint16      restartPos;
    uint16      minPeriod;
    uint16      maxPeriod;
    uint8       panning[32];   // MTM pan positions 0..15
    uint8       positions[128];
    Sample*     samples;         // sampleNum records
    TrackLine** tracks;          // trackNum (MTM: trackNum + 1) buffers
    uint32      trackBuffers;    // entries of tracks as made, for Cleanup and the replay
    uint16*     sequences;       // patternNum * 32 track indices
    AMSample*   amData;          // 31 records, StarTracker only
    PString     companionPath;   // the ".nt" file ExtraLoad read; empty when none
    Channel*    channels;        // channelNum records, made by InitPlayer
    PMutex*     mutex;           // made by InitPlayer

    // Replay state.
    uint16 songPos;
    uint16 patternPos;
    uint16 breakPos;
    bool   posJumpFlag;
    bool   loopJumpFlag;
    uint8  speed;     // ticks per row, never 0
    uint8  counter;   // tick within the row
    uint8  patternDelay;
    uint8  patternDelayCount;
    int8   amWaveforms[4][32];   // this player's writable copy; waveform 3 is noise

    // --- replay-private state (owned by the replay files) ---
    static const uint16 NO_ROW = ReplayView::NO_ROW;
    static const int    MAX_PASS_ROWS = 256;
    struct SampleBounds
    {
        int8* begin;
        int8* end;
    };

    uint16       rowSongPos;   // position and row read last (NO_ROW before the first)
    uint16       rowPatternPos;
    bool         positionJumped;     // a Bxx on the row just read
    bool         endPending;         // the song ended; told on the next row tick
    uint32       loopJumps;          // pattern-loop jumps in this pass
    SampleBounds sampleBounds[32];   // the buffer each channel's sample data lies in
    uint64       playedRows[128][MAX_PASS_ROWS / 64];   // rows heard in this pass
    PString      tempoTexts[256];                       // "%u" of each tempo, so Play never formats

    void ResetReplayState();   // from InitSound
    void NewPass();            // from InitSound and SetSongPosition: a new pass
    void SongEnds();
    void TakeSample(uint8 number, RVChannel* voice, Channel& ch);
    void TriggerNote(RVChannel* voice, Channel& ch);
    void Retrigger(RVChannel* voice, Channel& ch);
    void StartAMSound(Channel& ch);
    void TonePortaStep(RVChannel* voice, Channel& ch);
    void VibratoStep(RVChannel* voice, Channel& ch);
    bool RowPlayed(uint16 pos, uint16 row) const;
    void ReportTempo();
    void PrepareTempoTexts();   // from InitSound

protected:
    // Loading (LoadMod.cpp, LoadMtm.cpp, ModHeader.cpp).
    int32             LoadTracker(PFile* file);
    int32             LoadMultiTracker(PFile* file);
    [[noreturn]] void ShowError(LoadError error);

    // --- loader-private helpers (owned by the loader files) ---
    int32  RunLoader(void (ModTracker::*read)(PFile*), PFile* file);
    void   ReadTracker(PFile* file);
    uint32 ReadModHeader(PFile* file);
    uint16 PatternsToLoad(PFile* file);
    bool   ReadModPatterns(PFile* file);
    void   ReadModSampleData(PFile* file, bool plausible);
    void   ReadMultiTracker(PFile* file);
    void   ReadMtmSamples(PFile* file, uint32* fileBytes);
    void   ReadMtmTracks(PFile* file);
    void   ReadMtmSequences(PFile* file);
    void   ReadMtmSampleData(PFile* file, const uint32* fileBytes);

    // Replay driver (Replay.cpp).
    void GetNewNote();
    void PlayVoice(const TrackLine* line, RVChannel* voice, Channel& ch);
    void NoNewAllChan();
    void NextPos();
    void SetSpeed(Channel& ch);

    // Row effects (RowEffects.cpp).
    void CheckEFX(RVChannel* voice, Channel& ch);
    void CheckMoreEFX(RVChannel* voice, Channel& ch);
    void Arpeggio(RVChannel* voice, Channel& ch);
    void PortUp(RVChannel* voice, Channel& ch);
    void PortDown(RVChannel* voice, Channel& ch);
    void TonePortamento(RVChannel* voice, Channel& ch);
    void Vibrato(RVChannel* voice, Channel& ch);
    void TonePlusVol(RVChannel* voice, Channel& ch);
    void VibratoPlusVol(RVChannel* voice, Channel& ch);
    void Tremolo(RVChannel* voice, Channel& ch);
    void SampleOffset(Channel& ch);
    void VolumeSlide(RVChannel* voice, Channel& ch);
    void PositionJump(Channel& ch);
    void VolumeChange(RVChannel* voice, Channel& ch);
    void PatternBreak(Channel& ch);
    void SetTonePorta(Channel& ch);

    // Extended effects (ExtendedEffects.cpp).
    void ECommands(RVChannel* voice, Channel& ch);
    void Filter(RVChannel* voice, Channel& ch);
    void FinePortUp(RVChannel* voice, Channel& ch);
    void FinePortDown(RVChannel* voice, Channel& ch);
    void SetGlissCon(RVChannel* voice, Channel& ch);
    void SetVibCon(RVChannel* voice, Channel& ch);
    void SetFineTune(RVChannel* voice, Channel& ch);
    void JumpLoop(RVChannel* voice, Channel& ch);
    void SetTreCon(RVChannel* voice, Channel& ch);
    void RetrigNote(RVChannel* voice, Channel& ch);
    void VolumeFineUp(RVChannel* voice, Channel& ch);
    void VolumeFineDown(RVChannel* voice, Channel& ch);
    void NoteCut(RVChannel* voice, Channel& ch);
    void NoteDelay(RVChannel* voice, Channel& ch);
    void PatternDelay(RVChannel* voice, Channel& ch);
    void FunkIt(RVChannel* voice, Channel& ch);
    void UpdateFunk(Channel& ch);

    // AM sounds (AMSounds.cpp).
    void AMHandler();

public:
    static uint32 Random(uint32 max);
    // The 32 bytes of the noise waveform: Random(255) each, in order.
    static void RefreshNoise(int8* wave);
};

#endif
