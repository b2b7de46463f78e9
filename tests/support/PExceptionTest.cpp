// The exception family, ConvertOSError and the error messages.
#include <climits>

#include <gtest/gtest.h>

#include "beos/Errors.h"
#include "support/PException.h"
#include "support/PString.h"

namespace {

PException*
Catch(void (*thrower)())
{
    try {
        thrower();
    } catch (PException* e) {
        return e;
    }
    return nullptr;
}

}   // namespace

// #pragma mark - throwing

TEST(PException, ThrowBounds_CarriesValue)
{
    try {
        ThrowBoundsException(12.5);
    } catch (PBoundsException* e) {
        EXPECT_EQ(12.5, e->value);
        e->Delete();
        return;
    }
    FAIL();
}

TEST(PException, ThrowSoundAndSystem_CarryCode)
{
    try {
        ThrowSoundException(77);
    } catch (PSoundException* e) {
        EXPECT_EQ(77, e->code);
        e->Delete();
    }
    try {
        ThrowSystemException(P_ERR_NO_RESOURCES);
    } catch (PSystemException* e) {
        EXPECT_EQ(P_ERR_NO_RESOURCES, e->code);
        e->Delete();
    }
}

TEST(PException, ThrowFile_CopiesName)
{
    PString name("/some/file.mod");
    try {
        ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, name);
    } catch (PFileException* e) {
        name.MakeUpper();
        name += ".changed";
        EXPECT_STREQ("/some/file.mod", (const char*)e->name);
        EXPECT_EQ(P_FILE_ERR_ENTRY_NOT_FOUND, e->code);
        e->Delete();
        return;
    }
    FAIL();
}

TEST(PException, CaughtAsBase_DeleteFreesHeapInstance)
{
    // Run under ASan: a heap exception that Delete did not free shows up as a leak.
    try {
        ThrowFileException(1, "x");
    } catch (PException* e) {
        EXPECT_NE(nullptr, dynamic_cast<PFileException*>(e));
        e->Delete();
    }
}

TEST(PException, StaticInstances_SameObjectEveryThrow)
{
    PException* user = Catch(ThrowUserException);
    PException* resource = Catch(ThrowResourceException);
    PException* memory = Catch(ThrowMemoryException);
    ASSERT_NE(nullptr, dynamic_cast<PUserException*>(user));
    ASSERT_NE(nullptr, dynamic_cast<PResourceException*>(resource));
    ASSERT_NE(nullptr, dynamic_cast<PMemoryException*>(memory));
    user->Delete();
    resource->Delete();
    memory->Delete();
    EXPECT_EQ(user, Catch(ThrowUserException));
    EXPECT_EQ(resource, Catch(ThrowResourceException));
    EXPECT_EQ(memory, Catch(ThrowMemoryException));
}

TEST(PException, HeapExhausted_ThrowsStaticMemoryExceptionThatSurvivesDelete)
{
    PException* first = nullptr;
    PString s;
    try {
        s.GetBuffer(INT_MAX);   // more than any allocation may hold
    } catch (PException* e) {
        first = e;
    }
    ASSERT_NE(nullptr, dynamic_cast<PMemoryException*>(first));
    first->Delete();
    first->Delete();    // a static instance: Delete leaves it intact

    EXPECT_EQ(first, Catch(ThrowMemoryException));
}

TEST(PException, DeleteFlagFalse_DeleteKeepsObject)
{
    PSoundException local(false);
    local.code = 5;
    local.Delete();
    EXPECT_EQ(5, local.code);
}

// #pragma mark - ConvertOSError

