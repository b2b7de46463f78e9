// PCacheFile: a read cache of fixed size in front of the platform file.
// Invariant: while the cache holds data (valid > 0) the platform file's position is
// bufferStart + valid and the logical position is bufferStart + index; while it is
// empty the platform position is the logical one and bufferStart equals it.
#include "support/PCacheFile.h"

#include <cstring>
#include <new>

#include "beos/File.h"
#include "support/PException.h"

namespace {

uint8*
NewCache(int32 cacheSize)
{
    uint8* buffer = new (std::nothrow) uint8[cacheSize];
    if (buffer == nullptr)
        ThrowMemoryException();
    return buffer;
}

// Mend: a cache size of 0 or less would never refill (every read returned 0 and set
// end of file); it is taken as 1.
int32
UsableCacheSize(int32 cacheSize)
{
    return cacheSize < 1 ? 1 : cacheSize;
}

}   // namespace

PCacheFile::PCacheFile(int32 cacheSize)
    : cacheBuffer(nullptr), cacheSize(UsableCacheSize(cacheSize)), valid(0), index(0),
      bufferStart(0), knownLength(-1)
{
    cacheBuffer = NewCache(this->cacheSize);
}

PCacheFile::PCacheFile(PString name, uint16 openFlags, int32 cacheSize)
    : cacheBuffer(nullptr), cacheSize(UsableCacheSize(cacheSize)), valid(0), index(0),
      bufferStart(0), knownLength(-1)
{
    cacheBuffer = NewCache(this->cacheSize);
    try {
        Open(name, openFlags);
    } catch (...) {
        delete[] cacheBuffer;
        throw;
    }
}

PCacheFile::~PCacheFile()
{
    PCacheFile::Close();
    delete[] cacheBuffer;
}

void
PCacheFile::Close()
{
    EmptyCache();
    bufferStart = 0;
    knownLength = -1;
    PFile::Close();
}

int32
PCacheFile::Read(void* buffer, int32 count)
{
    if (file == nullptr)
        return PFile::Read(buffer, count);   // raises for a closed file
    uint8* destination = (uint8*)buffer;
    int32  total = 0;
    while (count > 0) {
        int32 n = valid - index;
        if (n > count)
            n = count;
        if (n > 0) {
            memcpy(destination, cacheBuffer + index, n);
            index += n;
            destination += n;
            total += n;
            count -= n;
            continue;
        }
        // Refill from the platform file, which stands at bufferStart + valid.
        ssize_t result = file->Read(cacheBuffer, cacheSize);
        if (result < 0)
            ThrowFileException(ConvertOSError((uint32)result), name);
        bufferStart += valid;
        eof = result == 0;
        index = 0;
        valid = (int32)result;
        if (result == 0)
            break;
    }
    return total;
}

// Nothing here writes through a cached file, but a write should land at the logical
// position all the same. The
// platform file is first moved back there from where the last refill left it.
int32
PCacheFile::Write(const void* buffer, int32 count)
{
    if (valid > 0) {
        int32 logical = bufferStart + index;
        off_t result = file->Seek(logical, SEEK_SET);
        if (result < 0)
            ThrowFileException(ConvertOSError((uint32)result), name);
        EmptyCache();
        bufferStart = logical;
    }
    knownLength = -1;
    int32 written = PFile::Write(buffer, count);
    bufferStart += written;
    return written;
}

int32
PCacheFile::Seek(int32 offset, PSeekFlags from)
{
    eof = false;
    if (file == nullptr)
        return PFile::Seek(offset, from);   // raises for a closed file
    if (valid == 0) {
        int32 position = PFile::Seek(offset, from);
        bufferStart = position;
        return position;
    }

    int64 target;
    switch (from) {
        case pSeekCurrent: target = (int64)offset + bufferStart + index; break;
        case pSeekEnd: target = (int64)offset + GetLength(); break;
        default: target = offset; break;
    }
    if (target >= bufferStart && target < (int64)bufferStart + valid) {
        index = (int32)(target - bufferStart);
        return (int32)target;
    }
    // Outside the buffer: the platform file moves first, so a failure leaves the cache
    // and its invariant as they were.
    off_t result = file->Seek(target, SEEK_SET);
    if (result < 0)
        ThrowFileException(ConvertOSError((uint32)result), name);
    EmptyCache();
    bufferStart = (int32)result;
    return (int32)result;
}

int32
PCacheFile::GetPosition()
{
    if (valid > 0)
        return bufferStart + index;
    return PFile::GetPosition();
}


// Detection and loading ask for the length again and again. A read cache already takes
// the file as unchanging while it is open, so it keeps the length as well; writing
// through it asks the platform again.
int32
PCacheFile::GetLength()
{
    if (knownLength < 0)
        knownLength = PFile::GetLength();
    return knownLength;
}


void
PCacheFile::SetLength(int32 length)
{
    knownLength = -1;
    PFile::SetLength(length);
}
