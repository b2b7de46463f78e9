// The shape every command of the host has: its options, added to a subcommand of its
// own, and its run. main.cpp lists the commands in one table.
#ifndef HOST_COMMAND_H
#define HOST_COMMAND_H

#include <memory>
#include <string>

namespace CLI {
class App;
}
class PluginHost;

// What the command line gives every command besides its own options.
class CommandContext
{
public:
    // `folder` empty: the default plug-ins folder. `implied`: the line named no command,
    // so `play` was taken for it.
    CommandContext(const std::string& folder, bool implied);
    ~CommandContext();

    // The plug-ins, loaded on first use (trace and --check-audio need none).
    PluginHost& Host();
    // The plug-ins, or null after a message saying where none was found.
    PluginHost* NeedPlugins();
    bool        Implied() const { return implied; }

private:
    std::string                 folder;
    bool                        implied;
    std::unique_ptr<PluginHost> host;
};

class Command
{
public:
    virtual ~Command() {}
    // Adds the command's options and arguments to `command`.
    virtual void AddOptions(CLI::App& command) = 0;
    // The exit status. Throws UsageError for a value that cannot be used.
    virtual int Run(CommandContext& context) = 0;
    // The help of `command` is shown instead of a run when this is true: a command that
    // needs files and was given none.
    virtual bool WantsHelp() const { return false; }
};

std::unique_ptr<Command> NewPlayCommand();
std::unique_ptr<Command> NewRenderCommand();
std::unique_ptr<Command> NewInfoCommand();
std::unique_ptr<Command> NewTraceCommand();
std::unique_ptr<Command> NewAboutCommand();
std::unique_ptr<Command> NewTypesCommand();

#endif
