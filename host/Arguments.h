// Option values as a user types them, checked with errors that read as sentences, and
// times as the host shows them.
#ifndef HOST_ARGUMENTS_H
#define HOST_ARGUMENTS_H

#include <cstdint>
#include <stdexcept>
#include <string>

// A command line the host cannot run: exit status 2.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// Each throws UsageError naming `option` when `text` is not what it must be; nan and
// inf are never numbers here.

// Seconds ("90", "12.5") or minutes and seconds ("1:30", "1:02:03.5"), at least 0.
double ParseTime(const std::string& option, const std::string& text);
// A positive number of seconds.
double ParsePositiveSeconds(const std::string& option, const std::string& text);
// A whole number from `low` to `high`; `what` completes "must be ..." when it is out
// of range or no number.
long ParseWhole(const std::string& option, const std::string& text, long low, long high,
    const std::string& what);
// A number from `low` to `high`.
double ParseNumber(const std::string& option, const std::string& text, double low, double high,
    const std::string& what);

// "wav", "flac" or "ogg" in lower case, from any case; empty stays empty.
std::string ParseFormat(const std::string& text);

// Frames at the plug-in's rate as "m:ss" (or "h:mm:ss"), whole seconds down.
std::string ClockTime(int64_t frames);
// The same with tenths, for durations: "2:19.3".
std::string DurationText(int64_t frames, int rate);

#endif
