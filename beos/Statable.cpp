#include "beos/Statable.h"

BStatable::~BStatable() {}

bool
BStatable::IsFile() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISREG(st.st_mode);
}

bool
BStatable::IsDirectory() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISDIR(st.st_mode);
}

bool
BStatable::IsSymLink() const
{
    struct stat st;
    return GetStat(&st) == B_OK && S_ISLNK(st.st_mode);
}

status_t
BStatable::GetSize(off_t* size) const
{
    if (size == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t    error = GetStat(&st);
    if (error == B_OK)
        *size = st.st_size;
    return error;
}

status_t
BStatable::GetModificationTime(time_t* mtime) const
{
    if (mtime == nullptr)
        return B_BAD_VALUE;
    struct stat st;
    status_t    error = GetStat(&st);
    if (error == B_OK)
        *mtime = st.st_mtime;
    return error;
}
