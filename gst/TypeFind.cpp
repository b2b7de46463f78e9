#include "gst/TypeFind.h"

#include <algorithm>

#include "hostlib/Detection.h"
#include "modtracker/ModuleTypes.h"

namespace zwgst {

namespace {

const char kModCaps[] = "audio/x-mod, type=(string)mod";
const char kMtmCaps[] = "audio/x-mod, type=(string)mtm";

// Windows to try, widest first: a stream of unknown length, or one still arriving, may
// offer only the start. Bytes detection reads beyond a window count as zero.
const int64_t kWindows[] = { kDetectionReach, 16384, 2108, 1148, 68 };

void
FindModule(GstTypeFind* find, gpointer)
{
    const int64_t length = int64_t(gst_type_find_get_length(find));   // 0: unknown
    int           type = -1;
    for (int64_t window : kWindows) {
        const uint32_t size = uint32_t(length > 0 ? std::min(length, window) : window);
        const guint8*  data = gst_type_find_peek(find, 0, size);
        if (data != nullptr) {
            type = DetectModuleType(data, size, length > 0 ? length : size);
            break;
        }
    }
    if (type < 0)
        return;
    // Without a mark the file is only likely a module: its sample names read as text
    // and its song length is not 0.
    const bool marked = type != MODTYPE_SOUNDTRACKER15 && type != MODTYPE_SOUNDTRACKER31;
    gst_type_find_suggest_simple(find, marked ? GST_TYPE_FIND_MAXIMUM : GST_TYPE_FIND_LIKELY,
        "audio/x-mod", "type", G_TYPE_STRING, type == MODTYPE_MULTITRACKER ? "mtm" : "mod",
        nullptr);
}

}   // namespace

gboolean
RegisterTypeFinder(GstPlugin* plugin, guint rank)
{
    GstCaps* caps = gst_caps_from_string(kModCaps);
    gst_caps_append(caps, gst_caps_from_string(kMtmCaps));
    gboolean done = gst_type_find_register(
        plugin, "zarnowelle-module", rank, FindModule, "mod,mtm", caps, nullptr, nullptr);
    gst_caps_unref(caps);
    return done;
}

}   // namespace zwgst
