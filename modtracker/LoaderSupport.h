// What both loaders use: numbers kept as a file stores them, so that a header struct has
// no padding and its size is the file's; names from fixed fields; whole reads; loop bounds.
#ifndef MODTRACKER_LOADERSUPPORT_H
#define MODTRACKER_LOADERSUPPORT_H

#include <cstring>
#include <type_traits>

#include "beos/SupportDefs.h"
#include "support/PString.h"

class PFile;
struct Sample;

// An unsigned number of `Bytes` bytes, most significant first when `BigEndian`.
template<int Bytes, bool BigEndian>
struct StoredNumber
{
    typedef std::conditional_t<Bytes == 2, uint16, uint32> value_type;

    uint8 bytes[Bytes];

    operator value_type() const
    {
        uint32 value = 0;
        for (int i = 0; i < Bytes; i++)
            value |= uint32(bytes[BigEndian ? Bytes - 1 - i : i]) << (8 * i);
        return value_type(value);
    }
};

typedef StoredNumber<2, true>  b_uint16;
typedef StoredNumber<4, true>  b_uint32;
typedef StoredNumber<2, false> l_uint16;
typedef StoredNumber<4, false> l_uint32;

static_assert(sizeof(b_uint16) == 2 && sizeof(l_uint32) == 4);

// The text of a zero-padded name field, up to its first zero; all of it when it has none.
template<size_t Bytes>
PString
FieldText(const char (&field)[Bytes])
{
    char text[Bytes + 1] = {};
    memcpy(text, field, Bytes);
    return PString(text);
}

// Reads count bytes; what the file lacks stays zero. False when the file ran short.
bool ReadFully(PFile* file, void* buffer, int32 count);

// Stores a loop that the replay can form only inside the sample's data. loopStart counts
// bytes for the SoundTracker types and words otherwise; a loop that starts past the end
// is cancelled (start 0, the format's "no loop" length), one that runs past it is cut.
void BoundLoop(
    Sample& sample, int64 start, int64 loopLength, bool loopStartInBytes, uint16 noLoopLength);

#endif
