#include "hostlib/PluginHost.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "hostlib/SettingsChannel.h"

namespace fs = std::filesystem;

namespace {

typedef decltype(&NewPlugin) NewPluginFunc;

std::string
ExecutableFolder()
{
    std::error_code error;
    fs::path        self = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return ".";
    return self.parent_path().string();
}

bool
IsSharedObject(const fs::directory_entry& entry)
{
    std::error_code error;
    return entry.is_regular_file(error) && entry.path().extension() == ".so";
}

}   // namespace

void
ReportError(const std::string& message)
{
    std::cerr << "zarnowelle: " << message << std::endl;
}

std::string
UnreadableReason(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return strerror(errno);
    struct stat status;
    std::string reason;
    if (fstat(fd, &status) != 0)
        reason = strerror(errno);
    else if (!S_ISREG(status.st_mode))
        reason = S_ISDIR(status.st_mode) ? "is a directory" : "not a regular file";
    close(fd);
    return reason;
}

PluginHost::PluginHost(const std::string& folder) : folder(folder)
{
    std::error_code       error;
    std::vector<fs::path> paths;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (IsSharedObject(entry))
            paths.push_back(entry.path());
    }
    if (error)
        ReportError("cannot read the plug-ins folder " + folder + ": " + error.message());
    std::sort(paths.begin(), paths.end());
    for (const fs::path& path : paths)
        Load(path.string());
}

PluginHost::~PluginHost()
{
    // The add-ons themselves stay loaded until the process ends: the platform layer
    // inside them keeps tables meant to outlive every static object, which an unload
    // would strand.
    for (AddOn& addOn : addOns)
        delete addOn.plugin;
}

void
PluginHost::Load(const std::string& path)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        ReportError("cannot load plug-in " + path + ": " + dlerror());
        return;
    }
    NewPluginFunc create = reinterpret_cast<NewPluginFunc>(dlsym(handle, "NewPlugin"));
    if (create == nullptr) {
        ReportError("not a plug-in (no NewPlugin): " + path);
        dlclose(handle);
        return;
    }
    int32        version = 0;
    InputPlugin* plugin = create(&version);
    if (plugin == nullptr) {
        ReportError("plug-in made no object: " + path);
        dlclose(handle);
        return;
    }
    addOns.push_back({ path, handle, plugin, create });
}

InputPlugin*
PluginHost::FindPlugin(const std::string& path) const
{
    for (const AddOn& addOn : addOns) {
        if (addOn.plugin->IsOur(path.c_str()))
            return addOn.plugin;
    }
    return nullptr;
}

std::unique_ptr<InputPlugin>
PluginHost::NewInstance(const InputPlugin* plugin) const
{
    for (const AddOn& addOn : addOns) {
        if (addOn.plugin == plugin) {
            int32                        version = 0;
            std::unique_ptr<InputPlugin> made(addOn.create(&version));
            // A second object of a song plays it as the first: rules change durations.
            if (made != nullptr)
                CopySettings(const_cast<InputPlugin*>(plugin), made.get());
            return made;
        }
    }
    return nullptr;
}

std::string
PluginHost::DefaultFolder()
{
    const char* chosen = getenv("ZARNOWELLE_PLUGIN_DIR");
    if (chosen != nullptr && chosen[0] != '\0')
        return chosen;
    fs::path        here = ExecutableFolder();
    std::error_code error;
    if (fs::is_directory(here / "plugins", error))
        return (here / "plugins").string();
    fs::path installed = here / ".." / "lib" / "zarnowelle" / "plugins";
    return installed.lexically_normal().string();
}
