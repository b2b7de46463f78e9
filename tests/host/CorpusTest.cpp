// The host on real modules, where the corpus folder is present.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/common/ModtrackerHostCorpus.h"
#include "tests/host/HostTestSupport.h"

using namespace hosttest;

namespace {

TEST(Corpus, InfoJson_EachKnownFile_GivesItsType)
{
    if (!corpus::Present())
        GTEST_SKIP() << "no corpus at " << corpus::Folder();
    std::vector<std::string> args = { "info", "--json" };
    for (const corpus::KnownModule& m : corpus::kKnownModules)
        args.push_back(corpus::Folder() + "/" + m.name);
    Result                   result = Host(args);
    std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), std::size(corpus::kKnownModules)) << result.out;
    for (size_t i = 0; i < lines.size(); i++) {
        nlohmann::json o = nlohmann::json::parse(lines[i]);
        EXPECT_EQ(o["file"], args[2 + i]);
        int type = corpus::kKnownModules[i].type;
        EXPECT_EQ(o["type"], type >= 0 ? nlohmann::json(type) : nlohmann::json(nullptr))
            << corpus::kKnownModules[i].name;
    }
}

// Rendering goes through the plug-in alone and keeps every sample of its blocks.
TEST(Corpus, Render_RealModules_EqualsThePluginsBlocks)
{
    if (!corpus::Present())
        GTEST_SKIP() << "no corpus at " << corpus::Folder();
    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    // The first ten seconds of each, to keep the test short.
    for (const char* name : { "ZONE-2A.mod", "zob-the-zob.mod", "bonus.ft", "fall1.mtm" }) {
        std::string          path = corpus::Folder() + "/" + name;
        std::vector<int16_t> blocks = PluginBlocks(path, -1, 10 * 44100);
        ASSERT_FALSE(blocks.empty()) << name;
        Result result = Host({ "render", path, "--max-time", "10", "-o", "-" });
        EXPECT_EQ(result.status, 0) << name << result.err;
        EXPECT_EQ(Samples(result.out), blocks) << name;
    }
}

}   // namespace
