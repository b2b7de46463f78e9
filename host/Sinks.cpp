#include "host/Sinks.h"

#include <fcntl.h>
#include <sndfile.h>
#include <soxr.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/SharedLibrary.h"
#include "hostlib/ModuleText.h"
#include "plugin/InputPlugin.h"

namespace fs = std::filesystem;

namespace {

struct SoundFileFunctions
{
    static constexpr const char* kSoname = ZW_SNDFILE_SONAME;

    decltype(&::sf_open_fd)      open_fd;
    decltype(&::sf_writef_short) writef_short;
    decltype(&::sf_close)        close;
    decltype(&::sf_strerror)     strerror;
    decltype(&::sf_error_number) error_number;
    decltype(&::sf_set_string)   set_string;

    bool Bind(SharedLibrary& library, std::string& error)
    {
        return library.Find(open_fd, "sf_open_fd", error)
            && library.Find(writef_short, "sf_writef_short", error)
            && library.Find(close, "sf_close", error)
            && library.Find(strerror, "sf_strerror", error)
            && library.Find(error_number, "sf_error_number", error)
            && library.Find(set_string, "sf_set_string", error);
    }
};

struct SoxrFunctions
{
    static constexpr const char* kSoname = ZW_SOXR_SONAME;

    decltype(&::soxr_create)       create;
    decltype(&::soxr_process)      process;
    decltype(&::soxr_delete)       destroy;
    decltype(&::soxr_io_spec)      io_spec;
    decltype(&::soxr_quality_spec) quality_spec;

