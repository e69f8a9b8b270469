// The comm calls on an open port: opening by name, time-outs, the comm-event wait, purging,
// the queue counts, reads and writes.
#include "platform/comm/comm_io.h"

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

#include "platform/comm/comm_port.h"
#include "platform/comm/comm_time.h"
#include "platform/core/syserr.h"
#include "platform/kernel/sync.h"
#include "platform/ports/neturl.h"
#include "platform/ports/portmap.h"

namespace {
std::atomic<void (*)(DWORD)> g_writeHook{nullptr};

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

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    std::string path;
    if (lpFileName && (lpFileName[0] == '/' || NetPortKindOf(lpFileName) != NET_PORT_NONE)) {
        path = lpFileName;
    } else {
        unsigned n = lpFileName ? PortNumberFromName(lpFileName) : 0;
        if (n == 0 || !ResolvePortNumber(n, path)) {
            SetLastError(ENOENT);
            return INVALID_HANDLE_VALUE;
        }
    }
    const bool network = NetPortKindOf(path) != NET_PORT_NONE;
    // A network port connected ahead is taken as it is, without waiting on the network.
    std::shared_ptr<CommPort> port;
    DWORD dwKeptError = 0;
    if (network && TakeNetworkPortAhead(path, port, dwKeptError) && !port) {
        SetLastError(dwKeptError);
        return INVALID_HANDLE_VALUE;
    }
    if (!port) port = network ? CommPort::OpenNetwork(path) : CommPort::Open(path);
    if (!port) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    return RegisterKernelObject(port);
}

BOOL SetCommTimeouts(HANDLE hFile, const COMMTIMEOUTS* p) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> lock(port->m);
    port->timeouts = *p;
    return TRUE;
}

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    if (dwEvtMask & ~(DWORD)(EV_RXCHAR | EV_TXEMPTY)) return kvimpl::Fail(EINVAL);
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
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    std::lock_guard<std::mutex> lock(port->m);
    *lpEvtMask = port->eventMask;
    return TRUE;
}

BOOL WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    if (!ov || !ov->hEvent) return kvimpl::Fail(EINVAL);
    ResetEvent(ov->hEvent);
    std::lock_guard<std::mutex> lock(port->m);
    if (!(port->eventMask & EV_RXCHAR)) return kvimpl::Fail(EINVAL);
    if (port->count > 0) {
        *lpEvtMask = EV_RXCHAR;
        SetEvent(ov->hEvent);
        return TRUE;
    }
    if (port->lost) return kvimpl::Fail(EIO);
    port->pendingWaitEvent = ov->hEvent;
    return kvimpl::Fail(ERROR_IO_PENDING);
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    bool rx = dwFlags & PURGE_RXCLEAR, tx = dwFlags & PURGE_TXCLEAR;
    {
        std::lock_guard<std::mutex> lock(port->m);
        if (rx) port->ClearInputLocked();
        if (dwFlags & PURGE_RXABORT) ++port->readAbortGeneration;
    }
    port->cv.notify_all();
    // A device that is gone has nothing left to flush.
    int err = port->net ? port->net->Purge(rx, tx) : CommFlush(port->fd, rx, tx);
    if (err && err != EIO) return kvimpl::Fail(err);
    return TRUE;
}

BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, LPCOMSTAT lpStat) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    int inDriver = 0, outDriver = 0;
    // A socket's unread bytes are not all data (Telnet commands): only the buffer counts.
    if (port->net || ioctl(port->fd, FIONREAD, &inDriver) < 0) inDriver = 0;
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

// Ends a read or write: the count and status go to the caller and to its overlapped record,
// whose event is signalled, as a call that completed at once leaves them.
static BOOL Complete(LPOVERLAPPED ov, DWORD status, DWORD n, DWORD* lpDone) {
    if (lpDone) *lpDone = n;
    if (ov) {
        ov->Internal = status;
        ov->InternalHigh = n;
        if (ov->hEvent) SetEvent(ov->hEvent);
    }
    return status ? kvimpl::Fail(status) : TRUE;
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD n, DWORD* lpRead, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
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
        const int64_t deadline = hasTotal
                                     ? CommNowMs() + (int64_t)to.ReadTotalTimeoutMultiplier * n +
                                           to.ReadTotalTimeoutConstant
                                     : -1;
        while (got < n && !immediate) {
            if (port->closing || port->readAbortGeneration != abortGen) {
                status = ERROR_OPERATION_ABORTED;
                break;
            }
            if (port->lost) break;
            int64_t wait = deadline >= 0 ? deadline - CommNowMs() : INT64_MAX;
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
    return Complete(ov, status, got, lpRead);
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD n, DWORD* lpWritten, LPOVERLAPPED ov) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
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
    const int64_t deadline = hasTotal ? CommNowMs() + (int64_t)to.WriteTotalTimeoutMultiplier * n +
                                            to.WriteTotalTimeoutConstant
                                      : -1;
    if (port->net && !status) {
        size_t sent = 0;
        status = port->net->Write(p, n, deadline, sent);
        done = (DWORD)sent;
    }
    while (!status && done < n) {
        ssize_t w = write(port->fd, p + done, n - done);
        if (w > 0) {
            done += (DWORD)w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) {
            status = ErrorFromErrno(errno);
            break;
        }
        int wait = -1;
        if (deadline >= 0) {
            int64_t left = deadline - CommNowMs();
            if (left <= 0) {
                status = ETIMEDOUT;
                break;
            }
            wait = (int)std::min<int64_t>(left, 1 << 30);
        }
        // Wake every 100 ms to see whether the port is closing.
        pollfd pfd = {port->fd, POLLOUT, 0};
        int r = poll(&pfd, 1, wait < 0 ? 100 : std::min(wait, 100));
        if (r < 0 && errno != EINTR) status = ErrorFromErrno(errno);
        if (r > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) && !(pfd.revents & POLLOUT))
            status = EIO;
        std::lock_guard<std::mutex> lock(port->m);
        if (port->closing) status = ERROR_OPERATION_ABORTED;
    }
    return Complete(ov, status, done, lpWritten);
}

BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED ov, DWORD* lpTransferred, BOOL) {
    if (!LookupCommPort(hFile)) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    if (lpTransferred) *lpTransferred = (DWORD)ov->InternalHigh;
    return ov->Internal ? kvimpl::Fail((DWORD)ov->Internal) : TRUE;
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
