// CFileException: what CFile throws. It names the file's full path; the caller reports it
// with ReportError and deletes it with Delete.
#pragma once
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/except.h"
#include "platform/core/wintypes.h"

class CFileException : public CException {
public:
    enum {
        none,
        genericException,
        generic = genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };
    CFileException(int cause = none, LONG lOsError = -1, LPCSTR lpszFileName = nullptr);

    // The cause for an errno value.
    static int OsErrorToCause(int nErrno);

    // A Chinese text that names the full path, e.g. "拒绝访问 /home/u/cmd.json。"; bytes of
    // the name that are not UTF-8 show as U+FFFD.
    std::string GetErrorMessageUtf8() const override;

    int m_cause;
    LONG m_lOsError;        // errno, or -1
    CString m_strFileName;  // full path, file-system bytes
};
