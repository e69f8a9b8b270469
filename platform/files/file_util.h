// Small POSIX helpers shared by the file sources of the layer (layer-internal).
#pragma once
#include <cstddef>
#include <string>

namespace kvfile {
// The absolute, lexically normalised form of a path: "." and ".." folded, as the framework's
// full-path rule does. Bytes are kept as they are.
std::string FullPath(const std::string& path);
// The folder part of an absolute path ("/" for a file in the root).
std::string DirName(const std::string& full);
// Writes all n bytes, retrying after interruptions; false with errno set otherwise (a write
// that stores nothing counts as a full disk).
bool WriteAll(int fd, const char* p, size_t n);
}  // namespace kvfile
