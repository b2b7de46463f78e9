#include "host/StatusLine.h"

#include <cmath>
#include <cstdio>

#include "host/Arguments.h"

namespace {

const int    kMeterSegments = 10;
const double kMeterFloor = -40;   // dB at which the meter shows nothing

struct Range
{
    char32_t first;
    char32_t last;
};

// Characters a terminal shows two columns wide.
const Range kWide[] = {
    { 0x1100, 0x115F },
    { 0x2E80, 0x303E },
    { 0x3041, 0x33FF },
    { 0x3400, 0x4DBF },
    { 0x4E00, 0x9FFF },
    { 0xA000, 0xA4CF },
    { 0xAC00, 0xD7A3 },
    { 0xF900, 0xFAFF },
    { 0xFE30, 0xFE4F },
    { 0xFF00, 0xFF60 },
    { 0xFFE0, 0xFFE6 },
    { 0x1F300, 0x1F64F },
    { 0x1F900, 0x1F9FF },
    { 0x20000, 0x3FFFD },
};

// Combining marks, shown on the character before them.
const Range kZeroWidth[] = {
    { 0x0300, 0x036F },
    { 0x1AB0, 0x1AFF },
    { 0x1DC0, 0x1DFF },
    { 0x200B, 0x200F },
    { 0x20D0, 0x20FF },
    { 0xFE00, 0xFE0F },
    { 0xFE20, 0xFE2F },
};

bool
InRanges(char32_t c, const Range* ranges, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        if (c >= ranges[i].first && c <= ranges[i].last)
            return true;
    }
    return false;
}

// The character at `at` and its byte length; a byte that starts no valid sequence is
// taken alone.
char32_t
Decode(const std::string& text, size_t at, size_t& length)
{
    unsigned char lead = (unsigned char)text[at];
    length = lead < 0x80    ? 1
        : (lead >> 5) == 6  ? 2
        : (lead >> 4) == 14 ? 3
        : (lead >> 3) == 30 ? 4
                            : 0;
    if (length == 0 || at + length > text.size()) {
        length = 1;
        return lead;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; i++) {
        unsigned char next = (unsigned char)text[at + i];
        if ((next >> 6) != 2) {
            length = 1;
            return lead;
        }
        c = c << 6 | (next & 0x3F);
    }
    return c;
}

int
CharWidth(char32_t c)
{
    if (c < 32 || c == 127)
        return 0;
    if (InRanges(c, kZeroWidth, std::size(kZeroWidth)))
        return 0;
    return InRanges(c, kWide, std::size(kWide)) ? 2 : 1;
}

std::string
Segments(int peak)
{
    int lit = 0;
    if (peak > 0) {
        double decibels = 20 * std::log10(peak / 32768.0);
        lit = int((decibels - kMeterFloor) / -kMeterFloor * kMeterSegments + 0.5);
        lit = std::max(0, std::min(lit, kMeterSegments));
    }
    return "[" + std::string(lit, '#') + std::string(kMeterSegments - lit, ' ') + "]";
}

std::string
TimeText(const StatusFacts& facts)
{
    std::string text = ClockTime(facts.played) + " / ";
    if (facts.total == -2)
        return text + "no end";
    return text + (facts.total < 0 ? "?" : ClockTime(facts.total));
}

std::string
Extras(const StatusFacts& facts)
{
    std::string text;
    for (const std::string& word : facts.sound)
        text += "  " + word;
    if (facts.looping)
        text += "  loop";
    // With loop on the passes have no end; a pass past those asked for (loop switched
    // off again) has no count to show.
    if (facts.passes != 1 || facts.pass > 1) {
        text += "  pass " + std::to_string(facts.pass);
        if (facts.looping || facts.passes == 0)
            text += "/\u221E";
        else if (facts.pass <= facts.passes)
            text += "/" + std::to_string(facts.passes);
    }
    return text;
}

}   // namespace

int
DisplayWidth(const std::string& text)
{
    int width = 0;
    for (size_t at = 0, length = 0; at < text.size(); at += length)
        width += CharWidth(Decode(text, at, length));
    return width;
}

std::string
CutToWidth(const std::string& text, int columns)
{
    int    width = 0;
    size_t at = 0, length = 0;
    for (; at < text.size(); at += length) {
        int next = CharWidth(Decode(text, at, length));
        if (width + next > columns)
            break;
        width += next;
    }
    return text.substr(0, at);
}

std::string
PeakMeter(const Peaks& peaks)
{
    return "L" + Segments(peaks.left) + " R" + Segments(peaks.right);
}

namespace {

// Control characters (C0, DEL and C1, encoded or as bare bytes) of a name would steer
// the terminal.
std::string
Printable(const std::string& text)
{
    std::string shown;
    for (size_t at = 0, length = 0; at < text.size(); at += length) {
        char32_t c = Decode(text, at, length);
        bool     control = c < 32 || (c >= 127 && c < 160);
        shown += control ? std::string("?") : text.substr(at, length);
    }
    return shown;
}

}   // namespace

std::string
StatusText(const StatusFacts& facts, int columns)
{
    std::string text = (facts.paused ? "|| " : ">  ") + TimeText(facts) + "  "
        + PeakMeter(facts.peaks) + Extras(facts) + "  ";
    if (facts.count > 1)
        text += "(" + std::to_string(facts.index) + "/" + std::to_string(facts.count) + ") ";
    text += Printable(facts.name);
    if (!facts.title.empty())
        text += " - " + Printable(facts.title);
    return CutToWidth(text, columns);
}
