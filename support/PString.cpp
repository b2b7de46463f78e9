// PString: copy-on-write UTF-8 text. One allocation holds a header of three int32
// values (reference count, length in characters, size in bytes) and then the text;
// a PString points at the text. Reference counts change only through atomic_add.
#include "support/PString.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

#include "beos/OS.h"
#include "support/PException.h"

namespace {

enum { kRefCount = 0, kLength = 1, kSize = 2, kHeaderBytes = 3 * sizeof(int32) };

// The shared empty string: constant-initialised, so it is valid before any dynamic
// initialisation of any translation unit, and it is never counted or freed.
struct EmptyText
{
    int32 header[3];
    char  text[4];
};
constinit EmptyText sEmpty = { { 0, 0, 1 }, { 0, 0, 0, 0 } };

inline int32*
Header(const char* text)
{
    return (int32*)(text - kHeaderBytes);
}

// Characters of UTF-8 text: every byte that is not a continuation byte.
int32
CountChars(const char* text)
{
    int32 chars = 0;
    for (const unsigned char* p = (const unsigned char*)text; *p != 0; p++) {
        if ((*p & 0xC0) != 0x80)
            chars++;
    }
    return chars;
}

// The count is read and set atomically too: other threads may change it at any time
// through their copies.
int32
RefCount(const char* text)
{
    return __atomic_load_n(&Header(text)[kRefCount], __ATOMIC_ACQUIRE);
}

void
SetRefCount(char* text, int32 count)
{
    __atomic_store_n(&Header(text)[kRefCount], count, __ATOMIC_RELEASE);
}

int32
ByteLength(const char* text)
{
    return (int32)strlen(text);
}

// Bytes of the UTF-8 sequence that starts with lead (from its top four bits).
int32
SequenceLength(unsigned char lead)
{
    switch (lead >> 4) {
        case 0xF: return 4;
        case 0xE: return 3;
        case 0xC:
        case 0xD: return 2;
        default: return 1;
    }
}

bool
IsAsciiSpace(char c)
{
    unsigned char b = (unsigned char)c;
    return b < 0x80 && isspace(b);
}

int32
Clamp(int32 value, int32 low, int32 high)
{
    return value < low ? low : (value > high ? high : value);
}

}   // namespace

// #pragma mark - storage

char*
PString::Allocate(int32 capacity)
{
    if (capacity < 0 || capacity > INT_MAX - kHeaderBytes - 1)
        ThrowMemoryException();
    char* block = new (std::nothrow) char[capacity + kHeaderBytes + 1];
    if (block == nullptr)
        ThrowMemoryException();
    char*  text = block + kHeaderBytes;
    int32* header = Header(text);
    header[kRefCount] = 1;
    header[kLength] = 0;
    header[kSize] = capacity + 1;
    text[0] = '\0';
    return text;
}

bool
PString::IsEmptyText(const char* text)
{
    return text == sEmpty.text;
}

// Another reference to text: shared, or copied while its buffer is handed out.
char*
PString::Share(char* text)
{
    if (IsEmptyText(text))
        return text;
    int32* header = Header(text);
    if (RefCount(text) < 0) {
        int32 bytes = ByteLength(text);
        char* copy = Allocate(bytes);
        memcpy(copy, text, bytes + 1);
        Header(copy)[kLength] = CountChars(copy);
        return copy;
    }
    atomic_add(&header[kRefCount], 1);
    return text;
}

void
PString::Release()
{
    if (IsEmptyText(string))
        return;
    int32* header = Header(string);
    // A negative count means the buffer is handed out: this object is its only owner.
    if (RefCount(string) < 0 || atomic_add(&header[kRefCount], -1) == 1)
        delete[](string - kHeaderBytes);
    string = sEmpty.text;
}

void
PString::Adopt(char* text)
{
    Release();
    string = text;
}

// Copy on write: a shared text is copied into a fresh allocation with count 1.
void
PString::MakeUnshared()
{
    if (IsEmptyText(string) || RefCount(string) <= 1)
        return;
    int32 bytes = ByteLength(string);
    char* copy = Allocate(bytes);
    memcpy(copy, string, bytes + 1);
    Header(copy)[kLength] = Header(string)[kLength];
    Adopt(copy);
}

PString
PString::FromBytes(const char* text, int32 bytes)
{
    PString result;
    if (bytes <= 0)
        return result;
    char* copy = Allocate(bytes);
    memcpy(copy, text, bytes);
    copy[bytes] = '\0';
    Header(copy)[kLength] = CountChars(copy);
    result.string = copy;
    return result;
}

