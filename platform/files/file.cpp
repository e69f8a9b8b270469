#include "platform/files/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/files/file_util.h"
#include "platform/text/gbk.h"

namespace {
// The name as readable UTF-8: valid sequences as they are, any other byte as U+FFFD.
std::string ReadableName(const std::string& name) {
    std::string out;
    size_t i = 0;
    while (i < name.size()) {
        unsigned char c = (unsigned char)name[i];
        size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        char32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        bool bValid = n > 0 && i + n <= name.size();
        for (size_t k = 1; bValid && k < n; k++) {
            unsigned char t = (unsigned char)name[i + k];
            bValid = (t >> 6) == 2;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8 either.
        static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (bValid && (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)))
            bValid = false;
        if (bValid) {
            out.append(name, i, n);
            i += n;
        } else {
            AppendUtf8(out, 0xFFFD);
            i++;
        }
    }
    return out;
}
}  // namespace

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

CFileException::CFileException(int cause, LONG lOsError, LPCSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

int CFileException::OsErrorToCause(int nErrno) {
    switch (nErrno) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case ESPIPE:
            return badSeek;
        case EIO:
            return hardIO;
        case EWOULDBLOCK:
        case ETXTBSY:
            return sharingViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        default:
            return genericException;
    }
}

std::string CFileException::GetErrorMessageUtf8() const {
    std::string name = ReadableName(std::string(m_strFileName.GetString()));
    if (name.empty()) name = "未知文件";
    switch (m_cause) {
        case fileNotFound:
            return "找不到 " + name + "。";
        case badPath:
            return name + " 的路径无效。";
        case tooManyOpenFiles:
            return "打开的文件太多，无法打开 " + name + "。";
        case accessDenied:
            return "拒绝访问 " + name + "。";
        case invalidFile:
            return "对 " + name + " 使用了无效的文件句柄。";
        case directoryFull:
            return "目录已满，无法创建 " + name + "。";
        case badSeek:
            return "在 " + name + " 中定位失败。";
        case hardIO:
            return "访问 " + name + " 时发生硬件 I/O 错误。";
        case sharingViolation:
            return name + " 正被其他程序使用，无法访问。";
        case lockViolation:
            return name + " 中要锁定的区域已被锁定。";
        case diskFull:
            return "磁盘已满，无法写入 " + name + "。";
        case endOfFile:
            return "试图越过 " + name + " 的结尾进行访问。";
        default:
            return "访问 " + name + " 时发生未知错误。";
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
    int fd = OpenOwnLinks(path, flags, m_target);
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
        if (err) close(fd);
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

ULONGLONG CFile::GetPosition() const {
    off_t pos = lseek(m_fd, 0, SEEK_CUR);
    if (pos < 0) Throw(errno);
    return (ULONGLONG)pos;
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

void CFile::SetLength(ULONGLONG dwNewLen) {
    if (ftruncate(m_fd, (off_t)dwNewLen) != 0) Throw(errno);
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
