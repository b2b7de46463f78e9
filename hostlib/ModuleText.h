// Text a module carries beyond its name: the message its author wrote, and the tags a
// host gives a rendered file. Trackers had no message field in MOD files, so authors
// wrote their greetings into the sample names; MultiTracker files have a real comment.
#ifndef HOSTLIB_MODULETEXT_H
#define HOSTLIB_MODULETEXT_H

#include <string>

#include "hostlib/ModuleFacts.h"

// Tags for a rendered file: TITLE and COMMENT, as UTF-8.
struct ModuleTags
{
    std::string title;     // the module name
    std::string comment;   // the sample names, one a line
};

// Names lose their trailing spaces, and empty lines at both ends are dropped; empty
// names inside are kept as blank lines, since they space out the message.
ModuleTags TagsFor(const ModuleFacts& facts);

// A load failure in the host's words ("the patterns are cut short"), from the message
// the player's loader gave ("Error 3: Couldn't read the module patterns"), whose number
// is the last digits of its LoadError. A message of no known form is kept as it is.
std::string LoadFailureText(const std::string& loaderMessage);

// The comment of a MultiTracker file as UTF-8 lines (40 bytes each in the file);
// empty for other files and for a file too short to hold it.
std::string ReadMtmComment(const std::string& path);

#endif
