// CFile: files as the application uses them (cmd.json, receive logs).
//
// Names are the file system's bytes (UTF-8 as the file dialog hands them back), used as they
// are: never converted through the text code page, which would turn characters it lacks into
// '?' and so name another file. A file is opened without sharing: the open takes an
// exclusive flock, so a file that another program (or another CFile) has locked fails to
// open with a sharing violation. Opening never waits: a FIFO or device does not hold the
// caller up, and modeCreate, which asks for a file to store bytes in, refuses anything but a
// regular file. A symbolic link is followed only when it belongs to the user; one that
// somebody else made (in a folder others can write to) is refused, so no other user picks
// the file that is created or replaced. Failures throw CFileException*, which names the
// file's full path; the caller reports it with ReportError and deletes it with Delete.
// ReplaceContent swaps the whole content in safely, so a full disk never leaves a
// half-written file behind, nor an empty file that the failed save created.
#pragma once
#include <cstdint>
#include <string>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"
#include "platform/files/file_exception.h"

typedef uint64_t ULONGLONG;
typedef int64_t LONGLONG;

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

    ULONGLONG GetLength() const;
    // FALSE for a FIFO, a device or a socket: a name that holds no content of its own.
    BOOL IsRegularFile() const;
    UINT Read(void* lpBuf, UINT nCount);  // fewer bytes only at the end of the file
    void Write(const void* lpBuf, UINT nCount);
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    void Flush();
    void Close();  // throws when the system reports an error; the file is closed anyway
    void Abort();  // closes, ignoring errors

    // Makes the file's content exactly these bytes: written to a sibling file, synced and
    // renamed over the file, which this CFile then refers to (still locked; the position is
    // at the end of the new bytes). On failure the file keeps its old content; a file that
    // this CFile's opening created, still empty, is removed.
    void ReplaceContent(const void* lpBuf, size_t nCount);

    CString GetFilePath() const { return m_strFileName; }  // full path, file-system bytes
    CString GetFileName() const;

private:
    [[noreturn]] void Throw(int nErrno) const;
    void ReplaceInPlace(const char* p, size_t nCount);
    void RemoveIfCreatedEmpty();
    static int LockOperation(UINT nOpenFlags);  // the flock operation, 0 for none
    // Opens path, following only the user's own symbolic links; target becomes the path of
    // the file opened, with no link in its last part. -1 with errno set otherwise.
    static int OpenOwnLinks(const std::string& path, int flags, std::string& target);

    int m_fd = -1;
    UINT m_nOpenFlags = 0;
    CString m_strFileName;
    std::string m_target;     // what the name led to when opened: ReplaceContent renames onto it
    bool m_bCreated = false;  // the opening made the file
};
