// The demo tune: an original four-channel module of about 45 seconds in A minor.
//
//   position  0     1     2     3     4     5
//   pattern   0     1     2     3     1     4
//             intro A     A'    B     A     outro
//
// Channel 0 bass, 1 drums, 2 lead, 3 chords (a pad played as arpeggios). The intro sets
// the tempo to 118 (which also marks the file as ProTracker), the B part lifts it to 125
// half-way and ends in a snare roll that a pattern loop plays twice, and the outro is cut
// short by a pattern break after the last position, which ends the song.
#ifndef TOOLS_DEMOTUNE_COMPOSER_H
#define TOOLS_DEMOTUNE_COMPOSER_H

#include "tools/modwriter/ModWriter.h"

namespace demo {

zw::ModWriter ComposeDemo();

}   // namespace demo

#endif
