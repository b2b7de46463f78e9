// RVAddOn: the identification operations every add-on answers (slots 1 to 13).
#ifndef FRAMEWORK_RVADDON_H
#define FRAMEWORK_RVADDON_H

#include "framework/RVAddOnBase.h"
#include "support/PString.h"

class RVAddOn : public RVAddOnBase
{
public:
    RVAddOn(RVGlobalData* global);
    virtual ~RVAddOn();   //  1

    virtual float   GetVersion();                       //  2
    virtual uint32  GetCount();                         //  3
    virtual PString GetName(uint32 index) = 0;          //  4
    virtual PString GetDescription(uint32 index) = 0;   //  5
    virtual uint32  GetSupportFlags();                  //  6
    virtual void*   GetConfigInfo();                    //  7
    virtual void*   GetShowInfo();                      //  8
    virtual void    Reserved1();                        //  9
    virtual void    Reserved2();
    virtual void    Reserved3();
    virtual void    Reserved4();
    virtual void    Reserved5();   // 13
};

#endif
