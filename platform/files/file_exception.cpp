// CFileException: the cause of a file error and the text that tells the user about it.
#include "platform/files/file_exception.h"

#include <cerrno>

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
