// Catching the library's heap-or-static exception pointers without the try/catch noise.
#ifndef TESTS_COMMON_CAUGHTEXCEPTION_H
#define TESTS_COMMON_CAUGHTEXCEPTION_H

#include <memory>

#include "support/PException.h"

struct PExceptionDeleter
{
    void operator()(PException* e) const { e->Delete(); }
};

template<class E>
using Caught = std::unique_ptr<E, PExceptionDeleter>;

// Runs body and returns the E* it threw (deleted when the result goes), or null when it
// threw nothing. Any other exception passes on and fails the test.
template<class E, class Body>
Caught<E>
CatchP(Body&& body)
{
    try {
        body();
    } catch (E* e) {
        return Caught<E>(e);
    }
    return nullptr;
}

// Runs body and expects a PFileException* with the given code.
#define EXPECT_FILE_EXCEPTION(body, expectedCode)                                                  \
    do {                                                                                           \
        Caught<PFileException> e_ = CatchP<PFileException>([&] { body; });                         \
        if (e_ == nullptr)                                                                         \
            ADD_FAILURE() << "no PFileException from " #body;                                      \
        else                                                                                       \
            EXPECT_EQ((int32)(expectedCode), e_->code) << #body;                                   \
    } while (0)

#endif
