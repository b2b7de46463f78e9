// Real modules, where the shared corpus is present: each is recognised as its type,
// loads, and a StarTracker one finds its companion.
#include "LoaderTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/PCacheFile.h"

namespace {

struct CorpusFile
{
    const char*     name;
    int32           type;
    bool            amSounds;
    bool            loads = true;
};

const CorpusFile kCorpus[] = {
    // Its sample 14 lacks all 7100 bytes of its data, far past the 512 bytes a last sample
    // may be short of: refused with error 5.
    { "sll7.mod", 0, false, false },
    // Its position list names 68 patterns, the file holds about 17 of them and its
    // samples: 51836 bytes short, refused with error 5.
    { "order_of_death_ii.mod", 1, false, false },
    { "ZONE-2A.mod", 2, false }, { "PatternJump.mod", 2, false },
    { "PortaTarget.mod", 2, false }, { "PatternDelaysRetrig.mod", 2, false },
    { "zob-the-zob.mod", 3, true }, { "flt_am_envelope.mod", 3, true },
    { "reborning.mod", 4, false }, { "TempoChange.mod", 4, false },
    { "VibratoReset.mod", 4, false }, { "bonus.ft", 5, false }, { "TDZ3.MOD", 6, false },
    { "fall1.mtm", 7, false }, { "TEMPO2.MTM", 7, false },
};

class CorpusTest : public PlayerTest {};

}   // namespace

TEST_F(CorpusTest, EachFileDetectsAsItsTypeAndLoads)
{
    std::filesystem::path dir = ZW_CORPUS_DIR;
    if (!std::filesystem::exists(dir))
        GTEST_SKIP() << "no corpus at " << dir;
    for (const CorpusFile& c : kCorpus) {
        SCOPED_TRACE(c.name);
        std::string path = (dir / c.name).string();
        PCacheFile file(path.c_str(), PFile::pModeRead, 32768);
        ASSERT_EQ(player.TestModule(&file), c.type);
        file.SeekToBegin();
        testing::internal::CaptureStdout();
        int32 result = player.LoadModule(uint32(c.type), &file);
        std::string out = testing::internal::GetCapturedStdout();
        if (!c.loads) {
            EXPECT_EQ(out, "Ravlo Mod plugin ERROR: Error 5:\nCouldn't read the module samples\n");
            EXPECT_EQ(result, 1);
            ExpectNothingOwned();
            continue;
        }
        EXPECT_EQ(out, "");
        ASSERT_EQ(result, 0);
        EXPECT_EQ(player.ExtraLoad(path.c_str()), 0);
        EXPECT_EQ(player.amData != nullptr, c.amSounds);
        for (uint16 i = 0; i < player.sampleNum; i++)
            ExpectLoopInside(player.samples[i], c.type <= int32(MODTYPE_SOUNDTRACKER31));
        ASSERT_TRUE(player.InitPlayer());
        player.InitSound(0);
        player.EndPlayer();
        ExpectNothingOwned();
    }
}

// This song has samples of odd byte length: each later sample must still be read from
// where the file has it, which the header's own offsets say.
TEST_F(CorpusTest, MtmOddSamplesKeepTheirPlaces)
{
    std::filesystem::path path = std::filesystem::path(ZW_CORPUS_DIR) / "fall1.mtm";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "no corpus";
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8> raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(raw.size(), 66u);
    auto le16 = [&](size_t at) { return uint32(raw[at] | raw[at + 1] << 8); };
    uint32 samples = raw[30];
    size_t offset = 66 + 37 * samples + 128 + le16(24) * raw[32] * 3 + (raw[26] + 1) * 64
        + le16(28);

    ASSERT_EQ(Load(MODTYPE_MULTITRACKER, raw), 0);
    int odd = 0;
    for (uint32 i = 0; i < samples; i++) {
        size_t header = 66 + 37 * i;
        uint32 bytes = le16(header + 22) | le16(header + 24) << 16;
        odd += bytes & 1;
        const Sample& s = player.samples[i];
        ASSERT_EQ(s.length, bytes / 2) << i;
        for (uint32 k = 0; k < 2u * s.length; k += 97)
            ASSERT_EQ(uint8(s.data[k]), raw[offset + k] ^ 0x80) << "sample " << i << " byte " << k;
        offset += bytes;
    }
    EXPECT_EQ(odd, 4);
    EXPECT_EQ(offset, raw.size());
}
