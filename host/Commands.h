// The commands that only ask the plug-ins: about and types.
#ifndef HOST_COMMANDS_H
#define HOST_COMMANDS_H

class PluginHost;

// 0 when the folder held a plug-in, else 1 with a message saying where none was found.
int NeedPlugins(const PluginHost& host);
// Each plug-in's About text, as plain text.
int RunAbout(PluginHost& host);
int RunTypes(PluginHost& host);

#endif
