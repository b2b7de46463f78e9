#include "gst/AddOns.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>

#include "hostlib/PluginHost.h"
#include "hostlib/PluginPlayback.h"

namespace fs = std::filesystem;

namespace zwgst {

namespace {

std::mutex sLock;

// The folder this shared object was loaded from.
fs::path
OwnFolder()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&AddOnFolder), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::error_code error;
    fs::path        self = fs::canonical(info.dli_fname, error);
    return error ? fs::path() : self.parent_path();
}

// The prefix whose `subdir` holds `folder`, or empty.
fs::path
PrefixOf(const fs::path& folder, const fs::path& subdir)
{
    fs::path prefix = folder;
    for (auto part = subdir.begin(); part != subdir.end(); ++part) {
        if (prefix.empty() || !prefix.has_parent_path())
            return {};
        prefix = prefix.parent_path();
    }
    return prefix / subdir == folder ? prefix : fs::path();
}

// Never destroyed: the add-ons stay loaded for the life of the process, as GStreamer
// keeps this plug-in loaded.
PluginHost&
Host()
{
    static PluginHost* host = new PluginHost(AddOnFolder());
    return *host;
}

}   // namespace

std::string
AddOnFolder()
{
    const char* chosen = getenv("ZARNOWELLE_PLUGIN_DIR");
    if (chosen != nullptr && chosen[0] != '\0')
        return chosen;
    fs::path here = OwnFolder();
    for (const char* subdir : { ZW_GST_PLUGINS_SUBDIR, ZW_GST_USER_SUBDIR }) {
        fs::path prefix = PrefixOf(here, subdir);
        if (!prefix.empty())
            return (prefix / ZW_ADDON_SUBDIR).string();
    }
    return (fs::path(ZW_INSTALL_PREFIX) / ZW_ADDON_SUBDIR).string();
}

bool
NewPlayers(const std::string& path, Players& players, std::string& error)
{
    std::lock_guard<std::mutex> hold(sLock);
    PluginHost&                 host = Host();
    if (host.AddOns().empty()) {
        error = "no Zarnowelle add-on in " + host.Folder()
            + " (set ZARNOWELLE_PLUGIN_DIR to the folder of zarnowelle.so)";
        return false;
    }
    InputPlugin* prototype = host.FindPlugin(path);
    if (prototype == nullptr) {
        error = "not a module this player plays";
        return false;
    }
    players.playing = host.NewInstance(prototype);
    players.scanning = host.NewInstance(prototype);
    if (!players.playing || !players.scanning) {
        error = "the add-on made no plug-in object";
        return false;
    }
    return true;
}

Verdict
AddOnVerdict(const std::string& path)
{
    std::unique_ptr<InputPlugin> plugin;
    {
        std::lock_guard<std::mutex> hold(sLock);
        PluginHost&                 host = Host();
        if (host.AddOns().empty())
            return Verdict::NoAddOn;
        InputPlugin* prototype = host.FindPlugin(path);
        if (prototype == nullptr)
            return Verdict::Refuses;
        plugin = host.NewInstance(prototype);
    }
    if (!plugin)
        return Verdict::Refuses;
    // The plug-in's lines belong to whoever plays the file, not to this question.
    PluginPlayback playback(plugin.get());
    playback.SetMessageHandler([](const std::string&) {});
    return playback.Start(path) ? Verdict::Plays : Verdict::Refuses;
}

ModuleFacts
ReadFacts(const std::string& path)
{
    std::lock_guard<std::mutex> hold(sLock);
    return ReadModuleFacts(path);
}

}   // namespace zwgst
