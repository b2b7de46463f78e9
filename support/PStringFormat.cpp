// PString formatting: vsnprintf measures the text, then writes it into a buffer of
// exactly that size, so nothing is ever written past the end.
#include "support/PString.h"

#include <cstdio>

#include "beos/SupportDefs.h"

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

void
PString::FormatV(const char* format, va_list args)
{
    if (format == nullptr) {
        MakeEmpty();
        return;
    }
    va_list measure;
    va_copy(measure, args);
    int length = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0) {
        MakeEmpty();   // an encoding error: no text
        return;
    }
    PString result;
    char*   text = result.GetBuffer(length);
    vsnprintf(text, size_t(length) + 1, format, args);
    result.ReleaseBuffer(length);
    *this = result;
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
