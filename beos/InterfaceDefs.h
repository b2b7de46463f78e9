// Constants of the interface kit used by alerts, with the kit's values.
#ifndef BEOS_INTERFACE_DEFS_H
#define BEOS_INTERFACE_DEFS_H

#include "beos/SupportDefs.h"

enum alert_type : uint32 {
    B_EMPTY_ALERT = 0,
    B_INFO_ALERT = 1,
    B_IDEA_ALERT = 2,
    B_WARNING_ALERT = 3,
    B_STOP_ALERT = 4,
};

enum button_width : uint32 {
    B_WIDTH_AS_USUAL = 0,
    B_WIDTH_FROM_WIDEST = 1,
    B_WIDTH_FROM_LABEL = 2,
};

#endif
