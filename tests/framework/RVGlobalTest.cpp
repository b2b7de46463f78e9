// The global data: its initial state, the agent lists and the message handler.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <vector>

#include "beos/Looper.h"
#include "framework/RVAddOnAgent.h"
#include "framework/RVGlobal.h"

namespace {

const uint32 kPing = 0x70696e67;   // a command constant

// Counts the notices it gets and, once, walks its list again from inside one.
class CountingAgent : public RVAddOnAgent
{
public:
    CountingAgent(RVGlobalData* global, std::vector<int>* log, int id)
        : RVAddOnAgent(global), log(log), id(id)
    {
    }

    PString GetName(uint32) override { return "Counter"; }
    PString GetDescription(uint32) override { return "Counts notices"; }
    void    Plugin_AfterAddingFiles() override
    {
        log->push_back(id);
        if (reenter) {
            reenter = false;
            globalData->CallAfterAddingFilesPlugins();
        }
    }
    void Plugin_AfterRemovingFiles() override { log->push_back(-id); }

    bool reenter = false;

private:
    std::vector<int>* log;
    int               id;
};

class RVGlobalAgents : public ::testing::Test
{
protected:
    RVGlobal         global;
    std::vector<int> log;
};

TEST(RVGlobal, Constructor_StartsEmpty)
{
    RVGlobal global;
    EXPECT_EQ(global.currentPlayer, nullptr);
    EXPECT_FALSE(global.moduleEnded);
    EXPECT_EQ(global.messageHandler, nullptr);
    EXPECT_EQ(global.addingFilesAgents.CountItems(), 0);
    EXPECT_EQ(global.removingFilesAgents.CountItems(), 0);
    EXPECT_TRUE(global.unusedFlag);
    EXPECT_EQ(global.unusedWord, 0);
}

TEST(RVGlobal, CallWithEmptyLists_LeavesLocksFree)
{
    RVGlobal global;
    global.CallAfterAddingFilesPlugins();
    global.CallAfterRemovingFilesPlugins();
    // Both locks must be free again: another thread gets them without waiting (this
    // thread would get a recursive lock it still held).
    auto tryBoth = [&global] {
        bool free = global.addingFilesLock.Lock(0) == PSYNC_OK;
        free = free && global.addingFilesLock.Unlock() == PSYNC_OK;
        free = free && global.removingFilesLock.Lock(0) == PSYNC_OK;
        return free && global.removingFilesLock.Unlock() == PSYNC_OK;
    };
    EXPECT_TRUE(std::async(std::launch::async, tryBoth).get());
}

TEST_F(RVGlobalAgents, Agents_AreCalledInOrderFromTheirOwnListOnly)
{
    CountingAgent a(&global, &log, 1);
    CountingAgent b(&global, &log, 2);
    CountingAgent c(&global, &log, 3);
    global.AddAfterAddingFilesAgent(&a);
    global.AddAfterAddingFilesAgent(&b);
    global.AddAfterRemovingFilesAgent(&c);
    global.AddAfterRemovingFilesAgent(&a);

    global.CallAfterAddingFilesPlugins();
    EXPECT_EQ(log, (std::vector<int> { 1, 2 }));
    log.clear();
    global.CallAfterRemovingFilesPlugins();
    EXPECT_EQ(log, (std::vector<int> { -3, -1 }));
}

TEST_F(RVGlobalAgents, ManyAgents_SpanSeveralListBlocks)
{
    std::vector<std::unique_ptr<CountingAgent>> agents;
    for (int i = 0; i < 25; i++) {
        agents.push_back(std::make_unique<CountingAgent>(&global, &log, i + 1));
        global.AddAfterAddingFilesAgent(agents.back().get());
    }
    global.CallAfterAddingFilesPlugins();
    ASSERT_EQ(log.size(), 25u);
    for (int i = 0; i < 25; i++)
        EXPECT_EQ(log[i], i + 1);
}

TEST_F(RVGlobalAgents, AgentMayWalkItsListAgain_LockIsRecursive)
{
    CountingAgent a(&global, &log, 1);
    a.reenter = true;
    global.AddAfterAddingFilesAgent(&a);
    global.CallAfterAddingFilesPlugins();
    EXPECT_EQ(log, (std::vector<int> { 1, 1 }));
}

TEST(RVGlobal, SendMessage_PostsACopyToTheHandler)
{
    RVGlobal global;
    BLooper  looper;
    global.SetMessageHandler(&looper);
    EXPECT_EQ(global.messageHandler, &looper);
    BMessage message(kPing);
    message.AddString("file", "a.mod");
    global.SendMessage(&message);
    message.AddString("file", "changed after posting");

    ASSERT_EQ(looper.CountMessages(), 1);
    BMessage received;
    ASSERT_TRUE(looper.NextMessage(&received));
    EXPECT_EQ(received.what, kPing);
    int32 count = 0;
    ASSERT_EQ(received.GetInfo("file", nullptr, &count), B_OK);
    EXPECT_EQ(count, 1);
}

TEST(RVGlobal, SendMessage_NullOrNoHandler_PostsNothing)
{
    RVGlobal global;
    BMessage message(kPing);
    global.SendMessage(&message);   // no handler yet

    BLooper looper;
    global.SetMessageHandler(&looper);
    global.SendMessage(nullptr);
    EXPECT_EQ(looper.CountMessages(), 0);
}

}   // namespace
