// The add-ons the element plays through: loaded once per process from the folder the
// installed host uses, each element instance with plug-in objects of its own.
#ifndef GST_ADDONS_H
#define GST_ADDONS_H

#include <memory>
#include <string>

#include "hostlib/ModuleFacts.h"
#include "plugin/InputPlugin.h"

namespace zwgst {

// $ZARNOWELLE_PLUGIN_DIR when set; else lib/zarnowelle/plugins of the prefix this
// GStreamer plug-in was installed into, else of the prefix it was built for.
std::string AddOnFolder();

// Two new objects of the first add-on that plays `path`: one to play, one to scan the
// timeline. False with `error` set when no add-on takes the file.
struct Players
{
    std::unique_ptr<InputPlugin> playing;
    std::unique_ptr<InputPlugin> scanning;
};
bool NewPlayers(const std::string& path, Players& players, std::string& error);

// Whether the add-on plays the module at `path`: its recognition takes the file and its
// loader loads it. NoAddOn when the folder holds none, so nothing could be asked.
enum class Verdict { Plays, Refuses, NoAddOn };
Verdict AddOnVerdict(const std::string& path);

// The player library's facts of a module; its loader's line stays in them (error), off
// the application's standard output. Elements read one at a time, as the library's
// process-wide string resources are shared by all of them.
ModuleFacts ReadFacts(const std::string& path);

}   // namespace zwgst

#endif