TEST(ConvertOSError, ListedCodes_MapToLibraryCodes)
{
    struct { uint32 platform; int32 library; } table[] = {
        {B_OK, P_NO_ERROR},
        {(uint32)B_NO_MEMORY, P_ERR_NO_MEMORY},
        {(uint32)B_PERMISSION_DENIED, P_ERR_ACCESS_DENIED},
        {(uint32)B_BAD_INDEX, P_ERR_INVALID_INDEX},
        {(uint32)B_BAD_VALUE, P_ERR_BAD_ARGUMENT},
        {(uint32)B_NO_INIT, P_ERR_NOT_INITIALIZED},
        {(uint32)B_BUSY, P_FILE_ERR_LOCKED},
        {(uint32)B_NOT_ALLOWED, P_ERR_CANT_PERFORM},
        {0x80001101, P_ERR_NO_RESOURCES},
        {0x8000600a, P_ERR_NO_RESOURCES},
        {0x80001300, P_ERR_INVALID_ID},
        {0x80006000, P_FILE_ERR_ILLEGAL_OPERATION},
        {0x80006002, P_FILE_ERR_ENTRY_EXISTS},
        {0x80006003, P_FILE_ERR_ENTRY_NOT_FOUND},
        {0x80006004, P_FILE_ERR_NAME_TOO_LONG},
        {0x80006005, P_FILE_ERR_INVALID_DIRECTORY},
        {0x80006007, P_FILE_ERR_DISK_FULL},
        {0x8000600c, P_FILE_ERR_LINK},
    };
    for (const auto& row : table)
        EXPECT_EQ(row.library, ConvertOSError(row.platform)) << std::hex << row.platform;
}

TEST(ConvertOSError, UnlistedCode_MinusOneAnyError)
{
    EXPECT_EQ(-1, ConvertOSError((uint32)B_IS_A_DIRECTORY));
    EXPECT_EQ(-1, ConvertOSError((uint32)B_TIMED_OUT));
    EXPECT_EQ(-1, ConvertOSError(12345));
    EXPECT_STREQ("Any error.", (const char*)GetErrorString((uint32)ConvertOSError(12345)));
}

// #pragma mark - GetErrorString

TEST(GetErrorString, Zero_NoError)
{
    EXPECT_STREQ("No error.", (const char*)GetErrorString(0));
}

TEST(GetErrorString, SeekBeforeBegin_LongMessage)
{
    EXPECT_STREQ("An attempt was made to move the file pointer before the beginning of the file.",
        (const char*)GetErrorString(0x80001007));
}

TEST(GetErrorString, EveryListedCode_HasItsMessage)
{
    struct { uint32 code; const char* text; } table[] = {
        {0x80000000, "Invalid argument passed to function."},
        {0x80000001, "Out of memory."},
        {0x80000002, "Out of resources."},
        {0x80000003, "Can't perform the operation. Missing proper initialization."},
        {0x80000004, "Can't perform the operation."},
        {0x80000005, "Invalid identifier."},
        {0x80000006, "Invalid index value."},
        {0x80001000, "Illegal file operation."},
        {0x80001001, "File or directory name too long."},
        {0x80001002, "Entry could not be found."},
        {0x80001003, "Entry does already exists."},
        {0x80001004, "There is not enough space on the disk."},
        {0x80001005, "The directory is invalid."},
        {0x80001006, "File operation on a directory."},
        {0x80001008, "EOF reached."},
        {0x80001009, "Link error in the file system."},
        {0x8000100a, "The file or directory is locked."},
        {0x80002000, "Access denied."},
        {0xffffffff, "Any error."},
    };
    for (const auto& row : table)
        EXPECT_STREQ(row.text, (const char*)GetErrorString(row.code)) << std::hex << row.code;
}

TEST(GetErrorString, UnknownCode_RaisesResourceException)
{
    for (uint32 code : {1u, 0x80000007u, 0x80001fffu, 0x7fffffffu}) {
        try {
            GetErrorString(code);
            ADD_FAILURE() << std::hex << code;
        } catch (PResourceException* e) {
            e->Delete();
        }
    }
    // The registry was left unlocked and the table unregistered: lookups still work.
    EXPECT_STREQ("No error.", (const char*)GetErrorString(0));
}
