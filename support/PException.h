// The exception family: thrown by pointer, released by the catcher through Delete().
#ifndef SUPPORT_PEXCEPTION_H
#define SUPPORT_PEXCEPTION_H

#include "beos/SupportDefs.h"
#include "support/PString.h"

// Library error codes, independent of the platform.
enum : int32 {
    P_NO_ERROR = 0,
    P_ERR_ANY = -1,
    P_ERR_BAD_ARGUMENT = (int32)0x80000000,
    P_ERR_NO_MEMORY = (int32)0x80000001,
    P_ERR_NO_RESOURCES = (int32)0x80000002,
    P_ERR_NOT_INITIALIZED = (int32)0x80000003,
    P_ERR_CANT_PERFORM = (int32)0x80000004,
    P_ERR_INVALID_ID = (int32)0x80000005,
    P_ERR_INVALID_INDEX = (int32)0x80000006,
    P_FILE_ERR_ILLEGAL_OPERATION = (int32)0x80001000,
    P_FILE_ERR_NAME_TOO_LONG = (int32)0x80001001,
    P_FILE_ERR_ENTRY_NOT_FOUND = (int32)0x80001002,
    P_FILE_ERR_ENTRY_EXISTS = (int32)0x80001003,
    P_FILE_ERR_DISK_FULL = (int32)0x80001004,
    P_FILE_ERR_INVALID_DIRECTORY = (int32)0x80001005,
    P_FILE_ERR_IS_DIRECTORY = (int32)0x80001006,
    P_FILE_ERR_SEEK_BEFORE_BEGIN = (int32)0x80001007,
    P_FILE_ERR_EOF = (int32)0x80001008,
    P_FILE_ERR_LINK = (int32)0x80001009,
    P_FILE_ERR_LOCKED = (int32)0x8000100a,
    P_ERR_ACCESS_DENIED = (int32)0x80002000,
};

// The constructors of PException and of the three classes with static instances are
// constexpr, so that those instances are constant-initialised: usable from any static
// constructor or destructor of any translation unit.
class PException
{
public:
    constexpr PException(bool deleteIt = true) : deleteFlag(deleteIt) {}
    virtual ~PException();
    void Delete();   // destroys the object unless it is a static one

protected:
    bool deleteFlag;
};

class PBoundsException : public PException
{
public:
    PBoundsException(bool deleteIt = true);
    virtual ~PBoundsException();
    double value;   // the offending index
};

class PSoundException : public PException
{
public:
    PSoundException(bool deleteIt = true);
    virtual ~PSoundException();
    int32 code;
};

class PSystemException : public PException
{
public:
    PSystemException(bool deleteIt = true);
    virtual ~PSystemException();
    int32 code;
};

class PFileException : public PException
{
public:
    PFileException(bool deleteIt = true);
    virtual ~PFileException();
    int32   code;
    PString name;   // the file involved
};

class PUserException : public PException
{
public:
    constexpr PUserException(bool deleteIt = true) : PException(deleteIt) {}
    virtual ~PUserException();
};

class PResourceException : public PException
{
public:
    constexpr PResourceException(bool deleteIt = true) : PException(deleteIt) {}
    virtual ~PResourceException();
};

class PMemoryException : public PException
{
public:
    constexpr PMemoryException(bool deleteIt = true) : PException(deleteIt) {}
    virtual ~PMemoryException();
};

[[noreturn]] void ThrowBoundsException(double value);
[[noreturn]] void ThrowSoundException(int32 code);
[[noreturn]] void ThrowSystemException(int32 code);
[[noreturn]] void ThrowFileException(int32 code, PString name);
[[noreturn]] void ThrowUserException();
[[noreturn]] void ThrowResourceException();
[[noreturn]] void ThrowMemoryException();

// BeOS status code -> library error code; unlisted codes give P_ERR_ANY.
int32 ConvertOSError(uint32 platformCode);

// The English message of a library error code; an unknown code raises the resource exception.
PString GetErrorString(uint32 code);

#endif
