// The player's own format detection on the first bytes of a file, for hosts that see a
// file only through a window (a GStreamer typefinder peeks; it does not read files).
#ifndef HOSTLIB_DETECTION_H
#define HOSTLIB_DETECTION_H

#include <cstddef>
#include <cstdint>

// How far into a file detection reads: the header up to the mark at offset 1080, and at
// most the 256 patterns (1024 bytes each from offset 1084) that positions can name.
const int64_t kDetectionReach = 1084 + 256 * 1024;

// The module type 0..7 that the player detects in a file `length` bytes long whose first
// `count` bytes are `bytes`, or -1. Detection looks at no byte past kDetectionReach; the
// bytes between `count` and there read as zero.
int DetectModuleType(const uint8_t* bytes, size_t count, int64_t length);

#endif
