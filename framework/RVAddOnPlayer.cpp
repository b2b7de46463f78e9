#include "framework/RVAddOnPlayer.h"

#include <new>

#include "framework/RVGlobalData.h"
#include "support/PCacheFile.h"
#include "support/PException.h"

// Sub-song count and first sub-song of a player that knows no sub-songs.
static const uint16 kSingleSong[2] = {1, 0};

static const uint16 kDefaultTempo = 125;
static const uint16 kDefaultChannels = 4;
static const int32 kExtraFileCacheSize = 32768;


RVAddOnPlayer::RVAddOnPlayer(RVGlobalData* global)
    : RVAddOn(global),
      virtualChannels(nullptr),
      bpm(kDefaultTempo),
      extraFilesSize(0)
{
}


RVAddOnPlayer::~RVAddOnPlayer()
{
}


PString
RVAddOnPlayer::GetModTypeString(uint32 /*index*/)
{
    return PString();
}


int32
RVAddOnPlayer::ExtraLoad(PString /*fileName*/)
{
    return 0;
}


bool
RVAddOnPlayer::InitPlayer()
{
    return true;
}


void RVAddOnPlayer::EndPlayer() {}
void RVAddOnPlayer::InitSound(uint16) {}
void RVAddOnPlayer::EndSound() {}
void RVAddOnPlayer::GetSamplePlayerInfo(SamplePlayerInfo*) {}


PString
RVAddOnPlayer::GetModuleName()
{
    return PString();
}


PString
RVAddOnPlayer::GetAuthor()
{
    return PString();
}


uint16
RVAddOnPlayer::GetVirtualChannels()
{
    return kDefaultChannels;
}


uint16
RVAddOnPlayer::GetModuleChannels()
{
    return GetVirtualChannels();
}


const uint16*
RVAddOnPlayer::GetSubSongs()
{
    return kSingleSong;
}


int16
RVAddOnPlayer::GetSongLength()
{
    return 0;
}


int16
RVAddOnPlayer::GetSongPosition()
{
    return -1;
}


void RVAddOnPlayer::SetSongPosition(int16) {}


bool
RVAddOnPlayer::Rewind()
{
    return false;
}


bool
RVAddOnPlayer::Forward()
{
    return false;
}


uint32
RVAddOnPlayer::GetInfoCount()
{
    return 0;
}


PString
RVAddOnPlayer::GetInfoString(uint32 /*line*/, rv_infoType /*type*/)
{
    return PString();
}


void RVAddOnPlayer::PReserved1() {}
void RVAddOnPlayer::PReserved2() {}
void RVAddOnPlayer::PReserved3() {}
void RVAddOnPlayer::PReserved4() {}
void RVAddOnPlayer::PReserved5() {}
void RVAddOnPlayer::PReserved6() {}
void RVAddOnPlayer::PReserved7() {}
void RVAddOnPlayer::PReserved8() {}
void RVAddOnPlayer::PReserved9() {}


void
RVAddOnPlayer::ModuleEnds()
{
    // A player tried outside a playback (detection, tests) may have no global data.
    if (globalData != nullptr)
        globalData->moduleEnded = true;
}


void RVAddOnPlayer::ChangePosition() {}
void RVAddOnPlayer::ChangeModuleInfo(uint32, rv_infoType, PString) {}


// Tries the usual names of a companion file in turn: the extension added to the whole
// name, put in place of the last suffix, and put in front as a prefix, each as given,
// in lower and in upper case. Suffixes and prefixes are those of the file's own name:
// the directory part stays as it is, so that every candidate lies beside the module.
PFile*
RVAddOnPlayer::OpenExtraFile(PString fileName, PString extension)
{
    PString lower = extension;
    PString upper = extension;
    lower.MakeLower();
    upper.MakeUpper();

    PFile* file = new (std::nothrow) PCacheFile(kExtraFileCacheSize);
    if (file == nullptr)
        ThrowMemoryException();
    try {
        if (extension.IsEmpty()) {
            if (TryCandidates(file, {fileName}))
                return file;
            ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, fileName);
        }
        if (TryCandidates(file, {fileName + "." + extension, fileName + "." + lower,
                fileName + "." + upper}))
            return file;

        int32 leafStart = fileName.ReverseFind('/') + 1;
        PString directory = fileName.Left(leafStart);
        PString leaf = fileName.Mid(leafStart);
        int32 lastDot = leaf.ReverseFind('.');
        if (lastDot < 0)
            ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, fileName + "." + extension);
        PString base = directory + leaf.Left(lastDot);
        if (TryCandidates(file, {base + "." + extension, base + "." + lower,
                base + "." + upper}))
            return file;

        PString rest = leaf.Mid(leaf.Find('.') + 1);
        if (TryCandidates(file, {directory + extension + "." + rest,
                directory + lower + "." + rest, directory + upper + "." + rest}))
            return file;
        ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, directory + extension + "." + rest);
    } catch (...) {
        delete file;
        throw;
    }
}


bool
RVAddOnPlayer::TryCandidates(PFile* file, std::initializer_list<PString> names)
{
    for (const PString& name : names) {
        OpenFile(file, name);
        if (file->IsOpen())
            return true;
    }
    return false;
}


// A missing entry only means "not this name"; every other failure is the caller's.
void
RVAddOnPlayer::OpenFile(PFile* file, PString name)
{
    try {
        file->Open(name, PFile::pModeRead);
    } catch (PFileException* exception) {
        if (exception->code != P_FILE_ERR_ENTRY_NOT_FOUND)
            throw;
        exception->Delete();
    }
}


void
RVAddOnPlayer::CloseExtraFile(PFile* file)
{
    if (file == nullptr)
        return;
    try {
        extraFilesSize += (uint32)file->GetLength();
    } catch (...) {
        delete file;
        throw;
    }
    file->Close();
    delete file;
}


uint32
RVAddOnPlayer::GetExtraFilesSize()
{
    return extraFilesSize;
}
