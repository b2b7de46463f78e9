// BNode: an open file-system node (file or directory) with its attributes.
// Attributes live in Linux extended attributes in the "user." namespace; the MIME type
// attribute "BEOS:TYPE" is kept as "user.mime_type", the freedesktop.org convention.
#ifndef BEOS_NODE_H
#define BEOS_NODE_H

#include <sys/types.h>

#include "beos/Statable.h"

#define B_MIME_STRING_TYPE 0x4d494d53   // 'MIMS'

class BNode : public BStatable
{
public:
    BNode();
    BNode(const char* path);
    virtual ~BNode();
    BNode(const BNode&) = delete;
    BNode& operator=(const BNode&) = delete;

    status_t SetTo(const char* path);
    void     Unset();
    status_t InitCheck() const;

    virtual status_t GetStat(struct stat* st) const override;

    // Attribute operations; offset must be 0, the type code is not stored.
    ssize_t ReadAttr(
        const char* name, type_code type, off_t offset, void* buffer, size_t size) const;
    ssize_t WriteAttr(
        const char* name, type_code type, off_t offset, const void* buffer, size_t size);
    status_t RemoveAttr(const char* name);

protected:
    // Takes ownership of an open descriptor (or an error status when fd < 0).
    void _SetDescriptor(int fd, status_t status);
    int  _Descriptor() const { return fFd; }

private:
    int      fFd;
    status_t fCStatus;
};

#endif
