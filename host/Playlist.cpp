#include "host/Playlist.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "hostlib/PluginHost.h"

namespace fs = std::filesystem;

namespace {

const int kMaxDepth = 8;

std::string
Lower(std::string text)
{
    for (char& c : text)
        c = (char)tolower((unsigned char)c);
    return text;
}

bool Expand(const std::string& path, int depth, std::vector<std::string>& files);

bool
ReadList(const std::string& list, int depth, std::vector<std::string>& files)
{
    std::string   reason = UnreadableReason(list);
    std::ifstream in(list, std::ios::binary);
    if (!reason.empty() || !in) {
        ReportError(
            list + ": cannot read the playlist: " + (reason.empty() ? strerror(errno) : reason));
        return false;
    }
    if (depth >= kMaxDepth) {
        ReportError(list + ": playlists nest too deeply (does a list name itself?)");
        return false;
    }
    fs::path    folder = fs::path(list).parent_path();
    bool        ok = true;
    std::string line;
    for (bool first = true; std::getline(in, line); first = false) {
        if (first && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);   // a byte-order mark
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        fs::path entry = line;
        if (entry.is_relative())
            entry = folder / entry;
        ok &= Expand(entry.string(), depth + 1, files);
    }
    return ok;
}

bool
Expand(const std::string& path, int depth, std::vector<std::string>& files)
{
    if (!IsPlaylist(path)) {
        files.push_back(path);
        return true;
    }
    return ReadList(path, depth, files);
}

}   // namespace

bool
IsPlaylist(const std::string& path)
{
    std::string extension = Lower(fs::path(path).extension().string());
    return extension == ".m3u" || extension == ".m3u8";
}

bool
ExpandPlaylists(const std::vector<std::string>& inputs, std::vector<std::string>& files)
{
    bool ok = true;
    for (const std::string& input : inputs)
        ok &= Expand(input, 0, files);
    return ok;
}
