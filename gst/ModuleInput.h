// The module as the element gathers it from upstream, and the path that hands it to the
// plug-in: the local file itself when upstream names one holding exactly these bytes (so
// ".nt" companions beside it are found), else a memory file.
#ifndef GST_MODULEINPUT_H
#define GST_MODULEINPUT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zwgst {

// A memory file holding `size` bytes: its descriptor (close-on-exec), or -1 with `error`
// set. The plug-in opens it by MemoryFilePath.
int         NewMemoryFile(const uint8_t* data, size_t size, std::string& error);
std::string MemoryFilePath(int descriptor);

class ModuleInput
{
public:
    // Modules are far smaller; anything larger is not one, or not worth holding.
    static const size_t kMaxBytes = size_t(64) << 20;

    ModuleInput() {}
    ~ModuleInput();
    ModuleInput(const ModuleInput&) = delete;
    ModuleInput& operator=(const ModuleInput&) = delete;

    void Reset();
    // False, keeping nothing more, once the module would exceed kMaxBytes.
    bool   Append(const uint8_t* data, size_t size);
    size_t Size() const { return bytes.size(); }

    // Where upstream read the bytes from, as its URI query answered; empty if unknown.
    void SetUri(const std::string& uri);
    // The file's name for messages: its local path, else the URI, else "the stream".
    std::string Name() const;

    // A path that opens the gathered module; empty with `error` set on failure. Stays
    // valid until Reset or destruction.
    std::string PlayPath(std::string& error);

private:
    bool LocalFileHoldsBytes() const;

    std::vector<uint8_t> bytes;
    std::string          uri;
    std::string          localPath;   // from a file:// URI
    int                  memoryFile = -1;
};

}   // namespace zwgst

#endif
