// A typefinder that claims what the player's own detection recognises, among it what
// GStreamer's stock typefinders miss or mistake: SoundTracker files carry no mark.
#ifndef GST_TYPEFIND_H
#define GST_TYPEFIND_H

#include <gst/gst.h>

namespace zwgst {

gboolean RegisterTypeFinder(GstPlugin* plugin, guint rank);

}   // namespace zwgst

#endif
