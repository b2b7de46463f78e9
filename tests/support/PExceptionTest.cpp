// The exception family, ConvertOSError and the error messages.
#include <climits>

#include <gtest/gtest.h>

#include "beos/Errors.h"
#include "support/PException.h"
#include "support/PString.h"
#include "tests/common/CaughtException.h"

// #pragma mark - throwing

TEST(PException, ThrowKinds_CarryTheirValues)
{
    auto bounds = CatchP<PBoundsException>([] { ThrowBoundsException(12.5); });
    ASSERT_NE(nullptr, bounds);
    EXPECT_EQ(12.5, bounds->value);
    auto sound = CatchP<PSoundException>([] { ThrowSoundException(77); });
    ASSERT_NE(nullptr, sound);
    EXPECT_EQ(77, sound->code);
    auto system = CatchP<PSystemException>([] { ThrowSystemException(P_ERR_NO_RESOURCES); });
    ASSERT_NE(nullptr, system);
    EXPECT_EQ(P_ERR_NO_RESOURCES, system->code);
}

TEST(PException, ThrowFile_CopiesName)
{
    PString name("/some/file.mod");
    auto e = CatchP<PFileException>([&] { ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, name); });
    ASSERT_NE(nullptr, e);
    name.MakeUpper();
    name += ".changed";
    EXPECT_STREQ("/some/file.mod", (const char*)e->name);
    EXPECT_EQ(P_FILE_ERR_ENTRY_NOT_FOUND, e->code);
}

TEST(PException, CaughtAsBase_DeleteFreesHeapInstance)
{
    // Run under ASan: a heap exception that Delete did not free shows up as a leak.
    auto e = CatchP<PException>([] { ThrowFileException(1, "x"); });
    EXPECT_NE(nullptr, dynamic_cast<PFileException*>(e.get()));
}

TEST(PException, StaticInstances_SameObjectEveryThrow)
{
    PException* user = CatchP<PException>(ThrowUserException).release();
    PException* resource = CatchP<PException>(ThrowResourceException).release();
    PException* memory = CatchP<PException>(ThrowMemoryException).release();
    ASSERT_NE(nullptr, dynamic_cast<PUserException*>(user));
    ASSERT_NE(nullptr, dynamic_cast<PResourceException*>(resource));
    ASSERT_NE(nullptr, dynamic_cast<PMemoryException*>(memory));
    user->Delete();
    resource->Delete();
    memory->Delete();
    EXPECT_EQ(user, CatchP<PException>(ThrowUserException).get());
    EXPECT_EQ(resource, CatchP<PException>(ThrowResourceException).get());
    EXPECT_EQ(memory, CatchP<PException>(ThrowMemoryException).get());
}

TEST(PException, HeapExhausted_ThrowsStaticMemoryExceptionThatSurvivesDelete)
{
    PString s;
    // More than any allocation may hold.
    PException* first = CatchP<PException>([&] { s.GetBuffer(INT_MAX); }).release();
    ASSERT_NE(nullptr, dynamic_cast<PMemoryException*>(first));
    first->Delete();
    first->Delete();   // a static instance: Delete leaves it intact
    EXPECT_EQ(first, CatchP<PException>(ThrowMemoryException).get());
}

TEST(PException, DeleteFlagFalse_DeleteKeepsObject)
{
    PSoundException local(false);
    local.code = 5;
    local.Delete();
    EXPECT_EQ(5, local.code);
}

// #pragma mark - ConvertOSError

TEST(ConvertOSError, Codes_MapToLibraryCodesOrMinusOne)
{
    struct
    {
        uint32 platform;
        int32  library;
    } table[] = {
        { B_OK, P_NO_ERROR },
        { (uint32)B_NO_MEMORY, P_ERR_NO_MEMORY },
        { (uint32)B_PERMISSION_DENIED, P_ERR_ACCESS_DENIED },
        { (uint32)B_BAD_INDEX, P_ERR_INVALID_INDEX },
        { (uint32)B_BAD_VALUE, P_ERR_BAD_ARGUMENT },
        { (uint32)B_NO_INIT, P_ERR_NOT_INITIALIZED },
        { (uint32)B_BUSY, P_FILE_ERR_LOCKED },
        { (uint32)B_NOT_ALLOWED, P_ERR_CANT_PERFORM },
        { 0x80001101, P_ERR_NO_RESOURCES },
        { 0x8000600a, P_ERR_NO_RESOURCES },
        { 0x80001300, P_ERR_INVALID_ID },
        { 0x80006000, P_FILE_ERR_ILLEGAL_OPERATION },
        { 0x80006002, P_FILE_ERR_ENTRY_EXISTS },
        { 0x80006003, P_FILE_ERR_ENTRY_NOT_FOUND },
        { 0x80006004, P_FILE_ERR_NAME_TOO_LONG },
        { 0x80006005, P_FILE_ERR_INVALID_DIRECTORY },
        { 0x80006007, P_FILE_ERR_DISK_FULL },
        { 0x8000600c, P_FILE_ERR_LINK },
        // Unlisted codes: -1, "any error".
        { (uint32)B_IS_A_DIRECTORY, -1 },
        { (uint32)B_TIMED_OUT, -1 },
        { 12345, -1 },
    };
    for (const auto& row : table)
        EXPECT_EQ(row.library, ConvertOSError(row.platform)) << std::hex << row.platform;
}

// #pragma mark - GetErrorString

TEST(GetErrorString, EveryListedCode_HasItsMessage)
{
    struct
    {
        uint32      code;
        const char* text;
    } table[] = {
        { 0, "No error." },
        { 0x80000000, "Invalid argument passed to function." },
        { 0x80000001, "Out of memory." },
        { 0x80000002, "Out of resources." },
        { 0x80000003, "Can't perform the operation. Missing proper initialization." },
        { 0x80000004, "Can't perform the operation." },
        { 0x80000005, "Invalid identifier." },
        { 0x80000006, "Invalid index value." },
        { 0x80001000, "Illegal file operation." },
        { 0x80001001, "File or directory name too long." },
        { 0x80001002, "Entry could not be found." },
        { 0x80001003, "Entry does already exists." },
        { 0x80001004, "There is not enough space on the disk." },
        { 0x80001005, "The directory is invalid." },
        { 0x80001006, "File operation on a directory." },
        { 0x80001007,
            "An attempt was made to move the file pointer before the beginning of the file." },
        { 0x80001008, "EOF reached." },
        { 0x80001009, "Link error in the file system." },
        { 0x8000100a, "The file or directory is locked." },
        { 0x80002000, "Access denied." },
        { 0xffffffff, "Any error." },
        { (uint32)ConvertOSError(12345), "Any error." },
    };
    for (const auto& row : table)
        EXPECT_STREQ(row.text, (const char*)GetErrorString(row.code)) << std::hex << row.code;
}

TEST(GetErrorString, UnknownCode_RaisesResourceException)
{
    for (uint32 code : { 1u, 0x80000007u, 0x80001fffu, 0x7fffffffu })
        EXPECT_NE(nullptr, CatchP<PResourceException>([&] { GetErrorString(code); }))
            << std::hex << code;
    // The registry was left unlocked and the table unregistered: lookups still work.
    EXPECT_STREQ("No error.", (const char*)GetErrorString(0));
}
