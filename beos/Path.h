// BPath: an absolute path name. Relative paths, "." and ".." components, doubled or
// trailing slashes force normalisation, which resolves the directory part on disk.
#ifndef BEOS_PATH_H
#define BEOS_PATH_H

#include <string>

#include "beos/StorageDefs.h"

class BPath
{
public:
    BPath();
    BPath(const char* path, const char* leaf = nullptr, bool normalize = false);
    BPath(const BPath& other);
    virtual ~BPath();
    BPath& operator=(const BPath& other);

    status_t SetTo(const char* path, const char* leaf = nullptr, bool normalize = false);
    void     Unset();
    status_t InitCheck() const;

    status_t Append(const char* path, bool normalize = false);
    status_t GetParent(BPath* parent) const;

    const char* Path() const;   // null unless initialised
    const char* Leaf() const;   // the last component; "" for "/"

private:
    std::string fName;
    status_t    fCStatus;
};

#endif
