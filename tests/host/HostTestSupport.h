// Running the built host program from tests, and the files they feed it.
#ifndef TESTS_HOST_HOSTTESTSUPPORT_H
#define TESTS_HOST_HOSTTESTSUPPORT_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/common/TempDir.h"

namespace hosttest {

struct Result
{
    int         status = -1;   // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs the host with `args`, standard input from /dev/null, extra environment
// variables as "NAME=value".
Result Host(const std::vector<std::string>& args, const std::vector<std::string>& environment = {});
// Runs any program.
Result RunProgram(const std::string& program, const std::vector<std::string>& args,
    const std::vector<std::string>& environment = {});

std::string HostPath();       // build/zarnowelle
std::string PluginFolder();   // build/plugins
std::string FakePluginFolder();
std::string FakePluginsOption();   // "--plugins=" and the fake plug-in's folder
// The same for the fake plug-in that takes settings.
std::string FakeSettingsPluginsOption();
std::string DemoPath();   // build/demo.mod
bool        HavePlugin();

std::vector<uint8_t> ReadBytes(const std::string& path);
// Interleaved 16-bit frames from little-endian bytes.
std::vector<int16_t> Samples(const std::string& bytes);
// What SDL's disk audio driver wrote to `path`, as 16-bit samples.
std::vector<int16_t> DeviceSamples(const std::string& path);
// A sound file read back through libsndfile, with its channel count and rate.
std::vector<int16_t> ReadSoundFile(
    const std::string& path, int* channels = nullptr, int* rate = nullptr);
// A string a sound file carries (SF_STR_TITLE, SF_STR_COMMENT, ...), empty when none.
std::string SoundFileString(const std::string& path, int type);
// The fake plug-in's signal for `blocks` blocks, from block `first` on.
std::vector<int16_t> FakeSignal(long first, long blocks);
// Every block the real plug-in delivers for `path`, straight through dlopen; at most
// `maxFrames` frames when that is not 0.
std::vector<int16_t> PluginBlocks(const std::string& path, int seek = -1, size_t maxFrames = 0);
// The non-empty lines of a text.
std::vector<std::string> Lines(const std::string& text);
// The lines of a text that the host itself wrote ("zarnowelle: ...").
std::vector<std::string> HostLines(const std::string& text);

}   // namespace hosttest

#endif
