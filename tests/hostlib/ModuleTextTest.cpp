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

// The loader's five messages each get the host's words; anything else stays as it came.
TEST(ModuleText, LoadFailureText_LoaderMessages_InTheHostsWords)
{
    const std::pair<const char*, const char*> cases[] = {
        { "Error 1: Out of memory", "there is not enough memory for it" },
        { "Error 2: Couldn't read the module header", "the header is damaged or cut short" },
        { "Error 3: Couldn't read the module patterns", "the patterns are cut short" },
        { "Error 4: Couldn't read the module sample information", "the sample list is cut short" },
        { "Error 5: Couldn't read the module samples", "the sample data is cut short" },
        { "Error 6: Something new", "Error 6: Something new" },
        { "odd words", "odd words" },
        { "", "the plug-in could not load it" },
    };
    for (const auto& [message, words] : cases)
        EXPECT_EQ(LoadFailureText(message), words) << message;
}

}   // namespace
