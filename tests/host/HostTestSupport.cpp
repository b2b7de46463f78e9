#include "tests/host/HostTestSupport.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sndfile.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "plugin/InputPlugin.h"
#include "tests/host/fake/FakeSignal.h"

extern char** environ;

namespace hosttest {

namespace fs = std::filesystem;

namespace {

std::string
ReadText(const std::string& path)
{
    std::ifstream      file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string>
Environment(const std::vector<std::string>& extra)
{
    std::vector<std::string> all;
    for (char** entry = environ; *entry != nullptr; entry++) {
        std::string variable = *entry;
        bool        replaced = false;
        for (const std::string& mine : extra)
            replaced |= variable.substr(0, variable.find('=')) == mine.substr(0, mine.find('='));
        if (!replaced)
            all.push_back(variable);
    }
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

std::vector<char*>
Pointers(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

}   // namespace

Result
RunProgram(const std::string& program, const std::vector<std::string>& args,
    const std::vector<std::string>& environment)
{
    TempDir                    scratch;
    std::string                outPath = scratch.File("out"), errPath = scratch.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<std::string> argv = { program };
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<std::string> envp = Environment(environment);
    std::vector<char*>       argPointers = Pointers(argv), envPointers = Pointers(envp);
    pid_t                    pid;
    Result                   result;
    if (posix_spawn(
            &pid, program.c_str(), &actions, nullptr, argPointers.data(), envPointers.data())
        == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    return result;
}

Result
Host(const std::vector<std::string>& args, const std::vector<std::string>& environment)
{
    return RunProgram(HostPath(), args, environment);
}

// clang-format off
std::string HostPath() { return std::string(ZW_BUILD_DIR) + "/zarnowelle"; }
std::string PluginFolder() { return std::string(ZW_BUILD_DIR) + "/plugins"; }
std::string FakePluginFolder() { return ZW_FAKE_PLUGIN_DIR; }
std::string FakePluginsOption() { return "--plugins=" + FakePluginFolder(); }
std::string FakeSettingsPluginsOption() { return "--plugins=" ZW_FAKE_SETTINGS_PLUGIN_DIR; }
std::string DemoPath() { return std::string(ZW_BUILD_DIR) + "/demo.mod"; }
bool HavePlugin() { return fs::exists(PluginFolder() + "/zarnowelle.so"); }
// clang-format on

std::vector<uint8_t>
ReadBytes(const std::string& path)
{
    std::string text = ReadText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<int16_t>
Samples(const std::string& bytes)
{
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); i++)
        samples[i] = (int16_t)(uint16_t)((uint8_t)bytes[2 * i] | (uint8_t)bytes[2 * i + 1] << 8);
    return samples;
}

std::vector<int16_t>
DeviceSamples(const std::string& path)
{
    return Samples(ReadText(path));
}

std::vector<int16_t>
ReadSoundFile(const std::string& path, int* channels, int* rate)
{
    SF_INFO info;
    memset(&info, 0, sizeof(info));
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr)
        return {};
    std::vector<int16_t> samples(info.frames * info.channels);
    sf_count_t           frames = sf_readf_short(file, samples.data(), info.frames);
    samples.resize(frames * info.channels);
    sf_close(file);
    if (channels != nullptr)
        *channels = info.channels;
    if (rate != nullptr)
        *rate = info.samplerate;
    return samples;
}

std::string
SoundFileString(const std::string& path, int type)
{
    SF_INFO info;
    memset(&info, 0, sizeof(info));
    SNDFILE*    file = sf_open(path.c_str(), SFM_READ, &info);
    const char* text = file != nullptr ? sf_get_string(file, type) : nullptr;
    std::string result = text != nullptr ? text : "";
    if (file != nullptr)
        sf_close(file);
    return result;
}

std::vector<int16_t>
FakeSignal(long first, long blocks)
{
    std::vector<int16_t> samples;
    for (int64_t frame = first * fake::kBlockFrames; frame < (first + blocks) * fake::kBlockFrames;
         frame++) {
        samples.push_back(fake::Sample(frame, 0));
        samples.push_back(fake::Sample(frame, 1));
    }
    return samples;
}

std::vector<int16_t>
PluginBlocks(const std::string& path, int seek, size_t maxFrames)
{
    std::vector<int16_t> samples;
    // Loaded once and kept, as the host does.
    static void* handle =
        dlopen((PluginFolder() + "/zarnowelle.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return samples;
    auto             create = reinterpret_cast<decltype(&NewPlugin)>(dlsym(handle, "NewPlugin"));
    int32            version = 0;
    InputPlugin*     plugin = create != nullptr ? create(&version) : nullptr;
    PlayerInfoStruct info;
    memset(&info, 0, sizeof(info));
    if (plugin != nullptr && plugin->InitPlaying(path.c_str(), &info)) {
        if (seek >= 0)
            plugin->JumpTo(seek);
        char* block = nullptr;
        int   bytes;
        while ((maxFrames == 0 || samples.size() < 2 * maxFrames)
            && (bytes = plugin->GetAudio(&block, 4096)) > 0) {
            const int16_t* frames = reinterpret_cast<const int16_t*>(block);
            samples.insert(samples.end(), frames, frames + bytes / 2);
        }
        if (maxFrames != 0 && samples.size() > 2 * maxFrames)
            samples.resize(2 * maxFrames);
        plugin->CleanupPlaying();
    }
    delete plugin;
    return samples;
}

std::vector<std::string>
Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream       stream(text);
    std::string              line;
    while (std::getline(stream, line)) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::vector<std::string>
HostLines(const std::string& text)
{
    std::vector<std::string> ours;
    for (const std::string& line : Lines(text)) {
        if (line.rfind("zarnowelle: ", 0) == 0)
            ours.push_back(line);
    }
    return ours;
}

}   // namespace hosttest
