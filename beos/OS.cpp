// Kernel kit over POSIX threads. Unlike Haiku's build stand-in it really locks.
//
// Semaphores live in slots that are never freed, in chunks made as the number alive at
// once grows. An id names a slot and the generation of its use, so finding a semaphore
// is an index into the chunks, with no lock. The slot keeps the id of the semaphore in
// it and its count together in one atomic word: a count is taken or given with one
// compare-and-swap that also checks the id, so a caller holding a deleted id never
// touches the count of the semaphore that lives in the slot after it. Only a thread
// that has to wait takes the slot's mutex and sleeps on its condition variable. A
// deleted slot is used again only when no waiter is left in it, under a new
// generation, so an id is never given out twice.
#include "beos/OS.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>
#include <time.h>
#include <vector>

namespace {

const int32 kSlotBits = 16;
const int32 kSlotCount = 1 << kSlotBits;   // semaphores alive at once
const int32 kChunkBits = 6;
const int32 kChunkSlots = 1 << kChunkBits;
const int32 kChunkCount = kSlotCount / kChunkSlots;
// Ids are generation << kSlotBits | slot: positive, and below 2^31.
const int32 kMaxGeneration = INT32_MAX >> kSlotBits;

struct Semaphore
{
    // id << 32 | count; the id is 0 while the slot is free or deleted.
    std::atomic<uint64> state { 0 };
    // Threads in the slow path, changed under `lock`; releasers read it to know
    // whether anyone needs waking.
    std::atomic<int32>      waiting { 0 };
    std::mutex              lock;
    std::condition_variable wakeUp;
    char                    name[B_OS_NAME_LENGTH] = {};
    // Under the table's lock.
    int32 generation = 0;
};

inline uint64
State(sem_id id, uint32 count)
{
    return uint64(uint32(id)) << 32 | count;
}

inline sem_id
IdOf(uint64 state)
{
    return sem_id(state >> 32);
}

inline int32
CountOf(uint64 state)
{
    return int32(uint32(state));
}

// Takes `count` if the semaphore `id` has that much; false when it has not, or when it
// is not there (then `alive` is false).
bool
TryTake(Semaphore* sem, sem_id id, int32 count, bool& alive)
{
    uint64 state = sem->state.load();
    for (;;) {
        alive = IdOf(state) == id;
        if (!alive || CountOf(state) < count)
            return false;
        if (sem->state.compare_exchange_weak(state, state - uint32(count)))
            return true;
    }
}

// Zero before any constructor runs and never destroyed, so semaphores work from any
// static constructor or destructor.
constinit std::atomic<Semaphore*> sChunks[kChunkCount] = {};

// What only creating and deleting touch.
struct SlotTable
{
    std::mutex         lock;
    std::vector<int32> freeSlots;
    int32              usedSlots = 0;   // slots handed out at least once
};

SlotTable&
Table()
{
    static SlotTable* table = new SlotTable;
    return *table;
}

Semaphore*
SlotAt(int32 slot)
{
    Semaphore* chunk = sChunks[slot >> kChunkBits].load(std::memory_order_acquire);
    return chunk != nullptr ? &chunk[slot & (kChunkSlots - 1)] : nullptr;
}

int32
SlotOf(sem_id id)
{
    return id & (kSlotCount - 1);
}

// The slot an id names, or null when the id cannot name one; whether the semaphore
// still lives there is for the caller to check under the slot's mutex.
Semaphore*
FindSlot(sem_id id)
{
    return id > 0 ? SlotAt(SlotOf(id)) : nullptr;
}

// A slot for a new semaphore, with its generation raised; -1 when none is left.
// Called with the table locked.
int32
TakeSlot(SlotTable& table)
{
    for (;;) {
        int32 slot;
        if (!table.freeSlots.empty()) {
            slot = table.freeSlots.back();
            table.freeSlots.pop_back();
        } else if (table.usedSlots < kSlotCount) {
            slot = table.usedSlots;
            if ((slot & (kChunkSlots - 1)) == 0)
                sChunks[slot >> kChunkBits].store(
                    new Semaphore[kChunkSlots], std::memory_order_release);
            table.usedSlots++;
        } else {
            return -1;
        }
        Semaphore* sem = SlotAt(slot);
        // A slot whose generations are used up retires, so no id comes back.
        if (sem->generation < kMaxGeneration) {
            sem->generation++;
            return slot;
        }
    }
}

void
FreeSlot(sem_id id)
{
    SlotTable&                  table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    table.freeSlots.push_back(SlotOf(id));
}

}   // namespace

