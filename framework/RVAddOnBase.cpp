#include "framework/RVAddOnBase.h"

RVAddOnBase::RVAddOnBase(RVGlobalData* global)
    : addOnWord1(0), addOnWord2(0), addOnWord3(0), globalData(global)
{
}


RVAddOnBase::~RVAddOnBase() {}
