// zw_bench_peers [--host HOST] [--interpolation MODE] PLUGIN DEMO [CORPUS]: renders the
// same modules (the demo, the busy songs, short AM songs with their companions and the
// corpus), whole songs, with this plug-in (through NewPlugin and GetAudio), libxmp and
// libopenmpt, alternating them and repeating, and prints each one's speed as seconds of
// audio per CPU second.
//
// All three render 44100 Hz signed 16-bit stereo in 1024-frame blocks, without volume
// ramping or filters, at full stereo separation, and stop at the end of the song. Only
// the render calls are timed, on the thread's CPU clock. The interpolation is nearest
// neighbour unless --interpolation names another; each peer then uses its own of the
// same kind (libxmp: linear, spline for cubic, and its spline for sinc too, having
// nothing longer; libopenmpt: a filter of 2, 4 or 8 taps).
//
// With --host, the same modules are then rendered by whole processes, `HOST render FILE
// -o -` against openmpt123 writing the same raw PCM to standard output, and each
// process's CPU time (user and system, start-up included) is compared; and again for the
// Amiga sound, `HOST render --amiga a500` against openmpt123 with its A500 emulation, on
// the four-channel MODs among them.
#include <dlfcn.h>
#include <fcntl.h>
#include <libopenmpt/libopenmpt.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xmp.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/InputPlugin.h"
#include "plugin/PluginSettings.h"
#include "tools/busysongs/BusySongs.h"

namespace fs = std::filesystem;

