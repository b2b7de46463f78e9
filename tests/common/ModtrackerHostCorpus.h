// The modules of the shared corpus that the loader and host tests name, with the type
// each is detected as (the corpus's own notes give them). Tests that use the corpus skip
// when its folder is absent.
#ifndef TESTS_COMMON_MODTRACKERHOSTCORPUS_H
#define TESTS_COMMON_MODTRACKERHOSTCORPUS_H

#include <filesystem>
#include <string>

namespace corpus {

struct KnownModule
{
    const char*     name;
    int             type;
    bool            loads = true;   // false: detected, but refused by the loader
};

const KnownModule kKnownModules[] = {
    // Its sample 14 lacks all 7100 bytes of its data, far past the 512 bytes a last sample
    // may be short of: refused with error 5.
    { "sll7.mod", 0, false },
    // Its position list names 68 patterns, the file holds about 17 of them and its
    // samples: 51836 bytes short, refused with error 5.
    { "order_of_death_ii.mod", 1, false },
    { "ZONE-2A.mod", 2 }, { "PatternJump.mod", 2 }, { "PortaTarget.mod", 2 },
    { "PatternDelaysRetrig.mod", 2 },
    { "zob-the-zob.mod", 3 }, { "flt_am_envelope.mod", 3 },     // both with ".nt" companions
    { "reborning.mod", 4 }, { "TempoChange.mod", 4 }, { "VibratoReset.mod", 4 },
    { "bonus.ft", 5 }, { "TDZ3.MOD", 6 }, { "fall1.mtm", 7 }, { "TEMPO2.MTM", 7 },
};

inline std::string
Folder()
{
    return ZW_CORPUS_DIR;
}

inline bool
Present()
{
    return std::filesystem::is_directory(Folder());
}

}   // namespace corpus

#endif
