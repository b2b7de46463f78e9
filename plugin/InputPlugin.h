// The host player's side of an input plug-in: the record it shares with the plug-in and
// the abstract class it drives the plug-in through. The host includes this header too,
// so the layouts below are a binary contract: the host calls by virtual slot and reads
// the record by byte offset.
#ifndef PLUGIN_INPUTPLUGIN_H
#define PLUGIN_INPUTPLUGIN_H

#include <cstddef>

#include "beos/SupportDefs.h"

class BMimeType;

// Every block a plug-in delivers: 1024 frames of signed 16-bit interleaved stereo (left,
// right) at 44100 Hz, in the machine's byte order.
const int32 PLUGIN_SAMPLE_RATE = 44100;
const int32 PLUGIN_FRAME_BYTES = 4;
const int32 PLUGIN_BLOCK_FRAMES = 1024;
const int32 PLUGIN_BLOCK_BYTES = PLUGIN_BLOCK_FRAMES * PLUGIN_FRAME_BYTES;
// Host positions are thousandths of the song.
const int32 PLUGIN_POSITION_SCALE = 1000;

// The host's record of the file being played. The plug-in writes only the named fields;
// the reserved bytes belong to the host and are neither read nor written.
struct PlayerInfoStruct
{
    uint8 hostReserved1[100];
    int32 flags;         // the plug-in writes 29 (bits 0, 2, 3 and 4)
    int32 position;      // thousandths of the song, 0..1000
    int32 hostWord108;   // the plug-in writes 0
    int32 hostWord112;   // the plug-in writes 0
    int32 sampleRate;    // Hz of the delivered audio
    uint8 hostReserved2[4];
    bool  hostFlag124;   // the plug-in writes true
    uint8 hostReserved3[2];
    bool  hostFlag127;   // the plug-in writes false
};

static_assert(offsetof(PlayerInfoStruct, flags) == 100);
static_assert(offsetof(PlayerInfoStruct, position) == 104);
static_assert(offsetof(PlayerInfoStruct, hostWord108) == 108);
static_assert(offsetof(PlayerInfoStruct, hostWord112) == 112);
static_assert(offsetof(PlayerInfoStruct, sampleRate) == 116);
static_assert(offsetof(PlayerInfoStruct, hostFlag124) == 124);
static_assert(offsetof(PlayerInfoStruct, hostFlag127) == 127);
static_assert(sizeof(PlayerInfoStruct) == 128);
static_assert(sizeof(bool) == 1);

// Every operation is pure; the slot order is fixed (slot 1 is the destructor).
class InputPlugin
{
public:
    InputPlugin() : extensions(nullptr), description(nullptr), hostData(0) {}
    virtual ~InputPlugin() {}   //  1

    virtual void Init() = 0;                                                  //  2
    virtual void Cleanup() = 0;                                               //  3
    virtual bool About(bool query) = 0;                                       //  4
    virtual bool Prefs(bool query) = 0;                                       //  5
    virtual bool Edit(const char* path, bool query) = 0;                      //  6
    virtual bool GetMimeType(BMimeType* type, int index) = 0;                 //  7
    virtual bool IsOur(const char* path) = 0;                                 //  8
    virtual bool GetSongInfo(const char* path, PlayerInfoStruct* info) = 0;   //  9
    virtual void AbortPlaying() = 0;                                          // 10
    virtual void Pause(bool paused) = 0;                                      // 11
    virtual void NewSpeed(int32 speed) = 0;                                   // 12
    virtual void NewVolume(int32 volume) = 0;                                 // 13
    virtual bool InitPlaying(const char* path, PlayerInfoStruct* info) = 0;   // 14
    virtual int  GetAudio(char** buffer, int size) = 0;                       // 15
    virtual void JumpTo(int32 position) = 0;                                  // 16
    virtual void CleanupPlaying() = 0;                                        // 17

    InputPlugin(const InputPlugin&) = delete;
    InputPlugin& operator=(const InputPlugin&) = delete;

    const char* extensions;    // file extension the plug-in plays
    const char* description;   // shown by the host
    int32       hostData;      // the host's; the plug-in only clears it
};

// The add-on's one exported entry: stores the interface version it speaks (2) in
// *version and returns a new plug-in object, which then belongs to the host.
extern "C" InputPlugin* NewPlugin(int32* version);

#endif
