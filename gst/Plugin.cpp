// libgstzarnowelle: the decoder element and the typefinder.
#include <gst/gst.h>

#include "gst/TypeFind.h"
#include "gst/ZarnowelleDec.h"

#define PACKAGE "zarnowelle"

namespace {

// Above primary, so that playbin and decodebin prefer this player for what it claims;
// GST_PLUGIN_FEATURE_RANK changes that.
const guint kRank = GST_RANK_PRIMARY + 1;

gboolean
InitPlugin(GstPlugin* plugin)
{
    return gst_element_register(plugin, "zarnowelledec", kRank, GST_TYPE_ZARNOWELLE_DEC)
        && zwgst::RegisterTypeFinder(plugin, kRank);
}

}   // namespace

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, zarnowelle,
    "Tracker modules played through the Zarnowelle plug-in", InitPlugin, ZW_VERSION, "unknown",
    "Zarnowelle", "https://zarnowelle.example.org/")
