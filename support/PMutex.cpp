// PMutex: a recursive lock on one BeOS semaphore (count 1), with an optional
// non-recursive mode. Owner and depth are written only by the holder of the semaphore;
// other threads only compare the owner with their own id, through an atomic load.
#include "support/PMutex.h"

#include "beos/OS.h"
#include "support/PException.h"

PMutex::PMutex(bool nonRecursive)
    : sem(create_sem(1, "Some PMutex")), owner(0), depth(0), nonRecursive(nonRecursive)
{
    if (sem < 0)
        ThrowSystemException(ConvertOSError(sem));
}

PMutex::~PMutex() { delete_sem(sem); }

int32
PMutex::Lock(uint32 timeout)
{
    thread_id self = find_thread(nullptr);
    if (!nonRecursive && __atomic_load_n(&owner, __ATOMIC_RELAXED) == self) {
        depth++;
        return PSYNC_OK;
    }

    status_t result;
    if (timeout == PSYNC_INFINITE)
        result = acquire_sem(sem);
    else
        result = acquire_sem_etc(sem, 1, B_RELATIVE_TIMEOUT, (bigtime_t)timeout * 1000);

    if (result == B_OK) {
        __atomic_store_n(&owner, self, __ATOMIC_RELAXED);
        depth = 1;
        return PSYNC_OK;
    }
    if (result == B_TIMED_OUT || (result == B_WOULD_BLOCK && timeout == 0))
        return PSYNC_TIMEOUT;
    return PSYNC_ERROR;
}

// Mend: an Unlock of a mutex that is not locked returns PSYNC_ERROR instead of
// releasing the semaphore a second time (which would let two threads in).
int32
PMutex::Unlock()
{
    if (depth <= 0)
        return PSYNC_ERROR;
    depth--;
    if (!nonRecursive && depth >= 1)
        return PSYNC_OK;
    depth = 0;
    __atomic_store_n(&owner, 0, __ATOMIC_RELAXED);
    return release_sem(sem) == B_OK ? PSYNC_OK : PSYNC_ERROR;
}
