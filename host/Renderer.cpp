#include "host/Renderer.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "host/Arguments.h"
#include "host/RenderJob.h"
#include "host/Sinks.h"
#include "hostlib/PluginHost.h"

namespace fs = std::filesystem;

namespace {

void
StopRendering(int signal)
{
    gRenderStopSignal = signal;
}

// SIGINT and SIGTERM let every render close its file properly before the program ends.
// A signal the caller ignores (a job started in the background) stays ignored.
class StopSignals
{
public:
    StopSignals()
    {
        gRenderStopSignal = 0;
        Catch(SIGINT, savedInt);
        Catch(SIGTERM, savedTerm);
    }

    ~StopSignals()
    {
        sigaction(SIGINT, &savedInt, nullptr);
        sigaction(SIGTERM, &savedTerm, nullptr);
    }

private:
    static void Catch(int signal, struct sigaction& saved)
    {
        sigaction(signal, nullptr, &saved);
        if (saved.sa_handler == SIG_IGN)
            return;
        struct sigaction action;
        memset(&action, 0, sizeof(action));
        action.sa_handler = StopRendering;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }

    struct sigaction savedInt;
    struct sigaction savedTerm;
};

bool
IsFolderOutput(const RenderOptions& options)
{
    std::error_code error;
    return options.output != "-"
        && (options.output.back() == '/' || fs::is_directory(options.output, error));
}

// NAME.EXT in the folder; inputs that share a base name keep their own extension in it
// (NAME.mod.wav, NAME.mtm.wav), and a name still taken gets a number.
std::vector<std::string>
FolderOutputs(
    const std::vector<std::string>& inputs, const std::string& folder, const std::string& extension)
{
    std::map<std::string, int> stems;
    for (const std::string& input : inputs)
        stems[fs::path(input).stem().string()]++;
    std::set<std::string>    taken;
    std::vector<std::string> outputs;
    for (const std::string& input : inputs) {
        fs::path    path(input);
        std::string base =
            stems[path.stem().string()] > 1 ? path.filename().string() : path.stem().string();
        std::string name = base + "." + extension;
        for (int n = 2; taken.count(name) != 0; n++)
            name = base + "-" + std::to_string(n) + "." + extension;
        taken.insert(name);
        outputs.push_back((fs::path(folder) / name).string());
    }
    return outputs;
}

// Why `task` must not be rendered, or an empty string.
std::string
Refusal(const RenderTask& task, const PluginHost& host, const RenderOptions& options,
    InputPlugin*& plugin)
{
    std::string reason = UnreadableReason(task.input);
    if (!reason.empty())
        return task.input + ": cannot read: " + reason;
    plugin = host.FindPlugin(task.input);
    if (plugin == nullptr)
        return task.input + ": no plug-in plays this file";
    std::error_code error;
    if (task.output == "-" || !fs::exists(task.output, error))
        return "";
    for (const std::string& input : options.files) {
        if (fs::equivalent(input, task.output, error))
            return task.output + ": is one of the inputs; it is never written over";
    }
    if (!options.force)
        return task.output + ": exists; give --force to replace it";
    return "";
}

int
ChooseFormat(const RenderOptions& options, bool folder)
{
    int chosen = FormatForExtension(options.format.empty() ? "wav" : options.format);
    if (folder || options.output == "-")
        return chosen;
    int named = FormatForExtension(fs::path(options.output).extension().string());
    if (named == 0) {
        throw UsageError(options.output
            + ": unknown output format; name a .wav, .flac or "
              ".ogg file, or - for raw PCM");
    }
    if (!options.format.empty() && named != chosen)
        throw UsageError("--format " + options.format + " does not match " + options.output);
    return named;
}

std::vector<RenderTask>
PlanTasks(const PluginHost& host, const RenderOptions& options)
{
    bool folder = IsFolderOutput(options);
    if (options.files.size() > 1 && !folder && options.output != "-")
        throw UsageError("several files need -o to name a folder, or - for raw PCM");
    int                      format = ChooseFormat(options, folder);
    std::vector<std::string> outputs(options.files.size(), options.output);
    if (folder) {
        outputs = FolderOutputs(
            options.files, options.output, options.format.empty() ? "wav" : options.format);
    }
    std::vector<RenderTask> tasks;
    for (size_t i = 0; i < options.files.size(); i++) {
        RenderTask task;
        task.input = options.files[i];
        task.output = outputs[i];
        task.format = format;
        std::string refusal = Refusal(task, host, options, task.plugin);
        if (!refusal.empty()) {
            task.log.push_back(refusal);
            task.plugin = nullptr;
        }
        tasks.push_back(task);
    }
    return tasks;
}

// Runs the tasks on `workers` threads, each with plug-in objects of its own, and hands
// every finished task to `report` in input order.
class TaskRunner
{
public:
    TaskRunner(PluginHost& host, std::vector<RenderTask>& tasks, const RenderOptions& options)
        : host(host), tasks(tasks), options(options), done(tasks.size(), false)
    {
    }

