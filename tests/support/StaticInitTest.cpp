// The process-wide objects (the empty string, the string-resource registry with its
// mutex, the static exceptions, the semaphore table) must work from a static
// constructor in any translation unit, whatever the initialisation order.
#include <gtest/gtest.h>

#include "support/PException.h"
#include "support/PMutex.h"
#include "support/PString.h"
#include "support/PStringResource.h"

namespace {

const PStringResource kEarlyTable[] = { { 1, "registered early" }, { -1, nullptr } };

struct EarlyUser
{
    EarlyUser()
    {
        empty = PString().IsEmpty();
        message = GetErrorString(0);
        id = AddStringResource(kEarlyTable);
        loaded.LoadString(id, 1);
        try {
            ThrowMemoryException();
        } catch (PException* e) {
            caughtMemory = dynamic_cast<PMemoryException*>(e) != nullptr;
            e->Delete();
        }
        PMutex mutex;
        locked = mutex.Lock(0) == PSYNC_OK && mutex.Unlock() == PSYNC_OK;
    }

    ~EarlyUser() { RemoveStringResource(id); }

    bool    empty = false;
    PString message;
    int32   id = -1;
    PString loaded;
    bool    caughtMemory = false;
    bool    locked = false;
};

EarlyUser sEarlyUser;

}   // namespace

TEST(StaticInit, GlobalConstructor_UsesSupportLibrary)
{
    EXPECT_TRUE(sEarlyUser.empty);
    EXPECT_STREQ("No error.", (const char*)sEarlyUser.message);
    EXPECT_STREQ("registered early", (const char*)sEarlyUser.loaded);
    EXPECT_TRUE(sEarlyUser.caughtMemory);
    EXPECT_TRUE(sEarlyUser.locked);
}
