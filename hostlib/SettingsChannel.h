// The settings channel as hosts use it: sound settings by key, given to every plug-in
// object a host plays with, and the plug-in's messages taken from the channel instead of
// the process's standard output.
#ifndef HOSTLIB_SETTINGSCHANNEL_H
#define HOSTLIB_SETTINGSCHANNEL_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "plugin/InputPlugin.h"
#include "plugin/PluginSettings.h"

// Settings as key and value text, applied in order (a later one for a key wins).
typedef std::vector<std::pair<std::string, std::string>> SettingList;

// The channel of `plugin`; null for a plug-in that has none.
PluginSettings* SettingsOf(InputPlugin* plugin);

// Sets each setting on `plugin`. Returns a line for each one refused, with the plug-in's
// reason, or one line when the plug-in has no channel at all; empty when all were taken.
std::vector<std::string> ApplySettings(InputPlugin* plugin, const SettingList& settings);

// Gives `to` the value of every setting `from` plays with, so that a second object of a
// song (a timeline scan) plays it as the first does. Nothing for a plug-in without a
// channel.
void CopySettings(InputPlugin* from, InputPlugin* to);

// Runs `call` with the plug-in's messages going to `receive`, one line each, and takes
// the sink away after. A plug-in without a channel prints its messages itself.
void WithMessages(InputPlugin* plugin, const std::function<void(const std::string&)>& receive,
    const std::function<void()>& call);

// The loader's message in a line from the sink, without its prefix; empty when the line
// is some other message.
std::string LoaderMessageOf(const std::string& line);

#endif