    template<typename Report>
    void Run(int workers, Report report)
    {
        std::vector<std::thread> threads;
        for (int i = 0; i < workers; i++)
            threads.emplace_back([this] { Work(); });
        for (size_t i = 0; i < tasks.size(); i++) {
            std::unique_lock<std::mutex> hold(lock);
            finished.wait(hold, [&] { return done[i]; });
            hold.unlock();
            report(tasks[i]);
        }
        for (std::thread& thread : threads)
            thread.join();
    }

private:
    void Work()
    {
        std::map<InputPlugin*, std::unique_ptr<InputPlugin>> objects;
        for (size_t i; (i = next++) < tasks.size();) {
            RenderTask& task = tasks[i];
            if (task.plugin != nullptr && gRenderStopSignal == 0) {
                std::unique_ptr<InputPlugin>& own = objects[task.plugin];
                if (own == nullptr)
                    own = host.NewInstance(task.plugin);
                if (own != nullptr)
                    RunRenderTask(task, own.get(), options, nullptr, false);
                else
                    task.log.push_back(task.input + ": the plug-in made no second object");
            }
            std::lock_guard<std::mutex> hold(lock);
            done[i] = true;
            finished.notify_all();
        }
    }

    PluginHost&              host;
    std::vector<RenderTask>& tasks;
    const RenderOptions&     options;
    std::atomic<size_t>      next { 0 };
    std::mutex               lock;
    std::condition_variable  finished;
    std::vector<bool>        done;
};

// Raw PCM keeps standard output to itself: the plug-in's messages come through the
// settings channel, and the host prints its own on standard error.
FILE*
TakeStandardOutput()
{
    fflush(stdout);
    return fdopen(dup(STDOUT_FILENO), "wb");
}

int
RunTasks(PluginHost& host, std::vector<RenderTask>& tasks, const RenderOptions& options)
{
    int  status = 0;
    auto report = [&status](const RenderTask& task) {
        for (const std::string& line : task.log)
            ReportError(line);
        if (!task.ok && gRenderStopSignal == 0)
            status = 1;
    };
    int workers = std::min<int>(options.jobs, int(tasks.size()));
    if (options.output != "-" && workers > 1) {
        TaskRunner(host, tasks, options).Run(workers, report);
        return status;
    }
    FILE* pcm = options.output == "-" ? TakeStandardOutput() : nullptr;
    if (options.output == "-" && pcm == nullptr) {
        ReportError(std::string("cannot write to standard output: ") + strerror(errno));
        return 1;
    }
    for (RenderTask& task : tasks) {
        if (task.plugin != nullptr && gRenderStopSignal == 0)
            RunRenderTask(task, task.plugin, options, pcm, isatty(STDERR_FILENO) != 0);
        report(task);
    }
    if (pcm != nullptr && fclose(pcm) != 0)
        status = 1;
    return status;
}

}   // namespace

int
RenderFiles(PluginHost& host, const RenderOptions& options)
{
    if (options.output == "-" && isatty(STDOUT_FILENO)) {
        throw UsageError("-o - writes raw PCM, which is refused on a terminal; pipe it "
                         "to a program or name a file");
    }
    StopSignals             signals;
    std::vector<RenderTask> tasks = PlanTasks(host, options);
    std::error_code         error;
    // "-o out/" asks for a folder, made if need be.
    if (options.output.size() > 1 && options.output.back() == '/'
        && !fs::create_directories(options.output, error) && error) {
        ReportError(options.output + ": cannot make the folder: " + error.message());
        return 1;
    }
    int status = RunTasks(host, tasks, options);
    if (gRenderStopSignal != 0)
        return 128 + gRenderStopSignal;
    return status;
}
