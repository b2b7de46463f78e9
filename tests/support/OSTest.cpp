// The kernel kit stand-in (beos/OS.h): semaphores that really lock, thread ids,
// atomic addition and clocks.
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "beos/OS.h"
#include "tests/common/RunThreads.h"

namespace {

using Clock = std::chrono::steady_clock;

int64
MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

}   // namespace

TEST(Semaphore, Create_PositiveDistinctIds)
{
    sem_id a = create_sem(1, "a");
    sem_id b = create_sem(0, "a name far longer than the thirty-two bytes BeOS keeps");
    EXPECT_GT(a, 0);
    EXPECT_GT(b, 0);
    EXPECT_NE(a, b);
    EXPECT_EQ(B_OK, delete_sem(a));
    EXPECT_EQ(B_OK, delete_sem(b));
    EXPECT_EQ(B_BAD_VALUE, create_sem(-1, "negative"));
}

TEST(Semaphore, BadId_BadSemId)
{
    sem_id sem = create_sem(1, "gone");
    delete_sem(sem);
    for (sem_id id : { sem, (sem_id)0, (sem_id)-5 }) {
        EXPECT_EQ(B_BAD_SEM_ID, acquire_sem(id));
        EXPECT_EQ(B_BAD_SEM_ID, acquire_sem_etc(id, 1, B_RELATIVE_TIMEOUT, 0));
        EXPECT_EQ(B_BAD_SEM_ID, release_sem(id));
        EXPECT_EQ(B_BAD_SEM_ID, delete_sem(id));
    }
}

TEST(Semaphore, ZeroTimeoutOnTaken_WouldBlock)
{
    sem_id sem = create_sem(1, "taken");
    EXPECT_EQ(B_OK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0));
    EXPECT_EQ(B_WOULD_BLOCK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0));
    EXPECT_EQ((status_t)0x8000000b, B_WOULD_BLOCK);
    EXPECT_EQ(B_OK, release_sem(sem));
    EXPECT_EQ(B_OK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0));
    delete_sem(sem);
}

TEST(Semaphore, RelativeTimeout_TimedOutAfterWaiting)
{
    sem_id            sem = create_sem(0, "empty");
    Clock::time_point start = Clock::now();
    EXPECT_EQ(B_TIMED_OUT, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 100000));
    EXPECT_EQ((status_t)0x80000009, B_TIMED_OUT);
    int64 elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 90);
    EXPECT_LE(elapsed, 2000);
    delete_sem(sem);
}

TEST(Semaphore, Counting_CountAcquiresThenBlocks)
{
    sem_id sem = create_sem(3, "three");
    EXPECT_EQ(B_OK, acquire_sem_etc(sem, 2, B_RELATIVE_TIMEOUT, 0));
    int32 count = 0;
    EXPECT_EQ(B_OK, get_sem_count(sem, &count));
    EXPECT_EQ(1, count);
    EXPECT_EQ(B_WOULD_BLOCK, acquire_sem_etc(sem, 2, B_RELATIVE_TIMEOUT, 0));
    EXPECT_EQ(B_OK, release_sem_etc(sem, 2, 0));
    EXPECT_EQ(B_OK, acquire_sem_etc(sem, 3, B_RELATIVE_TIMEOUT, 0));
    EXPECT_EQ(B_BAD_VALUE, acquire_sem_etc(sem, 0, 0, 0));
    delete_sem(sem);
}

TEST(Semaphore, ReleaseFromOtherThread_WakesWaiter)
{
    sem_id      sem = create_sem(0, "signal");
    std::thread releaser([sem] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        release_sem(sem);
    });
    EXPECT_EQ(B_OK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 5000000));
    releaser.join();
    delete_sem(sem);
}