PString
PString::Join(const char* a, int32 aBytes, const char* b, int32 bBytes)
{
    PString result;
    if ((int64)aBytes + bBytes > INT_MAX)
        ThrowMemoryException();
    if (aBytes + bBytes == 0)
        return result;
    char* text = Allocate(aBytes + bBytes);
    memcpy(text, a, aBytes);
    memcpy(text + aBytes, b, bBytes);
    text[aBytes + bBytes] = '\0';
    Header(text)[kLength] = CountChars(text);
    result.string = text;
    return result;
}

// #pragma mark - construction and assignment

PString::PString() : string(sEmpty.text) {}

PString::PString(const char* text) : string(sEmpty.text)
{
    if (text != nullptr && text[0] != '\0')
        *this = FromBytes(text, ByteLength(text));
}

PString::PString(const PString& other) : string(Share(other.string)) {}

PString::~PString() { Release(); }

const PString&
PString::operator=(const char* text)
{
    if (text == nullptr || text[0] == '\0') {
        MakeEmpty();
        return *this;
    }
    // The copy is made before the old text goes: text may point into it.
    PString copy = FromBytes(text, ByteLength(text));
    Adopt(copy.string);
    copy.string = sEmpty.text;
    return *this;
}

const PString&
PString::operator=(const PString& other)
{
    if (string != other.string)
        Adopt(Share(other.string));
    return *this;
}

const PString&
PString::operator+=(const char* text)
{
    if (text == nullptr || text[0] == '\0')
        return *this;
    PString joined = Join(string, ByteLength(string), text, ByteLength(text));
    Adopt(joined.string);
    joined.string = sEmpty.text;
    return *this;
}

const PString&
PString::operator+=(const PString& other)
{
    if (IsEmpty())
        return *this = other;
    return *this += other.string;
}

PString
operator+(const PString& a, const PString& b)
{
    return PString::Join(a.string, a.GetByteLength(), b.string, b.GetByteLength());
}

PString
operator+(const PString& a, const char* b)
{
    if (b == nullptr)
        b = "";
    return PString::Join(a.string, a.GetByteLength(), b, (int32)strlen(b));
}

PString
operator+(const char* a, const PString& b)
{
    if (a == nullptr)
        a = "";
    return PString::Join(a, (int32)strlen(a), b.string, b.GetByteLength());
}

bool
PString::operator==(const char* text) const
{
    return strcmp(string, text != nullptr ? text : "") == 0;
}

bool
PString::operator==(const PString& other) const
{
    return string == other.string || strcmp(string, other.string) == 0;
}

// #pragma mark - access

// Mend: the index is checked (0 up to the terminator); outside it raises a bounds
// exception instead of reading beyond the allocation.
char
PString::GetAt(int32 index) const
{
    if (index < 0 || (int32)strnlen(string, (size_t)index + 1) < index)
        ThrowBoundsException(index);
    return string[index];
}

int32
PString::GetLength() const
{
    return Header(string)[kLength];
}

int32
PString::GetByteLength() const
{
    return ByteLength(string);
}

bool
PString::IsEmpty() const
{
    return string[0] == '\0';
}

void
PString::MakeEmpty()
{
    Release();
}

// #pragma mark - buffers

char*
PString::GetBuffer(int32 minBytes)
{
    int32 bytes = ByteLength(string);
    int32 need = minBytes > bytes ? minBytes : bytes;
    if (IsEmptyText(string) || RefCount(string) > 1 || Header(string)[kSize] < (int64)need + 1) {
        char* text = Allocate(need);
        memcpy(text, string, bytes + 1);
        Header(text)[kLength] = Header(string)[kLength];
        Adopt(text);
    }
    SetRefCount(string, -1);   // handed out: copies copy, not share
    return string;
}

// Mend: the terminator goes at byte index `bytes` (the buffer holds bytes + 1), not at
// bytes - 1, which wrote before the text for 0 and cut the caller's last byte.
char*
PString::GetBufferSetLength(int32 bytes)
{
    if (bytes < 0)
        bytes = 0;
    char* text = GetBuffer(bytes);
    Header(text)[kLength] = bytes;
    text[bytes] = '\0';
    return text;
}

// Ends direct writing. The character length is recounted in both forms (the text may
// hold multi-byte characters), where the original stored the byte count.
void
PString::ReleaseBuffer(int32 bytes)
{
    if (IsEmptyText(string))
        return;
    if (RefCount(string) > 1)
        MakeUnshared();
    if (bytes >= 0) {
        bytes = Clamp(bytes, 0, Header(string)[kSize] - 1);
        string[bytes] = '\0';
    }
    Header(string)[kLength] = CountChars(string);
    SetRefCount(string, 1);
    if (string[0] == '\0')
        MakeEmpty();
}

