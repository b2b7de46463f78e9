#include "beos/Node.h"

#include <errno.h>
#include <fcntl.h>
#include <string>
#include <sys/xattr.h>
#include <unistd.h>

#include "beos/PosixError.h"

namespace {

// The Linux extended-attribute name for a BeOS attribute name.
std::string
XattrName(const char* name)
{
    std::string attr(name);
    if (attr == "BEOS:TYPE")
        return "user.mime_type";
    return "user." + attr;
}

}   // namespace

BNode::BNode() : fFd(-1), fCStatus(B_NO_INIT) {}

BNode::BNode(const char* path) : fFd(-1), fCStatus(B_NO_INIT) { SetTo(path); }

BNode::~BNode() { Unset(); }

status_t
BNode::SetTo(const char* path)
{
    Unset();
    if (path == nullptr) {
        fCStatus = B_BAD_VALUE;
        return fCStatus;
    }
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    _SetDescriptor(fd, fd < 0 ? status_from_errno(errno) : B_OK);
    return fCStatus;
}

void
BNode::Unset()
{
    if (fFd >= 0)
        close(fFd);
    fFd = -1;
    fCStatus = B_NO_INIT;
}

status_t
BNode::InitCheck() const
{
    return fCStatus;
}

void
BNode::_SetDescriptor(int fd, status_t status)
{
    Unset();
    fFd = fd;
    fCStatus = fd >= 0 ? B_OK : (status != B_OK ? status : B_ERROR);
}

status_t
BNode::GetStat(struct stat* st) const
{
    if (st == nullptr)
        return B_BAD_VALUE;
    if (fFd < 0)
        return B_NO_INIT;
    return fstat(fFd, st) == 0 ? B_OK : status_from_errno(errno);
}

ssize_t
BNode::ReadAttr(const char* name, type_code /*type*/, off_t offset, void* buffer, size_t size) const
{
    if (fFd < 0)
        return B_NO_INIT;
    if (name == nullptr || buffer == nullptr || offset != 0)
        return B_BAD_VALUE;
    ssize_t result = fgetxattr(fFd, XattrName(name).c_str(), buffer, size);
    return result < 0 ? status_from_errno(errno) : result;
}

ssize_t
BNode::WriteAttr(
    const char* name, type_code /*type*/, off_t offset, const void* buffer, size_t size)
{
    if (fFd < 0)
        return B_NO_INIT;
    if (name == nullptr || buffer == nullptr || offset != 0)
        return B_BAD_VALUE;
    if (fsetxattr(fFd, XattrName(name).c_str(), buffer, size, 0) != 0)
        return status_from_errno(errno);
    return (ssize_t)size;
}

status_t
BNode::RemoveAttr(const char* name)
{
    if (fFd < 0)
        return B_NO_INIT;
    if (name == nullptr)
        return B_BAD_VALUE;
    return fremovexattr(fFd, XattrName(name).c_str()) == 0 ? B_OK : status_from_errno(errno);
}
