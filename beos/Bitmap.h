// BBitmap: pixels in memory for one colour space. Rows are padded to 4 bytes, as the
// kit pads them; the icon sizes used here (16 and 32 bytes a row) need no padding.
#ifndef BEOS_BITMAP_H
#define BEOS_BITMAP_H

#include "beos/GraphicsDefs.h"
#include "beos/Rect.h"

class BBitmap
{
public:
    BBitmap(BRect bounds, color_space space);
    ~BBitmap();
    BBitmap(const BBitmap&) = delete;
    BBitmap& operator=(const BBitmap&) = delete;

    status_t    InitCheck() const;
    BRect       Bounds() const { return bounds; }
    color_space ColorSpace() const { return space; }
    void*       Bits() const { return bits; }
    int32       BitsLength() const { return bitsLength; }
    int32       BytesPerRow() const { return bytesPerRow; }

    // Copies up to length bytes of data in colorSpace to the bitmap's byte offset; what
    // would pass the end of the bitmap is left out. Only the bitmap's own colour space
    // is accepted: this layer converts nothing.
    void SetBits(const void* data, int32 length, int32 offset, color_space colorSpace);

private:
    BRect       bounds;
    color_space space;
    uint8*      bits;
    int32       bitsLength;
    int32       bytesPerRow;
};

#endif
