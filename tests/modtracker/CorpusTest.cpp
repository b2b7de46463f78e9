// Real modules, where the shared corpus is present: each is recognised as its type,
// loads, and a StarTracker one finds its companion.
#include "LoaderTestSupport.h"

#include <fstream>
#include <iterator>

#include "support/PCacheFile.h"
#include "tests/common/ModtrackerHostCorpus.h"

namespace {

class CorpusTest : public PlayerTest
{};

}   // namespace

TEST_F(CorpusTest, Load_EachKnownFile_DetectsAsItsTypeAndLoads)
{
    if (!corpus::Present())
        GTEST_SKIP() << "no corpus at " << corpus::Folder();
    for (const corpus::KnownModule& c : corpus::kKnownModules) {
        SCOPED_TRACE(c.name);
        std::string path = corpus::Folder() + "/" + c.name;
        PCacheFile  file(path.c_str(), PFile::pModeRead, 32768);
        ASSERT_EQ(player.TestModule(&file), c.type);
        if (c.type < 0)
            continue;
        file.SeekToBegin();
        testing::internal::CaptureStdout();
        int32       result = player.LoadModule(uint32(c.type), &file);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(out, "");
        ASSERT_EQ(result, 0);
        EXPECT_EQ(player.ExtraLoad(path.c_str()), 0);
        const ModuleView module = player.Module();
        EXPECT_EQ(module.amData != nullptr, c.type == int(MODTYPE_STARTRACKER));
        for (uint16 i = 0; i < module.sampleNum; i++)
            ExpectLoopInside(module.samples[i], c.type <= int32(MODTYPE_SOUNDTRACKER31));
        ASSERT_TRUE(player.InitPlayer());
        player.InitSound(0);
        player.EndPlayer();
        ExpectNothingOwned();
    }
}

// This song has samples of odd byte length: each later sample must still be read from
// where the file has it, which the header's own offsets say.
TEST_F(CorpusTest, LoadMtm_OddSamples_KeepTheirPlaces)
{
    std::string path = corpus::Folder() + "/fall1.mtm";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no corpus";
    std::ifstream      in(path, std::ios::binary);
    std::vector<uint8> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(raw.size(), 66u);
    auto   le16 = [&](size_t at) { return uint32(raw[at] | raw[at + 1] << 8); };
    uint32 samples = raw[30];
    size_t offset =
        66 + 37 * samples + 128 + le16(24) * raw[32] * 3 + (raw[26] + 1) * 64 + le16(28);

    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, raw), 0);
    int odd = 0;
    for (uint32 i = 0; i < samples; i++) {
        size_t header = 66 + 37 * i;
        uint32 bytes = le16(header + 22) | le16(header + 24) << 16;
        odd += bytes & 1;
        const Sample& s = player.Module().samples[i];
        ASSERT_EQ(s.length, bytes / 2) << i;
        for (uint32 k = 0; k < 2u * s.length; k += 97)
            ASSERT_EQ(uint8(s.data[k]), raw[offset + k] ^ 0x80) << "sample " << i << " byte " << k;
        offset += bytes;
    }
    EXPECT_EQ(odd, 4);
    EXPECT_EQ(offset, raw.size());
}
