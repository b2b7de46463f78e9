// What `info` and the playing commands tell of a module beyond its facts: names of any
// bytes, what a damaged file lacked, and the StarTracker companion file.
#include <gtest/gtest.h>

#include <algorithm>

#include <nlohmann/json.hpp>

#include "tests/host/HostTestSupport.h"
#include "tools/modwriter/ModWriter.h"

using namespace hosttest;
using nlohmann::json;

namespace {

zw::ModWriter
Mod(const std::string& mark = "M.K.")
{
    zw::ModWriter mod(mark);
    mod.SetSample(1, std::vector<int8>(1000, 20), 48);
    mod.SetPositions({ 0 });
    mod.Cell(0, 0, 0) = { zw::NotePeriod("A-2"), 1, 0, 0 };
    return mod;
}

std::vector<json>
JsonLines(const std::string& out)
{
    std::vector<json> objects;
    for (const std::string& line : Lines(out))
        objects.push_back(json::parse(line));
    return objects;
}

}   // namespace


// Names are ISO-8859-1 bytes, control bytes (C0, DEL and C1) shown as '?'; a file name that is no UTF-8
// still gives a JSON line, and the files after it are shown.
TEST(InfoNames, EightBitAndControlBytes_GiveValidJsonAndPlainText)
{
    TempDir       dir;
    zw::ModWriter named = Mod();
    named.name = "\x01"
                 "A\x7F\x80\xA9\xE9\xFF\x1F";
    const std::string expected = "?A??\u00A9\u00E9\u00FF?";
    std::string       first = dir.Write("named.mod", named.Build());
    std::string       odd = dir.Write("odd\xFF\xFE.mod", Mod().Build());
    std::string       last = dir.Write("last.mod", Mod("FLT4").Build());

    Result result = Host({ "info", "--json", first, odd, last });
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<json> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), 3u) << result.out;
    EXPECT_EQ(objects[0]["name"], expected);
    EXPECT_EQ(objects[1]["file"], dir.File("odd\uFFFD\uFFFD.mod"));
    EXPECT_EQ(objects[2]["type"], 3);

    Result text = Host({ "info", first });
    EXPECT_NE(text.out.find("  name:            " + expected + "\n"), std::string::npos)
        << text.out;
}

// A damaged module plays; `info` says what it lacked, and nothing for a whole file;
// `render` gives the same warnings on standard error, each naming the file.
TEST(InfoWarnings, DamagedModule_NamesWhatIsMissing)
{
    TempDir       dir;
    zw::ModWriter mod = Mod();
    mod.SetPositions({ 0, 1 });
    mod.positions[90] = 9;
    mod.fillPatterns = false;
    mod.Cell(1, 0, 0) = { zw::NotePeriod("C-2"), 1, 0, 0 };
    std::vector<uint8_t> bytes = mod.Build();
    bytes.resize(bytes.size() - 700);
    std::string damaged = dir.Write("damaged.mod", bytes);
    std::string whole = dir.Write("whole.mod", Mod().Build());

    Result result = Host({ "info", "--json", damaged, whole });
    EXPECT_EQ(result.status, 0) << result.err;
    std::vector<json> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), 2u);
    EXPECT_EQ(objects[0]["warnings"],
        json({ "the file lacks patterns 2 to 9, named only by positions past the song",
            "the sample data is cut short: 700 of 1000 bytes missing (sample 1), played as "
            "silence" }));
    EXPECT_EQ(objects[1]["warnings"], json::array());

    Result                   text = Host({ "info", damaged, whole });
    std::vector<std::string> lines = Lines(text.out);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                  [](const std::string& line) {
                      return line.rfind("  warnings:        the file lacks patterns 2 to 9", 0)
                          == 0;
                  }),
        1)
        << text.out;

    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    Result render = Host({ "render", "-q", damaged, "-o", "-" });
    EXPECT_EQ(render.status, 0) << render.err;
    std::vector<std::string> expected;
    for (const auto& warning : objects[0]["warnings"])
        expected.push_back("zarnowelle: " + damaged + ": warning: " + warning.get<std::string>());
    EXPECT_EQ(Lines(render.err), expected);
}

// `info` names the companion read or says none was found, and warns, in text and JSON,
// of AM sounds left silent for want of one; so does rendering such a module, once, on
// standard error. A companion given among the inputs beside its module is passed over.
TEST(InfoCompanion, FoundOrNot_InfoNamesItAndRenderWarns)
{
    TempDir       dir;
    zw::ModWriter mod = Mod("FLT4");
    mod.Cell(0, 4, 1) = { zw::NotePeriod("C-2"), 2, 0, 0 };   // sample 2 is empty: an AM slot
    std::string  with = dir.Write("with.mod", mod.Build());
    zw::NtWriter nt;
    nt.Record(1).startAmplitude = 200;
    ASSERT_TRUE(nt.Save(dir.File("WITH.MOD.NT")));
    std::string without = dir.Write("without.mod", mod.Build());
    std::string plain = dir.Write("plain.mod", Mod("FLT4").Build());

    Result            result = Host({ "info", "--json", with, without, plain });
    std::vector<json> objects = JsonLines(result.out);
    ASSERT_EQ(objects.size(), 3u);
    const std::string silent = "no companion \".nt\" file found; its AM sounds will be silent";
    EXPECT_EQ(objects[0]["companion"], dir.File("WITH.MOD.NT"));
    EXPECT_TRUE(objects[1]["companion"].is_null());
    EXPECT_EQ(objects[1]["warnings"], json::array({ silent }));
    EXPECT_EQ(objects[2]["warnings"], json::array());
    Result text = Host({ "info", with, without, plain });
    for (const std::string& line : { "  companion:       " + dir.File("WITH.MOD.NT") + "\n",
             "  companion:       none found\n  warnings:        " + silent + "\n",
             std::string("  companion:       none found\n") })
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    Result pair = Host({ "info", with, dir.File("WITH.MOD.NT") });
    EXPECT_EQ(pair.status, 0) << pair.err;
    EXPECT_EQ(pair.err, "");
    EXPECT_EQ(Lines(pair.out)[0], with);
    std::vector<std::string> lines = Lines(pair.out);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), dir.File("WITH.MOD.NT")), 0) << pair.out;

    if (!HavePlugin())
        GTEST_SKIP() << "the plug-in is not built";
    for (const std::string& path : { with, without, plain }) {
        Result render = Host({ "render", path, "--max-time", "1", "-o", "-" });
        EXPECT_EQ(render.status, 0) << render.err;
        bool warned = render.err.find(path
                          + ": warning: no companion \".nt\" file found; "
                            "its AM sounds will be silent")
            != std::string::npos;
        EXPECT_EQ(warned, path == without) << path << "\n" << render.err;
    }
}
