// Small POSIX helpers shared by the CFile sources (layer-internal).
#pragma once
#include <cstddef>
#include <string>

namespace kvfile {
// The folder part of an absolute path ("/" for a file in the root).
std::string DirName(const std::string& full);
// Writes all n bytes, retrying after interruptions; false with errno set otherwise (a write
// that stores nothing counts as a full disk).
bool WriteAll(int fd, const char* p, size_t n);
}  // namespace kvfile
