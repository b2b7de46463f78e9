// BNodeInfo: the MIME type of a node, kept in its "BEOS:TYPE" attribute (on Linux the
// extended attribute "user.mime_type"). Where the file system refuses extended
// attributes, GetType and SetType report the failure (B_UNSUPPORTED).
#ifndef BEOS_NODE_INFO_H
#define BEOS_NODE_INFO_H

#include "beos/Node.h"
#include "beos/StorageDefs.h"

#ifndef B_MIME_TYPE_LENGTH
#define B_MIME_TYPE_LENGTH (B_ATTR_NAME_LENGTH - 15)
#endif

class BNodeInfo
{
public:
    BNodeInfo();
    BNodeInfo(BNode* node);
    virtual ~BNodeInfo();
    BNodeInfo(const BNodeInfo&) = delete;
    BNodeInfo& operator=(const BNodeInfo&) = delete;

    status_t SetTo(BNode* node);
    status_t InitCheck() const;

    // type holds at least B_MIME_TYPE_LENGTH bytes. A node without a type gives
    // B_ENTRY_NOT_FOUND. SetType(nullptr) removes the type.
    status_t GetType(char* type) const;
    status_t SetType(const char* type);

private:
    BNode*   fNode;   // not owned
    status_t fCStatus;
};

#endif
