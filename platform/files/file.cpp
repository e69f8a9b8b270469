// CFile: opening with the user's own links followed, reading, writing, seeking, closing, and
// replacing the whole content safely.
#include "platform/files/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/files/file_util.h"

int CFile::LockOperation(UINT nOpenFlags) {
    switch (nOpenFlags & 0x70) {
        case shareDenyNone:
            return 0;
        case shareDenyWrite:
            return LOCK_SH;
        default:
            return LOCK_EX;
    }
}

CFile::CFile() = default;

CFile::CFile(LPCSTR lpszFileName, UINT nOpenFlags) {
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error)) throw new CFileException(error);
}

CFile::~CFile() { Abort(); }

int CFile::OpenOwnLinks(const std::string& path, int flags, std::string& target) {
    target = path;
    for (int nLinks = 0; nLinks < 40; nLinks++) {
        int fd = open(target.c_str(), flags | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != ELOOP) return fd;
        // The last part is a link (or a folder on the way loops). The link is read through a
        // handle of its own, so the one whose owner was checked is the one followed.
        int link = open(target.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (link < 0) return -1;
        struct stat st;
        char to[PATH_MAX];
        ssize_t n = -1;
        int err = ELOOP;
        if (fstatat(link, "", &st, AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW) != 0) {
            err = errno;
        } else if (S_ISLNK(st.st_mode)) {
            if (st.st_uid != geteuid()) {
                err = EACCES;
            } else if ((n = readlinkat(link, "", to, sizeof to)) < 0) {
                err = errno;
            } else if ((size_t)n == sizeof to) {
                n = -1;
                err = ENAMETOOLONG;
            }
        }
        close(link);
        if (n <= 0) {
            errno = n == 0 ? ENOENT : err;
            return -1;
        }
        std::string next(to, (size_t)n);
        target = next[0] == '/' ? next : kvfile::DirName(target) + "/" + next;
    }
    errno = ELOOP;
    return -1;
}

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    std::string path = kvfile::FullPath(lpszFileName ? lpszFileName : "");
    m_strFileName = CString(path.c_str());
    m_nOpenFlags = nOpenFlags;

    // Non-blocking while opening, so a FIFO without a reader or a device waiting for its
    // carrier does not hold the program up.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    switch (nOpenFlags & 3) {
        case modeWrite:
            flags |= O_WRONLY;
            break;
        case modeReadWrite:
            flags |= O_RDWR;
            break;
        default:
            flags |= O_RDONLY;
    }
    // Never truncate before the lock is ours: a file held by another program stays intact.
    if (nOpenFlags & modeCreate) flags |= O_CREAT;
    int lockOp = LockOperation(nOpenFlags);

    int err = 0;
    int cause = -1;  // the cause of err unless set
    // A file that does not exist yet is made with O_EXCL, so that the opening knows it made
    // it; anything else at the name goes through the link rule.
    m_bCreated = false;
    int fd = -1;
    if (flags & O_CREAT) fd = open(path.c_str(), flags | O_EXCL | O_NOFOLLOW, 0666);
    if (fd >= 0) {
        m_target = path;
        m_bCreated = true;
    } else {
        fd = OpenOwnLinks(path, flags, m_target);
    }
    if (fd < 0) {
        err = errno;
    } else {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            err = errno;
        } else if (S_ISDIR(st.st_mode)) {
            err = EISDIR;
        } else if ((nOpenFlags & modeCreate) && !S_ISREG(st.st_mode)) {
            // A FIFO or device holds no content to create or keep, and writing to it may
            // wait for a reader for ever. (A FIFO without a reader fails above, ENXIO.)
            err = EINVAL;
            cause = CFileException::accessDenied;
        } else if (lockOp && flock(fd, lockOp | LOCK_NB) != 0) {
            err = errno;
        } else if ((nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate) && st.st_size > 0 &&
                   ftruncate(fd, 0) != 0) {
            err = errno;
        } else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
            err = errno;
        }
        if (err) {
            close(fd);
            m_bCreated = false;
        }
    }
    if (err) {
        if (pError) {
            if (err == ENXIO && (nOpenFlags & modeCreate)) cause = CFileException::accessDenied;
            if (cause < 0) cause = CFileException::OsErrorToCause(err);
            if (err == ENOENT && access(kvfile::DirName(path).c_str(), F_OK) != 0)
                cause = CFileException::badPath;
            *pError = CFileException(cause, err, m_strFileName);
        }
        return FALSE;
    }
    m_fd = fd;
    return TRUE;
}

void CFile::Throw(int nErrno) const {
    throw new CFileException(CFileException::OsErrorToCause(nErrno), nErrno, m_strFileName);
}

ULONGLONG CFile::GetLength() const {
    struct stat st;
    if (fstat(m_fd, &st) != 0) Throw(errno);
    return (ULONGLONG)st.st_size;
}

BOOL CFile::IsRegularFile() const {
    struct stat st;
    if (fstat(m_fd, &st) != 0) Throw(errno);
    return S_ISREG(st.st_mode) ? TRUE : FALSE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
    char* p = static_cast<char*>(lpBuf);
    UINT nDone = 0;
    while (nDone < nCount) {
        ssize_t r = read(m_fd, p + nDone, nCount - nDone);
        if (r < 0) {
            if (errno == EINTR) continue;
            Throw(errno);
        }
        if (r == 0) break;
        nDone += (UINT)r;
    }
    return nDone;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
    if (!kvfile::WriteAll(m_fd, static_cast<const char*>(lpBuf), nCount)) Throw(errno);
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
    int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
    off_t pos = lseek(m_fd, (off_t)lOff, whence);
    if (pos < 0) {
        throw new CFileException(CFileException::badSeek, errno, m_strFileName);
    }
    return (ULONGLONG)pos;
}

void CFile::Flush() {
    if (m_fd >= 0 && fsync(m_fd) != 0 && errno != EINVAL) Throw(errno);
}

void CFile::Close() {
    if (m_fd < 0) return;
    int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0 && errno != EINTR) Throw(errno);
}

void CFile::Abort() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

CString CFile::GetFileName() const {
    INT_PTR slash = -1;
    for (INT_PTR i = 0; i < m_strFileName.GetLength(); i++) {
        if (m_strFileName[i] == '/') slash = i;
    }
    return m_strFileName.Mid(slash + 1);
}

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
        int err = errno;
        RemoveIfCreatedEmpty();
        Throw(err);
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
        RemoveIfCreatedEmpty();
        Throw(err);
    }
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);  // makes the rename itself durable; best effort
        close(dirFd);
    }
    close(m_fd);
    m_fd = fd;  // positioned after the new bytes
    m_bCreated = false;
}

// A failed save leaves nothing behind that it made: the file this opening created is removed
// while it is still empty and still under its name.
void CFile::RemoveIfCreatedEmpty() {
    struct stat own, named;
    if (!m_bCreated || fstat(m_fd, &own) != 0 || own.st_size != 0) return;
    if (lstat(m_target.c_str(), &named) == 0 && named.st_dev == own.st_dev &&
        named.st_ino == own.st_ino)
        unlink(m_target.c_str());
    m_bCreated = false;
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
