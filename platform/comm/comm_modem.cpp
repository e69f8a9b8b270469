// The modem control lines: EscapeCommFunction, GetCommModemStatus; and the break.
#include "platform/comm/comm_modem.h"

#include <errno.h>

#include "platform/comm/comm_port.h"

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
    return CommCall(hFile, [&](CommPort& port) { return port.Escape(dwFunc); });
}

BOOL GetCommModemStatus(HANDLE hFile, DWORD* lpModemStat) {
    return CommCall(hFile, [&](CommPort& port) -> DWORD {
        if (!lpModemStat) return EINVAL;
        DWORD lines = 0;
        if (DWORD err = port.GetModemLines(lines)) return err;
        *lpModemStat = lines & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON);
        return 0;
    });
}

BOOL SetCommBreak(HANDLE hFile) {
    return CommCall(hFile, [](CommPort& port) { return port.SetBreak(true); });
}

BOOL ClearCommBreak(HANDLE hFile) {
    return CommCall(hFile, [](CommPort& port) { return port.SetBreak(false); });
}
