#include "host/Playlist.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "hostlib/ModuleFacts.h"
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

bool
Blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::string
Trimmed(const std::string& line)
{
    size_t first = 0, last = line.size();
    while (first < last && Blank(line[first]))
        first++;
    while (last > first && Blank(line[last - 1]))
        last--;
    return line.substr(first, last - first);
}

int
HexValue(char c)
{
    return isdigit((unsigned char)c) ? c - '0'
        : isxdigit((unsigned char)c) ? tolower((unsigned char)c) - 'a' + 10
                                     : -1;
}

// "%20" and the like as bytes; empty when an escape is cut or no escape.
std::string
PercentDecoded(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != '%') {
            bytes += text[i];
            continue;
        }
        int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return "";
        bytes += (char)(high * 16 + low);
        i += 2;
    }
    return bytes;
}

// A name a companion file may have: "song.nt" or "nt.song" in any case.
bool
MayBeCompanion(const std::string& path)
{
    std::string leaf = Lower(fs::path(path).filename().string());
    return (leaf.size() > 3 && leaf.compare(leaf.size() - 3, 3, ".nt") == 0)
        || leaf.rfind("nt.", 0) == 0;
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
        line = Trimmed(line);
        if (line.empty() || line[0] == '#')
            continue;
        fs::path entry = PlaylistEntryPath(line);
        if (entry.empty()) {
            ReportError(list + ": " + line + ": not a file on this machine");
            ok = false;
            continue;
        }
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

std::string
PlaylistEntryPath(const std::string& line)
{
    const std::string scheme = "file://";
    if (Lower(line.substr(0, scheme.size())) != scheme)
        return line.find("://") == std::string::npos ? line : "";
    // file:///path, or file://localhost/path; no other host is this machine.
    std::string rest = line.substr(scheme.size());
    size_t      slash = rest.find('/');
    std::string host = Lower(rest.substr(0, slash));
    if (slash == std::string::npos || (!host.empty() && host != "localhost"))
        return "";
    return PercentDecoded(rest.substr(slash));
}

std::vector<std::string>
InputFiles(const std::vector<std::string>& inputs, bool& ok)
{
    std::vector<std::string> files;
    ok = ExpandPlaylists(inputs, files);
    bool companions = false;
    for (const std::string& file : files)
        companions |= MayBeCompanion(file);
    if (!companions)
        return files;
    // Only the modules know their companions' names, so each says which it read.
    std::vector<std::string> read;
    for (const std::string& file : files) {
        if (MayBeCompanion(file))
            continue;
        ModuleFacts facts = ReadModuleFacts(file);
        if (facts.companion)
            read.push_back(*facts.companion);
    }
    std::vector<std::string> kept;
    for (const std::string& file : files) {
        bool            companion = false;
        std::error_code error;
        for (const std::string& other : read)
            companion |= MayBeCompanion(file) && fs::equivalent(file, other, error);
        // A module named like a companion ("nt.mod") is still played.
        if (!companion || ReadModuleFacts(file).type)
            kept.push_back(file);
    }
    return kept;
}
