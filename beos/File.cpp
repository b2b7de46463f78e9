#include "beos/File.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "beos/PosixError.h"

namespace {

int
PosixOpenFlags(uint32 openMode)
{
    int flags = O_CLOEXEC;
    switch (openMode & B_ACCESS_MODE) {
        case B_WRITE_ONLY: flags |= O_WRONLY; break;
        case B_READ_WRITE: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
    }
    if ((openMode & B_CREATE_FILE) != 0)
        flags |= O_CREAT;
    if ((openMode & B_FAIL_IF_EXISTS) != 0)
        flags |= O_EXCL;
    if ((openMode & B_ERASE_FILE) != 0)
        flags |= O_TRUNC;
    if ((openMode & B_OPEN_AT_END) != 0)
        flags |= O_APPEND;
    return flags;
}

}   // namespace

BFile::BFile() : fMode(0) {}

BFile::BFile(const char* path, uint32 openMode) : fMode(0) { SetTo(path, openMode); }

BFile::~BFile() {}

status_t
BFile::SetTo(const char* path, uint32 openMode)
{
    Unset();
    if (path == nullptr) {
        _SetDescriptor(-1, B_BAD_VALUE);
        return InitCheck();
    }
    // Without O_NONBLOCK, opening a named pipe waits for a writer, for ever if none
    // comes (SpecialFiles.NamedPipeWithoutWriter_RefusedAtOnce). Reads block again below.
    int fd = open(path, PosixOpenFlags(openMode) | O_NONBLOCK, 0666);
    if (fd < 0) {
        _SetDescriptor(-1, status_from_errno(errno));
        return InitCheck();
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        status_t error = S_ISDIR(st.st_mode) ? B_IS_A_DIRECTORY : status_from_errno(errno);
        close(fd);
        _SetDescriptor(-1, error);
        return InitCheck();
    }
    int descriptorFlags = fcntl(fd, F_GETFL);
    if (descriptorFlags >= 0)
        fcntl(fd, F_SETFL, descriptorFlags & ~O_NONBLOCK);
    fMode = openMode;
    _SetDescriptor(fd, B_OK);
    return B_OK;
}

void
BFile::Unset()
{
    BNode::Unset();
    fMode = 0;
}

bool
BFile::IsReadable() const
{
    return InitCheck() == B_OK && (fMode & B_ACCESS_MODE) != B_WRITE_ONLY;
}

bool
BFile::IsWritable() const
{
    uint32 access = fMode & B_ACCESS_MODE;
    return InitCheck() == B_OK && (access == B_WRITE_ONLY || access == B_READ_WRITE);
}

ssize_t
BFile::Read(void* buffer, size_t size)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    size_t total = 0;
    while (total < size) {
        ssize_t got = read(_Descriptor(), (char*)buffer + total, size - total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return total > 0 ? (ssize_t)total : status_from_errno(errno);
        if (got == 0)
            break;
        total += (size_t)got;
    }
    return (ssize_t)total;
}

ssize_t
BFile::Write(const void* buffer, size_t size)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    size_t total = 0;
    while (total < size) {
        ssize_t put = write(_Descriptor(), (const char*)buffer + total, size - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return total > 0 ? (ssize_t)total : status_from_errno(errno);
        if (put == 0)
            break;
        total += (size_t)put;
    }
    return (ssize_t)total;
}

ssize_t
BFile::ReadAt(off_t position, void* buffer, size_t size)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    if (position < 0)
        return B_BAD_VALUE;
    ssize_t got;
    do {
        got = pread(_Descriptor(), buffer, size, position);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? status_from_errno(errno) : got;
}

ssize_t
BFile::WriteAt(off_t position, const void* buffer, size_t size)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    if (position < 0)
        return B_BAD_VALUE;
    ssize_t put;
    do {
        put = pwrite(_Descriptor(), buffer, size, position);
    } while (put < 0 && errno == EINTR);
    return put < 0 ? status_from_errno(errno) : put;
}

off_t
BFile::Seek(off_t offset, uint32 seekMode)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    int   whence = seekMode == SEEK_CUR ? SEEK_CUR : seekMode == SEEK_END ? SEEK_END : SEEK_SET;
    off_t result = lseek(_Descriptor(), offset, whence);
    return result < 0 ? status_from_errno(errno) : result;
}

off_t
BFile::Position() const
{
    if (InitCheck() != B_OK)
        return InitCheck();
    off_t result = lseek(_Descriptor(), 0, SEEK_CUR);
    return result < 0 ? status_from_errno(errno) : result;
}

status_t
BFile::SetSize(off_t size)
{
    if (InitCheck() != B_OK)
        return InitCheck();
    if (size < 0)
        return B_BAD_VALUE;
    return ftruncate(_Descriptor(), size) == 0 ? B_OK : status_from_errno(errno);
}
