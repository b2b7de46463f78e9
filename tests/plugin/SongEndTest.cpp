// The end of a song as the host hears it: the block in which the player tells the end is
// dropped, so the end comes on the row tick after the last row, and that row is heard.
#include <gtest/gtest.h>

#include <algorithm>

#include "plugin/MyPlugin.h"
#include "tests/common/TempDir.h"
#include "tools/modwriter/ModWriter.h"

namespace {

const int kBlockFrames = 1024;
const int kTickFrames = 882;   // tempo 125
const int kSpeed = 6;

struct Heard
{
    long frames = 0;   // delivered before the block that returned 0
    long loudFrames = 0;
};

Heard
PlayToTheEnd(const zw::ModWriter& mod)
{
    TempDir          dir;
    std::string      path = dir.Write("song.mod", mod.Build());
    MyPlugin         plugin;
    PlayerInfoStruct info = {};
    Heard            heard;
    EXPECT_TRUE(plugin.InitPlaying(path.c_str(), &info));
    char* buffer = nullptr;
    for (int block = 0; block < 2000 && plugin.GetAudio(&buffer, 4 * kBlockFrames) != 0; block++) {
        const int16* samples = reinterpret_cast<const int16*>(buffer);
        for (int f = 0; f < kBlockFrames; f++)
            heard.loudFrames += samples[2 * f] != 0 || samples[2 * f + 1] != 0;
        heard.frames += kBlockFrames;
    }
    plugin.CleanupPlaying();
    return heard;
}

// ProTracker, one pattern at speed 6; a looped sample so a note sounds to the end.
zw::ModWriter
Song()
{
    zw::ModWriter mod("M.K.");
    mod.restart = 127;
    mod.SetSample(1, std::vector<int8>(512, 60), 64, 0, 256);
    mod.SetPositions({ 0 });
    return mod;
}

}   // namespace


// A song whose only note is on its last row: the row is heard, all six ticks of it.
TEST(SongEnd, NoteOnTheLastRowOnly_IsHeard)
{
    zw::ModWriter mod = Song();
    mod.Cell(0, 63, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    Heard heard = PlayToTheEnd(mod);
    EXPECT_GE(heard.loudFrames, kSpeed * kTickFrames - kBlockFrames);
}

// Row r is read on Play 6 + 6r (the first row on the sixth). The old end was the Play of
// the ending row; the end now comes one row (six ticks) later, and the host gets every
// block before the one that holds it.
TEST(SongEnd, FramesDelivered_GrowByOneRow_ForEveryKindOfEnd)
{
    const struct
    {
        const char* what;
        int         row;
        uint8       effect, param;
    } cases[] = {
        { "wrap", 63, 0, 0 },
        { "B00", 10, 0xB, 0x00 },
        { "F00", 20, 0xF, 0x00 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        zw::ModWriter mod = Song();
        mod.Cell(0, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
        mod.Cell(0, c.row, 1) = { 0, 0, c.effect, c.param };
        long  oldEndTick = kSpeed + kSpeed * c.row;
        long  endFrame = (oldEndTick + kSpeed - 1) * kTickFrames;
        Heard heard = PlayToTheEnd(mod);
        EXPECT_LE(heard.frames, endFrame);
        EXPECT_GT(heard.frames, endFrame - kBlockFrames);
    }
}
