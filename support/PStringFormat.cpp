// PString formatting: Format estimates its buffer from the format, then formats
// with a bounded call.
#include "support/PString.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "beos/SupportDefs.h"

namespace {

enum SizePrefix { kSizeNone, kSizeChar, kSizeShort, kSizeLong, kSizeLongLong, kSizeLongDouble,
    kSizeMax, kSizeSize, kSizePtrDiff };

int64
ReadNumber(const char*& p)
{
    int64 value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < INT_MAX)
            value = value * 10 + (*p - '0');
        p++;
    }
    return value;
}

SizePrefix
ReadSizePrefix(const char*& p)
{
    SizePrefix size = kSizeNone;
    for (;;) {
        switch (*p) {
            case 'h':   size = size == kSizeShort ? kSizeChar : kSizeShort; break;
            case 'l':   size = size == kSizeLong ? kSizeLongLong : kSizeLong; break;
            case 'q':   size = kSizeLongLong; break;
            case 'L':   size = kSizeLongDouble; break;
            case 'j':   size = kSizeMax; break;
            case 'z':   size = kSizeSize; break;
            case 't':   size = kSizePtrDiff; break;
            case 'F':
            case 'N':   break;      // the old far/near prefixes: skipped
            default:    return size;
        }
        p++;
    }
}

void
SkipInteger(va_list* args, SizePrefix size)
{
    switch (size) {
        case kSizeLong:         (void)va_arg(*args, long); break;
        case kSizeLongLong:
        case kSizeLongDouble:   (void)va_arg(*args, long long); break;
        case kSizeMax:          (void)va_arg(*args, intmax_t); break;
        case kSizeSize:         (void)va_arg(*args, size_t); break;
        case kSizePtrDiff:      (void)va_arg(*args, ptrdiff_t); break;
        default:                (void)va_arg(*args, int); break;
    }
}

// (The argument list travels by pointer: va_list is an array on some ABIs only.)
// The estimated buffer size: each conversion's room from its width, precision
// and argument. The arguments are consumed with their real types, so that the string
// arguments are found; a conversion it does not know ends the walk (the bounded
// formatting that follows grows the buffer when the estimate is short anyway).
int64
EstimateFormat(const char* format, va_list* args)
{
    int64 total = 0;
    const char* p = format;
    while (*p != '\0') {
        if (*p != '%' || p[1] == '%') {
            total++;
            p += *p == '%' ? 2 : 1;
            continue;
        }
        p++;
        int64 width = 0;
        int64 precision = -1;
        for (;; p++) {
            if (*p == '#')
                total += 2;
            else if (*p != ' ' && *p != '+' && *p != '-' && *p != '0' && *p != '\'')
                break;
        }
        if (*p == '*') {
            int value = va_arg(*args, int);
            width = value < 0 ? -(int64)value : value;
            p++;
        } else {
            width = ReadNumber(p);
        }
        if (*p == '.') {
            p++;
            if (*p == '*') {
                int value = va_arg(*args, int);
                precision = value < 0 ? -1 : value;
                p++;
            } else {
                precision = ReadNumber(p);
            }
        }
        SizePrefix size = ReadSizePrefix(p);
        int64 digits = width + (precision > 0 ? precision : 0);
        int64 item;
        switch (*p) {
            case 'c':
                SkipInteger(args, kSizeNone);
                item = width > 4 ? width : 4;
                if (precision >= 0 && item > precision)
                    item = precision;
                break;
            case 's': {
                const char* text = va_arg(*args, const char*);
                int64 bytes = text == nullptr ? 6 : (int64)(precision >= 0
                    ? strnlen(text, (size_t)precision) : strlen(text));
                item = width > bytes ? width : bytes;
                if (item < 1)
                    item = 1;
                if (precision >= 0 && item > precision)
                    item = precision;
                break;
            }
            case 'e': case 'f': case 'g': case 'E': case 'G': case 'F': case 'a': case 'A':
                if (size == kSizeLongDouble)
                    (void)va_arg(*args, long double);
                else
                    (void)va_arg(*args, double);
                item = digits > 128 ? digits : 128;
                break;
            case 'd': case 'i': case 'o': case 'u': case 'x': case 'X':
                SkipInteger(args, size);
                item = digits > 32 ? digits : 32;
                break;
            case 'p':
                (void)va_arg(*args, void*);
                item = digits > 32 ? digits : 32;
                break;
            case 'n':
                (void)va_arg(*args, void*);
                item = 0;
                break;
            default:
                return total + (int64)strlen(p);
        }
        total += item;
        p++;
        if (total > INT_MAX)
            return INT_MAX;
    }
    return total;
}

}   // namespace

void
PString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

// The estimate can fall short (a width larger than a string's
// precision, "%c" with a precision, locale grouping), and vsprintf then wrote past the
// buffer. The text is formatted with vsnprintf into the estimated buffer and formatted
// again into a larger one when it did not fit; nothing is ever written past the end.
void
PString::FormatV(const char* format, va_list args)
{
    if (format == nullptr) {
        MakeEmpty();
        return;
    }
    va_list walk;
    va_copy(walk, args);
    int64 capacity = EstimateFormat(format, &walk);
    va_end(walk);

    PString result;
    for (int attempt = 0; attempt < 2; attempt++) {
        char* text = result.GetBuffer(capacity > INT_MAX ? INT_MAX : (int32)capacity);
        va_list copy;
        va_copy(copy, args);
        int written = vsnprintf(text, (size_t)capacity + 1, format, copy);
        va_end(copy);
        if (written >= 0 && written <= capacity) {
            result.ReleaseBuffer(written);
            *this = result;
            return;
        }
        result.ReleaseBuffer(0);
        if (written < 0)
            break;
        capacity = written;
    }
    MakeEmpty();    // an encoding error: no text
}

void
PString::Format(uint32 resourceId, uint32 number, ...)
{
    PString format;
    format.LoadString(resourceId, number);
    va_list args;
    va_start(args, number);
    try {
        FormatV(format, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}
