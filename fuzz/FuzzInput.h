// What the fuzz targets share: splitting an input into a module and its ".nt" companion,
// and the invariant check that turns a broken promise into a crash libFuzzer keeps.
#ifndef FUZZ_FUZZINPUT_H
#define FUZZ_FUZZINPUT_H

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "beos/SupportDefs.h"

namespace zwfuzz {

// Between the module bytes and the companion's; the dictionary offers it to the mutator.
inline const char   kCompanionSeparator[] = "|NT|";
inline const size_t kSeparatorBytes = 4;

// Blocks a target plays of one input: enough to cross several rows and positions of a
// fast song while keeping thousands of inputs a second.
inline const int kBlocks = 16;
// Ticks a 1024-frame block may start: at the fastest tempo (255) a tick lasts 432 frames,
// so a block starts at most three ticks, plus the first of the playback.
inline const int kMaxTicksPerBlock = 4;

struct Split
{
    const uint8* module;
    size_t       moduleBytes;
    const uint8* companion;   // null when the input has no companion part
    size_t       companionBytes;
};

// The separator is looked for with memchr: a memcmp at every byte costs a traced call
// each and made up a tenth of a run, telling the fuzzer nothing the dictionary does not.
inline Split
SplitInput(const uint8* data, size_t size)
{
    Split        split = { data, size, nullptr, 0 };
    const uint8* end = data + size;
    for (const uint8* at = data; end - at >= ptrdiff_t(kSeparatorBytes); at++) {
        at = static_cast<const uint8*>(
            memchr(at, kCompanionSeparator[0], size_t(end - at) - kSeparatorBytes + 1));
        if (at == nullptr)
            break;
        if (at[1] == kCompanionSeparator[1] && at[2] == kCompanionSeparator[2]
            && at[3] == kCompanionSeparator[3]) {
            split.moduleBytes = size_t(at - data);
            split.companion = at + kSeparatorBytes;
            split.companionBytes = size_t(end - split.companion);
            break;
        }
    }
    return split;
}

// A scratch folder of this process, made once.
inline const std::string&
ScratchFolder()
{
    static const std::string folder = [] {
        char        pattern[] = "/tmp/zwfuzzXXXXXX";
        const char* made = mkdtemp(pattern);
        if (made == nullptr)
            abort();
        return std::string(made);
    }();
    return folder;
}

inline void
WriteFile(const std::string& path, const uint8* data, size_t size)
{
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr)
        abort();
    if (size != 0 && fwrite(data, 1, size, out) != size)
        abort();
    fclose(out);
}

// Writes the companion part of an input as the file at `path`, or makes sure there is
// none; the file system is touched only when that changes something.
inline void
PlaceCompanion(const std::string& path, const Split& split)
{
    static std::vector<std::string> written;
    auto                            known = std::find(written.begin(), written.end(), path);
    if (split.companion != nullptr) {
        WriteFile(path, split.companion, split.companionBytes);
        if (known == written.end())
            written.push_back(path);
    } else if (known != written.end()) {
        unlink(path.c_str());
        written.erase(known);
    }
}

// The loaders report failures on standard output; thousands of inputs a second would
// drown the fuzzer's own report, which goes to standard error.
inline void
QuietStandardOutput()
{
    if (getenv("ZW_FUZZ_VERBOSE") == nullptr && freopen("/dev/null", "w", stdout) == nullptr)
        abort();
}

// A copy of the module part for a PMemFile to own; the spare byte keeps an empty
// module allocatable.
inline uint8*
CopyModule(const Split& split)
{
    uint8* bytes = new uint8[split.moduleBytes + 1];
    if (split.moduleBytes > 0)
        memcpy(bytes, split.module, split.moduleBytes);
    return bytes;
}

}   // namespace zwfuzz

// An invariant the player promises on any input; a failure is kept by libFuzzer as a crash.
#define ZW_FUZZ_CHECK(condition)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);     \
            abort();                                                                               \
        }                                                                                          \
    } while (false)

#endif
