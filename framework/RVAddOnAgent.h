// RVAddOnAgent: an add-on that is told about events (slots 14 to 33 after RVAddOn's).
#ifndef FRAMEWORK_RVADDONAGENT_H
#define FRAMEWORK_RVADDONAGENT_H

#include "framework/RVAddOn.h"
#include "framework/RVAddOnPlayer.h"

struct AfterLoadingBeforeCheckInfo;

class RVAddOnAgent : public RVAddOn
{
public:
    RVAddOnAgent(RVGlobalData* global);
    virtual ~RVAddOnAgent();

    virtual bool  InitAgent();                                                              // 14
    virtual void  EndAgent();                                                               // 15
    virtual void  OpenWindows();                                                            // 16
    virtual void  Run();                                                                    // 17
    virtual void  Plugin_ModuleInfoChanged(uint32 line, rv_infoType type, PString value);   // 18
    virtual void  Plugin_AfterInit();                                                       // 19
    virtual void  Plugin_AfterInitSong();                                                   // 20
    virtual void  Plugin_AfterFree();                                                       // 21
    virtual void  Plugin_AfterAddingFiles();                                                // 22
    virtual void  Plugin_AfterRemovingFiles();                                              // 23
    virtual int32 Plugin_AfterLoadingBeforeCheck(AfterLoadingBeforeCheckInfo* info);        // 24
    virtual void  AReserved1();                                                             // 25
    virtual void  AReserved2();
    virtual void  AReserved3();
    virtual void  AReserved4();
    virtual void  AReserved5();
    virtual void  AReserved6();
    virtual void  AReserved7();
    virtual void  AReserved8();
    virtual void  AReserved9();   // 33

    void LoadModule(int32 index);
    void FreeModule();
};

#endif
