// Library error codes: the translation from BeOS status codes and the English messages.
#include "support/PException.h"
#include "support/PStringResource.h"

namespace {

// Sorted by code as signed 32-bit numbers; -1 "Any error." is an ordinary entry.
const PStringResource kErrorStrings[] = { { P_ERR_BAD_ARGUMENT,
                                              "Invalid argument passed to function." },
    { P_ERR_NO_MEMORY, "Out of memory." }, { P_ERR_NO_RESOURCES, "Out of resources." },
    { P_ERR_NOT_INITIALIZED, "Can't perform the operation. Missing proper initialization." },
    { P_ERR_CANT_PERFORM, "Can't perform the operation." },
    { P_ERR_INVALID_ID, "Invalid identifier." }, { P_ERR_INVALID_INDEX, "Invalid index value." },
    { P_FILE_ERR_ILLEGAL_OPERATION, "Illegal file operation." },
    { P_FILE_ERR_NAME_TOO_LONG, "File or directory name too long." },
    { P_FILE_ERR_ENTRY_NOT_FOUND, "Entry could not be found." },
    { P_FILE_ERR_ENTRY_EXISTS, "Entry does already exists." },
    { P_FILE_ERR_DISK_FULL, "There is not enough space on the disk." },
    { P_FILE_ERR_INVALID_DIRECTORY, "The directory is invalid." },
    { P_FILE_ERR_IS_DIRECTORY, "File operation on a directory." },
    { P_FILE_ERR_SEEK_BEFORE_BEGIN,
        "An attempt was made to move the file pointer before the beginning of the file." },
    { P_FILE_ERR_EOF, "EOF reached." }, { P_FILE_ERR_LINK, "Link error in the file system." },
    { P_FILE_ERR_LOCKED, "The file or directory is locked." },
    { P_ERR_ACCESS_DENIED, "Access denied." }, { P_ERR_ANY, "Any error." },
    { P_NO_ERROR, "No error." }, { -1, nullptr } };

}   // namespace

int32
ConvertOSError(uint32 platformCode)
{
    switch ((int32)platformCode) {
        case B_OK: return P_NO_ERROR;
        case B_NO_MEMORY: return P_ERR_NO_MEMORY;
        case B_PERMISSION_DENIED: return P_ERR_ACCESS_DENIED;
        case B_BAD_INDEX: return P_ERR_INVALID_INDEX;
        case B_BAD_VALUE: return P_ERR_BAD_ARGUMENT;
        case B_NO_INIT: return P_ERR_NOT_INITIALIZED;
        case B_BUSY: return P_FILE_ERR_LOCKED;
        case B_NOT_ALLOWED: return P_ERR_CANT_PERFORM;
        case B_NO_MORE_THREADS:
        case B_NO_MORE_FDS: return P_ERR_NO_RESOURCES;
        case B_BAD_PORT_ID: return P_ERR_INVALID_ID;
        case B_FILE_ERROR: return P_FILE_ERR_ILLEGAL_OPERATION;
        case B_FILE_EXISTS: return P_FILE_ERR_ENTRY_EXISTS;
        case B_ENTRY_NOT_FOUND: return P_FILE_ERR_ENTRY_NOT_FOUND;
        case B_NAME_TOO_LONG: return P_FILE_ERR_NAME_TOO_LONG;
        case B_NOT_A_DIRECTORY: return P_FILE_ERR_INVALID_DIRECTORY;
        case B_DEVICE_FULL: return P_FILE_ERR_DISK_FULL;
        case B_LINK_LIMIT: return P_FILE_ERR_LINK;
        default: return P_ERR_ANY;
    }
}

// The error table is registered only for the one lookup.
PString
GetErrorString(uint32 code)
{
    int32   id = AddStringResource(kErrorStrings);
    PString message;
    try {
        message.LoadString(id, code);
    } catch (...) {
        RemoveStringResource(id);
        throw;
    }
    RemoveStringResource(id);
    return message;
}
