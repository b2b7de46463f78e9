// The StarTracker ".nt" companion: found beside the module, read record by record.
#include "LoaderTestSupport.h"

#include "tests/common/TempDir.h"

using namespace zw;

namespace {

class AMFileTest : public PlayerTest
{
protected:
    void LoadAs(uint32 type)
    {
        ModWriter mod("FLT4");
        mod.SetPositions({ 0 });
        ASSERT_TRUE(mod.Save(modPath));
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

    TempDir     dir;
    std::string modPath = dir.File("song.mod");
};

}   // namespace

TEST_F(AMFileTest, ExtraLoad_FiveRecords_FillFiveAndLeaveTheRestZero)
{
    ASSERT_TRUE(Companion(5).Save(modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    uint32 before = player.GetExtraFilesSize();
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    const ModuleView module = player.Module();
    ASSERT_NE(module.amData, nullptr);
    EXPECT_EQ(player.GetExtraFilesSize() - before, 144u + 120u * 5);
    for (int k = 0; k < 5; k++) {
        const AMSample& r = module.amData[k];
        EXPECT_EQ(std::tuple(r.mark, r.unused1, r.startAmplitude, r.octaveShift, r.unused4[83]),
            std::tuple(AM_MARK, 0x01020304u + uint32(k), k + 1, 0x100 + k, k))
            << k;
    }
    AMSample zero {};
    for (int k = 5; k < 31; k++)
        EXPECT_EQ(memcmp(&module.amData[k], &zero, sizeof(AMSample)), 0) << k;
}

TEST_F(AMFileTest, ExtraLoad_CutRecord_StaysAnOrdinarySample)
{
    std::vector<uint8> bytes = Companion(3).Build();
    ASSERT_TRUE(SaveFile(Truncated(bytes, 144 + 120 * 2 + 10), modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    const ModuleView module = player.Module();
    ASSERT_NE(module.amData, nullptr);
    EXPECT_EQ(std::tuple(module.amData[1].mark, module.amData[2].mark, module.amData[2].unused1),
        std::tuple(AM_MARK, 0, 0u));
}

// The companion is "NAME.nt" or "BASE.nt" beside the module, and only a StarTracker
// module looks for it; without one the module loads without AM sounds.
TEST_F(AMFileTest, ExtraLoad_WhereAndForWhom_FindsOnlyAStarTrackerCompanion)
{
    const struct
    {
        const char* companion;
        uint32      type;
        bool        found;
    } cases[] = {
        { "song.mod.nt", MODTYPE_STARTRACKER, true },
        { "song.nt", MODTYPE_STARTRACKER, true },
        { nullptr, MODTYPE_STARTRACKER, false },
        { "song.mod.nt", MODTYPE_PROTRACKER, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            testing::Message() << (c.companion ? c.companion : "none") << " type " << c.type);
        std::filesystem::remove(dir.File("song.mod.nt"));
        std::filesystem::remove(dir.File("song.nt"));
        if (c.companion != nullptr) {
            ASSERT_TRUE(Companion(1).Save(dir.File(c.companion)));
        }
        player.Cleanup();
        LoadAs(c.type);
        uint32 before = player.GetExtraFilesSize();
        EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
        const ModuleView module = player.Module();
        ASSERT_EQ(module.amData != nullptr, c.found);
        if (c.found) {
            EXPECT_EQ(module.amData[0].mark, AM_MARK);
        }
        // Another type opens nothing at all.
        EXPECT_EQ(player.GetExtraFilesSize() - before, c.found ? 144u + 120u : 0u);
    }
}

TEST_F(AMFileTest, Cleanup_AfterTwoReads_FreesTheRecords)
{
    ASSERT_TRUE(Companion(31).Save(modPath + ".nt"));
    LoadAs(MODTYPE_STARTRACKER);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);
    EXPECT_EQ(player.ExtraLoad(modPath.c_str()), 0);   // a second read replaces the first
    EXPECT_EQ(player.Module().amData[30].startAmplitude, 31);
    player.Cleanup();
    ExpectNothingOwned();
}

// A note on a slot without data is an AM sound only through the companion: silent in a
// StarTracker module without one, and never in another type.
TEST_F(AMFileTest, SilentAMSounds_NotesOnEmptySlots_OnlyWithoutCompanion)
{
    const struct
    {
        const char* what;
        ModCell     cell;
        uint32      type;
        bool        companion;
        bool        silent;
    } cases[] = {
        { "note on an empty slot", { NotePeriod("C-2"), 2 }, MODTYPE_STARTRACKER, false, true },
        { "with its companion", { NotePeriod("C-2"), 2 }, MODTYPE_STARTRACKER, true, false },
        { "slot with data", { NotePeriod("C-2"), 1 }, MODTYPE_STARTRACKER, false, false },
        { "sample without a note", { 0, 2 }, MODTYPE_STARTRACKER, false, false },
        { "ProTracker", { NotePeriod("C-2"), 2 }, MODTYPE_PROTRACKER, false, false },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ModWriter mod("FLT4");
        mod.SetPositions({ 0 });
        mod.SetSample(1, std::vector<int8>(64, 5));
        mod.Cell(0, 63, 3) = c.cell;
        ASSERT_TRUE(mod.Save(modPath));
        std::remove((modPath + ".nt").c_str());
        if (c.companion) {
            ASSERT_TRUE(Companion(2).Save(modPath + ".nt"));
        }
        ASSERT_EQ(Load(c.type, mod.Build()), 0);
        player.ExtraLoad(modPath.c_str());
        EXPECT_EQ(player.SilentAMSounds(), c.silent);
    }
}
