// The add-on's only exported symbol.
#include <new>

#include "plugin/MyPlugin.h"

// The interface version this plug-in speaks to the host.
static const int32 kPluginInterfaceVersion = 2;

// The version is written before the object is made. A failure to make it comes back
// as null: nothing thrown here may cross into the host.
extern "C" __attribute__((visibility("default"))) InputPlugin*
NewPlugin(int32* version)
{
    if (version != nullptr)
        *version = kPluginInterfaceVersion;
    try {
        return new (std::nothrow) MyPlugin;
    } catch (...) {
        return nullptr;
    }
}
