// Path and write helpers shared by the layer's file sources.
#include "platform/files/file_util.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <vector>

namespace kvfile {
std::string FullPath(const std::string& path) {
    std::string abs = path;
    if (abs.empty() || abs[0] != '/') {
        char cwd[PATH_MAX];
        abs = std::string(getcwd(cwd, sizeof cwd) ? cwd : ".") + "/" + path;
    }
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= abs.size()) {
        size_t j = abs.find('/', i);
        if (j == std::string::npos) j = abs.size();
        std::string part = abs.substr(i, j - i);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        i = j + 1;
    }
    std::string out;
    for (const std::string& part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string DirName(const std::string& full) {
    size_t slash = full.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : full.substr(0, slash);
}

bool WriteAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) {
            errno = ENOSPC;
            return false;
        }
        p += w;
        n -= (size_t)w;
    }
    return true;
}
}  // namespace kvfile
