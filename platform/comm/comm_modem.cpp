// The modem control lines: EscapeCommFunction, GetCommModemStatus.
#include "platform/comm/comm_modem.h"

#include <errno.h>

#include "platform/comm/comm_port.h"
#include "platform/comm/comm_termios.h"
#include "platform/core/syserr.h"

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    const bool rts = dwFunc == SETRTS || dwFunc == CLRRTS;
    if (!rts && dwFunc != SETDTR && dwFunc != CLRDTR) return kvimpl::Fail(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> lock(port->stateMutex);
    if (rts && port->rtsControl == RTS_CONTROL_HANDSHAKE)
        return kvimpl::Fail(ERROR_INVALID_PARAMETER);
    const bool on = dwFunc == SETRTS || dwFunc == SETDTR;
    const DWORD line = rts ? MS_RTS_ON : MS_DTR_ON;
    if (int err =
            port->net ? port->net->SetModemLine(line, on) : CommSetModemLine(port->fd, line, on))
        return kvimpl::Fail(err);
    return TRUE;
}

BOOL GetCommModemStatus(HANDLE hFile, DWORD* lpModemStat) {
    auto port = LookupCommPort(hFile);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    if (!lpModemStat) return kvimpl::Fail(EINVAL);
    DWORD lines = 0;
    if (int err = port->net ? port->net->GetModemLines(lines) : CommGetModemLines(port->fd, lines))
        return kvimpl::Fail(err);
    *lpModemStat = lines & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
    return TRUE;
}

void SetCommModemHook(int (*hook)(DWORD dwFunc, DWORD* lpLines)) { CommSetModemHook(hook); }
