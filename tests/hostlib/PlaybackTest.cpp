// The host library's playback through the real plug-in: the timeline equals what a plain
// pull delivers, and a seek gives exactly the frames a whole render holds from there on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostlib/PluginHost.h"
#include "hostlib/PluginPlayback.h"
#include "hostlib/Text.h"
#include "hostlib/Timeline.h"

namespace {

const std::string kDemo = std::string(ZW_BUILD_DIR) + "/demo.mod";

class PlaybackTest : public testing::Test
{
protected:
    PluginHost   host { std::string(ZW_BUILD_DIR) + "/plugins" };
    InputPlugin* plugin = nullptr;

    void SetUp() override
    {
        plugin = host.FindPlugin(kDemo);
        ASSERT_NE(plugin, nullptr);
    }

    // Every frame up to the end, as a host that stops at the end hears it.
    static std::vector<int16> Rest(PluginPlayback& playback)
    {
        std::vector<int16> samples;
        for (;;) {
            PluginPlayback::Block block = playback.Next();
            if (block.songEnded || block.count == 0)
                return samples;
            samples.insert(samples.end(), block.frames, block.frames + 2 * block.count);
        }
    }
};

TEST_F(PlaybackTest, Timeline_EqualsFramesDelivered_PositionsRiseFromZero)
{
    PluginPlayback playback(plugin);
    ASSERT_TRUE(playback.Start(kDemo));
    std::vector<int16> whole = Rest(playback);
    playback.Stop();

    std::unique_ptr<InputPlugin> second = host.NewInstance(plugin);
    ASSERT_NE(second, nullptr);
    Timeline timeline = ScanTimeline(second.get(), kDemo, int64_t(3600) * PLUGIN_SAMPLE_RATE);
    EXPECT_TRUE(timeline.loaded && timeline.ends);
    EXPECT_EQ(timeline.frames, int64_t(whole.size() / 2));
    ASSERT_GT(timeline.positions.size(), 2u);
    EXPECT_EQ(timeline.positions.front().first, 0);
    // The song's last row sounds while the player already stands at its restart position.
    EXPECT_EQ(timeline.positions.back().second, 0);
    timeline.positions.pop_back();
    for (size_t i = 1; i < timeline.positions.size(); i++) {
        EXPECT_GT(timeline.positions[i].first, timeline.positions[i - 1].first);
        EXPECT_GT(timeline.positions[i].second, timeline.positions[i - 1].second);
    }

    Timeline cut = ScanTimeline(second.get(), kDemo, 5000);
    EXPECT_FALSE(cut.ends);
    EXPECT_EQ(cut.frames, 5000);
}

TEST_F(PlaybackTest, SeekToFrame_GivesTheWholeRenderFromThereOn)
{
    PluginPlayback playback(plugin);
    ASSERT_TRUE(playback.Start(kDemo));
    std::vector<int16> whole = Rest(playback);
    const int64_t      frames = int64_t(whole.size() / 2);

    // Mid-block, on a block boundary, backwards, forwards within held-back frames.
    for (int64_t target : { int64_t(441000), int64_t(1024 * 50), int64_t(777), int64_t(778),
             int64_t(2000), frames - 1 }) {
        SCOPED_TRACE(target);
        ASSERT_TRUE(playback.SeekToFrame(target));
        EXPECT_EQ(playback.Frame(), target);
        std::vector<int16> rest = Rest(playback);
        ASSERT_EQ(int64_t(rest.size() / 2), frames - target);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + 2 * target));
    }
    EXPECT_TRUE(playback.SeekToFrame(frames));   // the end itself: nothing left
    EXPECT_TRUE(playback.Next().songEnded);
    EXPECT_FALSE(playback.SeekToFrame(frames + 1));
    EXPECT_FALSE(playback.SeekToFrame(frames + 100000));
}

TEST_F(PlaybackTest, SongEnd_BlockStillHoldsMixedFrames_AndPlayOnContinues)
{
    PluginPlayback playback(plugin);
    ASSERT_TRUE(playback.Start(kDemo));
    PluginPlayback::Block block;
    do
        block = playback.Next();
    while (!block.songEnded && block.count != 0);
    EXPECT_TRUE(block.songEnded);
    EXPECT_EQ(block.count, PLUGIN_BLOCK_FRAMES);
    EXPECT_FALSE(playback.Next().songEnded);   // the player plays on into its next pass
}

TEST(TextTest, Latin1ToUtf8_DecodesHighBytes_ControlBytesBecomeQuestionMarks)
{
    EXPECT_EQ(Latin1ToUtf8("Abc 1~"), "Abc 1~");
    EXPECT_EQ(Latin1ToUtf8("\xe9t\xe9"), "\xc3\xa9t\xc3\xa9");
    // C1 controls (0x80-0x9F) are controls as C0 ones are; 0xA0 on is text.
    EXPECT_EQ(Latin1ToUtf8("\x80\x9f\xa0\xff"), "??\xc2\xa0\xc3\xbf");
    EXPECT_EQ(Latin1ToUtf8(std::string("a\x01\x1f\x7f\tb", 6)), "a????b");
    EXPECT_EQ(Latin1ToUtf8(""), "");
}

}   // namespace
