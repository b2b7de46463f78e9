// Text every host takes from a module: tags and the MultiTracker comment.
#include <gtest/gtest.h>


#include "hostlib/ModuleText.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

TEST(ModuleText, TagsFor_SampleNames_TrimmedAndJoinedByLines)
{
    ModuleFacts facts;
    facts.name = "Song  ";
    for (const char* name : { "", " ", "Hello  ", "", "world", "", "" })
        facts.sampleList.push_back({ name });
    ModuleTags tags = TagsFor(facts);
    EXPECT_EQ(tags.title, "Song");
    EXPECT_EQ(tags.comment, "Hello\n\nworld");
    EXPECT_EQ(TagsFor(ModuleFacts()).comment, "");
}

// Lines of 40 bytes, cut at their first zero byte; a file too short for the comment it
// announces, and a file of another kind, have none.
TEST(ModuleText, ReadMtmComment_LinesOrNothing)
{
    TempDir       dir;
    zw::MtmWriter mtm(4);
    mtm.SetSample(1, std::vector<uint8_t>(64, 140));
    mtm.SetPositions({ 0 });
    mtm.Sequence(0, 0) = 0;
    mtm.comment =
        std::string(40, '\0') + "caf\xe9" + std::string(36, '\0') + "end" + std::string(37, ' ');
    std::vector<uint8> bytes = mtm.Build();
    EXPECT_EQ(ReadMtmComment(dir.Write("song.mtm", bytes)), "caf\xc3\xa9\nend");
    mtm.comment = "";
    mtm.commentLength = 400;
    std::vector<uint8> cut = mtm.Build();
    EXPECT_EQ(ReadMtmComment(dir.Write("cut.mtm", cut)), "");
    EXPECT_EQ(ReadMtmComment(dir.Write("song.mod", "M.K. and more")), "");
    EXPECT_EQ(ReadMtmComment(dir.File("missing.mtm")), "");
}

}   // namespace
