#include "beos/NodeInfo.h"

#include <string.h>

#define NI_TYPE "BEOS:TYPE"

BNodeInfo::BNodeInfo() : fNode(nullptr), fCStatus(B_NO_INIT) {}

BNodeInfo::BNodeInfo(BNode* node) : fNode(nullptr), fCStatus(B_NO_INIT) { SetTo(node); }

BNodeInfo::~BNodeInfo() {}

status_t
BNodeInfo::SetTo(BNode* node)
{
    fNode = nullptr;
    if (node == nullptr)
        return fCStatus = B_BAD_VALUE;
    if (node->InitCheck() != B_OK)
        return fCStatus = node->InitCheck();
    fNode = node;
    return fCStatus = B_OK;
}

status_t
BNodeInfo::InitCheck() const
{
    return fCStatus;
}

status_t
BNodeInfo::GetType(char* type) const
{
    if (type == nullptr)
        return B_BAD_VALUE;
    if (fCStatus != B_OK)
        return fCStatus;
    char    buffer[B_MIME_TYPE_LENGTH];
    ssize_t read = fNode->ReadAttr(NI_TYPE, B_MIME_STRING_TYPE, 0, buffer, sizeof(buffer));
    if (read < 0)
        return (status_t)read;
    // The stored value may or may not carry its terminator.
    size_t length = strnlen(buffer, (size_t)read);
    if (length >= B_MIME_TYPE_LENGTH)
        return B_BAD_VALUE;
    memcpy(type, buffer, length);
    type[length] = '\0';
    return B_OK;
}

status_t
BNodeInfo::SetType(const char* type)
{
    if (fCStatus != B_OK)
        return fCStatus;
    if (type == nullptr) {
        status_t error = fNode->RemoveAttr(NI_TYPE);
        return error == B_ENTRY_NOT_FOUND ? B_OK : error;
    }
    size_t length = strlen(type);
    if (length >= B_MIME_TYPE_LENGTH)
        return B_BAD_VALUE;
    // Stored with its terminator, as BeOS stores B_MIME_STRING_TYPE attributes.
    ssize_t written = fNode->WriteAttr(NI_TYPE, B_MIME_STRING_TYPE, 0, type, length + 1);
    return written < 0 ? (status_t)written : B_OK;
}
