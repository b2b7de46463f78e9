// The storage kit stand-in: BFile, BEntry, BPath, BNodeInfo, BStatable and the errno
// translation that lets ConvertOSError see BeOS codes.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "beos/Entry.h"
#include "beos/File.h"
#include "beos/NodeInfo.h"
#include "beos/Path.h"
#include "beos/PosixError.h"
#include "tests/common/TempDir.h"

namespace {

class StorageKitTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.Ok());
        char resolved[PATH_MAX];
        ASSERT_NE(nullptr, realpath(dir.Path().c_str(), resolved));
        real = resolved;
    }

    TempDir     dir;
    std::string real;   // the directory with symbolic links resolved
};

}   // namespace

// #pragma mark - errno translation

TEST(PosixError, ErrnoValues_MapToBeOSCodes)
{
    struct
    {
        int      error;
        status_t status;
    } table[] = {
        { 0, B_OK },
        { ENOENT, B_ENTRY_NOT_FOUND },
        { EACCES, B_PERMISSION_DENIED },
        { EPERM, B_PERMISSION_DENIED },
        { EEXIST, B_FILE_EXISTS },
        { ENAMETOOLONG, B_NAME_TOO_LONG },
        { ENOTDIR, B_NOT_A_DIRECTORY },
        { ENOSPC, B_DEVICE_FULL },
        { EMFILE, B_NO_MORE_FDS },
        { ENFILE, B_NO_MORE_FDS },
        { ELOOP, B_LINK_LIMIT },
        { EISDIR, B_IS_A_DIRECTORY },
        { ENOMEM, B_NO_MEMORY },
        { EBUSY, B_BUSY },
        { EINVAL, B_BAD_VALUE },
        { EIO, B_IO_ERROR },
        { EROFS, B_READ_ONLY_DEVICE },
        { EXDEV, B_CROSS_DEVICE_LINK },
        { ENOTEMPTY, B_DIRECTORY_NOT_EMPTY },
        { ENOTSUP, B_UNSUPPORTED },
        { ENODATA, B_ENTRY_NOT_FOUND },
        { EDOM, B_ERROR },
    };
    for (const auto& row : table)
        EXPECT_EQ(row.status, status_from_errno(row.error)) << strerror(row.error);
}

// #pragma mark - BFile

TEST_F(StorageKitTest, BFileCreateWriteRead_RoundTrip)
{
    std::string path = dir.File("f");
    BFile       file(path.c_str(), B_READ_WRITE | B_CREATE_FILE | B_ERASE_FILE);
    ASSERT_EQ(B_OK, file.InitCheck());
    EXPECT_TRUE(file.IsReadable());
    EXPECT_TRUE(file.IsWritable());
    EXPECT_EQ(5, file.Write("hello", 5));
    EXPECT_EQ(5, file.Position());
    EXPECT_EQ(1, file.Seek(1, SEEK_SET));
    char buffer[8] = {};
    EXPECT_EQ(4, file.Read(buffer, 7));
    EXPECT_STREQ("ello", buffer);
    EXPECT_EQ(0, file.Read(buffer, 7));
    off_t size = 0;
    EXPECT_EQ(B_OK, file.GetSize(&size));
    EXPECT_EQ(5, size);
    EXPECT_EQ(B_OK, file.SetSize(2));
    EXPECT_EQ(B_OK, file.GetSize(&size));
    EXPECT_EQ(2, size);
    EXPECT_EQ(2, file.ReadAt(0, buffer, 8));
    EXPECT_EQ(3, file.WriteAt(10, "abc", 3));
    EXPECT_EQ(B_OK, file.GetSize(&size));
    EXPECT_EQ(13, size);
}

TEST_F(StorageKitTest, BFileOpenFlags_FailIfExistsAndErase)
{
    std::string path = dir.Write("e", "data");
    BFile       exclusive(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE | B_FAIL_IF_EXISTS);
    EXPECT_EQ(B_FILE_EXISTS, exclusive.InitCheck());
    BFile keep(path.c_str(), B_WRITE_ONLY | B_CREATE_FILE);
    EXPECT_EQ(B_OK, keep.InitCheck());
    EXPECT_FALSE(keep.IsReadable());
    off_t size = 0;
    keep.GetSize(&size);
    EXPECT_EQ(4, size);
    BFile erase(path.c_str(), B_WRITE_ONLY | B_ERASE_FILE);
    erase.GetSize(&size);
    EXPECT_EQ(0, size);
}

