// BStatable: what can be asked about a node's stat data.
#ifndef BEOS_STATABLE_H
#define BEOS_STATABLE_H

#include <sys/stat.h>
#include <sys/types.h>

#include "beos/SupportDefs.h"

class BStatable
{
public:
    virtual ~BStatable();

    virtual status_t GetStat(struct stat* st) const = 0;

    bool IsFile() const;
    bool IsDirectory() const;
    bool IsSymLink() const;

    status_t GetSize(off_t* size) const;
    status_t GetModificationTime(time_t* mtime) const;
};

#endif