sem_id
create_sem(int32 count, const char* name)
{
    if (count < 0)
        return B_BAD_VALUE;
    Semaphore* sem;
    sem_id     id;
    try {
        SlotTable&                  table = Table();
        std::lock_guard<std::mutex> guard(table.lock);
        // Room for the slot's return first, so that deleting never needs memory.
        table.freeSlots.reserve(size_t(table.usedSlots) + kChunkSlots);
        const int32 slot = TakeSlot(table);
        if (slot < 0)
            return B_NO_MORE_SEMS;
        sem = SlotAt(slot);
        id = sem->generation << kSlotBits | slot;
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    std::lock_guard<std::mutex> guard(sem->lock);
    strncpy(sem->name, name != nullptr ? name : "", B_OS_NAME_LENGTH - 1);
    sem->state.store(State(id, uint32(count)));
    return id;
}

status_t
delete_sem(sem_id id)
{
    Semaphore* sem = FindSlot(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    bool free;
    {
        std::lock_guard<std::mutex> guard(sem->lock);
        uint64                      state = sem->state.load();
        do {
            if (IdOf(state) != id)
                return B_BAD_SEM_ID;
        } while (!sem->state.compare_exchange_weak(state, 0));
        // Waiters wake up and see B_BAD_SEM_ID, as on BeOS; the last of them frees
        // the slot.
        free = sem->waiting == 0;
        if (!free)
            sem->wakeUp.notify_all();
    }
    if (free)
        FreeSlot(id);
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
    Semaphore* sem = FindSlot(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    bool alive;
    if (TryTake(sem, id, count, alive))
        return B_OK;
    if (!alive)
        return B_BAD_SEM_ID;

    bool      timed = (flags & (B_RELATIVE_TIMEOUT | B_ABSOLUTE_TIMEOUT)) != 0;
    bigtime_t wait = timeout;
    if ((flags & B_ABSOLUTE_TIMEOUT) != 0)
        wait = timeout - system_time();
    if (timed && wait >= B_INFINITE_TIMEOUT / 2)
        timed = false;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(timed && wait > 0 ? wait : 0);

    // Counted as waiting before the count is looked at again: a release either sees
    // the waiter or leaves a count this thread sees.
    std::unique_lock<std::mutex> guard(sem->lock);
    sem->waiting++;
    status_t result;
    bool     expired = timed && wait <= 0;
    for (;;) {
        if (TryTake(sem, id, count, alive)) {
            result = B_OK;
            break;
        }
        if (!alive) {
            result = B_BAD_SEM_ID;
            break;
        }
        if (expired) {
            result = timed && wait <= 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
            break;
        }
        if (timed)
            expired = sem->wakeUp.wait_until(guard, deadline) == std::cv_status::timeout;
        else
            sem->wakeUp.wait(guard);
    }
    // While this thread was counted the slot could not be used again, so a semaphore
    // that is not there was deleted, and the last waiter out frees its slot.
    const bool free = --sem->waiting == 0 && IdOf(sem->state.load()) == 0;
    guard.unlock();
    if (free)
        FreeSlot(id);
    return result;
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
    Semaphore* sem = FindSlot(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    uint64 state = sem->state.load();
    do {
        if (IdOf(state) != id)
            return B_BAD_SEM_ID;
        // The count must not carry into the id.
        if (CountOf(state) > INT32_MAX - count)
            return B_BAD_VALUE;
    } while (!sem->state.compare_exchange_weak(state, state + uint32(count)));
    if (sem->waiting.load() != 0) {
        std::lock_guard<std::mutex> guard(sem->lock);
        sem->wakeUp.notify_all();
    }
    return B_OK;
}

status_t
get_sem_count(sem_id id, int32* threadCount)
{
    if (threadCount == nullptr)
        return B_BAD_VALUE;
    Semaphore* sem = FindSlot(id);
    if (sem == nullptr)
        return B_BAD_SEM_ID;
    const uint64 state = sem->state.load();
    if (IdOf(state) != id)
        return B_BAD_SEM_ID;
    // BeOS reports waiting threads as a negative count.
    *threadCount = CountOf(state) > 0 ? CountOf(state) : -sem->waiting.load();
    return B_OK;
}

thread_id
find_thread(const char* name)
{
    if (name != nullptr)
        return B_NAME_NOT_FOUND;
    static std::atomic<thread_id> nextId { 1 };
    thread_local thread_id        self = nextId.fetch_add(1);
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
    while (nanosleep(&ts, &ts) != 0) {}
    return B_OK;
}
