// The trace recorder: the host's load sequence, a mixer's channel set-up without the
// mixing, and one record per Play.
#include "tools/trace/Trace.h"

#include <ostream>

#include "framework/RVChannelParser.h"
#include "framework/RVGlobal.h"
#include "modtracker/ModTracker.h"
#include "support/PException.h"
#include "support/PFile.h"
#include "support/PMemFile.h"

namespace zw {

namespace {

std::string
ExceptionText(PException* error)
{
    error->Delete();
    return "the module could not be read";
}

}   // namespace


TraceRecorder::TraceRecorder() : global(nullptr), player(nullptr), modType(0), playerReady(false) {}


TraceRecorder::~TraceRecorder() { Release(); }


void
TraceRecorder::Release()
{
    if (player != nullptr) {
        delete[] player->virtualChannels;
        player->virtualChannels = nullptr;
    }
    for (RVChannelParser* parser : parsers)
        delete parser;
    parsers.clear();
    voices.clear();
    if (player != nullptr) {
        if (playerReady) {
            player->EndSound();
            player->EndPlayer();
        } else
            player->Cleanup();
        delete player;
        player = nullptr;
    }
    delete global;
    global = nullptr;
    playerReady = false;
    current = TraceTick();
}


std::string
TraceRecorder::Load(const std::string& path)
{
    PFile* file = nullptr;
    try {
        file = new PFile(PString(path.c_str()), PFile::pModeRead);
    } catch (PException* error) {
        delete file;
        ExceptionText(error);
        return "cannot open " + path;
    }
    std::string result = Start(file, path);
    delete file;
    return result;
}


std::string
TraceRecorder::Load(const std::vector<uint8>& bytes, const std::string& extraPath)
{
    PMemFile file;
    try {
        file.Write(bytes.data(), int32(bytes.size()));
        file.Seek(0, PFile::pSeekBegin);
    } catch (PException* error) {
        return ExceptionText(error);
    }
    return Start(&file, extraPath);
}


std::string
TraceRecorder::Start(PFile* file, const std::string& extraPath)
{
    Release();
    try {
        global = new RVGlobal();
        player = new ModTracker(global);
        uint32 type = 0;
        for (; type < player->GetCount(); type++) {
            file->Seek(0, PFile::pSeekBegin);
            if (player->ModuleCheck(type, file) == 0)
                break;
        }
        if (type == player->GetCount())
            return "not a module this player knows";
        modType = type;
        file->Seek(0, PFile::pSeekBegin);
        // The loader's report is the reason, kept off standard output.
        std::string loader;
        player->SetLoadErrorSink(
            [](void* context, const char* text) { *static_cast<std::string*>(context) = text; },
            &loader);
        int32 result = player->LoadModule(type, file);
        player->SetLoadErrorSink(nullptr, nullptr);
        if (result != 0)
            return loader.empty() ? "the module could not be loaded" : loader;
        if (!extraPath.empty() && player->ExtraLoad(PString(extraPath.c_str())) != 0)
            return "the companion file could not be loaded";
        if (!player->InitPlayer())
            return "the player could not be set up";
        playerReady = true;
        CreateVoices(player->GetVirtualChannels());
        player->InitSound(0);
    } catch (PException* error) {
        return ExceptionText(error);
    }
    return "";
}


// What the mixer's set-up does for the player: one parser and one voice per channel.
void
TraceRecorder::CreateVoices(uint16 count)
{
    voices.assign(count, VINFO {});
    player->virtualChannels = new RVChannel*[count];
    for (uint16 i = 0; i < count; i++) {
        parsers.push_back(new RVChannelParser());
        player->virtualChannels[i] = parsers.back();
    }
    current.channels.assign(count, TraceChannel());
}


const TraceTick&
TraceRecorder::Step()
{
    if (player == nullptr || !playerReady)
        return current;
    global->moduleEnded = false;
    player->Play();

    const ReplayView replay = player->Replay();
    current.index++;
    current.pos = replay.rowSongPos == ReplayView::NO_ROW ? -1 : replay.rowSongPos;
    current.row = replay.rowPatternPos == ReplayView::NO_ROW ? -1 : replay.rowPatternPos;
    current.tick = replay.counter;
    current.speed = replay.speed;
    current.bpm = player->bpm;
    current.ended = global->moduleEnded;
    for (uint16 i = 0; i < parsers.size(); i++)
        RecordChannel(i, current.channels[i]);
    return current;
}


void
TraceRecorder::RecordChannel(uint16 i, TraceChannel& out)
{
    RVChannelParser* parser = parsers[i];
    out.told = parser->Flags();
    out.triggered = (out.told & RV_CHANNEL_TRIGGER) != 0 && (out.told & RV_CHANNEL_MUTE) == 0
        && parser->SampleAddress() != nullptr;
    if (out.triggered) {
        // The start is counted from the sample's own data, so a sample that plays from
        // its loop on shows how far in it starts.
        const Channel&   ch = player->Replay().channels[i];
        const ModuleView module = player->Module();
        const int8*      address =
            static_cast<const int8*>(parser->SampleAddress()) + parser->SampleStart();
        out.sample = ch.sampleNumber;
        out.start = parser->SampleStart();
        if (ch.sampleNumber != 0 && ch.sampleNumber <= module.sampleNum) {
            const Sample& smp = module.samples[ch.sampleNumber - 1];
            if (smp.data != nullptr && address >= smp.data && address <= smp.data + 2 * smp.length)
                out.start = uint32(address - smp.data);
        }
    } else {
        out.sample = 0;
        out.start = 0;
    }

    VINFO& voice = voices[i];
    parser->ParseInfo(&voice);
    out.length = voice.length;
    out.frequency = voice.frequency;
    out.volume = voice.volume;
    out.panning = voice.panning;
    out.looping = (voice.flags & VINFO_LOOP) != 0;
    out.loopStart = out.looping ? voice.loopStart : 0;
    out.loopLength = out.looping ? voice.loopEnd - voice.loopStart : 0;
    out.mute = !(voice.retrigger || voice.active);
}


std::string
RecordTicks(const std::string& path, uint32 maxTicks, std::vector<TraceTick>& ticks)
{
    TraceRecorder recorder;
    std::string   error = recorder.Load(path);
    if (!error.empty())
        return error;
    ticks.clear();
    for (uint32 t = 0; t < maxTicks; t++)
        ticks.push_back(recorder.Step());
    return "";
}


std::string
TraceModule(const std::string& path, uint32 maxTicks, bool json, std::ostream& out)
{
    TraceRecorder recorder;
    std::string   error = recorder.Load(path);
    if (!error.empty())
        return error;
    for (uint32 t = 0; t < maxTicks; t++) {
        const TraceTick& tick = recorder.Step();
        out << (json ? FormatJson(tick) : FormatText(tick)) << '\n';
    }
    return "";
}

}   // namespace zw
