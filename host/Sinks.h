// Where rendered frames go: a sound file put in place only when it is whole, raw PCM
// on standard output, and a rate converter in front of either.
#ifndef HOST_SINKS_H
#define HOST_SINKS_H

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct ModuleTags;

class Sink
{
public:
    virtual ~Sink() {}
    // Each returns false with `error` set when writing failed.
    virtual bool Write(const int16_t* frames, int count, std::string& error) = 0;
    // Completes the output; without it a sound file is left nowhere.
    virtual bool Finish(std::string& error) = 0;
    // Frames written so far, at the output's rate.
    int64_t Frames() const { return frames; }

protected:
    int64_t frames = 0;
};

// libsndfile's major format and subtype for "wav", "flac" or "ogg" (in any case, with
// or without the dot), else 0.
int FormatForExtension(const std::string& extension);

// A sound file of `format` at `rate`, stereo, written under a hidden temporary name in
// the folder of `path` and renamed to `path` by Finish: an existing file is replaced
// only when `replace` is set, and a failed render leaves nothing. FLAC and Ogg files
// carry the tags.
std::unique_ptr<Sink> OpenSoundFile(const std::string& path, int format, int rate, bool replace,
    const ModuleTags& tags, std::string& error);
// Signed 16-bit little-endian frames on `out`.
std::unique_ptr<Sink> OpenRawOutput(FILE* out);
// Converts from the plug-in's rate to `rate` and passes the result on to `next`.
std::unique_ptr<Sink> OpenResampler(std::unique_ptr<Sink> next, int rate, std::string& error);

#endif
