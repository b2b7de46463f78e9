// libgstzarnowelle: the decoder element and the typefinder.
#include <gst/gst.h>

#include "gst/TypeFind.h"
#include "gst/ZarnowelleDec.h"

#define PACKAGE "zarnowelle"

namespace {

// Above every stock module decoder (openmptdec is primary + 2), so playbin and decodebin
// choose this player for what its typefinder claims; the sink caps keep it from anything
// else. GST_PLUGIN_FEATURE_RANK still changes that.
const guint kDecoderRank = GST_RANK_PRIMARY + 3;
// Ahead of the stock module typefinder (secondary), which names fewer files.
const guint kTypeFinderRank = GST_RANK_PRIMARY + 1;

gboolean
InitPlugin(GstPlugin* plugin)
{
    return gst_element_register(plugin, "zarnowelledec", kDecoderRank, GST_TYPE_ZARNOWELLE_DEC)
        && zwgst::RegisterTypeFinder(plugin, kTypeFinderRank);
}

}   // namespace

GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, zarnowelle,
    "Tracker modules played through the Zarnowelle plug-in", InitPlugin, ZW_VERSION, "unknown",
    "Zarnowelle", "https://zarnowelle.example.org/")
