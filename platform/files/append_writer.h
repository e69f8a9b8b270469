// CAppendWriter: appends bytes to a file from a thread of its own, so that the caller never
// waits on the disk.
//
// Append copies the bytes into a pending buffer under a short lock and returns; the thread
// swaps that buffer for an empty one and writes it once the oldest pending byte has waited
// the flush interval, or at once when kWriteAtOnce bytes are pending. The file is opened by
// CFile's rules (never waiting, regular files only, the user's own links, locked) and
// appended to, never truncated. A write that fails (a full disk), or a file that no
// longer has its name (removed or moved away), ends the writing: the errno is kept, what is
// pending and whatever is appended later is dropped, and the error callback runs once, on
// the writer's thread. Close writes what is pending and ends the thread.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/core/cstring.h"
#include "platform/core/wintypes.h"
#include "platform/files/file.h"

class CAppendWriter {
public:
    static constexpr size_t kWriteAtOnce = 256 << 10;

    CAppendWriter() = default;
    ~CAppendWriter();  // Close, ignoring errors
    CAppendWriter(const CAppendWriter&) = delete;
    CAppendWriter& operator=(const CAppendWriter&) = delete;

    // Opens the file (created when missing) and starts the thread. FALSE on failure, with the
    // details in *pError when given. The callback, when given, receives the errno of a
    // failed write.
    BOOL Open(LPCSTR lpszFileName, CFileException* pError = nullptr, DWORD dwFlushMs = 250,
              std::function<void(int)> onError = nullptr);
    BOOL IsOpen() const { return m_thread.joinable(); }
    CString GetFilePath() const { return m_file.GetFilePath(); }

    void Append(const void* lpBuf, size_t nCount);  // never waits on the disk
    // Waits until every byte appended so far is written or the writing has failed; FALSE
    // when the time ran out first (INFINITE: no limit).
    BOOL WaitWritten(DWORD dwMilliseconds);
    // The errno of the failure that ended the writing; 0 while it goes on.
    int GetError() const;
    void Close();

    // Tests: replaces the write of a batch; returns false with errno set to fail it. An
    // empty function writes to the file again.
    static void SetWriteHook(std::function<bool(const char*, size_t)> hook);

private:
    void Run();
    int WriteBatch(const std::string& batch);  // 0 or an errno

    CFile m_file;
    std::string m_identity;  // device and inode of the file when opened
    std::function<void(int)> m_onError;
    DWORD m_dwFlushMs = 250;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // the thread: something to do
    std::condition_variable m_written;  // waiters: a batch was written
    std::string m_pending;
    ULONGLONG m_nAppended = 0, m_nWritten = 0;  // bytes handed over, and done with
    bool m_bStop = false;
    int m_nError = 0;
    std::thread m_thread;
};
