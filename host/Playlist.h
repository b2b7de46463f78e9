// Playlists given among the input files: .m3u and .m3u8 lists, one path a line.
#ifndef HOST_PLAYLIST_H
#define HOST_PLAYLIST_H

#include <string>
#include <vector>

// True for a name ending in .m3u or .m3u8, in any case.
bool IsPlaylist(const std::string& path);

// The inputs with every playlist replaced by the files it lists, in order. Lines
// starting with '#' are comments (#EXTM3U and #EXTINF among them); blanks around a name
// are dropped; file:// URIs are percent-decoded; relative paths are taken from the
// list's folder; lists may name lists, up to a depth that stops a list naming itself.
// A list that cannot be read is reported and false is returned; the rest are still
// expanded.
bool ExpandPlaylists(const std::vector<std::string>& inputs, std::vector<std::string>& files);

// The path a playlist line names: a file:// URI decoded, else the line itself; empty
// for a URI of another scheme or host, or one badly encoded.
std::string PlaylistEntryPath(const std::string& line);

// What every command takes as its files: the inputs with their playlists expanded and
// the StarTracker companions (".nt" files) of modules among them left out, since the
// module reads its own. `ok` is false when a playlist could not be read.
std::vector<std::string> InputFiles(const std::vector<std::string>& inputs, bool& ok);

#endif
