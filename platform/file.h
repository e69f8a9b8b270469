// CFile and CFileException: files as the application uses them (cmd.json, receive logs).
//
// Names are GBK, as the application holds them, and are converted to the file system's
// UTF-8. A file is opened without sharing: the open takes an exclusive flock, so a file that
// another program (or another CFile) has locked fails to open with a sharing violation.
// Failures throw CFileException*, which names the file's full path; the caller reports it
// with ReportError and deletes it with Delete. ReplaceContent swaps the whole content in
// safely, so a full disk never leaves a half-written file behind.
#pragma once
#include <cstdint>
#include <string>

#include "cstring.h"
#include "except.h"
#include "wintypes.h"

typedef uint64_t ULONGLONG;
typedef int64_t LONGLONG;

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

    // A Chinese text that names the full path, e.g. "拒绝访问 /home/u/cmd.json。".
    std::string GetErrorMessageUtf8() const override;

    int m_cause;
    LONG m_lOsError;         // errno, or -1
    CString m_strFileName;   // full path, GBK
    std::string m_pathUtf8;  // the same path as the file system spells it (may be empty)
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

    CFile();
    // Opens or throws CFileException*.
    CFile(LPCSTR lpszFileName, UINT nOpenFlags);
    virtual ~CFile();  // closes an open file, never throws
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // FALSE on failure, with the details in *pError when given.
    virtual BOOL Open(LPCSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    BOOL IsOpen() const { return m_fd >= 0; }

    ULONGLONG GetLength() const;
    ULONGLONG GetPosition() const;
    UINT Read(void* lpBuf, UINT nCount);  // fewer bytes only at the end of the file
    void Write(const void* lpBuf, UINT nCount);
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    void SetLength(ULONGLONG dwNewLen);
    void Flush();
    void Close();  // throws when the system reports an error; the file is closed anyway
    void Abort();  // closes, ignoring errors

    // Makes the file's content exactly these bytes: written to a sibling file, synced and
    // renamed over the file, which this CFile then refers to (still locked; the position is
    // at the end of the new bytes). On failure the file keeps its old content.
    void ReplaceContent(const void* lpBuf, UINT nCount);

    CString GetFilePath() const { return m_strFileName; }  // full path, GBK
    CString GetFileName() const;

private:
    [[noreturn]] void Throw(int nErrno) const;
    void ReplaceInPlace(const char* p, UINT nCount);
    static int LockOperation(UINT nOpenFlags);  // the flock operation, 0 for none
    static std::string FullPath(const std::string& pathUtf8);

    int m_fd = -1;
    UINT m_nOpenFlags = 0;
    CString m_strFileName;
    std::string m_pathUtf8;
};
