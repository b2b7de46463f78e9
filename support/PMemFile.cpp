// PMemFile: the PFile interface over a growable memory block. It never touches the
// platform; its name is "Memory File" unless SetFilePath replaces it.
#include "support/PMemFile.h"

#include <climits>
#include <cstring>
#include <new>

#include "support/PException.h"

PMemFile::PMemFile(int32 growStep)
    : buffer(nullptr), capacity(0), length(0), position(0), growStep(growStep)
{
    name = "Memory File";
    open = true;
}

PMemFile::PMemFile(uint8* buffer, int32 length, int32 growStep)
    : buffer(nullptr), capacity(0), length(0), position(0), growStep(growStep)
{
    name = "Memory File";
    Attach(buffer, length, growStep);
}

PMemFile::~PMemFile() { delete[] buffer; }

// Mend: a block that is already attached is freed instead of leaked.
void
PMemFile::Attach(uint8* buffer, int32 length, int32 growStep)
{
    if (buffer != this->buffer)
        delete[] this->buffer;
    this->buffer = buffer;
    this->length = buffer != nullptr && length > 0 ? length : 0;
    this->capacity = this->length;
    this->position = 0;
    this->growStep = growStep;
    open = true;
    eof = false;
}

uint8*
PMemFile::Detach()
{
    uint8* result = buffer;
    buffer = nullptr;
    capacity = length = position = growStep = 0;
    return result;
}

void
PMemFile::Open(uint16 openFlags)
{
    this->openFlags = openFlags;
    open = true;
    eof = false;
}

void
PMemFile::Open(PString name, uint16 openFlags)
{
    this->name = name;
    Open(openFlags);
}

void
PMemFile::Close()
{
    openFlags = 0;
    open = false;
}

bool
PMemFile::IsOpen() const
{
    return open;
}

// Capacity grows by whole steps until it holds `needed` bytes. Mend: a negative step
// is refused like a zero one, sizes beyond 2 GB raise the same "disk full" code, and
// the new bytes are zeroed (a seek past the end followed by a write left a gap of
// undefined bytes).
void
PMemFile::Grow(int32 needed)
{
    if (growStep <= 0)
        ThrowFileException(P_FILE_ERR_DISK_FULL, name);
    int64 steps = ((int64)needed - capacity + growStep - 1) / growStep;
    int64 newCapacity = capacity + steps * growStep;
    if (newCapacity > INT_MAX)
        ThrowFileException(P_FILE_ERR_DISK_FULL, name);
    uint8* block = new (std::nothrow) uint8[newCapacity];
    if (block == nullptr)
        ThrowMemoryException();
    if (length > 0)
        memcpy(block, buffer, length);
    memset(block + length, 0, (size_t)(newCapacity - length));
    delete[] buffer;
    buffer = block;
    capacity = (int32)newCapacity;
}

int32
PMemFile::Read(void* buffer, int32 count)
{
    int64 n = count;
    if (n > (int64)length - position)
        n = (int64)length - position;
    if (n <= 0) {
        eof = true;
        return 0;
    }
    memcpy(buffer, this->buffer + position, (size_t)n);
    position += (int32)n;
    return (int32)n;
}

int32
PMemFile::Write(const void* buffer, int32 count)
{
    if (count <= 0)
        return 0;
    int64 end = (int64)position + count;
    if (end > INT_MAX)
        ThrowFileException(P_FILE_ERR_DISK_FULL, name);
    if (end > capacity)
        Grow((int32)end);
    if (position > length)
        memset(this->buffer + length, 0, (size_t)(position - length));
    memcpy(this->buffer + position, buffer, (size_t)count);
    position = (int32)end;
    if (position > length)
        length = position;
    return count;
}

// #pragma mark - typed reads

// A typed read needs its whole value before the end; otherwise it gives 0 and sets end
// of file. Mend: the test is made in 64 bits and also fails for a position past the
// end, so it cannot wrap round.
static bool
Fits(int32 position, int32 length, int32 width)
{
    return position >= 0 && (int64)position + width <= length;
}

uint8
PMemFile::Read_UINT8()
{
    if (!Fits(position, length, 1)) {
        eof = true;
        return 0;
    }
    return buffer[position++];
}

uint16
PMemFile::Read_L_UINT16()
{
    if (!Fits(position, length, 2)) {
        eof = true;
        return 0;
    }
    const uint8* b = buffer + position;
    position += 2;
    return (uint16)(b[0] | b[1] << 8);
}

uint32
PMemFile::Read_L_UINT32()
{
    if (!Fits(position, length, 4)) {
        eof = true;
        return 0;
    }
    const uint8* b = buffer + position;
    position += 4;
    return (uint32)b[0] | (uint32)b[1] << 8 | (uint32)b[2] << 16 | (uint32)b[3] << 24;
}

uint16
PMemFile::Read_B_UINT16()
{
    if (!Fits(position, length, 2)) {
        eof = true;
        return 0;
    }
    const uint8* b = buffer + position;
    position += 2;
    return (uint16)(b[0] << 8 | b[1]);
}

uint32
PMemFile::Read_B_UINT32()
{
    if (!Fits(position, length, 4)) {
        eof = true;
        return 0;
    }
    const uint8* b = buffer + position;
    position += 4;
    return (uint32)b[0] << 24 | (uint32)b[1] << 16 | (uint32)b[2] << 8 | (uint32)b[3];
}

// #pragma mark - position and size

// Not clamped at the length. Mend: a target beyond 2 GB raises a bad-argument code.
int32
PMemFile::Seek(int32 offset, PSeekFlags from)
{
    int64 target;
    switch (from) {
        case pSeekCurrent: target = (int64)position + offset; break;
        case pSeekEnd: target = (int64)length + offset; break;
        default: target = offset; break;
    }
    if (target < 0)
        ThrowFileException(P_FILE_ERR_SEEK_BEFORE_BEGIN, name);
    if (target > INT_MAX)
        ThrowFileException(P_ERR_BAD_ARGUMENT, name);
    position = (int32)target;
    eof = false;
    return position;
}

int32
PMemFile::GetPosition()
{
    return position;
}

int32
PMemFile::GetLength()
{
    return length;
}

// Mend: a negative length raises a bad-argument code.
void
PMemFile::SetLength(int32 length)
{
    if (length < 0)
        ThrowFileException(P_ERR_BAD_ARGUMENT, name);
    if (length > capacity)
        Grow(length);
    if (length > this->length)
        memset(buffer + this->length, 0, (size_t)(length - this->length));
    this->length = length;
}

// #pragma mark - naming

PString
PMemFile::GetFileName()
{
    return name;
}

PString
PMemFile::GetFilePath()
{
    return name;
}

PString
PMemFile::GetFullPath()
{
    return name;
}

PString
PMemFile::GetFileType()
{
    return PString();
}

void
PMemFile::SetFilePath(PString name)
{
    this->name = name;
}

void
PMemFile::SetFileType(PString /*type*/)
{
}
