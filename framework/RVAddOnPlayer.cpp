#include "framework/RVAddOnPlayer.h"

#include <filesystem>
#include <new>
#include <string>

#include "framework/RVGlobalData.h"
#include "support/PCacheFile.h"
#include "support/PException.h"

// Sub-song count and first sub-song of a player that knows no sub-songs.
static const uint16 kSingleSong[2] = { 1, 0 };

static const uint16 kDefaultTempo = 125;
static const uint16 kDefaultChannels = 4;
static const int32  kExtraFileCacheSize = 32768;


RVAddOnPlayer::RVAddOnPlayer(RVGlobalData* global)
    : RVAddOn(global), virtualChannels(nullptr), bpm(kDefaultTempo), ledFilter(false),
      extraFilesSize(0)
{
}


RVAddOnPlayer::~RVAddOnPlayer() {}


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


// clang-format off
void RVAddOnPlayer::EndPlayer() {}
void RVAddOnPlayer::InitSound(uint16) {}
void RVAddOnPlayer::EndSound() {}
void RVAddOnPlayer::GetSamplePlayerInfo(SamplePlayerInfo*) {}
// clang-format on


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


// clang-format off
void RVAddOnPlayer::SetSongPosition(int16) {}
// clang-format on


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


// clang-format off
void RVAddOnPlayer::PReserved1() {}
void RVAddOnPlayer::PReserved2() {}
void RVAddOnPlayer::PReserved3() {}
void RVAddOnPlayer::PReserved4() {}
void RVAddOnPlayer::PReserved5() {}
void RVAddOnPlayer::PReserved6() {}
void RVAddOnPlayer::PReserved7() {}
void RVAddOnPlayer::PReserved8() {}
void RVAddOnPlayer::PReserved9() {}
// clang-format on


void
RVAddOnPlayer::ModuleEnds()
{
    // A player tried outside a playback (detection, tests) may have no global data.
    if (globalData != nullptr)
        globalData->moduleEnded = true;
}


// clang-format off
void RVAddOnPlayer::ChangePosition() {}
void RVAddOnPlayer::ChangeModuleInfo(uint32, rv_infoType, PString) {}
// clang-format on


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
            if (TryCandidates(file, "", { fileName }))
                return file;
            ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, fileName);
        }
        int32                leafStart = fileName.ReverseFind('/') + 1;
        PString              directory = fileName.Left(leafStart);
        PString              leaf = fileName.Mid(leafStart);
        std::vector<PString> leaves = { leaf + "." + extension, leaf + "." + lower,
            leaf + "." + upper };
        PString              lastTried = fileName + "." + extension;
        int32                lastDot = leaf.ReverseFind('.');
        if (lastDot >= 0) {
            PString base = leaf.Left(lastDot);
            PString rest = leaf.Mid(leaf.Find('.') + 1);
            leaves.insert(leaves.end(),
                { base + "." + extension, base + "." + lower, base + "." + upper,
                    extension + "." + rest, lower + "." + rest, upper + "." + rest });
            lastTried = directory + extension + "." + rest;
        }
        if (TryCandidates(file, directory, leaves) || TryCaseless(file, directory, leaves))
            return file;
        ThrowFileException(P_FILE_ERR_ENTRY_NOT_FOUND, lastTried);
    } catch (...) {
        delete file;
        throw;
    }
}


bool
RVAddOnPlayer::TryCandidates(
    PFile* file, const PString& directory, const std::vector<PString>& leaves)
{
    for (const PString& leaf : leaves) {
        OpenFile(file, directory + leaf);
        if (file->IsOpen())
            return true;
    }
    return false;
}


// Modules from DOS and Amiga collections come with names in any case ("NAME.MOD.NT"
// beside "name.mod"): the same candidates, in the same order, matched without regard
// to case among the files of the module's folder.
bool
RVAddOnPlayer::TryCaseless(
    PFile* file, const PString& directory, const std::vector<PString>& leaves)
{
    std::error_code                     error;
    std::filesystem::directory_iterator entry(
        directory.IsEmpty() ? "." : (const char*)directory, error);
    std::vector<std::string> names;
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error))
        names.push_back(entry->path().filename().string());
    for (const PString& leaf : leaves) {
        for (const std::string& name : names) {
            if (leaf.CompareNoCase(name.c_str()) != 0)
                continue;
            OpenFile(file, directory + name.c_str());
            if (file->IsOpen())
                return true;
        }
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
