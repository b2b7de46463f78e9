#include "framework/RVAddOnAgent.h"

RVAddOnAgent::RVAddOnAgent(RVGlobalData* global) : RVAddOn(global) {}


RVAddOnAgent::~RVAddOnAgent() {}


bool
RVAddOnAgent::InitAgent()
{
    return true;
}


int32
RVAddOnAgent::Plugin_AfterLoadingBeforeCheck(AfterLoadingBeforeCheckInfo* /*info*/)
{
    return 0;
}


// clang-format off
void RVAddOnAgent::EndAgent() {}
void RVAddOnAgent::OpenWindows() {}
void RVAddOnAgent::Run() {}
void RVAddOnAgent::Plugin_ModuleInfoChanged(uint32, rv_infoType, PString) {}
void RVAddOnAgent::Plugin_AfterInit() {}
void RVAddOnAgent::Plugin_AfterInitSong() {}
void RVAddOnAgent::Plugin_AfterFree() {}
void RVAddOnAgent::Plugin_AfterAddingFiles() {}
void RVAddOnAgent::Plugin_AfterRemovingFiles() {}

void RVAddOnAgent::AReserved1() {}
void RVAddOnAgent::AReserved2() {}
void RVAddOnAgent::AReserved3() {}
void RVAddOnAgent::AReserved4() {}
void RVAddOnAgent::AReserved5() {}
void RVAddOnAgent::AReserved6() {}
void RVAddOnAgent::AReserved7() {}
void RVAddOnAgent::AReserved8() {}
void RVAddOnAgent::AReserved9() {}

void RVAddOnAgent::LoadModule(int32) {}
void RVAddOnAgent::FreeModule() {}
// clang-format on
