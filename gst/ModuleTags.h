// The tags a module carries: its name as the title, its type as the container format and
// its sample names, where trackers kept their messages, as the comment.
#ifndef GST_MODULETAGS_H
#define GST_MODULETAGS_H

#include <string>

#include <gst/gst.h>

#include "hostlib/ModuleFacts.h"

namespace zwgst {

// The sample names one to a line, trailing blanks and trailing empty lines left out.
std::string SampleNameText(const ModuleFacts& facts);

// A new tag list (global scope) for a module that loaded.
GstTagList* ModuleTags(const ModuleFacts& facts);

}   // namespace zwgst

#endif
