// A typefinder that claims what the player plays: what its own detection recognises
// (among it what GStreamer's stock typefinders miss or mistake, since SoundTracker files
// carry no mark) and, where the whole file can be read, what the add-on then loads.
#ifndef GST_TYPEFIND_H
#define GST_TYPEFIND_H

#include <gst/gst.h>

namespace zwgst {

gboolean RegisterTypeFinder(GstPlugin* plugin, guint rank);

}   // namespace zwgst

#endif
