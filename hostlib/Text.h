// Text as it leaves the player: module and sample names are 8-bit bytes of no declared
// encoding, which trackers of the time wrote as ISO-8859-1.
#ifndef HOSTLIB_TEXT_H
#define HOSTLIB_TEXT_H

#include <string>
#include <string_view>

// UTF-8 for bytes read as ISO-8859-1; control bytes (below 32, 127, and the C1 controls
// 128 to 159) become '?', so the result is printable and valid in JSON and terminals
// alike.
std::string Latin1ToUtf8(std::string_view bytes);

#endif