TEST(Semaphore, DeleteWhileWaiting_WaiterGetsBadSemId)
{
    sem_id                sem = create_sem(0, "doomed");
    std::atomic<status_t> result { B_OK };
    std::thread           waiter([&] { result = acquire_sem(sem); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(B_OK, delete_sem(sem));
    waiter.join();
    EXPECT_EQ(B_BAD_SEM_ID, result.load());
}

TEST(Semaphore, MutualExclusion_CounterStaysExact)
{
    sem_id sem = create_sem(1, "lock");
    int64  counter = 0;
    RunThreads(4, [&] {
        for (int i = 0; i < 5000; i++) {
            acquire_sem(sem);
            counter++;
            release_sem(sem);
        }
    });
    EXPECT_EQ(20000, counter);
    delete_sem(sem);
}

// Deleted semaphores leave their slots to new ones: an old id stays refused and no id
// is given out twice, however often slots are used again.
TEST(Semaphore, CreateDeleteManyTimes_OldIdsRefusedIdsNeverRepeat)
{
    std::set<sem_id>    seen;
    std::vector<sem_id> gone;
    for (int i = 0; i < 3000; i++) {
        sem_id sem = create_sem(1, "brief");
        ASSERT_GT(sem, 0);
        ASSERT_TRUE(seen.insert(sem).second) << "id " << sem << " given twice";
        if (i % 100 == 0)
            gone.push_back(sem);
        ASSERT_EQ(B_OK, delete_sem(sem));
    }
    sem_id live = create_sem(2, "live");
    int32  count = 0;
    for (sem_id id : gone) {
        EXPECT_EQ(B_BAD_SEM_ID, acquire_sem_etc(id, 1, B_RELATIVE_TIMEOUT, 0));
        EXPECT_EQ(B_BAD_SEM_ID, release_sem(id));
        EXPECT_EQ(B_BAD_SEM_ID, get_sem_count(id, &count));
        EXPECT_EQ(B_BAD_SEM_ID, delete_sem(id));
    }
    EXPECT_EQ(B_OK, get_sem_count(live, &count));
    EXPECT_EQ(2, count);
    delete_sem(live);
}

// Hundreds alive at once, each with its own count.
TEST(Semaphore, ManyAlive_CountsKeptApart)
{
    std::vector<sem_id> sems;
    for (int i = 0; i < 700; i++)
        sems.push_back(create_sem(i % 5, "many"));
    EXPECT_EQ(sems.size(), std::set<sem_id>(sems.begin(), sems.end()).size());
    for (size_t i = 0; i < sems.size(); i += 7)
        EXPECT_EQ(B_OK, release_sem_etc(sems[i], 3, 0));
    for (size_t i = 0; i < sems.size(); i++) {
        int32 count = -1;
        EXPECT_EQ(B_OK, get_sem_count(sems[i], &count));
        EXPECT_EQ(int32(i % 5 + (i % 7 == 0 ? 3 : 0)), count) << i;
        EXPECT_EQ(B_OK, delete_sem(sems[i]));
    }
}

// Waiters woken by a delete leave nothing behind in the semaphores made after it.
TEST(Semaphore, DeleteWithWaitersThenCreate_NewSemaphoreStartsClean)
{
    for (int round = 0; round < 20; round++) {
        sem_id                   doomed = create_sem(0, "doomed");
        std::atomic<int>         refused { 0 };
        std::vector<std::thread> waiters;
        for (int w = 0; w < 3; w++)
            waiters.emplace_back([&] { refused += acquire_sem(doomed) == B_BAD_SEM_ID; });
        int32 count = 0;
        while (get_sem_count(doomed, &count) == B_OK && count > -3)
            std::this_thread::yield();
        EXPECT_EQ(-3, count);
        EXPECT_EQ(B_OK, delete_sem(doomed));
        std::vector<sem_id> next;
        for (int i = 0; i < 4; i++)
            next.push_back(create_sem(0, "next"));
        for (std::thread& waiter : waiters)
            waiter.join();
        EXPECT_EQ(3, refused.load());
        for (sem_id sem : next) {
            EXPECT_EQ(B_OK, get_sem_count(sem, &count));
            EXPECT_EQ(0, count);
            EXPECT_EQ(B_WOULD_BLOCK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0));
            EXPECT_EQ(B_OK, release_sem(sem));
            EXPECT_EQ(B_OK, acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, 0));
            delete_sem(sem);
        }
    }
}

TEST(FindThread, Null_NonZeroAndPerThread)
{
    thread_id self = find_thread(nullptr);
    EXPECT_NE(0, self);
    EXPECT_EQ(self, find_thread(nullptr));
    std::set<thread_id> ids { self };
    std::mutex          lock;
    RunThreads(4, [&] {
        thread_id                   id = find_thread(nullptr);
        std::lock_guard<std::mutex> guard(lock);
        ids.insert(id);
    });
    EXPECT_EQ(5u, ids.size());
    EXPECT_EQ(0u, ids.count(0));
    EXPECT_LT(find_thread("someone"), 0);
}

TEST(AtomicAdd, ManyThreads_ReturnsPreviousValueAndLosesNoUpdate)
{
    int32 value = 5;
    EXPECT_EQ(5, atomic_add(&value, 3));
    EXPECT_EQ(8, atomic_add(&value, -10));
    EXPECT_EQ(-2, value);
    value = 0;
    RunThreads(4, [&] {
        for (int i = 0; i < 10000; i++)
            atomic_add(&value, 1);
    });
    EXPECT_EQ(40000, value);
}

TEST(Clocks, RealTimeInMicrosecondsSince1970)
{
    bigtime_t now = real_time_clock_usecs();
    EXPECT_GT(now, (bigtime_t)1600000000 * 1000000);   // after September 2020
    bigtime_t before = system_time();
    snooze(20000);
    EXPECT_GE(system_time() - before, 19000);
}
