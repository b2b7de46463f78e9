// `zarnowelle trace`: a thin front for the tick trace recorder.
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "host/Arguments.h"
#include "host/Command.h"
#include "host/Playlist.h"
#include "hostlib/ModuleText.h"
#include "hostlib/PluginHost.h"
#ifdef ZW_HAVE_TRACE
#include "tools/trace/Trace.h"
#endif

namespace {

struct TraceOptions
{
    std::vector<std::string> files;
    std::string              ticks = "500";   // checked when the command runs
    bool                     json = false;
    bool                     pastEnd = false;   // go on after the tick that ends the song
};

#ifdef ZW_HAVE_TRACE

// Why the file cannot be traced, or an empty string. The recorder gives the loader's own
// report as the reason.
std::string
Load(zw::TraceRecorder& recorder, const std::string& path)
{
    std::string reason = UnreadableReason(path);
    if (!reason.empty())
        return "cannot read: " + reason;
    reason = recorder.Load(path);
    return reason.empty() ? "" : "cannot load: " + LoadFailureText(reason);
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
#endif

class TraceCommand : public Command
{
public:
    void AddOptions(CLI::App& command) override
    {
        command.add_option("files", options.files, "module files and .m3u playlists")->required();
        command
            .add_option("--ticks", options.ticks,
                "most ticks to print for each file (default 500, 10 seconds at the usual "
                "tempo)")
            ->type_name("N");
        command.add_flag("--json", options.json, "one JSON object per tick and line");
        command.add_flag("--past-end", options.pastEnd,
            "go on past the tick where the song ends, into the player's next pass");
    }

    int Run(CommandContext&) override
    {
#ifdef ZW_HAVE_TRACE
        long ticks =
            ParseWhole("--ticks", options.ticks, 1, 100000000, "a positive whole number of ticks");
        bool                     ok;
        std::vector<std::string> files = InputFiles(options.files, ok);
        int                      status = ok ? 0 : 1;
        for (const std::string& path : files) {
            if (!TraceFile(path, options, ticks, files.size() > 1))
                status = 1;
        }
        return status;
#else
        ReportError("this build has no trace recorder");
        return 1;
#endif
    }

private:
    TraceOptions options;
};

}   // namespace

std::unique_ptr<Command>
NewTraceCommand()
{
    return std::make_unique<TraceCommand>();
}
