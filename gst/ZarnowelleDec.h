// zarnowelledec: a GStreamer decoder element that plays tracker modules through the
// Zarnowelle plug-in, loaded with dlopen and driven as the command-line host drives it.
#ifndef GST_ZARNOWELLEDEC_H
#define GST_ZARNOWELLEDEC_H

#include <gst/gst.h>

G_BEGIN_DECLS

#define GST_TYPE_ZARNOWELLE_DEC (gst_zarnowelle_dec_get_type())
G_DECLARE_FINAL_TYPE(GstZarnowelleDec, gst_zarnowelle_dec, GST, ZARNOWELLE_DEC, GstElement)

G_END_DECLS

#endif
