// CAppendWriter: a pending buffer handed to a thread of its own, which appends it to a file.
#include "platform/files/append_writer.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/core/hook.h"
#include "platform/files/files_hooks.h"
#include "platform/kernel/sync.h"

namespace {
Hook<bool(const char*, size_t)> g_writeHook;

// What a signal handler may read of the open writers, without locks: each slot's counters are
// published under the writer's mutex, and its eventfd is withdrawn before it is closed.
struct Slot {
    std::atomic<int> wakeFd{-1};
    std::atomic<uint64_t> appended{0}, written{0};
    std::atomic<bool> done{false};  // the writing failed or ended
};
constexpr int kSlots = 16;
Slot g_slots[kSlots];
std::mutex g_slotsMutex;
// Set by a signal handler: the process is ending, every byte is written at once.
std::atomic<bool> g_writeAtOnce{false};

int TakeSlot(int wakeFd) {
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (int i = 0; i < kSlots; ++i) {
        if (g_slots[i].wakeFd.load(std::memory_order_relaxed) >= 0) continue;
        g_slots[i].appended = 0;
        g_slots[i].written = 0;
        g_slots[i].done = false;
        g_slots[i].wakeFd.store(wakeFd, std::memory_order_release);
        return i;
    }
    return -1;  // more writers than slots: those keep the normal pace only
}

void FreeSlot(int i) {
    if (i < 0) return;
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    g_slots[i].wakeFd.store(-1, std::memory_order_release);
}

int64_t NowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

// What the name leads to now: device and inode, or "" when it leads nowhere.
std::string Identity(const CString& path) {
    struct stat st;
    if (stat(path, &st) != 0) return std::string();
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}
}  // namespace

void SetAppendWriteHook(std::function<bool(const char*, size_t)> hook) {
    g_writeHook.Install(std::move(hook));
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
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0) {
        if (pError)
            *pError =
                CFileException(CFileException::OsErrorToCause(errno), errno, m_file.GetFilePath());
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
    m_nSlot = TakeSlot(m_wakeFd);
    // The thread never runs the handlers of the signals that end the program: a handler that
    // waits for it to write must not run on it.
    sigset_t ending, saved;
    sigemptyset(&ending);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&ending, sig);
    pthread_sigmask(SIG_BLOCK, &ending, &saved);
    m_thread = std::thread([this] { Run(); });
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return TRUE;
}

void CAppendWriter::Append(const void* lpBuf, size_t nCount) {
    if (nCount == 0) return;
    bool bWake = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_nAppended += nCount;
        if (m_nError || !m_thread.joinable()) {
            m_nWritten += nCount;  // dropped: the writing has ended
            Publish();
            m_written.notify_all();
            return;
        }
        bool bWasEmpty = m_pending.empty();
        if (bWasEmpty) m_firstAt = std::chrono::steady_clock::now();
        m_pending.append(static_cast<const char*>(lpBuf), nCount);
        Publish();
        // The thread waits for a first byte, or for the interval or a full batch.
        bWake = bWasEmpty || m_pending.size() >= kWriteAtOnce;
    }
    if (bWake) Wake();
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
    }
    Wake();
    m_thread.join();
    FreeSlot(m_nSlot);
    m_nSlot = -1;
    close(m_wakeFd);
    m_wakeFd = -1;
    m_file.Abort();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_written.notify_all();
}

void CAppendWriter::Wake() {
    uint64_t one = 1;
    ssize_t n = write(m_wakeFd, &one, sizeof one);
    (void)n;  // a counter already at its maximum wakes the thread as well
}

void CAppendWriter::WaitWake(int nMs) {
    struct pollfd p = {m_wakeFd, POLLIN, 0};
    if (poll(&p, 1, nMs) > 0) {
        uint64_t count;
        ssize_t n = read(m_wakeFd, &count, sizeof count);
        (void)n;
    }
}

void CAppendWriter::Publish() {
    if (m_nSlot < 0) return;
    Slot& slot = g_slots[m_nSlot];
    slot.appended.store(m_nAppended, std::memory_order_release);
    slot.written.store(m_nWritten, std::memory_order_release);
    slot.done.store(m_nError != 0, std::memory_order_release);
}

void CAppendWriter::WriteAllOnSignal(DWORD dwMilliseconds) {
    g_writeAtOnce.store(true);
    uint64_t target[kSlots];
    for (int i = 0; i < kSlots; ++i) {
        target[i] = g_slots[i].appended.load(std::memory_order_acquire);
        int fd = g_slots[i].wakeFd.load(std::memory_order_acquire);
        uint64_t one = 1;
        if (fd >= 0 && write(fd, &one, sizeof one) < 0) {
            // a full counter wakes the thread as well
        }
    }
    const int64_t deadline = NowMs() + (int64_t)dwMilliseconds;
    for (;;) {
        bool bAll = true;
        for (int i = 0; i < kSlots; ++i) {
            const Slot& slot = g_slots[i];
            if (slot.wakeFd.load(std::memory_order_acquire) < 0 ||
                slot.done.load(std::memory_order_acquire))
                continue;
            if (slot.written.load(std::memory_order_acquire) < target[i]) bAll = false;
        }
        if (bAll || NowMs() >= deadline) return;
        struct timespec pause = {0, 2 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

void CAppendWriter::Run() {
    using Clock = std::chrono::steady_clock;
    std::string batch;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (m_pending.empty()) {
            if (m_bStop) break;
            lock.unlock();
            WaitWake(-1);
            lock.lock();
            continue;
        }
        // Bytes wait at most the interval: fewer, larger writes at pace, and a trickle still
        // reaches the file soon.
        auto due = m_firstAt + std::chrono::milliseconds(m_dwFlushMs);
        auto now = Clock::now();
        if (!m_bStop && m_pending.size() < kWriteAtOnce && !g_writeAtOnce.load() && now < due) {
            auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
            lock.unlock();
            WaitWake((int)ms + 1);
            lock.lock();
            continue;
        }
        batch.swap(m_pending);
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
        Publish();
        m_written.notify_all();
        if (err) {
            lock.unlock();
            if (m_onError) m_onError(err);
            return;
        }
    }
}

int CAppendWriter::WriteBatch(const std::string& batch) {
    if (auto hook = g_writeHook.Get()) {
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
