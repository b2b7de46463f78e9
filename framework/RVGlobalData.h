// RVGlobalData: what all add-ons of one framework instance share.
#ifndef FRAMEWORK_RVGLOBALDATA_H
#define FRAMEWORK_RVGLOBALDATA_H

#include "support/PList.h"
#include "support/PMutex.h"
#include "support/PString.h"

class RVAddOnPlayer;
class RVAddOnAgent;

// The application signature module types are registered for.
#define RV_APP_SIGNATURE "application/x-vnd.Brindle.Ravlo"

class RVGlobalData : public PMutex
{
public:
    RVGlobalData();
    virtual ~RVGlobalData();

    void InstallModType(PString mimeType, PString extensions, PString longDescription,
        PString shortDescription, const void* miniIcon, const void* largeIcon);
    void CallAfterAddingFilesPlugins();
    void CallAfterRemovingFilesPlugins();

    RVAddOnPlayer*       currentPlayer;   // not owned
    uint32               currentModType;
    PString              unusedString1;
    PString              unusedString2;
    int32                unusedWord;
    PString              unusedString3;
    bool                 moduleEnded;   // set by RVAddOnPlayer::ModuleEnds
    PList<RVAddOnAgent*> addingFilesAgents;
    PMutex               addingFilesLock;
    PList<RVAddOnAgent*> removingFilesAgents;
    PMutex               removingFilesLock;
    bool                 unusedFlag;
};

#endif
