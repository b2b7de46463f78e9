#include "host/Arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "plugin/InputPlugin.h"

namespace {

// A finite number filling the whole text, or false.
bool
ReadNumber(const std::string& text, double& value)
{
    if (text.empty() || isspace((unsigned char)text[0]))
        return false;
    char* end = nullptr;
    errno = 0;
    value = strtod(text.c_str(), &end);
    return errno == 0 && *end == '\0' && std::isfinite(value);
}

// "1:30" and "1:02:03.5": whole minutes (and hours) before the seconds, which stay
// below 60.
bool
ReadClock(const std::string& text, double& seconds)
{
    seconds = 0;
    size_t start = 0;
    for (;;) {
        size_t      colon = text.find(':', start);
        std::string part = text.substr(start, colon - start);
        double      value;
        if (!ReadNumber(part, value) || value < 0)
            return false;
        if (colon == std::string::npos) {
            if (start > 0 && value >= 60)
                return false;
            seconds = seconds * 60 + value;
            return true;
        }
        if (value != std::floor(value) || (start > 0 && value >= 60)
            || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        seconds = seconds * 60 + value;
        start = colon + 1;
    }
}

}   // namespace

double
ParseTime(const std::string& option, const std::string& text)
{
    double seconds;
    if (!ReadClock(text, seconds)) {
        throw UsageError(option
            + " must be a time: seconds (90 or 12.5) or minutes and "
              "seconds (1:30)");
    }
    return seconds;
}

double
ParsePositiveSeconds(const std::string& option, const std::string& text)
{
    double seconds;
    if (!ReadNumber(text, seconds) || seconds <= 0)
        throw UsageError(option + " must be a positive number of seconds");
    return seconds;
}

long
ParseWhole(const std::string& option, const std::string& text, long low, long high,
    const std::string& what)
{
    double value;
    if (!ReadNumber(text, value) || value != std::floor(value) || value < low || value > high
        || text.find_first_of(".eExXpP") != std::string::npos)
        throw UsageError(option + " must be " + what);
    return long(value);
}

double
ParseNumber(const std::string& option, const std::string& text, double low, double high,
    const std::string& what)
{
    double value;
    if (!ReadNumber(text, value) || value < low || value > high)
        throw UsageError(option + " must be " + what);
    return value;
}

std::string
ParseFormat(const std::string& text)
{
    std::string format;
    for (char c : text)
        format += (char)tolower((unsigned char)c);
    if (!format.empty() && format != "wav" && format != "flac" && format != "ogg")
        throw UsageError("--format must be wav, flac or ogg");
    return format;
}

std::string
ClockTime(int64_t frames)
{
    int64_t seconds = frames / PLUGIN_SAMPLE_RATE;
    char    text[32];
    if (seconds >= 3600) {
        snprintf(text, sizeof(text), "%lld:%02lld:%02lld", (long long)(seconds / 3600),
            (long long)(seconds / 60 % 60), (long long)(seconds % 60));
    } else {
        snprintf(text, sizeof(text), "%lld:%02lld", (long long)(seconds / 60),
            (long long)(seconds % 60));
    }
    return text;
}

std::string
DurationText(int64_t frames, int rate)
{
    int64_t tenths = frames * 10 / rate;
    char    text[32];
    snprintf(text, sizeof(text), ".%lld", (long long)(tenths % 10));
    return ClockTime(tenths / 10 * PLUGIN_SAMPLE_RATE) + text;
}
