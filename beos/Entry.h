// BEntry: a named location in a directory, whether or not a node exists there yet.
#ifndef BEOS_ENTRY_H
#define BEOS_ENTRY_H

#include <string>

#include "beos/Statable.h"
#include "beos/StorageDefs.h"

class BPath;

class BEntry : public BStatable
{
public:
    BEntry();
    BEntry(const char* path, bool traverse = false);
    virtual ~BEntry();
    BEntry(const BEntry&) = delete;
    BEntry& operator=(const BEntry&) = delete;

    status_t SetTo(const char* path, bool traverse = false);
    void     Unset();
    status_t InitCheck() const;
    bool     Exists() const;

    virtual status_t GetStat(struct stat* st) const override;

    // buffer holds at least B_FILE_NAME_LENGTH bytes.
    status_t GetName(char* buffer) const;
    status_t GetPath(BPath* path) const;

    // A relative path is taken relative to the entry's directory. Without clobber an
    // existing entry at the destination is never replaced (B_FILE_EXISTS).
    status_t Rename(const char* path, bool clobber = false);
    status_t Remove();

private:
    std::string fPath;   // absolute, directory part resolved
    status_t    fCStatus;
};

#endif
