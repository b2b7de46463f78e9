// PSync: what every lockable object offers.
#ifndef SUPPORT_PSYNC_H
#define SUPPORT_PSYNC_H

#include "beos/SupportDefs.h"

enum : int32 {
    PSYNC_OK = 0,
    PSYNC_ERROR = -1,
    PSYNC_TIMEOUT = -2,
};

const uint32 PSYNC_INFINITE = 0xffffffff;

class PSync
{
public:
    virtual ~PSync() {}
    virtual int32 Lock(uint32 timeout = PSYNC_INFINITE) = 0;   // milliseconds
    virtual int32 Unlock() = 0;
};

#endif
