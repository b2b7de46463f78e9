// The host on real modules, where the corpus folder is present.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <nlohmann/json.hpp>

#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

const std::string kCorpus = ZW_CORPUS_DIR;

// The types the corpus's own notes give for its files.
const std::map<std::string, int> kTypes = {
    { "sll7.mod", 0 }, { "order_of_death_ii.mod", 1 }, { "ZONE-2A.mod", 2 },
    { "PatternJump.mod", 2 }, { "PortaTarget.mod", 2 }, { "PatternDelaysRetrig.mod", 2 },
    { "zob-the-zob.mod", 3 }, { "flt_am_envelope.mod", 3 }, { "reborning.mod", 4 },
    { "TempoChange.mod", 4 }, { "VibratoReset.mod", 4 }, { "bonus.ft", 5 },
    { "TDZ3.MOD", 6 }, { "fall1.mtm", 7 }, { "TEMPO2.MTM", 7 },
};

TEST(Corpus, InfoJson_GivesEachFilesType)
{
    if (!std::filesystem::is_directory(kCorpus))
        GTEST_SKIP() << "no corpus at " << kCorpus;
    std::vector<std::string> args = { "info", "--json" };
    for (const auto& [name, type] : kTypes)
        args.push_back(kCorpus + "/" + name);
    Result result = Host(args);
    std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), kTypes.size()) << result.out;
    for (const std::string& line : lines) {
        nlohmann::json o = nlohmann::json::parse(line);
        std::string name = std::filesystem::path(o["file"].get<std::string>()).filename();
        EXPECT_EQ(o["type"], kTypes.at(name)) << name;
    }
}

// Rendering goes through the plug-in alone and keeps every sample of its blocks.
TEST(Corpus, Render_EqualsThePluginsBlocks)
{
    if (!std::filesystem::is_directory(kCorpus))
        GTEST_SKIP() << "no corpus at " << kCorpus;
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    // The first ten seconds of each, to keep the test short.
    for (const char* name : { "ZONE-2A.mod", "zob-the-zob.mod", "bonus.ft", "fall1.mtm" }) {
        std::string path = kCorpus + "/" + name;
        std::vector<int16_t> blocks = PluginBlocks(path, -1, 10 * 44100);
        ASSERT_FALSE(blocks.empty()) << name;
        Result result = Host({ "render", path, "--max-time", "10", "-o", "-" });
        EXPECT_EQ(result.status, 0) << name << result.err;
        EXPECT_EQ(Samples(result.out), blocks) << name;
    }
}

}   // namespace
