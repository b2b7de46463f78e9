// Playlists given among the input files: .m3u and .m3u8 lists, one path a line.
#ifndef HOST_PLAYLIST_H
#define HOST_PLAYLIST_H

#include <string>
#include <vector>

// True for a name ending in .m3u or .m3u8, in any case.
bool IsPlaylist(const std::string& path);

// The inputs with every playlist replaced by the files it lists, in order. Lines
// starting with '#' are comments; relative paths are taken from the list's folder;
// lists may name lists, up to a depth that stops a list naming itself. A list that
// cannot be read is reported and false is returned; the rest are still expanded.
bool ExpandPlaylists(const std::vector<std::string>& inputs, std::vector<std::string>& files);

#endif
