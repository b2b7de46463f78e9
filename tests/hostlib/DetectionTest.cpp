// Detection on the first bytes of a file, as a typefinder peeks them: the same answer as
// the player gives the whole file, and no byte past the reach is needed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "hostlib/Detection.h"
#include "hostlib/ModuleFacts.h"
#include "tools/modwriter/ModWriter.h"

namespace {

int
Detect(const std::vector<uint8>& bytes, size_t count)
{
    return DetectModuleType(bytes.data(), std::min(count, bytes.size()), int64_t(bytes.size()));
}

// M.K. whose first position names the last pattern, with a tempo command in its last cell:
// ProTracker only when detection sees the pattern's very last byte.
std::vector<uint8>
TempoInLastPattern()
{
    zw::ModWriter mod("M.K.");
    mod.SetSample(1, std::vector<int8>(1000, 9));   // the file goes on past the reach
    mod.SetPositions({ 255 });
    mod.Cell(255, 63, 3) = { 0, 0, 0xF, 125 };
    return mod.Build();
}

}   // namespace

TEST(Detection, Window_AnswersAsTheWholeFile)
{
    zw::ModWriter fifteen("", 15);
    fifteen.SetSample(1, std::vector<int8>(64, 9));
    std::vector<uint8> mtm = zw::MtmWriter().Build();
    struct Case
    {
        const char*        name;
        std::vector<uint8> bytes;
        size_t             window;
        int                type;
    };
    const Case cases[] = {
        { "SoundTracker15, header only", fifteen.Build(), 1084, MODTYPE_SOUNDTRACKER15 },
        { "tempo at the reach", TempoInLastPattern(), size_t(kDetectionReach), MODTYPE_PROTRACKER },
        { "one byte short of it", TempoInLastPattern(), size_t(kDetectionReach) - 1,
            MODTYPE_NOISETRACKER },
        { "MTM of 68 bytes", zw::Truncated(mtm, 68), 68, MODTYPE_MULTITRACKER },
        { "MTM of 67 bytes", zw::Truncated(mtm, 67), 67, -1 },
        { "text", std::vector<uint8>(2000, 'x'), 2000, -1 },
        { "nothing", {}, 0, -1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Detect(c.bytes, c.window), c.type);
    }
    EXPECT_GT(TempoInLastPattern().size(), size_t(kDetectionReach));
}

TEST(Detection, CorpusFiles_AsTheLoaderSeesThem)
{
    const std::filesystem::path corpus = ZW_CORPUS_DIR;
    std::error_code             error;
    int                         files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus, error)) {
        if (entry.path().extension() == ".md" || entry.path().extension() == ".nt")
            continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream      in(entry.path(), std::ios::binary);
        std::vector<uint8> bytes(
            (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(Detect(bytes, size_t(kDetectionReach)),
            ReadModuleFacts(entry.path().string()).type.value_or(-1));
        files++;
    }
    if (files == 0)
        GTEST_SKIP() << "no shared corpus";
}
