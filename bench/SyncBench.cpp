// The lock and unlock path of the platform layer: the player's mutex as Play (a try
// without waiting) and the position read (waiting) take it, and the bare semaphore
// calls beneath. With several threads each locks its own mutex, so any cost shared
// between unrelated semaphores shows as lost throughput.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "beos/OS.h"
#include "support/PMutex.h"

namespace {

// Semaphores that exist beside the one in use, as other players and lists hold them.
const int kOtherSemaphores = 64;

class OtherSemaphores
{
public:
    OtherSemaphores()
    {
        for (int i = 0; i < kOtherSemaphores; i++)
            ids.push_back(create_sem(1, "other"));
    }
    ~OtherSemaphores()
    {
        for (sem_id id : ids)
            delete_sem(id);
    }

private:
    std::vector<sem_id> ids;
};


// Argument: the timeout, 0 (as Play tries it) or PSYNC_INFINITE.
void
BM_MutexLockUnlock(benchmark::State& state)
{
    static OtherSemaphores others;
    const uint32           timeout = uint32(state.range(0));
    PMutex                 mutex;
    for (auto _ : state) {
        benchmark::DoNotOptimize(mutex.Lock(timeout));
        benchmark::DoNotOptimize(mutex.Unlock());
    }
    state.SetItemsProcessed(int64(state.iterations()));
}


void
BM_SemAcquireRelease(benchmark::State& state)
{
    static OtherSemaphores others;
    const sem_id           sem = create_sem(1, "bench");
    for (auto _ : state) {
        benchmark::DoNotOptimize(acquire_sem(sem));
        benchmark::DoNotOptimize(release_sem(sem));
    }
    state.SetItemsProcessed(int64(state.iterations()));
    delete_sem(sem);
}

}   // namespace

BENCHMARK(BM_MutexLockUnlock)->Arg(0)->Arg(PSYNC_INFINITE)->Threads(1)->Threads(2);
BENCHMARK(BM_SemAcquireRelease)->Threads(1)->Threads(2);
