// Finding and opening the companion file of a module.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/PException.h"
#include "support/PFile.h"
#include "tests/common/CaughtException.h"
#include "tests/common/TempDir.h"
#include "tests/framework/TestPlayer.h"

namespace {

namespace fs = std::filesystem;

class ExtraFiles : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    std::string Path(const std::string& leaf) const { return dir.File(leaf); }
    void        Create(const std::string& leaf, size_t size) const
    {
        dir.Write(leaf, std::string(size, 'x'));
    }

    // The length of the file OpenExtraFile found, or the code of what it threw.
    int64 Open(const std::string& fileName, const char* extension, PString* failedName = nullptr)
    {
        int64 length = -1;
        auto  e = CatchP<PFileException>([&] {
            PFile* file = player.OpenExtraFile(fileName.c_str(), extension);
            length = file->GetLength();
            player.CloseExtraFile(file);
        });
        if (e == nullptr)
            return length;
        if (failedName != nullptr)
            *failedName = e->name;
        return e->code;
    }

    TempDir    dir;   // its name has no dot
    TestPlayer player { nullptr };
};

// In the order they are tried, for the module "mod.song" and the extension "Nt".
const std::vector<std::string> kCandidates = {
    "mod.song.Nt",
    "mod.song.nt",
    "mod.song.NT",
    "mod.Nt",
    "mod.nt",
    "mod.NT",
    "Nt.song",
    "nt.song",
    "NT.song",
};

TEST_F(ExtraFiles, EachCandidateAlone_IsFound)
{
    for (size_t i = 0; i < kCandidates.size(); i++) {
        Create(kCandidates[i], 10 + i);
        EXPECT_EQ(Open(Path("mod.song"), "Nt"), (int64)(10 + i)) << kCandidates[i];
        fs::remove(Path(kCandidates[i]));
    }
}

TEST_F(ExtraFiles, SeveralCandidates_EarliestWins)
{
    for (size_t i = 0; i < kCandidates.size(); i++)
        Create(kCandidates[i], 10 + i);
    for (size_t i = 0; i < kCandidates.size(); i++) {
        EXPECT_EQ(Open(Path("mod.song"), "Nt"), (int64)(10 + i));
        fs::remove(Path(kCandidates[i]));
    }
}

TEST_F(ExtraFiles, Search_FindsOrNamesTheLastNameTried)
{
    fs::create_directory(Path("mods.old"));
    struct Case
    {
        const char* present;   // the one file there, or null
        const char* module;
        const char* extension;
        int64       result;   // the length found, or the code thrown
        const char* failedName;
    };
    const Case cases[] = {
        { "mod.song", "mod.song", "Nt", P_FILE_ERR_ENTRY_NOT_FOUND, "Nt.song" },
        // Without a dot in the name only the suffixes are tried: a base form would be empty.
        { "song.NT", "song", "Nt", 7, nullptr },
        { "NT", "song", "Nt", P_FILE_ERR_ENTRY_NOT_FOUND, "song.Nt" },
        // An empty extension tries the name itself.
        { "song.nt", "song.nt", "", 7, nullptr },
        { "song.nt", "other.nt", "", P_FILE_ERR_ENTRY_NOT_FOUND, "other.nt" },
        // A dot in the directory: the prefix forms stay beside the module.
        { "mods.old/nt.song", "mods.old/mod.song", "nt", 7, nullptr },
        { nullptr, "mods.old/song", "nt", P_FILE_ERR_ENTRY_NOT_FOUND, "mods.old/song.nt" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        if (c.present != nullptr)
            Create(c.present, 7);
        PString name;
        EXPECT_EQ(Open(Path(c.module), c.extension, &name), c.result);
        if (c.failedName != nullptr) {
            EXPECT_STREQ(name, Path(c.failedName).c_str());
        }
        if (c.present != nullptr)
            fs::remove(Path(c.present));
    }
}

// Names from DOS and Amiga collections come in any case: each form is also matched
// without regard to case, once no name opens as it is written.
TEST_F(ExtraFiles, Search_MatchesWithoutRegardToCase)
{
    const struct
    {
        std::vector<const char*> present;
        const char*              found;
    } cases[] = {
        { { "NAME.MOD.NT" }, "NAME.MOD.NT" },
        { { "Name.nT" }, "Name.nT" },
        { { "nT.MoD" }, "nT.MoD" },
        // A name as written wins over an earlier form matched without regard to case.
        { { "NAME.MOD.NT", "name.nt" }, "name.nt" },
        { { "NAME.NT", "NAME.MOD.NT" }, "NAME.MOD.NT" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.found);
        for (const char* leaf : c.present)
            dir.Write(leaf, leaf);
        PFile* file = player.OpenExtraFile(Path("name.mod").c_str(), "nt");
        EXPECT_STREQ(file->GetFullPath(), Path(c.found).c_str());
        player.CloseExtraFile(file);
        for (const char* leaf : c.present)
            fs::remove(Path(leaf));
    }
    PString name;
    dir.Write("NAME.MOD.NTX", "x");
    EXPECT_EQ(Open(Path("name.mod"), "nt", &name), P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_STREQ(name, Path("nt.mod").c_str());
}

TEST_F(ExtraFiles, OtherFileError_EndsTheSearch)
{
    Create("plain", 1);   // a file used as a directory
    PString name;
    int64   code = Open(Path("plain/mod.song"), "nt", &name);
    EXPECT_NE(code, P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_LT(code, 0);
    EXPECT_STREQ(name, Path("plain/mod.song.nt").c_str());
}

TEST_F(ExtraFiles, OpenFile_MissingEntryLeavesFileClosedOtherErrorsPassOn)
{
    PFile file;
    player.OpenFile(&file, Path("missing").c_str());
    EXPECT_FALSE(file.IsOpen());
    Create("plain", 1);
    auto e = CatchP<PFileException>([&] { player.OpenFile(&file, Path("plain/x").c_str()); });
    ASSERT_NE(e, nullptr);
    EXPECT_NE(e->code, P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_FALSE(file.IsOpen());
    player.OpenFile(&file, Path("plain").c_str());
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(ExtraFiles, CloseExtraFile_AddsUpLengths)
{
    Create("a.nt", 1000);
    Create("b.nt", 24);
    EXPECT_EQ(player.GetExtraFilesSize(), 0u);
    player.CloseExtraFile(player.OpenExtraFile(Path("a").c_str(), "nt"));
    EXPECT_EQ(player.GetExtraFilesSize(), 1000u);
    player.CloseExtraFile(player.OpenExtraFile(Path("b").c_str(), "nt"));
    EXPECT_EQ(player.GetExtraFilesSize(), 1024u);
    player.CloseExtraFile(nullptr);
    EXPECT_EQ(player.GetExtraFilesSize(), 1024u);
}

TEST_F(ExtraFiles, FoundFile_ReadsThroughTheCache)
{
    dir.Write("song.nt", "ABCD");
    PFile* file = player.OpenExtraFile(Path("song.mod").c_str(), "nt");
    EXPECT_EQ(file->Read_B_UINT32(), 0x41424344u);
    EXPECT_STREQ(file->GetFullPath(), Path("song.nt").c_str());
    player.CloseExtraFile(file);
}

}   // namespace
