// PMutex: recursion, exclusion across threads and time-outs.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "support/PMutex.h"
#include "tests/common/RunThreads.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs Lock(timeout) on another thread and reports its result and duration in ms.
int32
LockFromOtherThread(PMutex& mutex, uint32 timeout, int64* elapsedMs = nullptr)
{
    int32       result = 12345;
    std::thread other([&] {
        Clock::time_point start = Clock::now();
        result = mutex.Lock(timeout);
        if (elapsedMs != nullptr) {
            *elapsedMs =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        }
        if (result == PSYNC_OK)
            mutex.Unlock();
    });
    other.join();
    return result;
}

}   // namespace

TEST(PMutex, RecursiveThreeTimes_ReleasedOnlyByThirdUnlock)
{
    PMutex mutex;
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(PSYNC_OK, mutex.Lock(0));
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
    EXPECT_EQ(PSYNC_TIMEOUT, LockFromOtherThread(mutex, 0));
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
    EXPECT_EQ(PSYNC_TIMEOUT, LockFromOtherThread(mutex, 0));
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
    EXPECT_EQ(PSYNC_OK, LockFromOtherThread(mutex, 0));
}

TEST(PMutex, LockZeroHeldByOther_TimesOutAtOnce)
{
    PMutex mutex;
    ASSERT_EQ(PSYNC_OK, mutex.Lock());
    int64 elapsed = -1;
    EXPECT_EQ(PSYNC_TIMEOUT, LockFromOtherThread(mutex, 0, &elapsed));
    EXPECT_LT(elapsed, 200);
    mutex.Unlock();
}

TEST(PMutex, Lock250HeldByOther_WaitsThenTimesOut)
{
    PMutex mutex;
    ASSERT_EQ(PSYNC_OK, mutex.Lock());
    int64 elapsed = -1;
    EXPECT_EQ(PSYNC_TIMEOUT, LockFromOtherThread(mutex, 250, &elapsed));
    // A generous window: the machine is noisy.
    EXPECT_GE(elapsed, 200);
    EXPECT_LE(elapsed, 2000);
    mutex.Unlock();
}

TEST(PMutex, NonRecursiveSecondLock_TimesOut)
{
    PMutex mutex(true);
    ASSERT_EQ(PSYNC_OK, mutex.Lock());
    EXPECT_EQ(PSYNC_TIMEOUT, mutex.Lock(0));
    EXPECT_EQ(PSYNC_TIMEOUT, mutex.Lock(20));
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
    EXPECT_EQ(PSYNC_OK, mutex.Lock(0));
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
}

TEST(PMutex, WaiterGetsLockWhenReleased)
{
    PMutex mutex;
    ASSERT_EQ(PSYNC_OK, mutex.Lock());
    std::atomic<int32> result { 12345 };
    std::thread        waiter([&] {
        result = mutex.Lock(5000);
        if (result == PSYNC_OK)
            mutex.Unlock();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    mutex.Unlock();
    waiter.join();
    EXPECT_EQ(PSYNC_OK, result.load());
}

TEST(PMutex, UnlockWhenFree_FailsAndLockStillExcludes)
{
    PMutex mutex;
    EXPECT_EQ(PSYNC_ERROR, mutex.Unlock());
    EXPECT_EQ(PSYNC_OK, LockFromOtherThread(mutex, 0));
    EXPECT_EQ(PSYNC_OK, mutex.Lock());
    EXPECT_EQ(PSYNC_TIMEOUT, LockFromOtherThread(mutex, 0));   // still a single holder
    EXPECT_EQ(PSYNC_OK, mutex.Unlock());
    EXPECT_EQ(PSYNC_OK, LockFromOtherThread(mutex, 0));
}

TEST(PMutex, Contention_CounterStaysExact)
{
    PMutex mutex;
    int64  counter = 0;   // guarded by mutex only
    RunThreads(4, [&] {
        for (int i = 0; i < 5000; i++) {
            mutex.Lock();
            mutex.Lock();   // recursive
            counter++;
            mutex.Unlock();
            mutex.Unlock();
        }
    });
    EXPECT_EQ(4 * 5000, counter);
}