    bool Bind(SharedLibrary& library, std::string& error)
    {
        return library.Find(create, "soxr_create", error)
            && library.Find(process, "soxr_process", error)
            && library.Find(destroy, "soxr_delete", error)
            && library.Find(io_spec, "soxr_io_spec", error)
            && library.Find(quality_spec, "soxr_quality_spec", error);
    }
};

// The mode a plain create would give, read once: umask can only be read by setting it.
mode_t
CreateMode()
{
    static const mode_t mode = [] {
        mode_t mask = umask(0);
        umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

// Renames without replacing an existing file, where the file system allows it.
bool
RenameInPlace(const std::string& from, const std::string& to, bool replace)
{
    if (replace)
        return rename(from.c_str(), to.c_str()) == 0;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (link(from.c_str(), to.c_str()) != 0)
        return false;
    unlink(from.c_str());
    return true;
}

// libsndfile's text for a failure; a system error is given in the system's words alone,
// without the library's "System error : " and its full stop.
std::string
SoundFileError(std::string text)
{
    const std::string prefix = "System error : ";
    if (text.rfind(prefix, 0) == 0) {
        text.erase(0, prefix.size());
        if (!text.empty() && text.back() == '.')
            text.pop_back();
    }
    return text;
}

class SoundFileSink : public Sink
{
public:
    SoundFileSink(const SoundFileFunctions& sf, SNDFILE* file, const std::string& temporary,
        const std::string& path, bool replace)
        : sf(sf), file(file), temporary(temporary), path(path), replace(replace)
    {
    }

    ~SoundFileSink() override
    {
        if (file == nullptr)
            return;
        sf.close(file);
        unlink(temporary.c_str());
    }

    bool Write(const int16_t* data, int count, std::string& error) override
    {
        if (sf.writef_short(file, data, count) != count) {
            error = SoundFileError(sf.strerror(file));
            return false;
        }
        frames += count;
        return true;
    }

    bool Finish(std::string& error) override
    {
        int result = sf.close(file);
        file = nullptr;
        if (result != 0) {
            error = SoundFileError(sf.error_number(result));
        } else if (!RenameInPlace(temporary, path, replace)) {
            error =
                errno == EEXIST ? "the file appeared while rendering; it is kept" : strerror(errno);
            result = 1;
        }
        if (result != 0)
            unlink(temporary.c_str());
        return result == 0;
    }

private:
    const SoundFileFunctions& sf;
    SNDFILE*                  file;
    std::string               temporary;
    std::string               path;
    bool                      replace;
};

// Frames are gathered into large writes: a pipe or /dev/null takes each fwrite of a
// plug-in block as a system call of its own, which cost as much as the rendering.
class RawSink : public Sink
{
public:
    explicit RawSink(FILE* out) : out(out) { bytes.reserve(kBufferBytes); }

    bool Write(const int16_t* data, int count, std::string& error) override
    {
        // The plug-in delivers the machine's byte order; raw output is little-endian.
        if constexpr (std::endian::native == std::endian::little) {
            const uint8_t* from = reinterpret_cast<const uint8_t*>(data);
            bytes.insert(bytes.end(), from, from + size_t(count) * PLUGIN_FRAME_BYTES);
        } else {
            for (int i = 0; i < count * 2; i++) {
                bytes.push_back((uint8_t)(data[i] & 0xff));
                bytes.push_back((uint8_t)((uint16_t)data[i] >> 8));
            }
        }
        frames += count;
        return bytes.size() < kBufferBytes || Flush(error);
    }

    bool Finish(std::string& error) override
    {
        if (!Flush(error))
            return false;
        if (fflush(out) == 0)
            return true;
        error = strerror(errno);
        return false;
    }

private:
    static constexpr size_t kBufferBytes = 1 << 18;

    bool Flush(std::string& error)
    {
        const bool written = fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        bytes.clear();
        if (!written)
            error = strerror(errno);
        return written;
    }

    FILE*                out;
    std::vector<uint8_t> bytes;
};

class Resampler : public Sink
{
public:
    Resampler(const SoxrFunctions& functions, std::unique_ptr<Sink> next, soxr_t soxr, int rate)
        : functions(functions), next(std::move(next)), soxr(soxr), rate(rate)
    {
    }
    ~Resampler() override { functions.destroy(soxr); }

    bool Write(const int16_t* data, int count, std::string& error) override
    {
        return Convert(data, count, error);
    }

    // No input flushes what the converter still holds.
    bool Finish(std::string& error) override
    {
        return Convert(nullptr, 0, error) && next->Finish(error);
    }

private:
    bool Convert(const int16_t* data, int count, std::string& error)
    {
        size_t capacity = size_t(count) * rate / PLUGIN_SAMPLE_RATE + 256;
        converted.resize(2 * capacity);
        size_t used = 0;
        do {
            size_t       consumed = 0, made = 0;
            soxr_error_t failure =
                functions.process(soxr, data == nullptr ? nullptr : data + 2 * used,
                    size_t(count) - used, &consumed, converted.data(), capacity, &made);
            if (failure != nullptr) {
                error = failure;
                return false;
            }
            used += consumed;
            if (made > 0 && !next->Write(converted.data(), int(made), error))
                return false;
            frames += int64_t(made);
            if (made == 0 && (data == nullptr || consumed == 0))
                return true;
        } while (data == nullptr || used < size_t(count));
        return true;
    }

    const SoxrFunctions&  functions;
    std::unique_ptr<Sink> next;
    soxr_t                soxr;
    int                   rate;
    std::vector<int16_t>  converted;
};

std::string
Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

void
SetTags(const SoundFileFunctions& sf, SNDFILE* file, int format, const ModuleTags& tags)
{
    int major = format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_FLAC && major != SF_FORMAT_OGG)
        return;
    if (!tags.title.empty())
        sf.set_string(file, SF_STR_TITLE, tags.title.c_str());
    if (!tags.comment.empty())
        sf.set_string(file, SF_STR_COMMENT, tags.comment.c_str());
}

}   // namespace

int
FormatForExtension(const std::string& extension)
{
    std::string name = Lower(extension);
    if (!name.empty() && name[0] == '.')
        name.erase(0, 1);
    if (name == "wav")
        return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    if (name == "flac")
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    if (name == "ogg")
        return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    return 0;
}

std::unique_ptr<Sink>
OpenSoundFile(const std::string& path, int format, int rate, bool replace, const ModuleTags& tags,
    std::string& error)
{
    const SoundFileFunctions* sf = LoadLibrary<SoundFileFunctions>(error);
    if (sf == nullptr)
        return nullptr;
    fs::path    target(path);
    fs::path    folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    int         fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = strerror(errno);
        return nullptr;
    }
    fchmod(fd, CreateMode());
    SF_INFO info;
    memset(&info, 0, sizeof(info));
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    SNDFILE* file = sf->open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (file == nullptr) {
        error = SoundFileError(sf->strerror(nullptr));
        close(fd);
        unlink(temporary.c_str());
        return nullptr;
    }
    SetTags(*sf, file, format, tags);
    return std::make_unique<SoundFileSink>(*sf, file, temporary, path, replace);
}

std::unique_ptr<Sink>
OpenRawOutput(FILE* out)
{
    return std::make_unique<RawSink>(out);
}

std::unique_ptr<Sink>
OpenResampler(std::unique_ptr<Sink> next, int rate, std::string& error)
{
    const SoxrFunctions* functions = LoadLibrary<SoxrFunctions>(error);
    if (functions == nullptr)
        return nullptr;
    soxr_error_t   failure = nullptr;
    soxr_io_spec_t io = functions->io_spec(SOXR_INT16_I, SOXR_INT16_I);
    // The converter's dither is seeded from the clock: without it the same render gives
    // the same file every time.
    io.flags |= SOXR_NO_DITHER;
    soxr_quality_spec_t quality = functions->quality_spec(SOXR_HQ, 0);
    soxr_t soxr = functions->create(PLUGIN_SAMPLE_RATE, rate, 2, &failure, &io, &quality, nullptr);
    if (failure != nullptr) {
        error = failure;
        return nullptr;
    }
    return std::make_unique<Resampler>(*functions, std::move(next), soxr, rate);
}
