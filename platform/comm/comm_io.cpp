// The comm calls on an open port: opening by name, time-outs, the comm-event wait, purging,
// the queue counts, reads and writes.
#include "platform/comm/comm_io.h"

#include <errno.h>
#include <string.h>
#include <strings.h>

#include <cstdlib>

#include "platform/comm/comm_port.h"
#include "platform/core/syserr.h"
#include "platform/kernel/sync.h"
#include "platform/ports/neturl.h"
#include "platform/ports/portmap.h"

namespace {

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

// Ends a read or write: the count and status go to the caller and to its overlapped record,
// whose event is signalled, as a call that completed at once leaves them.
DWORD Complete(LPOVERLAPPED ov, DWORD status, DWORD n, DWORD* lpDone) {
    if (lpDone) *lpDone = n;
    if (ov) {
        ov->Internal = status;
        ov->InternalHigh = n;
        if (ov->hEvent) SetEvent(ov->hEvent);
    }
    return status;
}
}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD, DWORD, void*, DWORD, DWORD, HANDLE) {
    // COMn names what the port map links it to; a device path or a URL is opened as named.
    std::string path;
    const unsigned n = lpFileName ? PortNumberFromName(lpFileName) : 0;
    if (n ? !ResolvePortNumber(n, path)
          : !lpFileName || (lpFileName[0] != '/' && !LooksLikeNetPortUrl(lpFileName))) {
        SetLastError(ENOENT);
        return INVALID_HANDLE_VALUE;
    }
    if (!n) path = lpFileName;
    // A network port connected ahead is taken as it is, without waiting on the network.
    std::shared_ptr<CommPort> port;
    DWORD dwKeptError = 0;
    if (TakeNetworkPortAhead(path, port, dwKeptError) && !port) {
        SetLastError(dwKeptError);
        return INVALID_HANDLE_VALUE;
    }
    if (!port) port = CommPort::Open(path);
    if (!port) {
        SetLastError(ErrorFromErrno(errno));
        return INVALID_HANDLE_VALUE;
    }
    return RegisterKernelObject(port);
}

BOOL GetCommProperties(HANDLE hFile, LPCOMMPROP lpCommProp) {
    return CommCall(hFile, [&](CommPort& port) -> DWORD {
        if (!lpCommProp) return EINVAL;
        *lpCommProp = COMMPROP();
        lpCommProp->dwCurrentRxQueue = (DWORD)kCommInputBufferSize;
        lpCommProp->dwProvSubType = port.Kind();
        return 0;
    });
}

BOOL SetCommTimeouts(HANDLE hFile, const COMMTIMEOUTS* p) {
    return CommCall(hFile, [&](CommPort& port) { return port.SetTimeouts(*p); });
}

BOOL SetCommMask(HANDLE hFile, DWORD dwEvtMask) {
    return CommCall(hFile, [&](CommPort& port) { return port.SetMask(dwEvtMask); });
}

BOOL GetCommMask(HANDLE hFile, DWORD* lpEvtMask) {
    return CommCall(hFile, [&](CommPort& port) { return port.GetMask(*lpEvtMask); });
}

BOOL WaitCommEvent(HANDLE hFile, DWORD* lpEvtMask, LPOVERLAPPED ov) {
    return CommCall(hFile, [&](CommPort& port) -> DWORD {
        if (!ov || !ov->hEvent) return EINVAL;
        return port.WaitEvent(ov->hEvent, *lpEvtMask);
    });
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
    return CommCall(hFile, [&](CommPort& port) { return port.Purge(dwFlags); });
}

BOOL SetCommGather(HANDLE hFile, BOOL bGather) {
    return CommCall(hFile, [&](CommPort& port) -> DWORD {
        port.SetGather(bGather != FALSE);
        return 0;
    });
}

BOOL ClearCommError(HANDLE hFile, DWORD* lpErrors, LPCOMSTAT lpStat) {
    return CommCall(hFile, [&](CommPort& port) { return port.Status(lpErrors, lpStat); });
}

BOOL ReadFile(HANDLE hFile, void* lpBuffer, DWORD n, DWORD* lpRead, LPOVERLAPPED ov) {
    return CommCall(hFile, [&](CommPort& port) {
        DWORD got = 0;
        const DWORD status = port.Read((char*)lpBuffer, n, got);
        return Complete(ov, status, got, lpRead);
    });
}

BOOL WriteFile(HANDLE hFile, const void* lpBuffer, DWORD n, DWORD* lpWritten, LPOVERLAPPED ov) {
    return CommCall(hFile, [&](CommPort& port) {
        DWORD done = 0;
        const DWORD status = port.Write((const char*)lpBuffer, n, done);
        return Complete(ov, status, done, lpWritten);
    });
}

BOOL GetOverlappedResult(HANDLE hFile, LPOVERLAPPED ov, DWORD* lpTransferred, BOOL) {
    return CommCall(hFile, [&](CommPort&) {
        if (lpTransferred) *lpTransferred = (DWORD)ov->InternalHigh;
        return (DWORD)ov->Internal;
    });
}

uint64_t GetCommOverflowCount(HANDLE hFile) {
    auto port = LookupCommPort(hFile);
    return port ? port->OverflowCount() : 0;
}

BOOL IsCommDeviceLost(HANDLE hFile) {
    auto port = LookupCommPort(hFile);
    return port && port->IsLost() ? TRUE : FALSE;
}
