// Allocation failures inside the loaders: every one is error 1 and leaves nothing behind.
// The loaders allocate through nothrow array new, which this program replaces with a
// version that fails on request.
#include "LoaderTestSupport.h"

#include <new>

#include "support/PException.h"

using namespace zw;

namespace {

int gFailAfter = 0;   // 0: never fail; n: the n-th allocation from now fails

}   // namespace

void*
operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    if (gFailAfter > 0 && --gFailAfter == 0)
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

namespace {

class MemoryFailureTest : public PlayerTest
{
protected:
    void TearDown() override { gFailAfter = 0; }

    // Fails each allocation of a load in turn, until the load needs no more. The loader's
    // own arrays fail with error 1; a string's allocation raises the memory exception,
    // which passes through the loader. Either way nothing stays allocated.
    void FailEachAllocation(uint32 type, const std::vector<uint8>& bytes)
    {
        int errors = 0;
        for (int n = 1; n < 100; n++) {
            gFailAfter = n;
            int32 result = -1;
            bool  raised = false;
            testing::internal::CaptureStdout();
            try {
                result = Load(type, bytes);
            } catch (PMemoryException* e) {
                e->Delete();
                raised = true;
            }
            std::string out = testing::internal::GetCapturedStdout();
            bool        failed = gFailAfter == 0;
            gFailAfter = 0;
            if (!failed) {
                EXPECT_EQ(result, 0);
                break;
            }
            SCOPED_TRACE(testing::Message() << "allocation " << n);
            if (!raised) {
                errors++;
                EXPECT_EQ(result, 1);
                EXPECT_EQ(out, ErrorLine(1));
            }
            ExpectNothingOwned();
        }
        EXPECT_GT(errors, 3);
    }
};

}   // namespace

TEST_F(MemoryFailureTest, ModLoad_EachAllocationFailsCleanly)
{
    ModWriter mod("6CHN");
    mod.SetPositions({ 0, 1 });
    mod.SetSample(1, std::vector<int8>(64, 1));
    mod.SetSample(2, std::vector<int8>(64, 1));
    FailEachAllocation(MODTYPE_FASTTRACKER, mod.Build());
}

TEST_F(MemoryFailureTest, MtmLoad_EachAllocationFailsCleanly)
{
    MtmWriter mtm(4, 64);
    mtm.SetSample(1, std::vector<uint8>(64, 0x80));
    mtm.Row(2, 0) = { 1, 1, 0, 0 };
    mtm.Sequence(1, 0) = 2;
    FailEachAllocation(MODTYPE_MULTITRACKER, mtm.Build());
}

TEST_F(MemoryFailureTest, InitPlayer_NoChannelsMeansNoMutex)
{
    ModWriter mod("M.K.");
    mod.SetPositions({ 0 });
    ASSERT_EQ(Load(MODTYPE_NOISETRACKER, mod.Build()), 0);
    gFailAfter = 1;
    EXPECT_FALSE(player.InitPlayer());
    EXPECT_EQ(player.Replay().channels, nullptr);
    EXPECT_EQ(player.Replay().mutex, nullptr);
    EXPECT_TRUE(player.InitPlayer());
}
