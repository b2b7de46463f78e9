// The modules of the shared corpus that the loader and host tests name, with the type
// each is detected as (the corpus's own notes give them, but for two M.K. files that use
// ProTracker's finetunes or extended commands). Tests that use the corpus skip
// when its folder is absent.
#ifndef TESTS_COMMON_MODTRACKERHOSTCORPUS_H
#define TESTS_COMMON_MODTRACKERHOSTCORPUS_H

#include <filesystem>
#include <string>

namespace corpus {

struct KnownModule
{
    const char* name;
    int         type;   // -1: not a module of ours
};

const KnownModule kKnownModules[] = {
    // Its sample 14 lacks all 7100 bytes of its data: it plays, that sample silent.
    { "sll7.mod", 0 },
    // "IT10" at offset 1464: another format under a 31-sample layout.
    { "order_of_death_ii.mod", -1 },
    { "ZONE-2A.mod", 2 },
    { "PatternJump.mod", 4 },   // finetunes in samples 1 and 2
    { "PortaTarget.mod", 2 },
    { "PatternDelaysRetrig.mod", 4 },   // E2x, EBx, EDx, EEx
    { "zob-the-zob.mod", 3 },
    { "flt_am_envelope.mod", 3 },   // both with ".nt" companions
    { "reborning.mod", 4 },
    { "TempoChange.mod", 4 },
    { "VibratoReset.mod", 4 },
    { "bonus.ft", 5 },
    { "TDZ3.MOD", 6 },
    { "fall1.mtm", 7 },
    { "TEMPO2.MTM", 7 },
};

// The entry for a file name, or null.
inline const KnownModule*
Find(const std::string& name)
{
    for (const KnownModule& m : kKnownModules) {
        if (name == m.name)
            return &m;
    }
    return nullptr;
}

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
