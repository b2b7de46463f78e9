// BFile: a regular file opened with the BeOS open modes of StorageDefs.h.
// A directory is not a file: opening one fails with B_IS_A_DIRECTORY, as on BeOS.
#ifndef BEOS_FILE_H
#define BEOS_FILE_H

#include <stdio.h>   // SEEK_SET, SEEK_CUR, SEEK_END

#include "beos/Node.h"
#include "beos/StorageDefs.h"

class BFile : public BNode
{
public:
    BFile();
    BFile(const char* path, uint32 openMode);
    virtual ~BFile();

    status_t SetTo(const char* path, uint32 openMode);
    void     Unset();

    bool IsReadable() const;
    bool IsWritable() const;

    // Byte counts, or a negative status.
    ssize_t Read(void* buffer, size_t size);
    ssize_t Write(const void* buffer, size_t size);
    ssize_t ReadAt(off_t position, void* buffer, size_t size);
    ssize_t WriteAt(off_t position, const void* buffer, size_t size);

    // The new position, or a negative status.
    off_t Seek(off_t offset, uint32 seekMode);
    off_t Position() const;

    status_t SetSize(off_t size);

private:
    uint32 fMode;
};

#endif
