#include "host/TraceCommand.h"

#include <CLI/CLI.hpp>

#include "host/PluginHost.h"

CLI::App*
AddTraceCommand(CLI::App& app, TraceOptions& options)
{
#ifdef ZW_HAVE_TRACE
    CLI::App* trace = app.add_subcommand("trace",
        "Print what the player sends to each virtual channel, tick by tick.");
    trace->add_option("file", options.file, "module file")->required();
    trace->add_option("--ticks", options.ticks, "number of ticks to record")
        ->check(CLI::PositiveNumber);
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
    ReportError(options.file + ": this build has no trace recorder");
    return 1;
}
