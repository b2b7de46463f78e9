// errno -> BeOS status code, so that ConvertOSError sees what it would see on BeOS.
#ifndef BEOS_POSIX_ERROR_H
#define BEOS_POSIX_ERROR_H

#include "beos/SupportDefs.h"

// The BeOS status for a POSIX errno value; 0 gives B_OK, unknown values B_ERROR.
status_t status_from_errno(int error);

#endif
