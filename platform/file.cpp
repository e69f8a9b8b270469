#include "file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "file_util.h"
#include "gbk.h"

// The absolute, lexically normalised form of a path ("." and ".." folded, as the framework's
// full-path rule does).
std::string CFile::FullPath(const std::string& path) {
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
    std::string name = !m_pathUtf8.empty() ? m_pathUtf8 : GbkToUtf8(m_strFileName);
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

BOOL CFile::Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
    Abort();
    m_pathUtf8 = FullPath(GbkToUtf8(CString(lpszFileName)));
    m_strFileName = Utf8ToGbk(m_pathUtf8);
    m_nOpenFlags = nOpenFlags;

    int flags = O_CLOEXEC | O_NOCTTY;
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
    int fd = open(m_pathUtf8.c_str(), flags, 0666);
    if (fd < 0) {
        err = errno;
    } else {
        struct stat st;
        if (fstat(fd, &st) != 0) {
            err = errno;
        } else if (S_ISDIR(st.st_mode)) {
            err = EISDIR;
        } else if (lockOp && flock(fd, lockOp | LOCK_NB) != 0) {
            err = errno;
        } else if ((nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate) &&
                   S_ISREG(st.st_mode) && st.st_size > 0 && ftruncate(fd, 0) != 0) {
            err = errno;
        }
        if (err) close(fd);
    }
    if (err) {
        if (pError) {
            int cause = CFileException::OsErrorToCause(err);
            if (err == ENOENT && access(kvfile::DirName(m_pathUtf8).c_str(), F_OK) != 0)
                cause = CFileException::badPath;
            *pError = CFileException(cause, err, m_strFileName);
            pError->m_pathUtf8 = m_pathUtf8;
        }
        return FALSE;
    }
    m_fd = fd;
    return TRUE;
}

void CFile::Throw(int nErrno) const {
    CFileException* e =
        new CFileException(CFileException::OsErrorToCause(nErrno), nErrno, m_strFileName);
    e->m_pathUtf8 = m_pathUtf8;
    throw e;
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
        int err = errno;
        CFileException* e = new CFileException(CFileException::badSeek, err, m_strFileName);
        e->m_pathUtf8 = m_pathUtf8;
        throw e;
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
