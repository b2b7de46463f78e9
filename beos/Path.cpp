#include "beos/Path.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <new>

#include "beos/PosixError.h"

namespace {

// Whether a path must go through normalisation (Haiku's rule).
bool
MustNormalize(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return true;
    if (path.size() > 1 && path.back() == '/')
        return true;
    if (path.find("//") != std::string::npos)
        return true;
    size_t start = 0;
    while (start < path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (part == "." || part == "..")
            return true;
        start = end + 1;
    }
    return false;
}

// Makes an absolute path with the directory part resolved on disk; the leaf need not
// exist, but its directory must.
status_t
Normalize(const std::string& path, std::string* result)
{
    std::string absolute = path;
    if (absolute.empty() || absolute[0] != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof(cwd)) == nullptr)
            return status_from_errno(errno);
        absolute = std::string(cwd) + "/" + absolute;
    }
    while (absolute.size() > 1 && absolute.back() == '/')
        absolute.pop_back();

    size_t      slash = absolute.rfind('/');
    std::string dir = slash == 0 ? "/" : absolute.substr(0, slash);
    std::string leaf = absolute.substr(slash + 1);
    if (leaf == "." || leaf == "..") {
        dir = absolute;
        leaf.clear();
    }
    char resolved[PATH_MAX];
    if (realpath(dir.c_str(), resolved) == nullptr)
        return status_from_errno(errno);
    std::string out = resolved;
    if (!leaf.empty())
        out += (out == "/" ? "" : "/") + leaf;
    if (out.size() >= B_PATH_NAME_LENGTH)
        return B_NAME_TOO_LONG;
    *result = out;
    return B_OK;
}

}   // namespace

BPath::BPath() : fCStatus(B_NO_INIT) {}

BPath::BPath(const char* path, const char* leaf, bool normalize) : fCStatus(B_NO_INIT)
{
    SetTo(path, leaf, normalize);
}

BPath::BPath(const BPath& other) : fName(other.fName), fCStatus(other.fCStatus) {}

BPath::~BPath() {}

BPath&
BPath::operator=(const BPath& other)
{
    fName = other.fName;
    fCStatus = other.fCStatus;
    return *this;
}

status_t
BPath::SetTo(const char* path, const char* leaf, bool normalize)
{
    Unset();
    if (path == nullptr || path[0] == '\0')
        return fCStatus = B_BAD_VALUE;
    if (leaf != nullptr && leaf[0] == '/')
        return fCStatus = B_BAD_VALUE;
    try {
        std::string full = path;
        if (leaf != nullptr && leaf[0] != '\0')
            full += "/" + std::string(leaf);
        if (!normalize)
            normalize = MustNormalize(full);
        if (normalize) {
            status_t error = Normalize(full, &full);
            if (error != B_OK)
                return fCStatus = error;
        } else if (full.size() >= B_PATH_NAME_LENGTH) {
            return fCStatus = B_NAME_TOO_LONG;
        }
        fName = full;
    } catch (const std::bad_alloc&) {
        return fCStatus = B_NO_MEMORY;
    }
    return fCStatus = B_OK;
}

void
BPath::Unset()
{
    fName.clear();
    fCStatus = B_NO_INIT;
}

status_t
BPath::InitCheck() const
{
    return fCStatus;
}

status_t
BPath::Append(const char* path, bool normalize)
{
    if (fCStatus != B_OK)
        return fCStatus;
    std::string base = fName;
    return SetTo(base.c_str(), path, normalize);
}

status_t
BPath::GetParent(BPath* parent) const
{
    if (parent == nullptr)
        return B_BAD_VALUE;
    if (fCStatus != B_OK)
        return fCStatus;
    if (fName == "/")
        return B_ENTRY_NOT_FOUND;
    size_t      slash = fName.rfind('/');
    std::string dir = slash == 0 ? "/" : fName.substr(0, slash);
    return parent->SetTo(dir.c_str());
}

const char*
BPath::Path() const
{
    return fCStatus == B_OK ? fName.c_str() : nullptr;
}

const char*
BPath::Leaf() const
{
    if (fCStatus != B_OK)
        return nullptr;
    return fName.c_str() + fName.rfind('/') + 1;
}
