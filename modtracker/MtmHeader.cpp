#include "modtracker/MtmHeader.h"

namespace {

const uint8 MTM_VERSION = 0x10;

}   // namespace


bool
MtmSigned(const MtmFileHeader& header)
{
    return memcmp(header.signature, "MTM", sizeof(header.signature)) == 0
        && header.version == MTM_VERSION;
}


bool
MtmHeaderValid(const MtmFileHeader& header)
{
    return MtmSigned(header) && header.channels >= 1 && header.channels <= MTM_MAX_CHANNELS
        && header.rows != 0;
}