void
PString::FreeExtra()
{
    if (IsEmptyText(string) || RefCount(string) != 1)
        return;
    int32 bytes = ByteLength(string);
    if (Header(string)[kSize] == bytes + 1)
        return;
    PString copy = FromBytes(string, bytes);
    Adopt(copy.string);
    copy.string = sEmpty.text;
}

// #pragma mark - substrings

PString
PString::Left(int32 count) const
{
    int32 bytes = GetByteLength();
    count = Clamp(count, 0, bytes);
    return count == bytes ? *this : FromBytes(string, count);
}

PString
PString::Mid(int32 first, int32 count) const
{
    int32 bytes = GetByteLength();
    first = Clamp(first, 0, bytes);
    count = Clamp(count, 0, bytes - first);
    return count == bytes ? *this : FromBytes(string + first, count);
}

PString
PString::Mid(int32 first) const
{
    return Mid(first, INT_MAX);
}

PString
PString::Right(int32 count) const
{
    int32 bytes = GetByteLength();
    count = Clamp(count, 0, bytes);
    return count == bytes ? *this : FromBytes(string + bytes - count, count);
}

int32
PString::Find(char c, int32 start) const
{
    int32 bytes = GetByteLength();
    if (c == '\0' || start >= bytes)
        return -1;
    if (start < 0)
        start = 0;
    const char* hit = strchr(string + start, c);
    return hit == nullptr ? -1 : (int32)(hit - string);
}

int32
PString::ReverseFind(char c) const
{
    if (c == '\0')
        return -1;
    const char* hit = strrchr(string, c);
    return hit == nullptr ? -1 : (int32)(hit - string);
}

// #pragma mark - editing

// Case changes touch single-byte (ASCII) characters only and step over multi-byte
// sequences whole. Mend: bytes of 0x80 and above are never passed to the case tables
// (a Latin-1 locale would change them and break the UTF-8), and a sequence cut short
// by the terminator is never stepped past.
static void
ChangeCase(char* text, int (*change)(int))
{
    unsigned char* p = (unsigned char*)text;
    while (*p != 0) {
        int32 n = SequenceLength(*p);
        if (n == 1) {
            if (*p < 0x80)
                *p = (unsigned char)change(*p);
            p++;
            continue;
        }
        for (int32 i = 0; i < n && *p != 0; i++)
            p++;
    }
}

void
PString::MakeUpper()
{
    if (IsEmpty())
        return;
    MakeUnshared();
    ChangeCase(string, toupper);
}

void
PString::MakeLower()
{
    if (IsEmpty())
        return;
    MakeUnshared();
    ChangeCase(string, tolower);
}

void
PString::TrimLeft()
{
    int32 skip = 0;
    while (IsAsciiSpace(string[skip]))
        skip++;
    if (skip == 0)
        return;
    MakeUnshared();
    int32 bytes = ByteLength(string);
    memmove(string, string + skip, bytes - skip + 1);
    Header(string)[kLength] -= skip;
    if (string[0] == '\0')
        MakeEmpty();
}

void
PString::TrimRight()
{
    int32 bytes = ByteLength(string);
    int32 keep = bytes;
    while (keep > 0 && IsAsciiSpace(string[keep - 1]))
        keep--;
    if (keep == bytes)
        return;
    MakeUnshared();
    string[keep] = '\0';
    Header(string)[kLength] -= bytes - keep;
    if (keep == 0)
        MakeEmpty();
}

int32
PString::CompareNoCase(const char* text) const
{
    return strcasecmp(string, text != nullptr ? text : "");
}

// #pragma mark - numbers

// "," between groups of three characters counted from the right, for 4 or more
// characters (the sign of "-100" counts as a character too, giving "-,100").
PString
PString::MakeNumber() const
{
    int32 chars = GetLength();
    if (chars < 4)
        return *this;
    int32   bytes = GetByteLength();
    PString result;
    char*   out = result.GetBuffer(bytes + (chars - 1) / 3);
    int32   charIndex = 0;
    for (const unsigned char* p = (const unsigned char*)string; *p != 0; p++) {
        if ((*p & 0xC0) != 0x80) {
            if (charIndex > 0 && (chars - charIndex) % 3 == 0)
                *out++ = ',';
            charIndex++;
        }
        *out++ = (char)*p;
    }
    *out = '\0';
    result.ReleaseBuffer();
    return result;
}
