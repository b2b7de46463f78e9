// PString: reference-counted, copy-on-write UTF-8 text whose length counts characters.
#ifndef SUPPORT_PSTRING_H
#define SUPPORT_PSTRING_H

#include <cstdarg>

#include "beos/SupportDefs.h"

class PString
{
public:
    PString();
    PString(const char* text);
    PString(const PString& other);
    ~PString();

    const PString& operator=(const char* text);
    const PString& operator=(const PString& other);
    const PString& operator+=(const char* text);
    const PString& operator+=(const PString& other);

    friend PString operator+(const PString& a, const PString& b);
    friend PString operator+(const PString& a, const char* b);
    friend PString operator+(const char* a, const PString& b);

    // Text comparison (not pointer comparison).
    bool operator==(const char* text) const;
    bool operator==(const PString& other) const;
    bool operator!=(const char* text) const { return !(*this == text); }
    bool operator!=(const PString& other) const { return !(*this == other); }

          operator const char*() const { return string; }
    char  GetAt(int32 index) const;
    char  operator[](int32 index) const { return GetAt(index); }
    int32 GetLength() const;       // characters
    int32 GetByteLength() const;   // bytes
    bool  IsEmpty() const;
    void  MakeEmpty();

    char* GetBuffer(int32 minBytes);
    char* GetBufferSetLength(int32 bytes);
    void  ReleaseBuffer(int32 bytes = -1);
    void  FreeExtra();

    // Positions and counts in bytes, clamped to the text.
    PString Left(int32 count) const;
    PString Mid(int32 first, int32 count) const;
    PString Mid(int32 first) const;
    PString Right(int32 count) const;
    int32   Find(char c, int32 start = 0) const;
    int32   ReverseFind(char c) const;

    void  MakeUpper();
    void  MakeLower();
    void  TrimLeft();
    void  TrimRight();
    int32 CompareNoCase(const char* text) const;

    void    Format(const char* format, ...);
    void    Format(uint32 resourceId, uint32 number, ...);
    int32   LoadString(uint32 resourceId, uint32 number);
    PString MakeNumber() const;

    // The same as Format(format, ...) with an argument list.
    void FormatV(const char* format, va_list args);

private:
    // The allocation: {reference count, length in characters, size in bytes} + text.
    static char*   Allocate(int32 capacity);
    static char*   Share(char* text);
    static bool    IsEmptyText(const char* text);
    static PString FromBytes(const char* text, int32 bytes);
    static PString Join(const char* a, int32 aBytes, const char* b, int32 bBytes);
    void           Release();
    void           MakeUnshared();
    void           Adopt(char* text);

    char* string;   // text; a header of three int32 values precedes it
};

#endif
