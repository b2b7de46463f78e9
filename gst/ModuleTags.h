// The tags a module carries: its name as the title, its type as the container format,
// the MultiTracker comment as the comment, and the sample names, where trackers kept
// their messages, as the extended comment "samples=..." (and as the comment of a file
// that has no comment of its own).
#ifndef GST_MODULETAGS_H
#define GST_MODULETAGS_H

#include <string>

#include <gst/gst.h>

#include "hostlib/ModuleFacts.h"

namespace zwgst {

// The sample names one to a line, trailing blanks and trailing empty lines left out.
std::string SampleNameText(const ModuleFacts& facts);

// A new tag list (global scope) for a module that loaded; `comment` is its own comment
// (ReadMtmComment), if any.
GstTagList* ModuleTags(const ModuleFacts& facts, const std::string& comment);

}   // namespace zwgst

#endif
