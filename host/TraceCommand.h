// `zarnowelle trace`: a thin front for the tick trace recorder.
#ifndef HOST_TRACECOMMAND_H
#define HOST_TRACECOMMAND_H

#include <string>

namespace CLI { class App; }

struct TraceOptions
{
    std::string     file;
    int             ticks = 500;
    bool            json = false;
};

// The subcommand, or null when this build has no trace recorder.
CLI::App*           AddTraceCommand(CLI::App& app, TraceOptions& options);
int                 RunTrace(const TraceOptions& options);

#endif
