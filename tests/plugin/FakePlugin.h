// A plug-in whose player plays a made-up format, so that the playback control can be
// driven through every path: files start with "FAKE" and one byte of song length.
// The player moves one position every `ticksPerPosition` ticks and calls ModuleEnds
// when it wraps around, as a module player does at the end of the song.
#ifndef TESTS_PLUGIN_FAKEPLUGIN_H
#define TESTS_PLUGIN_FAKEPLUGIN_H

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/RVAddOnPlayer.h"
#include "framework/RVChannel.h"
#include "framework/RVGlobal.h"
#include "plugin/MyPlugin.h"
#include "support/PException.h"
#include "support/PFile.h"

struct FakeScript
{
    int32 loadResult = 0;
    bool  initPlayerResult = true;
    bool  throwInInitSound = false;
    bool  throwInPlay = false;
    int   ticksPerPosition = 2;
    int   forcedSongLength = -1;   // -1: the length the file gives
    bool  noPlayer = false;        // NewPlayer yields nothing

    std::vector<std::string> calls;
    std::vector<int16>       positionsSet;
    int                      playersAlive = 0;
};

class FakePlayer : public RVAddOnPlayer
{
public:
    FakePlayer(RVGlobalData* global, FakeScript* script) : RVAddOnPlayer(global), script(script)
    {
        script->playersAlive++;
    }
    ~FakePlayer() override { script->playersAlive--; }

    PString GetName(uint32) override { return "Fake"; }
    PString GetDescription(uint32) override { return "Test format"; }
    uint32  GetCount() override { return 3; }

    // Type 2 is the fake format; the others never match.
    int32 ModuleCheck(uint32 index, PFile* file) override
    {
        Log("ModuleCheck");
        char head[5] = {};
        file->SeekToBegin();
        file->Read(head, 4);
        return index == 2 && std::string(head) == "FAKE" ? 0 : 2;
    }

    int32 LoadModule(uint32 index, PFile* file) override
    {
        Log("LoadModule " + std::to_string(index) + " @" + std::to_string(file->GetPosition()));
        file->Seek(4, PFile::pSeekBegin);
        songLength = file->Read_UINT8();
        if (script->forcedSongLength >= 0)
            songLength = (int16)script->forcedSongLength;
        return script->loadResult;
    }

    int32 ExtraLoad(PString) override
    {
        Log("ExtraLoad");
        return 0;
    }
    bool InitPlayer() override
    {
        Log("InitPlayer");
        return script->initPlayerResult;
    }
    void EndPlayer() override { Log("EndPlayer"); }
    void EndSound() override { Log("EndSound"); }

    void InitSound(uint16 subSong) override
    {
        Log("InitSound " + std::to_string(subSong)
            + (virtualChannels != nullptr ? " with channels" : " without channels"));
        if (script->throwInInitSound)
            ThrowFileException(P_FILE_ERR_EOF, "fake");
    }

    int32 Play() override
    {
        if (script->throwInPlay)
            throw std::runtime_error("fault inside a tick");
        virtualChannels[0]->SetVolume(256);
        if (++tick % script->ticksPerPosition == 0 && ++position >= songLength) {
            position = 0;
            ModuleEnds();
        }
        return 0;
    }

    int16 GetSongLength() override { return songLength; }
    int16 GetSongPosition() override { return position; }
    void  SetSongPosition(int16 pos) override
    {
        script->positionsSet.push_back(pos);
        position = pos;
    }

private:
    void Log(const std::string& call) { script->calls.push_back(call); }

    FakeScript* script;
    int16       songLength = 0;
    int16       position = 0;
    int         tick = 0;
};

class FakePlugin : public MyPlugin
{
public:
    // The playback must end while the script it writes to still exists.
    ~FakePlugin() override { CleanupPlaying(); }

    FakeScript script;

protected:
    RVAddOnPlayer* NewPlayer(RVGlobal* global) override
    {
        return script.noPlayer ? nullptr : new FakePlayer(global, &script);
    }
};

#endif
