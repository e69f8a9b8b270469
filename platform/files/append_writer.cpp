// CAppendWriter: a pending buffer handed to a thread of its own, which appends it to a file.
#include "platform/files/append_writer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "platform/kernel/sync.h"

namespace {
std::mutex g_hookMutex;
std::function<bool(const char*, size_t)> g_writeHook;

// What the name leads to now: device and inode, or "" when it leads nowhere.
std::string Identity(const CString& path) {
    struct stat st;
    if (stat(path, &st) != 0) return std::string();
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}
}  // namespace

void CAppendWriter::SetWriteHook(std::function<bool(const char*, size_t)> hook) {
    std::lock_guard<std::mutex> lock(g_hookMutex);
    g_writeHook = std::move(hook);
}

CAppendWriter::~CAppendWriter() { Close(); }

BOOL CAppendWriter::Open(LPCSTR lpszFileName, CFileException* pError, DWORD dwFlushMs,
                         std::function<void(int)> onError) {
    Close();
    if (!m_file.Open(lpszFileName, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite,
                     pError))
        return FALSE;
    try {
        m_file.Seek(0, CFile::end);
    } catch (CFileException* e) {
        if (pError) *pError = *e;
        e->Delete();
        m_file.Abort();
        return FALSE;
    }
    m_identity = Identity(m_file.GetFilePath());
    m_onError = std::move(onError);
    m_dwFlushMs = dwFlushMs;
    m_pending.clear();
    m_nAppended = m_nWritten = 0;
    m_bStop = false;
    m_nError = 0;
    m_thread = std::thread([this] { Run(); });
    return TRUE;
}

void CAppendWriter::Append(const void* lpBuf, size_t nCount) {
    if (nCount == 0) return;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nAppended += nCount;
    if (m_nError || !m_thread.joinable()) {
        m_nWritten += nCount;  // dropped: the writing has ended
        m_written.notify_all();
        return;
    }
    bool bWasEmpty = m_pending.empty();
    m_pending.append(static_cast<const char*>(lpBuf), nCount);
    // The thread waits for a first byte, or for the interval or a full batch.
    if (bWasEmpty || m_pending.size() >= kWriteAtOnce) m_wake.notify_one();
}

BOOL CAppendWriter::WaitWritten(DWORD dwMilliseconds) {
    std::unique_lock<std::mutex> lock(m_mutex);
    ULONGLONG target = m_nAppended;
    auto done = [&] { return m_nWritten >= target || m_nError != 0 || !m_thread.joinable(); };
    if (dwMilliseconds == INFINITE) {
        m_written.wait(lock, done);
        return TRUE;
    }
    return m_written.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), done) ? TRUE : FALSE;
}

int CAppendWriter::GetError() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nError;
}

void CAppendWriter::Close() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_wake.notify_one();
    }
    m_thread.join();
    m_file.Abort();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_written.notify_all();
}

void CAppendWriter::Run() {
    using Clock = std::chrono::steady_clock;
    std::string batch;
    std::unique_lock<std::mutex> lock(m_mutex);
    Clock::time_point firstAt{};
    for (;;) {
        if (m_pending.empty()) {
            if (m_bStop) break;
            m_wake.wait(lock, [&] { return m_bStop || !m_pending.empty(); });
            firstAt = Clock::now();
            continue;
        }
        // Bytes wait at most the interval: fewer, larger writes at pace, and a trickle still
        // reaches the file soon.
        m_wake.wait_until(lock, firstAt + std::chrono::milliseconds(m_dwFlushMs),
                          [&] { return m_bStop || m_pending.size() >= kWriteAtOnce; });
        batch.swap(m_pending);
        firstAt = Clock::now();
        lock.unlock();
        int err = WriteBatch(batch);
        lock.lock();
        m_nWritten += batch.size();
        // A batch once grown large is not kept for ever.
        if (batch.capacity() > 4 * kWriteAtOnce) std::string().swap(batch);
        batch.clear();
        if (err) {
            m_nError = err;
            m_nWritten += m_pending.size();
            std::string().swap(m_pending);
        }
        m_written.notify_all();
        if (err) {
            lock.unlock();
            if (m_onError) m_onError(err);
            return;
        }
    }
}

int CAppendWriter::WriteBatch(const std::string& batch) {
    std::function<bool(const char*, size_t)> hook;
    {
        std::lock_guard<std::mutex> lock(g_hookMutex);
        hook = g_writeHook;
    }
    if (hook) {
        errno = 0;
        if (!hook(batch.data(), batch.size())) return errno ? errno : EIO;
    } else {
        try {
            for (size_t at = 0; at < batch.size();) {
                UINT n = (UINT)std::min<size_t>(batch.size() - at, 1u << 30);
                m_file.Write(batch.data() + at, n);
                at += n;
            }
        } catch (CFileException* e) {
            int err = e->m_lOsError > 0 ? (int)e->m_lOsError : EIO;
            e->Delete();
            return err;
        }
    }
    // Writes to a file that lost its name succeed but reach nobody.
    if (Identity(m_file.GetFilePath()) != m_identity) return ENOENT;
    return 0;
}