TEST_F(StorageKitTest, BFileErrors_BeOSCodes)
{
    std::string plain = dir.Write("plain", "x");
    ASSERT_EQ(0, symlink(dir.File("a").c_str(), dir.File("b").c_str()));
    ASSERT_EQ(0, symlink(dir.File("b").c_str(), dir.File("a").c_str()));
    struct
    {
        std::string path;
        uint32      mode;
        status_t    status;
    } cases[] = {
        { dir.Path(), B_READ_ONLY, B_IS_A_DIRECTORY },
        { dir.Path(), B_READ_WRITE, B_IS_A_DIRECTORY },
        { dir.File("nope"), B_READ_ONLY, B_ENTRY_NOT_FOUND },
        { plain + "/x", B_READ_ONLY, B_NOT_A_DIRECTORY },
        { dir.File(std::string(300, 'n')), B_READ_ONLY, B_NAME_TOO_LONG },
        { dir.File("a"), B_READ_ONLY, B_LINK_LIMIT },   // a symbolic link loop
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.status, BFile(c.path.c_str(), c.mode).InitCheck()) << c.path;
    BFile none;
    EXPECT_EQ(B_NO_INIT, none.InitCheck());
    char c;
    EXPECT_LT(none.Read(&c, 1), 0);
    EXPECT_LT(none.Seek(0, SEEK_SET), 0);
    BFile readOnly(plain.c_str(), B_READ_ONLY);
    EXPECT_EQ(B_BAD_VALUE, readOnly.Seek(-1, SEEK_SET));
    EXPECT_LT(readOnly.Write("x", 1), 0);
}

// #pragma mark - BPath

TEST_F(StorageKitTest, BPathAbsolute_PathAndLeaf)
{
    BPath path("/usr/lib/file.mod");
    EXPECT_EQ(B_OK, path.InitCheck());
    EXPECT_STREQ("/usr/lib/file.mod", path.Path());
    EXPECT_STREQ("file.mod", path.Leaf());
    BPath root("/");
    EXPECT_STREQ("/", root.Path());
    EXPECT_STREQ("", root.Leaf());
}

TEST_F(StorageKitTest, BPathNeedingNormalisation_Resolved)
{
    std::string sub = dir.File("sub");
    ASSERT_EQ(0, mkdir(sub.c_str(), 0755));
    BPath dotted((dir.Path() + "/sub/../sub/./x.mod").c_str());
    ASSERT_EQ(B_OK, dotted.InitCheck());
    EXPECT_EQ(real + "/sub/x.mod", dotted.Path());
    BPath joined(dir.Path().c_str(), "sub/y.mod");
    EXPECT_EQ(dir.Path() + "/sub/y.mod", joined.Path());
    BPath parent;
    EXPECT_EQ(B_OK, joined.GetParent(&parent));
    EXPECT_EQ(dir.Path() + "/sub", parent.Path());
    BPath trailing((sub + "/").c_str());
    EXPECT_EQ(real + "/sub", trailing.Path());
}

TEST_F(StorageKitTest, BPathRelative_MadeAbsolute)
{
    char cwd[PATH_MAX];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof(cwd)));
    ASSERT_EQ(0, chdir(dir.Path().c_str()));
    BPath       path("rel.mod");
    std::string got = path.Path() != nullptr ? path.Path() : "";
    ASSERT_EQ(0, chdir(cwd));
    EXPECT_EQ(real + "/rel.mod", got);
}

TEST_F(StorageKitTest, BPathMissingDirectory_EntryNotFound)
{
    BPath path((dir.Path() + "/none/../x").c_str());
    EXPECT_EQ(B_ENTRY_NOT_FOUND, path.InitCheck());
    EXPECT_EQ(nullptr, path.Path());
    BPath empty("");
    EXPECT_EQ(B_BAD_VALUE, empty.InitCheck());
}

// #pragma mark - BEntry

TEST_F(StorageKitTest, BEntry_NameExistsAndStat)
{
    std::string path = dir.Write("entry.mod", "12345");
    BEntry      entry(path.c_str());
    ASSERT_EQ(B_OK, entry.InitCheck());
    char name[B_FILE_NAME_LENGTH];
    EXPECT_EQ(B_OK, entry.GetName(name));
    EXPECT_STREQ("entry.mod", name);
    EXPECT_TRUE(entry.Exists());
    EXPECT_TRUE(entry.IsFile());
    EXPECT_FALSE(entry.IsDirectory());
    off_t size = 0;
    EXPECT_EQ(B_OK, entry.GetSize(&size));
    EXPECT_EQ(5, size);
    BPath got;
    EXPECT_EQ(B_OK, entry.GetPath(&got));
    EXPECT_EQ(real + "/entry.mod", got.Path());

    BEntry absent(dir.File("absent").c_str());
    EXPECT_EQ(B_OK, absent.InitCheck());
    EXPECT_FALSE(absent.Exists());
    EXPECT_EQ(B_ENTRY_NOT_FOUND, absent.GetSize(&size));
    BEntry noDirectory(dir.File("no/dir").c_str());
    EXPECT_EQ(B_ENTRY_NOT_FOUND, noDirectory.InitCheck());
}

