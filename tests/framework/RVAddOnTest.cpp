// The defaults of the add-on classes: what a player or an agent that overrides nothing
// optional answers.
#include <gtest/gtest.h>

#include "framework/RVAddOnAgent.h"
#include "framework/RVAddOnPlayer.h"
#include "framework/RVGlobal.h"
#include "tests/framework/TestPlayer.h"

namespace {

using MinimalPlayer = TestPlayer;

class WidePlayer : public MinimalPlayer
{
public:
    using MinimalPlayer::MinimalPlayer;
    uint16 GetVirtualChannels() override { return 12; }
};

class MinimalAgent : public RVAddOnAgent
{
public:
    MinimalAgent(RVGlobalData* global) : RVAddOnAgent(global) {}
    PString GetName(uint32) override { return "Agent"; }
    PString GetDescription(uint32) override { return "Listens"; }
};

TEST(RVAddOnPlayer, Defaults_OfAPlayerOverridingNothingOptional)
{
    RVGlobal      global;
    MinimalPlayer player(&global);
    EXPECT_EQ(player.GetVersion(), 0.0f);
    EXPECT_EQ(player.GetCount(), 1u);
    EXPECT_EQ(player.GetSupportFlags(), 0u);
    EXPECT_EQ(player.GetConfigInfo(), nullptr);
    EXPECT_EQ(player.GetShowInfo(), nullptr);
    EXPECT_TRUE(player.GetModTypeString(0).IsEmpty());
    EXPECT_EQ(player.ExtraLoad("/nowhere/at/all.mod"), 0);
    EXPECT_TRUE(player.InitPlayer());
    EXPECT_EQ(player.GetVirtualChannels(), 4);
    EXPECT_EQ(player.GetModuleChannels(), 4);
    const uint16* subSongs = player.GetSubSongs();
    ASSERT_NE(subSongs, nullptr);
    EXPECT_EQ(subSongs[0], 1);
    EXPECT_EQ(subSongs[1], 0);
    EXPECT_EQ(player.GetSongLength(), 0);
    EXPECT_EQ(player.GetSongPosition(), -1);
    player.SetSongPosition(3);
    EXPECT_EQ(player.GetSongPosition(), -1);
    EXPECT_FALSE(player.Rewind());
    EXPECT_FALSE(player.Forward());
    EXPECT_EQ(player.GetInfoCount(), 0u);
    EXPECT_TRUE(player.GetInfoString(0, RV_INFO_VALUE).IsEmpty());
    EXPECT_TRUE(player.GetModuleName().IsEmpty());
    EXPECT_TRUE(player.GetAuthor().IsEmpty());
}

TEST(RVAddOnPlayer, Constructor_SetsSharedMembers)
{
    RVGlobal      global;
    MinimalPlayer player(&global);
    EXPECT_EQ(player.Global(), &global);
    EXPECT_EQ(player.virtualChannels, nullptr);
    EXPECT_EQ(player.bpm, 125);
    EXPECT_EQ(player.GetExtraFilesSize(), 0u);
    EXPECT_EQ(player.Word(1) | player.Word(2) | player.Word(3), 0u);
}

TEST(RVAddOnPlayer, ModuleChannels_FollowOverriddenVirtualChannels)
{
    WidePlayer     player(nullptr);
    RVAddOnPlayer& contract = player;
    EXPECT_EQ(contract.GetModuleChannels(), 12);
}

TEST(RVAddOnPlayer, ModuleEnds_SetsTheFlagOfItsGlobalData)
{
    RVGlobal      first;
    RVGlobal      second;
    MinimalPlayer player(&first);
    EXPECT_FALSE(first.moduleEnded);
    player.ModuleEnds();
    EXPECT_TRUE(first.moduleEnded);

    player.ChangeGlobalData(&second);
    EXPECT_EQ(player.Global(), &second);
    player.ModuleEnds();
    EXPECT_TRUE(second.moduleEnded);
}

TEST(RVAddOnPlayer, ModuleEnds_WithoutGlobalData_IsHarmless)
{
    MinimalPlayer player(nullptr);
    player.ModuleEnds();
    player.ChangePosition();
    player.ChangeModuleInfo(3, RV_INFO_VALUE, "140");
    EXPECT_EQ(player.Global(), nullptr);
}

TEST(RVAddOnAgent, Defaults)
{
    RVGlobal     global;
    MinimalAgent agent(&global);
    EXPECT_TRUE(agent.InitAgent());
    EXPECT_EQ(agent.Plugin_AfterLoadingBeforeCheck(nullptr), 0);
    EXPECT_EQ(agent.GetCount(), 1u);
    EXPECT_EQ(agent.GetVersion(), 0.0f);
}

}   // namespace
