// PMutex: a recursive (optionally non-recursive) lock on one BeOS semaphore.
#ifndef SUPPORT_PMUTEX_H
#define SUPPORT_PMUTEX_H

#include "support/PSync.h"

class PMutex : public PSync
{
public:
    PMutex(bool nonRecursive = false);
    virtual ~PMutex();
    PMutex(const PMutex&) = delete;
    PMutex& operator=(const PMutex&) = delete;

    // 0 on success, PSYNC_TIMEOUT when the wait timed out, PSYNC_ERROR otherwise.
    virtual int32 Lock(uint32 timeout = PSYNC_INFINITE) override;
    virtual int32 Unlock() override;

private:
    sem_id    sem;
    thread_id owner;   // 0 when free
    int32     depth;
    bool      nonRecursive;
};

#endif
