// CFileException: the cause of a file error and the text that tells the user about it.
#include "platform/files/file_exception.h"

#include <cerrno>

#include "platform/lang/lang.h"
#include "platform/text/gbk.h"

namespace {
// The text with the file's name in place of its "%s".
std::string Named(const std::string& text, const std::string& name) {
    const size_t at = text.find("%s");
    return at == std::string::npos ? text : text.substr(0, at) + name + text.substr(at + 2);
}

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
    if (name.empty()) name = AfxTrUtf8("Layer", "未知文件");
    switch (m_cause) {
        case fileNotFound:
            return Named(AfxTrUtf8("Layer", "找不到 %s。"), name);
        case badPath:
            return Named(AfxTrUtf8("Layer", "%s 的路径无效。"), name);
        case tooManyOpenFiles:
            return Named(AfxTrUtf8("Layer", "打开的文件太多，无法打开 %s。"), name);
        case accessDenied:
            return Named(AfxTrUtf8("Layer", "拒绝访问 %s。"), name);
        case invalidFile:
            return Named(AfxTrUtf8("Layer", "对 %s 使用了无效的文件句柄。"), name);
        case directoryFull:
            return Named(AfxTrUtf8("Layer", "目录已满，无法创建 %s。"), name);
        case badSeek:
            return Named(AfxTrUtf8("Layer", "在 %s 中定位失败。"), name);
        case hardIO:
            return Named(AfxTrUtf8("Layer", "访问 %s 时发生硬件 I/O 错误。"), name);
        case sharingViolation:
            return Named(AfxTrUtf8("Layer", "%s 正被其他程序使用，无法访问。"), name);
        case lockViolation:
            return Named(AfxTrUtf8("Layer", "%s 中要锁定的区域已被锁定。"), name);
        case diskFull:
            return Named(AfxTrUtf8("Layer", "磁盘已满，无法写入 %s。"), name);
        case endOfFile:
            return Named(AfxTrUtf8("Layer", "试图越过 %s 的结尾进行访问。"), name);
        default:
            return Named(AfxTrUtf8("Layer", "访问 %s 时发生未知错误。"), name);
    }
}
