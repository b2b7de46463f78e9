// The BeOS kernel kit as far as the plug-in uses it: counting semaphores, thread ids,
// atomic addition and clocks, over POSIX threads.
#ifndef BEOS_OS_H
#define BEOS_OS_H

#include "beos/SupportDefs.h"

#define B_OS_NAME_LENGTH 32
#define B_INFINITE_TIMEOUT (9223372036854775807LL)

// Flags of acquire_sem_etc and release_sem_etc (the BeOS values).
enum {
    B_CAN_INTERRUPT = 0x01,
    B_DO_NOT_RESCHEDULE = 0x02,
    B_CHECK_PERMISSION = 0x04,
    B_TIMEOUT = 0x08,
    B_RELATIVE_TIMEOUT = 0x08,   // timeout in microseconds from now
    B_ABSOLUTE_TIMEOUT = 0x10,   // timeout as a system_time() value
};

// Semaphores: real counting semaphores, ids are positive and never reused.
sem_id   create_sem(int32 count, const char* name);
status_t delete_sem(sem_id sem);
status_t acquire_sem(sem_id sem);
status_t acquire_sem_etc(sem_id sem, int32 count, uint32 flags, bigtime_t timeout);
status_t release_sem(sem_id sem);
status_t release_sem_etc(sem_id sem, int32 count, uint32 flags);
status_t get_sem_count(sem_id sem, int32* threadCount);

// find_thread(NULL) gives the calling thread's id: non-zero, unique for the process.
thread_id find_thread(const char* name);

// Adds addValue to *value atomically and returns the previous value.
int32 atomic_add(int32* value, int32 addValue);

bigtime_t real_time_clock_usecs();   // wall clock, microseconds since 1970
bigtime_t system_time();             // monotonic, microseconds
status_t  snooze(bigtime_t microseconds);

#endif
