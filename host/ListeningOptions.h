// The options `play` and `render` share: where a song starts, how long and how often it
// plays, and how it sounds.
#ifndef HOST_LISTENINGOPTIONS_H
#define HOST_LISTENINGOPTIONS_H

#include <string>

#include "host/Sound.h"

namespace CLI {
class App;
}

// Values as typed; checked once parsing is done, so that each error reads as a sentence.
struct ListeningArgs
{
    std::string seek;
    std::string maxTime = "1800";
    std::string repeat = "0";
    std::string stereo;
    std::string gain;
    std::string interpolation;
    std::string rules;
    std::string amiga;
    bool        ramping = false;

    void Add(CLI::App& command);
    // Seconds, or -1 when --seek was not given.
    double Seek() const;
    double MaxTime() const;
    // Throws UsageError for a bad value.
    Sound ParseSound() const;
};

#endif
