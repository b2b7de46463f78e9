// Colours and colour spaces of the interface kit, with the kit's values.
#ifndef BEOS_GRAPHICS_DEFS_H
#define BEOS_GRAPHICS_DEFS_H

#include "beos/SupportDefs.h"

struct rgb_color
{
    uint8 red;
    uint8 green;
    uint8 blue;
    uint8 alpha;

    bool operator==(const rgb_color& other) const
    {
        return red == other.red && green == other.green && blue == other.blue
            && alpha == other.alpha;
    }
    bool operator!=(const rgb_color& other) const { return !(*this == other); }
};

enum color_space : uint32 {
    B_NO_COLOR_SPACE = 0x0000,
    B_GRAY1 = 0x0001,
    B_GRAY8 = 0x0002,
    B_CMAP8 = 0x0004,
    B_RGB32 = 0x0008,
    B_RGBA32 = 0x2008,
    B_RGB16 = 0x0005,
};

// Bytes one pixel takes in a colour space; 0 for the spaces a bitmap here cannot hold.
inline int32
BytesPerPixel(color_space space)
{
    switch (space) {
        case B_GRAY8:
        case B_CMAP8: return 1;
        case B_RGB16: return 2;
        case B_RGB32:
        case B_RGBA32: return 4;
        default: return 0;
    }
}

#endif
