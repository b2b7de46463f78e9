#include "gst/ModuleInput.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include <glib.h>

namespace zwgst {

int
NewMemoryFile(const uint8_t* data, size_t size, std::string& error)
{
    int fd = memfd_create("zarnowelle-module", MFD_CLOEXEC);
    if (fd < 0) {
        error = std::string("cannot make a memory file: ") + strerror(errno);
        return -1;
    }
    size_t done = 0;
    while (done < size) {
        ssize_t count = write(fd, data + done, size - done);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            error = std::string("cannot write a memory file: ") + strerror(errno);
            close(fd);
            return -1;
        }
        done += size_t(count);
    }
    return fd;
}

std::string
MemoryFilePath(int descriptor)
{
    return "/proc/self/fd/" + std::to_string(descriptor);
}

ModuleInput::~ModuleInput() { Reset(); }

void
ModuleInput::Reset()
{
    std::vector<uint8_t>().swap(bytes);
    uri.clear();
    localPath.clear();
    if (memoryFile >= 0)
        close(memoryFile);
    memoryFile = -1;
}

bool
ModuleInput::Append(const uint8_t* data, size_t size)
{
    if (size > kMaxBytes - bytes.size())
        return false;
    bytes.insert(bytes.end(), data, data + size);
    return true;
}

void
ModuleInput::SetUri(const std::string& value)
{
    uri = value;
    localPath.clear();
    gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
    if (path != nullptr)
        localPath = path;
    g_free(path);
}

std::string
ModuleInput::Name() const
{
    if (!localPath.empty())
        return localPath;
    return uri.empty() ? "the stream" : uri;
}

// Something between the file and us (a decompressor) would make the file a different
// module from the one that arrived.
bool
ModuleInput::LocalFileHoldsBytes() const
{
    if (localPath.empty())
        return false;
    std::ifstream file(localPath, std::ios::binary);
    char          chunk[65536];
    size_t        done = 0;
    while (file.read(chunk, sizeof(chunk)) || file.gcount() > 0) {
        size_t count = size_t(file.gcount());
        if (count > bytes.size() - done || memcmp(chunk, bytes.data() + done, count) != 0)
            return false;
        done += count;
    }
    return file.eof() && done == bytes.size();
}

std::string
ModuleInput::PlayPath(std::string& error)
{
    if (memoryFile < 0 && LocalFileHoldsBytes())
        return localPath;
    if (memoryFile < 0)
        memoryFile = NewMemoryFile(bytes.data(), bytes.size(), error);
    return memoryFile < 0 ? "" : MemoryFilePath(memoryFile);
}

}   // namespace zwgst
