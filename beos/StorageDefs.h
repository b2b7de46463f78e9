// Storage kit limits and open modes, with the BeOS values.
#ifndef BEOS_STORAGE_DEFS_H
#define BEOS_STORAGE_DEFS_H

#include "beos/SupportDefs.h"

#define B_FILE_NAME_LENGTH 256
#define B_PATH_NAME_LENGTH 1024
#define B_ATTR_NAME_LENGTH (B_FILE_NAME_LENGTH - 1)

// BFile open modes (the BeOS values, which are also its O_* flags).
enum {
    B_READ_ONLY = 0x0000,
    B_WRITE_ONLY = 0x0001,
    B_READ_WRITE = 0x0002,
    B_ACCESS_MODE = 0x0003,
    B_FAIL_IF_EXISTS = 0x0100,
    B_CREATE_FILE = 0x0200,
    B_ERASE_FILE = 0x0400,
    B_OPEN_AT_END = 0x0800,
};

#endif
