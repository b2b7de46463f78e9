// Finding and opening the companion file of a module.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/PException.h"
#include "support/PFile.h"
#include "tests/framework/TestPlayer.h"

namespace {

namespace fs = std::filesystem;

class ExtraFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zwextraXXXXXX";     // no dot in the directory part
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }

    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const std::string& leaf) const { return dir + "/" + leaf; }

    void Create(const std::string& leaf, size_t size) const
    {
        std::ofstream(Path(leaf), std::ios::binary) << std::string(size, 'x');
    }

    // The length of the file OpenExtraFile found, or the code of what it threw.
    int64 Open(const std::string& fileName, const char* extension, PString* failedName = nullptr)
    {
        try {
            PFile* file = player.OpenExtraFile(fileName.c_str(), extension);
            int64 length = file->GetLength();
            player.CloseExtraFile(file);
            return length;
        } catch (PFileException* exception) {
            int64 code = exception->code;
            if (failedName != nullptr)
                *failedName = exception->name;
            exception->Delete();
            return code;
        }
    }

    std::string dir;
    TestPlayer  player{nullptr};
};

// In the order they are tried, for the module "mod.song" and the extension "Nt".
const std::vector<std::string> kCandidates = {
    "mod.song.Nt", "mod.song.nt", "mod.song.NT",
    "mod.Nt", "mod.nt", "mod.NT",
    "Nt.song", "nt.song", "NT.song",
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

TEST_F(ExtraFiles, NoCandidate_NamesTheLastPrefixForm)
{
    Create("mod.song", 5);
    PString name;
    EXPECT_EQ(Open(Path("mod.song"), "Nt", &name), P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_STREQ(name, Path("Nt.song").c_str());
}

TEST_F(ExtraFiles, NameWithoutDot_TriesSuffixesOnly)
{
    Create("song.NT", 7);
    EXPECT_EQ(Open(Path("song"), "Nt"), 7);
    fs::remove(Path("song.NT"));
    Create("NT", 3);    // a base form would be empty: it must not be tried
    PString name;
    EXPECT_EQ(Open(Path("song"), "Nt", &name), P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_STREQ(name, Path("song.Nt").c_str());
}

TEST_F(ExtraFiles, EmptyExtension_TriesTheNameItself)
{
    Create("song.nt", 9);
    EXPECT_EQ(Open(Path("song.nt"), ""), 9);
    PString name;
    EXPECT_EQ(Open(Path("other.nt"), "", &name), P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_STREQ(name, Path("other.nt").c_str());
}

TEST_F(ExtraFiles, DotInDirectory_PrefixFormsStayBesideTheModule)
{
    fs::create_directory(Path("mods.old"));
    Create("mods.old/nt.song", 11);
    EXPECT_EQ(Open(Path("mods.old/mod.song"), "nt"), 11);
    fs::remove(Path("mods.old/nt.song"));

    PString name;
    EXPECT_EQ(Open(Path("mods.old/song"), "nt", &name), P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_STREQ(name, Path("mods.old/song.nt").c_str());
}

TEST_F(ExtraFiles, OtherFileError_EndsTheSearch)
{
    Create("plain", 1);     // a file used as a directory
    PString name;
    int64 code = Open(Path("plain/mod.song"), "nt", &name);
    EXPECT_NE(code, P_FILE_ERR_ENTRY_NOT_FOUND);
    EXPECT_LT(code, 0);
    EXPECT_STREQ(name, Path("plain/mod.song.nt").c_str());
}

TEST_F(ExtraFiles, OpenFile_MissingEntryLeavesFileClosed)
{
    PFile file;
    player.OpenFile(&file, Path("missing").c_str());
    EXPECT_FALSE(file.IsOpen());
    Create("present", 4);
    player.OpenFile(&file, Path("present").c_str());
    EXPECT_TRUE(file.IsOpen());
}

TEST_F(ExtraFiles, OpenFile_OtherErrorsPassOn)
{
    Create("plain", 1);
    PFile file;
    try {
        player.OpenFile(&file, Path("plain/x").c_str());
        ADD_FAILURE() << "no exception";
    } catch (PFileException* exception) {
        EXPECT_NE(exception->code, P_FILE_ERR_ENTRY_NOT_FOUND);
        exception->Delete();
    }
    EXPECT_FALSE(file.IsOpen());
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
    std::ofstream(Path("song.nt"), std::ios::binary) << "ABCD";
    PFile* file = player.OpenExtraFile(Path("song.mod").c_str(), "nt");
    EXPECT_EQ(file->Read_B_UINT32(), 0x41424344u);
    EXPECT_STREQ(file->GetFullPath(), Path("song.nt").c_str());
    player.CloseExtraFile(file);
}

}   // namespace
