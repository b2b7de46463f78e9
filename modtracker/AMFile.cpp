// ModTracker: the StarTracker AM-sound companion file (".nt").
#include "modtracker/ModTracker.h"

#include <new>

#include "support/PException.h"
#include "support/PFile.h"

namespace {

const int   AM_RECORDS = 31;
const int32 AM_HEADER_BYTES = 144;

void
ReadRecord(PFile* file, AMSample& r)
{
    r.mark = file->Read_B_UINT16();
    r.unused1 = file->Read_B_UINT32();
    uint16* values[] = { &r.startAmplitude, &r.attack1Level, &r.attack1Speed, &r.attack2Level,
        &r.attack2Speed, &r.sustainLevel, &r.decaySpeed, &r.unused2, &r.unused3, &r.releaseSpeed,
        &r.waveform, &r.pitchFall, &r.vibratoDepth, &r.vibratoSpeed, &r.octaveShift };
    for (uint16* value : values)
        *value = file->Read_B_UINT16();
    file->Read(r.unused4, sizeof(r.unused4));
}

}   // namespace

// A missing or broken companion is no error: the module then plays its plain samples.
int32
ModTracker::ExtraLoad(PString fileName)
{
    if (!IsStarTracker())
        return 0;
    companionPath = PString();
    PFile* file = nullptr;
    try {
        file = OpenExtraFile(fileName, "nt");
        delete[] amData;
        amData = new (std::nothrow) AMSample[AM_RECORDS]();
        if (amData == nullptr)
            ThrowMemoryException();
        file->Seek(AM_HEADER_BYTES, PFile::pSeekBegin);
        for (int k = 0; k < AM_RECORDS; k++) {
            ReadRecord(file, amData[k]);
            if (file->IsEOF()) {
                amData[k] = AMSample {};   // cut short: keep it an ordinary sample
                break;
            }
        }
        companionPath = file->GetFullPath();
        PFile* done = file;
        file = nullptr;
        CloseExtraFile(done);
    } catch (PException* e) {
        delete file;
        e->Delete();
    } catch (...) {
        delete file;
        throw;
    }
    return 0;
}
