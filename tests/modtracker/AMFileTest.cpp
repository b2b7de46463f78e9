// The StarTracker ".nt" companion: found beside the module, read record by record.
#include "LoaderTestSupport.h"

#include <filesystem>
#include <unistd.h>

using namespace zw;

namespace {

class AMFileTest : public PlayerTest
{
protected:
    void            SetUp() override
                    {
                        dir = std::filesystem::temp_directory_path()
                            / ("zw_amfile_" + std::to_string(getpid()) + "_"
                                + testing::UnitTest::GetInstance()->current_test_info()->name());
                        std::filesystem::create_directories(dir);
                        modPath = (dir / "song.mod").string();
                        ModWriter mod("FLT4");
                        mod.SetPositions({ 0 });
                        ASSERT_TRUE(mod.Save(modPath));
                    }
    void            TearDown() override { std::filesystem::remove_all(dir); }

    void            LoadAs(uint32 type)
                    {
                        ModWriter mod("FLT4");
                        mod.SetPositions({ 0 });
                        ASSERT_EQ(Load(type, mod.Build()), 0);
                    }
    static NtWriter Companion(int records)
                    {
                        NtWriter nt;
                        for (int k = 0; k < records; k++) {
                            AMSample& r = nt.Record(k);
                            r.unused1 = 0x01020304u + uint32(k);
                            r.startAmplitude = uint16(k + 1);
                            r.octaveShift = uint16(0x100 + k);
                            r.unused4[83] = uint8(k);
                        }
                        return nt;
                    }

    std::filesystem::path dir;
    std::string     modPath;
};

}   // namespace

TEST_F(AMFileTest, FiveRecords_FillFiveAndLeaveTheRestZero)
{
    ASSERT_TRUE(Companion(5).Save(modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    uint32 before = player.GetExtraFilesSize();
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    ASSERT_NE(player.amData, nullptr);
    EXPECT_EQ(player.GetExtraFilesSize() - before, 144u + 120u * 5);
    for (int k = 0; k < 5; k++) {
        const AMSample& r = player.amData[k];
        EXPECT_EQ(r.mark, AM_MARK);
        EXPECT_EQ(r.unused1, 0x01020304u + uint32(k));
        EXPECT_EQ(r.startAmplitude, k + 1);
        EXPECT_EQ(r.octaveShift, 0x100 + k);
        EXPECT_EQ(r.unused4[83], k);
    }
    AMSample zero{};
    for (int k = 5; k < 31; k++)
        EXPECT_EQ(memcmp(&player.amData[k], &zero, sizeof(AMSample)), 0) << k;
}

TEST_F(AMFileTest, CutRecord_StaysAnOrdinarySample)
{
    std::vector<uint8> bytes = Companion(3).Build();
    ASSERT_TRUE(SaveFile(Truncated(bytes, 144 + 120 * 2 + 10), modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    ASSERT_NE(player.amData, nullptr);
    EXPECT_EQ(player.amData[1].mark, AM_MARK);
    EXPECT_EQ(player.amData[2].mark, 0);
    EXPECT_EQ(player.amData[2].unused1, 0u);
}

TEST_F(AMFileTest, BaseNameCompanion_IsFoundToo)
{
    ASSERT_TRUE(Companion(1).Save((dir / "song.nt").string()));
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    ASSERT_NE(player.amData, nullptr);
    EXPECT_EQ(player.amData[0].mark, AM_MARK);
}

TEST_F(AMFileTest, NoCompanion_LoadsWithoutAmSounds)
{
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    EXPECT_EQ(player.amData, nullptr);
}

TEST_F(AMFileTest, OtherTypes_OpenNothing)
{
    ASSERT_TRUE(Companion(5).Save(modPath + ".nt"));
    LoadAs(MODTYPE_PROTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    EXPECT_EQ(player.amData, nullptr);
    EXPECT_EQ(player.GetExtraFilesSize(), 0u);
}

TEST_F(AMFileTest, Cleanup_FreesTheRecords)
{
    ASSERT_TRUE(Companion(31).Save(modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);     // a second read replaces the first
    EXPECT_EQ(player.amData[30].startAmplitude, 31);
    player.Cleanup();
    ExpectNothingOwned();
}
