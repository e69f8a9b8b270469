// Opening a port, its reader thread, and the calls that move bytes.
#include "platform/comm/comm_port.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

#include "platform/app/devnotify.h"
#include "platform/comm/comm_termios.h"
#include "platform/ports/portmap.h"

namespace {
constexpr size_t kReadChunk = 64 * 1024;
constexpr int kFullRetryMs = 5;
constexpr int kDrainWaitMs = 500;
std::atomic<void (*)(DWORD)> g_writeHook{nullptr};

int64_t NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

BOOL Fail(DWORD err) {
    SetLastError(err);
    return FALSE;
}

// The kernel's stand-ins for other terminals: /dev/tty (5,0), /dev/console (5,1), /dev/ptmx
// and devpts' ptmx (5,2).
bool IsTerminalAlias(const struct stat& st) {
    return S_ISCHR(st.st_mode) && major(st.st_rdev) == 5 && minor(st.st_rdev) <= 2;
}

// "COM3", "\\.\COM12" -> 3, 12; 0 when name is not such a name.
unsigned PortNumberFromName(const char* name) {
    if (strncmp(name, "\\\\.\\", 4) == 0) name += 4;
    if (strncasecmp(name, "COM", 3) != 0) return 0;
    name += 3;
    if (*name < '0' || *name > '9') return 0;
    char* end;
    unsigned long n = strtoul(name, &end, 10);
    if (*end != 0 || n > 0xFFFF) return 0;
    return (unsigned)n;
}
}  // namespace

std::shared_ptr<CommPort> LookupCommPort(HANDLE h) { return LookupKernelObjectAs<CommPort>(h); }

std::shared_ptr<CommPort> CommPort::Open(const std::string& path) {
    // /dev/tty, /dev/console and /dev/ptmx stand for another terminal (the caller's own, a new
    // pseudo-terminal master): they are no ports, and opening ptmx would already make one.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && IsTerminalAlias(st)) {
        errno = ENOTTY;
        return nullptr;
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto fail = [fd](int err) -> std::shared_ptr<CommPort> {
        close(fd);
        errno = err;
        return nullptr;
    };
    // Checked again on what was opened, in case the link changed in between; a master side
    // (it has a pseudo-terminal number) is no port either.
    unsigned ptyNumber;
    if (!isatty(fd) || fstat(fd, &st) != 0 || IsTerminalAlias(st) ||
        ioctl(fd, TIOCGPTN, &ptyNumber) == 0)
        return fail(ENOTTY);
    // flock also keeps out root, which TIOCEXCL lets through; a port another program made
    // exclusive without flock is as much in use.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) return fail(EBUSY);
    CommTermios found;
    if (int err = CommGetTermios(fd, found)) return fail(err);
    ioctl(fd, TIOCEXCL);
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        ioctl(fd, TIOCNXCL);
        return fail(errno);
    }
    std::shared_ptr<CommPort> port(new CommPort(fd, wakeFd, found));
    return port;
}

CommPort::CommPort(int fd_, int wakeFd, const CommTermios& found)
    : fd(fd_), ring(new char[kCommInputBufferSize]), m_wakeFd(wakeFd), m_found(found) {
    m_reader = std::thread(&CommPort::ReaderLoop, this);
}

void CommPort::OnClose() {
    {
        std::lock_guard<std::mutex> lock(m);
        closing = true;
        pendingWaitEvent = nullptr;
    }
    cv.notify_all();
    uint64_t one = 1;
    (void)!write(m_wakeFd, &one, sizeof one);
}

CommPort::~CommPort() {
    OnClose();
    m_reader.join();
    RestoreFoundSettings();
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    close(fd);
    close(m_wakeFd);
}

// Leaves the line as it was found, for the next program. Bytes still on their way out are
// given a little time first, so that they leave at the speed they were written for.
void CommPort::RestoreFoundSettings() {
    {
        std::lock_guard<std::mutex> lock(m);
        if (lost) return;
    }
    int pending = 0;
    for (int i = 0; i < kDrainWaitMs / 10 && ioctl(fd, TIOCOUTQ, &pending) == 0 && pending > 0; ++i)
        usleep(10 * 1000);
    CommSetTermios(fd, m_found);
}

// Moves what the device sends into the ring. When the ring is full the reader stops taking
// from the device until there is room again: the driver then holds the device back (flow
// control, USB, a pseudo-terminal's writer), so nothing that arrived is thrown away.
void CommPort::ReaderLoop() {
    std::unique_ptr<char[]> chunk(new char[kReadChunk]);
    bool watching = true;
    for (;;) {
        size_t room;
        {
            std::lock_guard<std::mutex> lock(m);
            room = kCommInputBufferSize - count;
        }
        const bool takeInput = watching && room > 0;
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
        // A full ring is looked at again every few milliseconds.
        int n = poll(fds, takeInput ? 2 : 1, takeInput || !watching ? -1 : kFullRetryMs);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;  // closing wins over input
        if (!takeInput || !fds[1].revents) continue;
        bool gone = false;
        while (room > 0) {
            ssize_t r = read(fd, chunk.get(), std::min(room, kReadChunk));
            if (r > 0) {
                Append(chunk.get(), (size_t)r);
                room -= (size_t)r;
                continue;
            }
            if (r < 0 && errno == EINTR) continue;
            // 0 is a hang-up (VMIN is 1); EIO/ENXIO/ENODEV a device that went away.
            if (r == 0 || errno != EAGAIN) gone = true;
            break;
        }
        // A hang-up counts once what the driver still held has been read.
        if (!gone && room > 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) gone = true;
        if (gone) {
            // A hung-up descriptor polls readable forever: stop watching it.
            MarkLost();
            watching = false;
        }
    }
}

