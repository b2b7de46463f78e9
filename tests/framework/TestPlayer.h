// A player that overrides only what the contract makes it supply.
#ifndef TESTS_FRAMEWORK_TESTPLAYER_H
#define TESTS_FRAMEWORK_TESTPLAYER_H

#include "framework/RVAddOnPlayer.h"

class TestPlayer : public RVAddOnPlayer
{
public:
    TestPlayer(RVGlobalData* global) : RVAddOnPlayer(global) {}

    PString GetName(uint32) override { return "Minimal"; }
    PString GetDescription(uint32) override { return "Overrides only what it must"; }
    int32   ModuleCheck(uint32, PFile*) override { return -1; }
    int32   LoadModule(uint32, PFile*) override { return -1; }
    int32   Play() override { return 0; }

    RVGlobalData* Global() const { return globalData; }
    uint32 Word(int n) const { return n == 1 ? addOnWord1 : n == 2 ? addOnWord2 : addOnWord3; }
};

#endif
