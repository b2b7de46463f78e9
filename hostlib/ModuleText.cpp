#include "hostlib/ModuleText.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "hostlib/Text.h"
#include "modtracker/ModuleTypes.h"

namespace {

// The layout of a MultiTracker file up to its comment.
const int kMtmHeaderBytes = 66;
const int kMtmSampleBytes = 37;
const int kMtmPositions = 128;
const int kMtmRowBytes = 3;
const int kMtmSequenceBytes = 32 * 2;
const int kMtmCommentLine = 40;

std::string
TrimRight(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.pop_back();
    return text;
}

// Lines joined by newlines, without empty lines at either end.
std::string
JoinLines(const std::vector<std::string>& lines)
{
    size_t first = 0, last = lines.size();
    while (first < last && lines[first].empty())
        first++;
    while (last > first && lines[last - 1].empty())
        last--;
    std::string text;
    for (size_t i = first; i < last; i++)
        text += (i > first ? "\n" : "") + lines[i];
    return text;
}

unsigned
Word(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8;
}

// clang-format off
const struct
{
    LoadError   error;
    const char* words;
} kLoadFailures[] = {
    { LOAD_ERROR_MEMORY,      "there is not enough memory for it" },
    { LOAD_ERROR_HEADER,      "the header is damaged or cut short" },
    { LOAD_ERROR_PATTERNS,    "the patterns are cut short" },
    { LOAD_ERROR_SAMPLE_INFO, "the sample list is cut short" },
    { LOAD_ERROR_SAMPLES,     "the sample data is cut short" },
};
// clang-format on

const int kLoadErrorBase = 1000;

}   // namespace

std::string
LoadFailureText(const std::string& loaderMessage)
{
    if (loaderMessage.empty())
        return "the plug-in could not load it";
    int number = 0;
    if (sscanf(loaderMessage.c_str(), "Error %d", &number) == 1) {
        for (const auto& failure : kLoadFailures) {
            if (failure.error == kLoadErrorBase + number)
                return failure.words;
        }
    }
    return loaderMessage;
}

ModuleTags
TagsFor(const ModuleFacts& facts)
{
    std::vector<std::string> names;
    for (const SampleFacts& sample : facts.sampleList)
        names.push_back(TrimRight(sample.name));
    return { TrimRight(facts.name), JoinLines(names) };
}

std::string
ReadMtmComment(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    uint8_t       header[kMtmHeaderBytes];
    if (!file.read(reinterpret_cast<char*>(header), sizeof(header))
        || std::string(header, header + 3) != "MTM")
        return "";
    unsigned       tracks = Word(header + 24), patterns = header[26] + 1u;
    unsigned       length = Word(header + 28), samples = header[30], rows = header[32];
    std::streamoff at = kMtmHeaderBytes + std::streamoff(samples) * kMtmSampleBytes + kMtmPositions
        + std::streamoff(tracks) * rows * kMtmRowBytes
        + std::streamoff(patterns) * kMtmSequenceBytes;
    std::string bytes(length, '\0');
    if (length == 0 || !file.seekg(at) || !file.read(bytes.data(), length))
        return "";
    std::vector<std::string> lines;
    for (size_t line = 0; line < bytes.size(); line += kMtmCommentLine) {
        std::string text = bytes.substr(line, kMtmCommentLine);
        lines.push_back(TrimRight(Latin1ToUtf8(text.substr(0, text.find('\0')))));
    }
    return JoinLines(lines);
}
