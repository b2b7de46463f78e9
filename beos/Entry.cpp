#include "beos/Entry.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <new>

#include "beos/Path.h"
#include "beos/PosixError.h"

namespace {

// rename() that never replaces an existing destination. renameat2 does it atomically;
// where the file system refuses the flag, a hard link and an unlink do it for files.
status_t
RenameNoReplace(const char* from, const char* to)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return B_OK;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return status_from_errno(errno);
#endif
    struct stat st;
    if (lstat(from, &st) != 0)
        return status_from_errno(errno);
    if (S_ISDIR(st.st_mode)) {
        // No link for directories: check, then rename (not atomic, the best left).
        if (lstat(to, &st) == 0)
            return B_FILE_EXISTS;
        return rename(from, to) == 0 ? B_OK : status_from_errno(errno);
    }
    if (link(from, to) != 0)
        return status_from_errno(errno);
    if (unlink(from) != 0) {
        status_t error = status_from_errno(errno);
        unlink(to);
        return error;
    }
    return B_OK;
}

}   // namespace

BEntry::BEntry() : fCStatus(B_NO_INIT) {}

BEntry::BEntry(const char* path, bool traverse) : fCStatus(B_NO_INIT) { SetTo(path, traverse); }

BEntry::~BEntry() {}

status_t
BEntry::SetTo(const char* path, bool traverse)
{
    Unset();
    BPath resolved(path, nullptr, true);
    if (resolved.InitCheck() != B_OK)
        return fCStatus = resolved.InitCheck();
    try {
        fPath = resolved.Path();
        if (traverse) {
            char target[PATH_MAX];
            if (realpath(fPath.c_str(), target) != nullptr)
                fPath = target;
        }
    } catch (const std::bad_alloc&) {
        fPath.clear();
        return fCStatus = B_NO_MEMORY;
    }
    return fCStatus = B_OK;
}

void
BEntry::Unset()
{
    fPath.clear();
    fCStatus = B_NO_INIT;
}

status_t
BEntry::InitCheck() const
{
    return fCStatus;
}

bool
BEntry::Exists() const
{
    struct stat st;
    return GetStat(&st) == B_OK;
}

status_t
BEntry::GetStat(struct stat* st) const
{
    if (st == nullptr)
        return B_BAD_VALUE;
    if (fCStatus != B_OK)
        return fCStatus;
    return lstat(fPath.c_str(), st) == 0 ? B_OK : status_from_errno(errno);
}

status_t
BEntry::GetName(char* buffer) const
{
    if (buffer == nullptr)
        return B_BAD_VALUE;
    if (fCStatus != B_OK)
        return fCStatus;
    const char* leaf = fPath.c_str() + fPath.rfind('/') + 1;
    if (strlen(leaf) >= B_FILE_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    strcpy(buffer, leaf);
    return B_OK;
}

status_t
BEntry::GetPath(BPath* path) const
{
    if (path == nullptr)
        return B_BAD_VALUE;
    if (fCStatus != B_OK)
        return fCStatus;
    return path->SetTo(fPath.c_str());
}

status_t
BEntry::Rename(const char* path, bool clobber)
{
    if (fCStatus != B_OK)
        return fCStatus;
    if (path == nullptr || path[0] == '\0')
        return B_BAD_VALUE;
    std::string target;
    try {
        if (path[0] == '/') {
            target = path;
        } else {
            size_t slash = fPath.rfind('/');
            target = (slash == 0 ? std::string("/") : fPath.substr(0, slash + 1)) + path;
        }
    } catch (const std::bad_alloc&) {
        return B_NO_MEMORY;
    }
    status_t error;
    if (clobber)
        error = rename(fPath.c_str(), target.c_str()) == 0 ? B_OK : status_from_errno(errno);
    else
        error = RenameNoReplace(fPath.c_str(), target.c_str());
    if (error != B_OK)
        return error;
    return SetTo(target.c_str());
}

status_t
BEntry::Remove()
{
    if (fCStatus != B_OK)
        return fCStatus;
    struct stat st;
    if (lstat(fPath.c_str(), &st) != 0)
        return status_from_errno(errno);
    int result = S_ISDIR(st.st_mode) ? rmdir(fPath.c_str()) : unlink(fPath.c_str());
    return result == 0 ? B_OK : status_from_errno(errno);
}