namespace {

const int kRate = PLUGIN_SAMPLE_RATE;
const int kBlockFrames = PLUGIN_BLOCK_FRAMES;
const int kBlockBytes = PLUGIN_BLOCK_BYTES;
const int kDefaultRepeats = 7;

// An interpolation by this plug-in's name, and what each peer has of the same kind.
struct Interpolation
{
    const char* name;
    int         xmpMode;
    const char* xmpName;
    int         openmptTaps;
};

const Interpolation kInterpolations[] = {
    { "nearest", XMP_INTERP_NEAREST, "nearest", 1 },
    { "linear", XMP_INTERP_LINEAR, "linear", 2 },
    { "cubic", XMP_INTERP_SPLINE, "spline", 4 },
    { "sinc", XMP_INTERP_SPLINE, "spline", 8 },
};

const Interpolation* gInterpolation = &kInterpolations[0];

double
ThreadSeconds()
{
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Run
{
    double audioSeconds;
    double cpuSeconds;
};

// One way of rendering a file. Open loads it (not timed); Render plays it to its end.
class Renderer
{
public:
    virtual ~Renderer() = default;
    virtual const char* Name() const = 0;
    virtual bool        Open(const std::string& path) = 0;
    virtual Run         Render() = 0;
    virtual void        Close() = 0;
};

class PluginRenderer : public Renderer
{
public:
    explicit PluginRenderer(const std::string& library)
    {
        handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) {
            failure = dlerror();
            return;
        }
        auto  entry = reinterpret_cast<InputPlugin* (*)(int32*)>(dlsym(handle, "NewPlugin"));
        int32 version = 0;
        if (entry != nullptr)
            plugin = entry(&version);
        if (plugin != nullptr)
            plugin->Init();
        if (plugin != nullptr && gInterpolation != &kInterpolations[0]) {
            PluginSettings* settings = dynamic_cast<PluginSettings*>(plugin);
            char            why[200] = "it has no settings channel";
            if (settings == nullptr
                || !settings->SetSetting("interpolation", gInterpolation->name, why, sizeof why)) {
                failure = why;
                plugin->Cleanup();
                delete plugin;
                plugin = nullptr;
            }
        }
    }
    ~PluginRenderer() override
    {
        if (plugin != nullptr) {
            plugin->Cleanup();
            delete plugin;
        }
        // The add-on stays loaded: its static objects may outlive this renderer.
    }
    bool        Ready() const { return plugin != nullptr; }
    std::string Failure() const { return failure.empty() ? "no plug-in object" : failure; }
    const char* Name() const override { return "zarnowelle"; }
    bool        Open(const std::string& path) override
    {
        return plugin->IsOur(path.c_str()) && plugin->InitPlaying(path.c_str(), &info);
    }
    Run Render() override
    {
        char*        block = nullptr;
        long         blocks = 0;
        const double start = ThreadSeconds();
        while (plugin->GetAudio(&block, kBlockBytes) != 0)
            blocks++;
        const double cpu = ThreadSeconds() - start;
        return { double(blocks) * kBlockFrames / kRate, cpu };
    }
    void Close() override { plugin->CleanupPlaying(); }

private:
    void*            handle = nullptr;
    InputPlugin*     plugin = nullptr;
    std::string      failure;
    PlayerInfoStruct info {};
};

class XmpRenderer : public Renderer
{
public:
    XmpRenderer() : context(xmp_create_context()) {}
    ~XmpRenderer() override { xmp_free_context(context); }
    const char* Name() const override { return "libxmp"; }
    bool        Open(const std::string& path) override
    {
        if (xmp_load_module(context, path.c_str()) != 0)
            return false;
        if (xmp_start_player(context, kRate, 0) != 0) {
            xmp_release_module(context);
            return false;
        }
        xmp_set_player(context, XMP_PLAYER_INTERP, gInterpolation->xmpMode);
        xmp_set_player(context, XMP_PLAYER_MIX, 100);   // full separation
        xmp_set_player(context, XMP_PLAYER_DSP, 0);     // no low-pass filter
        xmp_set_player(context, XMP_PLAYER_FLAGS, 0);   // no Paula model
        return true;
    }
    Run Render() override
    {
        std::vector<int16> buffer(kBlockFrames * 2);
        long               blocks = 0;
        const double       start = ThreadSeconds();
        // A loop count of 1 ends at the first return to a position already played.
        while (xmp_play_buffer(context, buffer.data(), kBlockBytes, 1) == 0)
            blocks++;
        const double cpu = ThreadSeconds() - start;
        return { double(blocks) * kBlockFrames / kRate, cpu };
    }
    void Close() override
    {
        xmp_end_player(context);
        xmp_release_module(context);
    }

private:
    xmp_context context;
};

class OpenmptRenderer : public Renderer
{
public:
    ~OpenmptRenderer() override { Close(); }
    const char* Name() const override { return "libopenmpt"; }
    bool        Open(const std::string& path) override
    {
        std::ifstream     in(path, std::ios::binary);
        std::vector<char> bytes(
            (std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        int error = 0;
        module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
            nullptr, nullptr, &error, nullptr, nullptr);
        if (module == nullptr)
            return false;
        openmpt_module_set_repeat_count(module, 0);
        openmpt_module_set_render_param(
            module, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, gInterpolation->openmptTaps);
        openmpt_module_set_render_param(
            module, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, 0);   // no ramping
        // 100 keeps the module's own panning (hard left and right for MODs); 200
        // would widen it beyond.
        openmpt_module_set_render_param(
            module, OPENMPT_MODULE_RENDER_STEREOSEPARATION_PERCENT, 100);
        openmpt_module_ctl_set_boolean(module, "render.resampler.emulate_amiga", 0);
        return true;
    }
    Run Render() override
    {
        std::vector<int16> buffer(kBlockFrames * 2);
        long               frames = 0;
        const double       start = ThreadSeconds();
        for (;;) {
            const size_t got =
                openmpt_module_read_interleaved_stereo(module, kRate, kBlockFrames, buffer.data());
            if (got == 0)
                break;
            frames += long(got);
        }
        const double cpu = ThreadSeconds() - start;
        return { double(frames) / kRate, cpu };
    }
    void Close() override
    {
        if (module != nullptr)
            openmpt_module_destroy(module);
        module = nullptr;
    }

private:
    openmpt_module* module = nullptr;
};

struct Result
{
    bool                refused = false;
    std::vector<double> speeds;   // x realtime, one per repetition
    double              audioSeconds = 0;
};

double
Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::vector<std::string>
CorpusFiles(const std::string& dir)
{
    std::vector<std::string> files;
    std::error_code          error;
    if (dir.empty() || !fs::is_directory(dir, error))
        return files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, error)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && ext != ".md" && ext != ".txt" && ext != ".nt")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

void
PrintCell(double speed, bool refused)
{
    if (refused)
        printf(" %11s", "-");
    else
        printf(" %11.0f", speed);
}

// The CPU time, user and system, of one run of a program whose standard output and
// error go to /dev/null; negative when it cannot run or fails.
double
ProcessSeconds(const std::vector<std::string>& command)
{
    std::vector<char*> args;
    for (const std::string& arg : command)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t     pid;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int    status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// openmpt123 with the settings of the library comparison: 44100 Hz 16-bit stereo raw
// PCM on standard output, the filter of the interpolation, no ramping, full separation,
// no dither; with `amiga`, its Paula emulation as an A500 (filters and band-limited
// steps), to which the interpolation does not apply.
std::vector<std::string>
Openmpt123(const std::string& module, bool amiga = false)
{
    std::vector<std::string> command = { "openmpt123", "--batch", "--stdout", "--quiet",
        "--samplerate", "44100", "--no-float", "--filter",
        std::to_string(gInterpolation->openmptTaps), "--ramping", "0", "--stereo", "100",
        "--dither", "0", "--ctl",
        std::string("render.resampler.emulate_amiga=") + (amiga ? "1" : "0") };
    if (amiga)
        command.insert(command.end(), { "--ctl", "render.resampler.emulate_amiga_type=a500" });
    command.insert(command.end(), { "--", module });
    return command;
}

// The modules an Amiga played: MODs of four channels ("M.K.", "M!K!", "FLT4", or none
// for 15 samples).
bool
IsAmigaMod(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    char          tag[4] = {};
    in.seekg(1080);
    in.read(tag, 4);
    const std::string id(tag, 4);
    if (id == "M.K." || id == "M!K!" || id == "FLT4")
        return true;
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
    // A 15-sample SoundTracker file has no tag: the extension must say it.
    return ext == ".mod" && !std::all_of(id.begin(), id.end(), ::isprint);
}

// Whole processes, alternating, median CPU seconds of each per module.
void
CompareProcesses(
    const std::string& host, const std::vector<std::string>& modules, int repeats, bool amiga)
{
    if (amiga)
        printf("\nThe Amiga sound, whole processes, CPU seconds, median of %d:\n"
               "%s render --amiga a500 FILE -o -  against  openmpt123 as above with\n"
               "--ctl render.resampler.emulate_amiga=1 --ctl "
               "render.resampler.emulate_amiga_type=a500.\n\n",
            repeats, fs::path(host).filename().c_str());
    else
        printf("\nWhole processes, CPU seconds (user + system, start-up included), median of %d:\n"
               "%s render --interpolation %s FILE -o -  against  openmpt123 --batch --stdout\n"
               "--filter %d (same format, no ramping, no dither); both write to /dev/null.\n\n",
            repeats, fs::path(host).filename().c_str(), gInterpolation->name,
            gInterpolation->openmptTaps);
    printf("%-24s %11s %11s %9s\n", "module", "zarnowelle", "openmpt123", "ratio");
    for (const std::string& module : modules) {
        if (amiga && !IsAmigaMod(module))
            continue;
        std::vector<double> own, peer;
        for (int rep = 0; rep < repeats; rep++) {
            const double a = amiga
                ? ProcessSeconds({ host, "render", "--amiga", "a500", module, "-o", "-" })
                : ProcessSeconds(
                    { host, "render", "--interpolation", gInterpolation->name, module, "-o", "-" });
            const double b = ProcessSeconds(Openmpt123(module, amiga));
            if (a >= 0)
                own.push_back(a);
            if (b >= 0)
                peer.push_back(b);
        }
        printf("%-24.24s", fs::path(module).filename().c_str());
        for (const std::vector<double>* runs : { &own, &peer }) {
            if (runs->empty())
                printf(" %11s", "-");
            else
                printf(" %11.4f", Median(*runs));
        }
        if (own.empty() || peer.empty())
            printf(" %9s\n", "-");
        else
            printf(" %8.3f\n", Median(own) / Median(peer));
    }
}

}   // namespace


int
main(int argc, char** argv)
{
    const char* usage =
        "usage: zw_bench_peers [--host HOST] [--interpolation nearest|linear|cubic|sinc] "
        "PLUGIN.so DEMO.mod [CORPUS-DIR]\n";
    std::string host;
    while (argc > 2 && argv[1][0] == '-' && argv[1][1] == '-') {
        const std::string option = argv[1];
        if (option == "--host") {
            host = argv[2];
        } else if (option == "--interpolation") {
            const Interpolation* found = nullptr;
            for (const Interpolation& mode : kInterpolations) {
                if (std::string(mode.name) == argv[2])
                    found = &mode;
            }
            if (found == nullptr) {
                fprintf(stderr, "zw_bench_peers: unknown interpolation '%s'\n%s", argv[2], usage);
                return 2;
            }
            gInterpolation = found;
        } else {
            fprintf(stderr, "zw_bench_peers: unknown option '%s'\n%s", argv[1], usage);
            return 2;
        }
        argv += 2;
        argc -= 2;
    }
    if (argc < 3) {
        fprintf(stderr, "%s", usage);
        return 2;
    }
    const int repeats =
        getenv("ZW_BENCH_REPEATS") ? atoi(getenv("ZW_BENCH_REPEATS")) : kDefaultRepeats;

    std::vector<std::string> modules = { argv[2] };
    char                     tempTemplate[] = "/tmp/zw-bench-XXXXXX";
    const char*              tempDir = mkdtemp(tempTemplate);
    if (tempDir == nullptr) {
        perror("mkdtemp");
        return 1;
    }
    std::vector<zw::BusySong> songs = zw::StandardBusySongs();
    for (zw::BusySong& song : zw::AMSongs())
        songs.push_back(std::move(song));
    auto write = [](const std::string& path, const std::vector<uint8>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
    };
    for (const zw::BusySong& song : songs) {
        const std::string path = std::string(tempDir) + "/" + song.name;
        write(path, song.bytes);
        if (!song.companion.empty())
            write(path + ".nt", song.companion);
        modules.push_back(path);
    }
    for (const std::string& file : CorpusFiles(argc > 3 ? argv[3] : ""))
        modules.push_back(file);

    auto plugin = std::make_unique<PluginRenderer>(argv[1]);
    if (!plugin->Ready()) {
        fprintf(stderr, "cannot load the plug-in %s: %s\n", argv[1], plugin->Failure().c_str());
        std::error_code error;
        fs::remove_all(tempDir, error);
        return 1;
    }
    std::vector<std::unique_ptr<Renderer>> renderers;
    renderers.push_back(std::move(plugin));
    renderers.push_back(std::make_unique<XmpRenderer>());
    renderers.push_back(std::make_unique<OpenmptRenderer>());
    const size_t count = renderers.size();

    // results[module][renderer]; every repetition runs each renderer once per module,
    // in an order that rotates so that none always runs first.
    std::vector<std::vector<Result>> results(modules.size(), std::vector<Result>(count));
    for (int rep = 0; rep < repeats; rep++) {
        for (size_t m = 0; m < modules.size(); m++) {
            for (size_t k = 0; k < count; k++) {
                const size_t r = (k + size_t(rep) + m) % count;
                Result&      result = results[m][r];
                if (result.refused)
                    continue;
                if (!renderers[r]->Open(modules[m])) {
                    result.refused = true;
                    continue;
                }
                const Run run = renderers[r]->Render();
                renderers[r]->Close();
                if (run.cpuSeconds > 0 && run.audioSeconds > 0)
                    result.speeds.push_back(run.audioSeconds / run.cpuSeconds);
                result.audioSeconds = run.audioSeconds;
            }
        }
    }

    printf("Seconds of audio per CPU second (x realtime), median of %d runs each;\n"
           "44100 Hz, 16-bit stereo, no ramping, full separation; interpolation: this plug-in\n"
           "%s, libxmp %s, libopenmpt a %d-tap filter.\n\n",
        repeats, gInterpolation->name, gInterpolation->xmpName, gInterpolation->openmptTaps);
    printf("%-24s %7s", "module", "audio s");
    for (const auto& r : renderers)
        printf(" %11s", r->Name());
    printf(" %10s %10s\n", "/libxmp", "/openmpt");
    for (size_t m = 0; m < modules.size(); m++) {
        const std::vector<Result>& row = results[m];
        printf("%-24.24s %7.1f", fs::path(modules[m]).filename().c_str(), row[0].audioSeconds);
        for (const Result& result : row)
            PrintCell(Median(result.speeds), result.refused || result.speeds.empty());
        const double own = Median(row[0].speeds);
        for (size_t r = 1; r < count; r++) {
            const double peer = Median(row[r].speeds);
            if (row[0].speeds.empty() || row[r].speeds.empty() || peer == 0)
                printf(" %10s", "-");
            else
                printf(" %9.2fx", own / peer);
        }
        printf("\n");
    }

    if (!host.empty()) {
        CompareProcesses(host, modules, repeats, false);
        CompareProcesses(host, modules, repeats, true);
    }

    std::error_code error;
    fs::remove_all(tempDir, error);
    return 0;
}
