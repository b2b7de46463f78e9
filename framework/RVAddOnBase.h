// RVAddOnBase: ties an add-on to the global data it belongs to.
#ifndef FRAMEWORK_RVADDONBASE_H
#define FRAMEWORK_RVADDONBASE_H

#include "beos/SupportDefs.h"

class RVGlobalData;

class RVAddOnBase
{
public:
    RVAddOnBase(RVGlobalData* global);
    virtual ~RVAddOnBase();

    void ChangeGlobalData(RVGlobalData* global) { globalData = global; }

protected:
    uint32        addOnWord1;   // set by concrete add-ons, read by nobody
    uint32        addOnWord2;
    uint32        addOnWord3;
    RVGlobalData* globalData;   // not owned
};

#endif
