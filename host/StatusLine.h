// The player's status line: what it shows, and text cut to the columns it may fill.
#ifndef HOST_STATUSLINE_H
#define HOST_STATUSLINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "host/Listening.h"

// Columns a terminal gives UTF-8 text: wide East Asian characters take two, combining
// marks and control characters none. Bytes that are no UTF-8 count one each.
int DisplayWidth(const std::string& text);
// The longest front of `text` that fills at most `columns`, cut between characters.
std::string CutToWidth(const std::string& text, int columns);

// "L[#######   ] R[######    ]": peaks (0..32768) on a decibel scale down to -40 dB.
std::string PeakMeter(const Peaks& peaks);

struct StatusFacts
{
    std::string              name;        // the file's name
    std::string              title;       // the module's name, as UTF-8; may be empty
    int                      index = 0;   // 1-based place in the list
    int                      count = 0;   // files in the list
    bool                     paused = false;
    int64_t                  played = 0;   // frames into the current pass
    int64_t                  total = -1;   // frames of a pass; -1 unknown, -2 no end
    int                      pass = 1;
    int                      passes = 1;   // 0 for ever
    bool                     looping = false;
    std::vector<std::string> sound;   // what differs from the default sound
    Peaks                    peaks;
};

// One line without its newline, cut to `columns`; the file's and the module's names come
// last, so a narrow terminal loses them first.
std::string StatusText(const StatusFacts& facts, int columns);

#endif
