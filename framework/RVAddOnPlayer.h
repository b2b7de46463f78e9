// RVAddOnPlayer: the player contract (slots 14 to 44 after RVAddOn's).
#ifndef FRAMEWORK_RVADDONPLAYER_H
#define FRAMEWORK_RVADDONPLAYER_H

#include <vector>

#include "framework/RVAddOn.h"
#include "framework/SamplePlayerInfo.h"

class PFile;
class RVChannel;

enum rv_infoType : uint32 {
    RV_INFO_LABEL = 0,
    RV_INFO_VALUE = 1,
};

class RVAddOnPlayer : public RVAddOn
{
public:
    RVAddOnPlayer(RVGlobalData* global);
    virtual ~RVAddOnPlayer();

    virtual PString       GetModTypeString(uint32 index);                 // 14
    virtual int32         ModuleCheck(uint32 index, PFile* file) = 0;     // 15
    virtual int32         LoadModule(uint32 index, PFile* file) = 0;      // 16
    virtual int32         ExtraLoad(PString fileName);                    // 17
    virtual bool          InitPlayer();                                   // 18
    virtual void          EndPlayer();                                    // 19
    virtual void          InitSound(uint16 subSong);                      // 20
    virtual void          EndSound();                                     // 21
    virtual int32         Play() = 0;                                     // 22
    virtual void          GetSamplePlayerInfo(SamplePlayerInfo* info);    // 23
    virtual PString       GetModuleName();                                // 24
    virtual PString       GetAuthor();                                    // 25
    virtual uint16        GetVirtualChannels();                           // 26
    virtual uint16        GetModuleChannels();                            // 27
    virtual const uint16* GetSubSongs();                                  // 28
    virtual int16         GetSongLength();                                // 29
    virtual int16         GetSongPosition();                              // 30
    virtual void          SetSongPosition(int16 pos);                     // 31
    virtual bool          Rewind();                                       // 32
    virtual bool          Forward();                                      // 33
    virtual uint32        GetInfoCount();                                 // 34
    virtual PString       GetInfoString(uint32 line, rv_infoType type);   // 35
    virtual void          PReserved1();                                   // 36
    virtual void          PReserved2();
    virtual void          PReserved3();
    virtual void          PReserved4();
    virtual void          PReserved5();
    virtual void          PReserved6();
    virtual void          PReserved7();
    virtual void          PReserved8();
    virtual void          PReserved9();   // 44

    // Services a player calls.
    void ModuleEnds();
    void ChangePosition();
    void ChangeModuleInfo(uint32 line, rv_infoType type, PString value);

    // Companion files of a module.
    PFile* OpenExtraFile(PString fileName, PString extension);
    void   OpenFile(PFile* file, PString name);
    void   CloseExtraFile(PFile* file);
    uint32 GetExtraFilesSize();

private:
    // Open the first of the names in directory that exists; true when one did.
    bool TryCandidates(PFile* file, const PString& directory, const std::vector<PString>& leaves);
    bool TryCaseless(PFile* file, const PString& directory, const std::vector<PString>& leaves);

public:
    RVChannel** virtualChannels;   // made and freed by the mixer
    uint16      bpm;               // tempo; the mixer sizes each tick from it
    bool        ledFilter;         // the Amiga's LED filter as the song switched it; the
                                   // mixer reads it each tick and hears it only in Amiga sound
    uint32 extraFilesSize;
};

#endif
