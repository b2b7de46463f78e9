#include "beos/Bitmap.h"

#include <cstring>
#include <new>

// Large enough for any icon or small picture; a bigger request is refused rather than
// trusted, since the bounds may come from a file.
static const int64 kMaxBitmapBytes = 64 * 1024 * 1024;


BBitmap::BBitmap(BRect frame, color_space colorSpace)
    : bounds(frame), space(colorSpace), bits(nullptr), bitsLength(0), bytesPerRow(0)
{
    int32 pixelBytes = BytesPerPixel(colorSpace);
    if (!frame.IsValid() || pixelBytes == 0)
        return;
    int64 width = (int64)frame.IntegerWidth() + 1;
    int64 height = (int64)frame.IntegerHeight() + 1;
    int64 row = (width * pixelBytes + 3) & ~(int64)3;
    if (row * height > kMaxBitmapBytes)
        return;
    bits = new (std::nothrow) uint8[row * height]();
    if (bits == nullptr)
        return;
    bytesPerRow = (int32)row;
    bitsLength = (int32)(row * height);
}


BBitmap::~BBitmap() { delete[] bits; }


status_t
BBitmap::InitCheck() const
{
    if (bits != nullptr)
        return B_OK;
    return BytesPerPixel(space) == 0 ? B_BAD_VALUE : B_NO_MEMORY;
}


void
BBitmap::SetBits(const void* data, int32 length, int32 offset, color_space colorSpace)
{
    if (bits == nullptr || data == nullptr || colorSpace != space)
        return;
    if (offset < 0 || offset >= bitsLength || length <= 0)
        return;
    int32 count = length < bitsLength - offset ? length : bitsLength - offset;
    memcpy(bits + offset, data, count);
}
