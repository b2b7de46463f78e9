#include "modtracker/LoaderSupport.h"

#include <algorithm>

#include "modtracker/ModuleTypes.h"
#include "support/PFile.h"


bool
ReadFully(PFile* file, void* buffer, int32 count)
{
    memset(buffer, 0, size_t(count));
    return file->Read(buffer, count) == count && !file->IsEOF();
}


void
BoundLoop(Sample& sample, int64 start, int64 loopLength, bool loopStartInBytes, uint16 noLoopLength)
{
    int64 size = loopStartInBytes ? 2 * int64(sample.length) : sample.length;
    if (sample.length == 0 || start < 0 || start >= size || loopLength <= 0) {
        sample.loopStart = 0;
        sample.loopLength =
            sample.length == 0 ? 0 : uint16(std::clamp<int64>(loopLength, 0, noLoopLength));
        return;
    }
    int64 room = loopStartInBytes ? (size - start) / 2 : size - start;
    sample.loopStart = uint16(start);
    sample.loopLength = uint16(std::min(loopLength, room));
}
