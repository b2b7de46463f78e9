// Kernel kit over POSIX threads. A semaphore is a mutex + condition variable around a
// count, kept in a table keyed by sem_id. Unlike Haiku's build stand-in it really locks.
#include "beos/OS.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <time.h>
#include <unordered_map>

namespace {

struct Semaphore
{
    std::mutex              lock;
    std::condition_variable wakeUp;
    int32                   count = 0;
    int32                   waiting = 0;
    bool                    deleted = false;
    std::string             name;
};

struct SemTable
{
    std::mutex                                          lock;
    std::unordered_map<sem_id, std::shared_ptr<Semaphore>> sems;
    sem_id                                              nextId = 1;
};

// Never destroyed, so semaphores may be used from any static constructor or destructor.
SemTable&
Table()
{
    static SemTable* table = new SemTable;
    return *table;
}

std::shared_ptr<Semaphore>
FindSem(sem_id id)
{
    if (id <= 0)
        return nullptr;
    SemTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.sems.find(id);
    return it == table.sems.end() ? nullptr : it->second;
}

}   // namespace

sem_id
create_sem(int32 count, const char* name)
{
    if (count < 0)
        return B_BAD_VALUE;
    try {
        auto sem = std::make_shared<Semaphore>();
        sem->count = count;
        sem->name = std::string(name != nullptr ? name : "").substr(0, B_OS_NAME_LENGTH - 1);
        SemTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        if (table.nextId <= 0)
            return B_NO_MORE_SEMS;
        sem_id id = table.nextId++;
        table.sems.emplace(id, std::move(sem));
        return id;
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
}

status_t
delete_sem(sem_id id)
{
    std::shared_ptr<Semaphore> sem;
    {
        SemTable& table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.sems.find(id);
        if (it == table.sems.end())
            return B_BAD_SEM_ID;
        sem = std::move(it->second);
        table.sems.erase(it);
    }
    // Waiters wake up and see B_BAD_SEM_ID, as on BeOS.
    std::lock_guard<std::mutex> guard(sem->lock);
    sem->deleted = true;
    sem->wakeUp.notify_all();
    return B_OK;
}

status_t
acquire_sem(sem_id id)
{
    return acquire_sem_etc(id, 1, 0, 0);
}

status_t
acquire_sem_etc(sem_id id, int32 count, uint32 flags, bigtime_t timeout)
{
    if (count < 1)
        return B_BAD_VALUE;
    std::shared_ptr<Semaphore> sem = FindSem(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;

    std::unique_lock<std::mutex> guard(sem->lock);
    auto ready = [&] { return sem->deleted || sem->count >= count; };
    if (!ready()) {
        if ((flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) != 0) {
            bigtime_t wait = timeout;
            if ((flags & B_ABSOLUTE_TIMEOUT) != 0)
                wait = timeout - system_time();
            if (wait <= 0)
                return B_WOULD_BLOCK;
            sem->waiting++;
            bool got = true;
            if (wait >= B_INFINITE_TIMEOUT / 2) {
                sem->wakeUp.wait(guard, ready);
            } else {
                got = sem->wakeUp.wait_for(guard, std::chrono::microseconds(wait), ready);
            }
            sem->waiting--;
            if (!got)
                return B_TIMED_OUT;
        } else {
            sem->waiting++;
            sem->wakeUp.wait(guard, ready);
            sem->waiting--;
        }
    }
    if (sem->deleted)
        return B_BAD_SEM_ID;
    sem->count -= count;
    return B_OK;
}

status_t
release_sem(sem_id id)
{
    return release_sem_etc(id, 1, 0);
}

status_t
release_sem_etc(sem_id id, int32 count, uint32 /*flags*/)
{
    if (count < 1)
        return B_BAD_VALUE;
    std::shared_ptr<Semaphore> sem = FindSem(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    std::lock_guard<std::mutex> guard(sem->lock);
    if (sem->deleted)
        return B_BAD_SEM_ID;
    sem->count += count;
    sem->wakeUp.notify_all();
    return B_OK;
}

status_t
get_sem_count(sem_id id, int32* threadCount)
{
    if (threadCount == nullptr)
        return B_BAD_VALUE;
    std::shared_ptr<Semaphore> sem = FindSem(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    std::lock_guard<std::mutex> guard(sem->lock);
    // BeOS reports waiting threads as a negative count.
    *threadCount = sem->count > 0 ? sem->count : -sem->waiting;
    return B_OK;
}

thread_id
find_thread(const char* name)
{
    if (name != nullptr)
        return B_NAME_NOT_FOUND;
    static std::atomic<thread_id> nextId{1};
    thread_local thread_id self = nextId.fetch_add(1);
    return self;
}

int32
atomic_add(int32* value, int32 addValue)
{
    return __atomic_fetch_add(value, addValue, __ATOMIC_SEQ_CST);
}

static bigtime_t
ClockUsecs(clockid_t clock)
{
    struct timespec ts;
    clock_gettime(clock, &ts);
    return (bigtime_t)ts.tv_sec * 1000000 + ts.tv_nsec / 1000;
}

bigtime_t
real_time_clock_usecs()
{
    return ClockUsecs(CLOCK_REALTIME);
}

bigtime_t
system_time()
{
    return ClockUsecs(CLOCK_MONOTONIC);
}

status_t
snooze(bigtime_t microseconds)
{
    if (microseconds <= 0)
        return B_OK;
    struct timespec ts;
    ts.tv_sec = microseconds / 1000000;
    ts.tv_nsec = (long)(microseconds % 1000000) * 1000;
    while (nanosleep(&ts, &ts) != 0) {
    }
    return B_OK;
}
