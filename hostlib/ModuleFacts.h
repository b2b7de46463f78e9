// Module facts read with the player library itself rather than through a plug-in, since
// the plug-in interface carries no module facts: for `info`, tags and titles.
#ifndef HOSTLIB_MODULEFACTS_H
#define HOSTLIB_MODULEFACTS_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct SampleFacts
{
    std::string name;             // UTF-8, decoded from ISO-8859-1
    uint32_t    bytes = 0;        // length of the sample data
    unsigned    volume = 0;       // 0..64
    unsigned    fineTune = 0;     // 0..15
    unsigned    loopStart = 0;    // as the file gives it
    unsigned    loopLength = 0;   // in words
};

struct ModuleFacts
{
    std::string        file;
    std::optional<int> type;   // 0..7; empty when the file is no module
    std::string        typeName;
    std::string        name;   // UTF-8, decoded from ISO-8859-1
    int                channels = 0;
    int                patterns = 0;
    int                samples = 0;
    int                songLength = 0;
    int                restart = 0;
    std::vector<std::pair<std::string, std::string>> info;   // label, value
    std::vector<SampleFacts>                         sampleList;
    std::vector<std::string>                         warnings;   // what a damaged file lacked
    std::optional<std::string> companion;   // the ".nt" file read (StarTracker), if any
    bool amSoundsSilent = false;            // notes on empty slots and no companion read
    std::optional<std::string> error;       // why the file is not a module that loads

    bool Loaded() const { return type && !error; }
};

ModuleFacts ReadModuleFacts(const std::string& path);

// The warnings a host gives before it plays a file, each a line naming it: what a
// damaged file lacks, and the AM sounds its missing companion leaves silent.
std::vector<std::string> PlaybackWarnings(const ModuleFacts& facts);

// The names of the MOD-family types (0 to 6) as `info` prints them.
std::vector<std::string> ModFamilyTypeNames();

#endif
