#include "gst/TypeFind.h"

#include <unistd.h>

#include <algorithm>

#include "gst/AddOns.h"
#include "gst/ModuleInput.h"
#include "hostlib/Detection.h"
#include "modtracker/ModuleTypes.h"

namespace zwgst {

namespace {

// Only what this player loads carries the field, and the element's sink takes nothing
// else: decodebin offers a decoder caps that are a subset of its sink's, so a file the
// player refuses, which the stock typefinder names plain audio/x-mod, goes to another.
const char kModCaps[] = "audio/x-mod, type=(string)mod, zarnowelle=(boolean)true";
const char kMtmCaps[] = "audio/x-mod, type=(string)mtm, zarnowelle=(boolean)true";

// Windows to try, widest first: a stream of unknown length, or one still arriving, may
// offer only the start. Bytes detection reads beyond a window count as zero.
const int64_t kWindows[] = { kDetectionReach, 16384, 2108, 1148, 68 };

// What the add-on says of the whole file, when the whole file can be seen (a file read
// by pull); a stream offers only its start, and detection decides alone.
Verdict
WholeFileVerdict(GstTypeFind* find, int64_t length)
{
    if (length <= 0 || uint64_t(length) > ModuleInput::kMaxBytes)
        return Verdict::NoAddOn;
    const guint8* data = gst_type_find_peek(find, 0, guint(length));
    std::string   error;
    int           file = data == nullptr ? -1 : NewMemoryFile(data, size_t(length), error);
    if (file < 0)
        return Verdict::NoAddOn;
    Verdict verdict = AddOnVerdict(MemoryFilePath(file));
    close(file);
    return verdict;
}

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
    // A file the add-on refuses is left to the other typefinders and decoders. Without an
    // add-on the element claims what detection finds, so its error names the folder.
    const Verdict verdict = WholeFileVerdict(find, length);
    if (verdict == Verdict::Refuses)
        return;
    // Without a mark, and unverified, the file is only likely a module: its sample names
    // read as text and its song length is not 0.
    const bool marked = type != MODTYPE_SOUNDTRACKER15 && type != MODTYPE_SOUNDTRACKER31;
    const bool certain = marked || verdict == Verdict::Plays;
    gst_type_find_suggest_simple(find, certain ? GST_TYPE_FIND_MAXIMUM : GST_TYPE_FIND_LIKELY,
        "audio/x-mod", "type", G_TYPE_STRING, type == MODTYPE_MULTITRACKER ? "mtm" : "mod",
        "zarnowelle", G_TYPE_BOOLEAN, TRUE, nullptr);
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
