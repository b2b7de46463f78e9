// `zarnowelle trace`: a thin front for the tick trace recorder.
#ifndef HOST_TRACECOMMAND_H
#define HOST_TRACECOMMAND_H

#include <string>
#include <vector>

namespace CLI {
class App;
}

struct TraceOptions
{
    std::vector<std::string> files;
    std::string              ticks = "500";   // checked when the command runs
    bool                     json = false;
    bool                     pastEnd = false;   // go on after the tick that ends the song
};

// The subcommand, or null when this build has no trace recorder.
CLI::App* AddTraceCommand(CLI::App& app, TraceOptions& options);
// 0 when every file was traced. Throws UsageError for a bad option value.
int RunTrace(const TraceOptions& options);

#endif