void CommPort::Append(const char* p, size_t n) {
    std::lock_guard<std::mutex> lock(m);
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, cap - count);
    if (take < n) {
        overflow += n - take;
        overflowSinceCheck = true;
    }
    size_t tail = (head + count) % cap;
    size_t first = std::min(take, cap - tail);
    memcpy(ring.get() + tail, p, first);
    memcpy(ring.get(), p + first, take - first);
    count += take;
    if (count > 0 && pendingWaitEvent && (eventMask & EV_RXCHAR)) {
        SetEvent(pendingWaitEvent);
        pendingWaitEvent = nullptr;
    }
    cv.notify_all();
}

void CommPort::MarkLost() {
    {
        std::lock_guard<std::mutex> lock(m);
        lost = true;
    }
    cv.notify_all();
    // Not every loss brings a device event of its own; the port list must hear of it.
    NoteDeviceLost();
}

size_t CommPort::TakeLocked(char* p, size_t n) {
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, count);
    size_t first = std::min(take, cap - head);
    memcpy(p, ring.get() + head, first);
    memcpy(p + first, ring.get(), take - first);
    head = (head + take) % cap;
    count -= take;
    if (count == 0) head = 0;
    return take;
}

// ---- the framework-shaped calls ----

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    std::string path;
    if (lpFileName && lpFileName[0] == '/') {
        path = lpFileName;
    } else {
        unsigned n = lpFileName ? PortNumberFromName(lpFileName) : 0;
        if (n == 0 || !ResolvePortNumber(n, path)) {
            SetLastError(ENOENT);
            return INVALID_HANDLE_VALUE;
        }
    }
    auto port = CommPort::Open(path);
    if (!port) {
        SetLastError(errno);
        return INVALID_HANDLE_VALUE;
    }
    return RegisterKernelObject(port);
}

BOOL SetCommTimeouts(HANDLE hFile, const COMMTIMEOUTS* p) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> lock(port->m);
    port->timeouts = *p;
    return TRUE;
}

BOOL GetCommTimeouts(HANDLE hFile, COMMTIMEOUTS* p) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> lock(port->m);
    *p = port->timeouts;
    return TRUE;
}

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (dwEvtMask & ~(DWORD)(EV_RXCHAR | EV_TXEMPTY)) return Fail(EINVAL);
    std::lock_guard<std::mutex> lock(port->m);
    port->eventMask = dwEvtMask;
    // A new mask ends a pending wait, as on Windows.
    if (port->pendingWaitEvent) {
        SetEvent(port->pendingWaitEvent);
        port->pendingWaitEvent = nullptr;
    }
    return TRUE;
}

BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> lock(port->m);
    *lpEvtMask = port->eventMask;
    return TRUE;
}

BOOL WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (!ov || !ov->hEvent) return Fail(EINVAL);
    ResetEvent(ov->hEvent);
    std::lock_guard<std::mutex> lock(port->m);
    if (!(port->eventMask & EV_RXCHAR)) return Fail(EINVAL);
    if (port->count > 0) {
        *lpEvtMask = EV_RXCHAR;
        SetEvent(ov->hEvent);
        return TRUE;
    }
    if (port->lost) return Fail(EIO);
    port->pendingWaitEvent = ov->hEvent;
    return Fail(ERROR_IO_PENDING);
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    bool rx = dwFlags & PURGE_RXCLEAR, tx = dwFlags & PURGE_TXCLEAR;
    {
        std::lock_guard<std::mutex> lock(port->m);
        if (rx) port->ClearInputLocked();
        if (dwFlags & PURGE_RXABORT) ++port->readAbortGeneration;
    }
    port->cv.notify_all();
    // A device that is gone has nothing left to flush.
    if (int err = CommFlush(port->fd, rx, tx); err && err != EIO) return Fail(err);
    return TRUE;
}

BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, LPCOMSTAT lpStat) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    int inDriver = 0, outDriver = 0;
    if (ioctl(port->fd, FIONREAD, &inDriver) < 0) inDriver = 0;
    if (ioctl(port->fd, TIOCOUTQ, &outDriver) < 0) outDriver = 0;
    std::lock_guard<std::mutex> lock(port->m);
    if (lpErrors) *lpErrors = port->overflowSinceCheck ? CE_RXOVER : 0;
    port->overflowSinceCheck = false;
    if (lpStat) {
        lpStat->cbInQue = (DWORD)port->count + (port->lost ? 0 : (DWORD)inDriver);
        lpStat->cbOutQue = (DWORD)outDriver;
    }
    return TRUE;
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD n, DWORD* lpRead, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    char* p = (char*)lpBuffer;
    DWORD got = 0;
    DWORD status = 0;
    {
        std::unique_lock<std::mutex> lock(port->m);
        const COMMTIMEOUTS to = port->timeouts;
        const uint64_t abortGen = port->readAbortGeneration;
        got = (DWORD)port->TakeLocked(p, n);
        const bool immediate = to.ReadIntervalTimeout == MAXDWORD &&
                               to.ReadTotalTimeoutMultiplier == 0 &&
                               to.ReadTotalTimeoutConstant == 0;
        const bool hasTotal = to.ReadTotalTimeoutMultiplier || to.ReadTotalTimeoutConstant;
        const int64_t deadline = hasTotal ? NowMs() + (int64_t)to.ReadTotalTimeoutMultiplier * n +
                                                to.ReadTotalTimeoutConstant
                                          : -1;
        while (got < n && !immediate) {
            if (port->closing || port->readAbortGeneration != abortGen) {
                status = ERROR_OPERATION_ABORTED;
                break;
            }
            if (port->lost) break;
            int64_t wait = deadline >= 0 ? deadline - NowMs() : INT64_MAX;
            if (got > 0 && to.ReadIntervalTimeout && to.ReadIntervalTimeout != MAXDWORD)
                wait = std::min<int64_t>(wait, to.ReadIntervalTimeout);
            if (wait <= 0) break;
            if (wait == INT64_MAX) {
                port->cv.wait(lock);
            } else if (port->cv.wait_for(lock, std::chrono::milliseconds(wait)) ==
                           std::cv_status::timeout &&
                       port->count == 0) {
                break;
            }
            got += (DWORD)port->TakeLocked(p + got, n - got);
        }
    }
    if (lpRead) *lpRead = got;
    if (ov) {
        ov->Internal = status;
        ov->InternalHigh = got;
        if (ov->hEvent) SetEvent(ov->hEvent);
    }
    return status ? Fail(status) : TRUE;
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD n, DWORD* lpWritten, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return Fail(ERROR_INVALID_HANDLE);
    if (auto hook = g_writeHook.load()) hook(n);
    std::lock_guard<std::mutex> writeLock(port->writeMutex);
    COMMTIMEOUTS to;
    bool lost;
    {
        std::lock_guard<std::mutex> lock(port->m);
        to = port->timeouts;
        lost = port->lost;
    }
    const char* p = (const char*)lpBuffer;
    DWORD done = 0;
    DWORD status = lost ? EIO : 0;
    const bool hasTotal = to.WriteTotalTimeoutMultiplier || to.WriteTotalTimeoutConstant;
    const int64_t deadline = hasTotal ? NowMs() + (int64_t)to.WriteTotalTimeoutMultiplier * n +
                                            to.WriteTotalTimeoutConstant
                                      : -1;
    while (!status && done < n) {
        ssize_t w = write(port->fd, p + done, n - done);
        if (w > 0) {
            done += (DWORD)w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) {
            status = errno;
            break;
        }
        int wait = -1;
        if (deadline >= 0) {
            int64_t left = deadline - NowMs();
            if (left <= 0) {
                status = ETIMEDOUT;
                break;
            }
            wait = (int)std::min<int64_t>(left, 1 << 30);
        }
        // Wake every 100 ms to see whether the port is closing.
        pollfd pfd = {port->fd, POLLOUT, 0};
        int r = poll(&pfd, 1, wait < 0 ? 100 : std::min(wait, 100));
        if (r < 0 && errno != EINTR) status = errno;
        if (r > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLOUT))
            status = EIO;
        std::lock_guard<std::mutex> lock(port->m);
        if (port->closing) status = ERROR_OPERATION_ABORTED;
    }
    if (lpWritten) *lpWritten = done;
    if (ov) {
        ov->Internal = status;
        ov->InternalHigh = done;
        if (ov->hEvent) SetEvent(ov->hEvent);
    }
    return status ? Fail(status) : TRUE;
}

BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED ov, DWORD* lpTransferred, BOOL) {
    if (!LookupCommPort(hFile)) return Fail(ERROR_INVALID_HANDLE);
    if (lpTransferred) *lpTransferred = (DWORD)ov->InternalHigh;
    return ov->Internal ? Fail((DWORD)ov->Internal) : TRUE;
}

uint64_t GetCommOverflowCount(HANDLE hFile) {
    auto port = LookupCommPort(hFile);
    if (!port) return 0;
    std::lock_guard<std::mutex> lock(port->m);
    return port->overflow;
}

BOOL IsCommDeviceLost(HANDLE hFile) {
    auto port = LookupCommPort(hFile);
    if (!port) return FALSE;
    std::lock_guard<std::mutex> lock(port->m);
    return port->lost;
}

void SetCommWriteHook(void (*hook)(DWORD nBytes)) { g_writeHook = hook; }
