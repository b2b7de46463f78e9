#include "host/TraceCommand.h"

#include <iostream>

#include <CLI/CLI.hpp>

#include "hostlib/PluginHost.h"
#ifdef ZW_HAVE_TRACE
#include "tools/trace/Trace.h"
#endif

CLI::App*
AddTraceCommand(CLI::App& app, TraceOptions& options)
{
#ifdef ZW_HAVE_TRACE
    CLI::App* trace = app.add_subcommand("trace",
        "Play a module tick by tick without sound and print what the player tells each "
        "channel (trigger, sample, frequency, volume, panning, loop).");
    trace->add_option("file", options.file, "module file")->required();
    trace->add_option("--ticks", options.ticks, "number of ticks to print (default 500, "
        "10 seconds at the usual tempo)")->check(CLI::PositiveNumber);
    trace->add_flag("--json", options.json, "one JSON object per tick and line");
    return trace;
#else
    (void)app;
    (void)options;
    return nullptr;
#endif
}

int
RunTrace(const TraceOptions& options)
{
#ifdef ZW_HAVE_TRACE
    std::string reason = UnreadableReason(options.file);
    if (reason.empty())
        reason = zw::TraceModule(options.file, (uint32)options.ticks, options.json, std::cout);
    else
        reason = "cannot read: " + reason;
    std::cout.flush();
    if (reason.empty())
        return 0;
    for (char& c : reason)
        c = c == '\n' ? ' ' : c;
    ReportError(options.file + ": " + reason);
#else
    ReportError(options.file + ": this build has no trace recorder");
#endif
    return 1;
}
