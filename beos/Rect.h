// BRect: a rectangle in float coordinates whose edges are inside it, as the kit has it:
// BRect(0, 0, 15, 15) is 16 pixels wide.
#ifndef BEOS_RECT_H
#define BEOS_RECT_H

#include "beos/SupportDefs.h"

class BRect
{
public:
    BRect() : left(0), top(0), right(-1), bottom(-1) {}
    BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    float Width() const { return right - left; }
    float Height() const { return bottom - top; }
    int32 IntegerWidth() const { return (int32)(right - left); }
    int32 IntegerHeight() const { return (int32)(bottom - top); }
    bool  IsValid() const { return left <= right && top <= bottom; }

    bool operator==(const BRect& other) const
    {
        return left == other.left && top == other.top && right == other.right
            && bottom == other.bottom;
    }
    bool operator!=(const BRect& other) const { return !(*this == other); }

    float left;
    float top;
    float right;
    float bottom;
};

#endif
