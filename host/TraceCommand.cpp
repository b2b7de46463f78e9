#include "host/TraceCommand.h"

#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/Arguments.h"
#include "hostlib/PluginHost.h"
#ifdef ZW_HAVE_TRACE
#include "tools/trace/Trace.h"
#endif

CLI::App*
AddTraceCommand(CLI::App& app, TraceOptions& options)
{
#ifdef ZW_HAVE_TRACE
    CLI::App* trace = app.add_subcommand("trace",
        "Play modules tick by tick without sound and print what the player tells each "
        "channel (trigger, sample, frequency, volume, panning, loop), up to the song's "
        "end.");
    trace->add_option("files", options.files, "module files")->required();
    trace
        ->add_option("--ticks", options.ticks,
            "most ticks to print for each file "
            "(default 500, 10 seconds at the usual tempo)")
        ->type_name("N");
    trace->add_flag("--json", options.json, "one JSON object per tick and line");
    trace->add_flag("--past-end", options.pastEnd,
        "go on past the tick where the song "
        "ends, into the player's next pass");
    return trace;
#else
    (void)app;
    (void)options;
    return nullptr;
#endif
}

#ifdef ZW_HAVE_TRACE
namespace {

// Why the file cannot be traced, or an empty string. The recorder gives the loader's own
// report as the reason.
std::string
Load(zw::TraceRecorder& recorder, const std::string& path)
{
    std::string reason = UnreadableReason(path);
    if (!reason.empty())
        return "cannot read: " + reason;
    reason = recorder.Load(path);
    return reason.empty() ? "" : "cannot load: " + reason;
}

bool
TraceFile(const std::string& path, const TraceOptions& options, long ticks, bool header)
{
    zw::TraceRecorder recorder;
    std::string       reason = Load(recorder, path);
    if (!reason.empty()) {
        std::cout.flush();
        ReportError(path + ": " + reason);
        return false;
    }
    // With several files, a line names the file before its ticks.
    if (header && options.json)
        std::cout << nlohmann::json({ { "file", path } }).dump() << '\n';
    else if (header)
        std::cout << "# " << path << '\n';
    for (long t = 0; t < ticks; t++) {
        const zw::TraceTick& tick = recorder.Step();
        std::cout << (options.json ? zw::FormatJson(tick) : zw::FormatText(tick)) << '\n';
        if (tick.ended && !options.pastEnd)
            break;
    }
    std::cout.flush();
    return true;
}

}   // namespace
#endif

int
RunTrace(const TraceOptions& options)
{
#ifdef ZW_HAVE_TRACE
    long ticks =
        ParseWhole("--ticks", options.ticks, 1, 100000000, "a positive whole number of ticks");
    int status = 0;
    for (const std::string& path : options.files) {
        if (!TraceFile(path, options, ticks, options.files.size() > 1))
            status = 1;
    }
    return status;
#else
    ReportError("this build has no trace recorder");
    return 1;
#endif
}
