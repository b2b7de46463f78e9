#include "hostlib/ModuleText.h"

#include <cstdint>
#include <fstream>
#include <vector>

#include "hostlib/Text.h"

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

}   // namespace

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
