// The exception family. Exceptions are thrown by pointer; the catcher calls Delete(),
// which frees heap instances and leaves the three static ones alone.
#include "support/PException.h"

#include <new>

namespace {

// Holds a static exception that is constant-initialised and never destroyed, so that a
// throw from a static destructor elsewhere still finds a live object.
template<class T>
union Permanent {
    T object;
    constexpr Permanent() : object(false) {}
    ~Permanent() {}
};

constinit Permanent<PUserException>     sUserException;
constinit Permanent<PResourceException> sResourceException;
constinit Permanent<PMemoryException>   sMemoryException;

}   // namespace

PException::~PException() {}

void
PException::Delete()
{
    if (deleteFlag)
        delete this;
}

PBoundsException::PBoundsException(bool deleteIt) : PException(deleteIt), value(0) {}

PBoundsException::~PBoundsException() {}

PSoundException::PSoundException(bool deleteIt) : PException(deleteIt), code(0) {}

PSoundException::~PSoundException() {}

PSystemException::PSystemException(bool deleteIt) : PException(deleteIt), code(0) {}

PSystemException::~PSystemException() {}

PFileException::PFileException(bool deleteIt) : PException(deleteIt), code(0) {}

PFileException::~PFileException() {}

PUserException::~PUserException() {}

PResourceException::~PResourceException() {}

PMemoryException::~PMemoryException() {}

// #pragma mark - throwing

void
ThrowBoundsException(double value)
{
    PBoundsException* exception = new (std::nothrow) PBoundsException;
    if (exception == nullptr)
        ThrowMemoryException();
    exception->value = value;
    throw exception;
}

void
ThrowSoundException(int32 code)
{
    PSoundException* exception = new (std::nothrow) PSoundException;
    if (exception == nullptr)
        ThrowMemoryException();
    exception->code = code;
    throw exception;
}

void
ThrowSystemException(int32 code)
{
    PSystemException* exception = new (std::nothrow) PSystemException;
    if (exception == nullptr)
        ThrowMemoryException();
    exception->code = code;
    throw exception;
}

// The exception shares the name's text; copy on write keeps it unchanged when the
// caller edits its own string afterwards.
void
ThrowFileException(int32 code, PString name)
{
    PFileException* exception = new (std::nothrow) PFileException;
    if (exception == nullptr)
        ThrowMemoryException();
    exception->code = code;
    try {
        exception->name = name;
    } catch (...) {
        delete exception;
        throw;
    }
    throw exception;
}

void
ThrowUserException()
{
    throw &sUserException.object;
}

void
ThrowResourceException()
{
    throw &sResourceException.object;
}

void
ThrowMemoryException()
{
    throw &sMemoryException.object;
}
