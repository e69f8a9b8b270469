// CFile::ReplaceContent and the path and write helpers shared by the layer's file sources.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/files/file.h"
#include "platform/files/file_util.h"

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

void CFile::ReplaceContent(const void* lpBuf, size_t nCount) {
    if (m_fd < 0) Throw(EBADF);
    if ((m_nOpenFlags & 3) == modeRead) Throw(EACCES);
    const char* p = static_cast<const char*>(lpBuf);
    struct stat st;
    if (fstat(m_fd, &st) != 0) Throw(errno);
    if (!S_ISREG(st.st_mode)) return ReplaceInPlace(p, nCount);

    // Replace the file the name led to when it was opened, not a symbolic link to it.
    const std::string& target = m_target;
    std::string dir = kvfile::DirName(target);
    // A hidden sibling named after the file, its name cut so that it stays within the
    // file system's limit on a name when the file's own name is near it.
    std::string base = target.substr(dir.size() == 1 ? 1 : dir.size() + 1).substr(0, 200);
    std::string temp = dir + "/." + base + ".XXXXXX";
    int fd = mkostemp(&temp[0], O_CLOEXEC);
    if (fd < 0) {
        // A folder we may not create files in, holding a file we may write: write in place.
        if (errno == EACCES || errno == EPERM) return ReplaceInPlace(p, nCount);
        Throw(errno);
    }
    // The new file takes the old one's permissions and owner, and the lock before anyone
    // can open it under the name.
    int err = 0;
    if (fchmod(fd, st.st_mode & 07777) != 0) err = errno;
    if (fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted unless privileged; the file then belongs to us, as a new file would.
    }
    int lockOp = LockOperation(m_nOpenFlags);
    if (!err && lockOp && flock(fd, lockOp | LOCK_NB) != 0) err = errno;
    if (!err && (!kvfile::WriteAll(fd, p, nCount) || fsync(fd) != 0)) err = errno;
    if (!err && rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err) {
        close(fd);
        unlink(temp.c_str());
        Throw(err);
    }
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);  // makes the rename itself durable; best effort
        close(dirFd);
    }
    close(m_fd);
    m_fd = fd;  // positioned after the new bytes
}

// Writes over the open file from offset 0 and cuts it to the new length. Space is reserved
// first, so a full disk is found before the old content is touched.
void CFile::ReplaceInPlace(const char* p, size_t nCount) {
    struct stat st;
    if (fstat(m_fd, &st) != 0) Throw(errno);
    bool bRegular = S_ISREG(st.st_mode);
    if (bRegular && (off_t)nCount > st.st_size &&
        fallocate(m_fd, FALLOC_FL_KEEP_SIZE, 0, (off_t)nCount) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS)
        Throw(errno);
    if (lseek(m_fd, 0, SEEK_SET) < 0) Throw(errno);
    if (!kvfile::WriteAll(m_fd, p, nCount)) Throw(errno);
    if (bRegular && ftruncate(m_fd, (off_t)nCount) != 0) Throw(errno);
    if (fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) Throw(errno);
}