TEST_F(StorageKitTest, BEntryRename_RelativeToItsDirectory)
{
    std::string from = dir.Write("old.mod", "x");
    BEntry      entry(from.c_str());
    EXPECT_EQ(B_OK, entry.Rename("new.mod"));
    char name[B_FILE_NAME_LENGTH];
    entry.GetName(name);
    EXPECT_STREQ("new.mod", name);
    EXPECT_EQ("x", TempDir::Read(dir.File("new.mod")));
    EXPECT_NE(0, access(from.c_str(), F_OK));
}

TEST_F(StorageKitTest, BEntryRenameNoClobber_RefusesExistingFileOrDirectory)
{
    std::string from = dir.Write("from", "new");
    std::string to = dir.Write("to", "old");
    BEntry      entry(from.c_str());
    EXPECT_EQ(B_FILE_EXISTS, entry.Rename(to.c_str(), false));
    EXPECT_EQ("old", TempDir::Read(to));
    EXPECT_EQ("new", TempDir::Read(from));
    EXPECT_EQ(B_OK, entry.Rename(to.c_str(), true));
    EXPECT_EQ("new", TempDir::Read(to));

    ASSERT_EQ(0, mkdir(dir.File("da").c_str(), 0755));
    ASSERT_EQ(0, mkdir(dir.File("db").c_str(), 0755));
    BEntry directory(dir.File("da").c_str());
    EXPECT_EQ(B_FILE_EXISTS, directory.Rename(dir.File("db").c_str()));
    EXPECT_EQ(B_OK, directory.Rename(dir.File("dc").c_str()));
    EXPECT_TRUE(directory.IsDirectory());
}

TEST_F(StorageKitTest, BEntryRemove_FileAndEmptyDirectory)
{
    std::string file = dir.Write("rm", "x");
    std::string sub = dir.File("rmdir");
    ASSERT_EQ(0, mkdir(sub.c_str(), 0755));
    BEntry fileEntry(file.c_str());
    EXPECT_EQ(B_OK, fileEntry.Remove());
    EXPECT_FALSE(fileEntry.Exists());
    EXPECT_EQ(B_ENTRY_NOT_FOUND, fileEntry.Remove());
    dir.Write("rmdir/inside", "x");
    BEntry dirEntry(sub.c_str());
    EXPECT_EQ(B_DIRECTORY_NOT_EMPTY, dirEntry.Remove());
    unlink((sub + "/inside").c_str());
    EXPECT_EQ(B_OK, dirEntry.Remove());
}

// #pragma mark - BNodeInfo

TEST_F(StorageKitTest, BNodeInfoType_RoundTripInUserMimeType)
{
    std::string path = dir.Write("t.mod", "x");
    if (!UserXattrsWork(path))
        GTEST_SKIP() << "the file system refuses user extended attributes";
    BNode     node(path.c_str());
    BNodeInfo info(&node);
    ASSERT_EQ(B_OK, info.InitCheck());
    char type[B_MIME_TYPE_LENGTH];
    EXPECT_EQ(B_ENTRY_NOT_FOUND, info.GetType(type));
    EXPECT_EQ(B_OK, info.SetType("audio/x-mtm"));
    EXPECT_EQ(B_OK, info.GetType(type));
    EXPECT_STREQ("audio/x-mtm", type);
    char raw[64] = {};
    EXPECT_GT(getxattr(path.c_str(), "user.mime_type", raw, sizeof(raw)), 0);
    EXPECT_STREQ("audio/x-mtm", raw);
    EXPECT_EQ(B_OK, info.SetType(nullptr));
    EXPECT_EQ(B_ENTRY_NOT_FOUND, info.GetType(type));
    // A type stored by another program without its terminator.
    ASSERT_EQ(0, setxattr(path.c_str(), "user.mime_type", "text/plain", 10, 0));
    EXPECT_EQ(B_OK, info.GetType(type));
    EXPECT_STREQ("text/plain", type);
}

TEST_F(StorageKitTest, BNodeInfoBadInput_Refused)
{
    BNode     missing(dir.File("missing").c_str());
    BNodeInfo onMissing(&missing);
    EXPECT_EQ(B_ENTRY_NOT_FOUND, onMissing.InitCheck());
    BNodeInfo onNull(nullptr);
    EXPECT_EQ(B_BAD_VALUE, onNull.InitCheck());
    std::string path = dir.Write("v", "x");
    BNode       node(path.c_str());
    BNodeInfo   info(&node);
    EXPECT_EQ(B_BAD_VALUE, info.SetType(std::string(300, 't').c_str()));
}
