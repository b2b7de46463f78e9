#include "framework/RVAddOn.h"

RVAddOn::RVAddOn(RVGlobalData* global) : RVAddOnBase(global) {}


RVAddOn::~RVAddOn() {}


float
RVAddOn::GetVersion()
{
    return 0.0f;
}


uint32
RVAddOn::GetCount()
{
    return 1;
}


uint32
RVAddOn::GetSupportFlags()
{
    return 0;
}


void*
RVAddOn::GetConfigInfo()
{
    return nullptr;
}


void*
RVAddOn::GetShowInfo()
{
    return nullptr;
}


// clang-format off
void RVAddOn::Reserved1() {}
void RVAddOn::Reserved2() {}
void RVAddOn::Reserved3() {}
void RVAddOn::Reserved4() {}
void RVAddOn::Reserved5() {}
// clang-format on
