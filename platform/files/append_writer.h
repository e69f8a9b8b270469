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
//
// A process ended by a signal keeps its log's tail: WriteAllOnSignal, called from a signal
// handler, wakes every writer and waits a bounded time for what was handed over to be written.
// The writer threads never take those signals themselves.
#pragma once
#include <chrono>
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

    // From a signal handler (async-signal-safe): every open writer writes what is pending at
    // once, and from then on writes each append at once; returns when all of it is written,
    // or failed, or after dwMilliseconds.
    static void WriteAllOnSignal(DWORD dwMilliseconds);

private:
    void Run();
    int WriteBatch(const std::string& batch);  // 0 or an errno
    void Wake();             // the thread: look again (any thread, and signal handlers)
    void WaitWake(int nMs);  // the thread: sleep until woken or nMs passed (-1: no limit)
    void Publish();          // the counters, for WriteAllOnSignal (under m_mutex)

    CFile m_file;
    std::string m_identity;  // device and inode of the file when opened
    std::function<void(int)> m_onError;
    DWORD m_dwFlushMs = 250;

    int m_wakeFd = -1;  // an eventfd: the thread's wake-up, which a signal handler may ring
    int m_nSlot = -1;   // this writer's entry in the table WriteAllOnSignal reads

    mutable std::mutex m_mutex;
    std::condition_variable m_written;  // waiters: a batch was written
    std::string m_pending;
    std::chrono::steady_clock::time_point m_firstAt;  // when the oldest pending byte came
    ULONGLONG m_nAppended = 0, m_nWritten = 0;        // bytes handed over, and done with
    bool m_bStop = false;
    int m_nError = 0;
    std::thread m_thread;
};
