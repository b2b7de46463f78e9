// PluginHost: every add-on of one plug-ins folder, loaded with dlopen, each asked in turn
// whether it plays a file. The host touches a plug-in only through InputPlugin.
#ifndef HOSTLIB_PLUGINHOST_H
#define HOSTLIB_PLUGINHOST_H

#include <memory>
#include <string>
#include <vector>

#include "plugin/InputPlugin.h"

class PluginHost
{
public:
    struct AddOn
    {
        std::string  path;
        void*        handle;
        InputPlugin* plugin;
        InputPlugin* (*create)(int32* version);
    };

    // Loads every shared object in `folder`, in name order; prints a warning for each
    // one that cannot be loaded or has no NewPlugin.
    explicit PluginHost(const std::string& folder);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // The first plug-in whose IsOur says yes, or null.
    InputPlugin* FindPlugin(const std::string& path) const;
    // Another object of the add-on that made `plugin`, for a second playback beside the
    // first (a timeline scan while the song plays), with the settings `plugin` has now;
    // null when it makes none.
    std::unique_ptr<InputPlugin> NewInstance(const InputPlugin* plugin) const;
    const std::vector<AddOn>&    AddOns() const { return addOns; }
    const std::string&           Folder() const { return folder; }

    // $ZARNOWELLE_PLUGIN_DIR when set; else plugins/ beside the binary, else
    // ../lib/zarnowelle/plugins relative to it.
    static std::string DefaultFolder();

private:
    void Load(const std::string& path);

    std::string        folder;
    std::vector<AddOn> addOns;
};

// "zarnowelle: " + message on standard error, as one line.
void ReportError(const std::string& message);

// Empty when `path` names a readable regular file, else why not.
std::string UnreadableReason(const std::string& path);

#endif
