#include "hostlib/Detection.h"

#include <algorithm>
#include <cstring>

#include "framework/RVGlobal.h"
#include "modtracker/ModTracker.h"
#include "support/PException.h"
#include "support/PMemFile.h"

int
DetectModuleType(const uint8_t* bytes, size_t count, int64_t length)
{
    // Detection compares the length only with values far below the reach, so an image
    // cut there gives the answer the whole file gives.
    const int32 imageBytes = int32(std::clamp<int64_t>(length, 0, kDetectionReach));
    if (imageBytes == 0)
        return -1;
    uint8* image = new uint8[imageBytes]();
    memcpy(image, bytes, std::min<size_t>(count, size_t(imageBytes)));
    PMemFile   file(image, imageBytes);   // owns the image
    RVGlobal   global;
    ModTracker player(&global);
    int        type = -1;
    try {
        type = player.TestModule(&file);
    } catch (PException* exception) {
        exception->Delete();
    }
    return type;
}
