// The modem control lines: driving DTR and RTS, reading CTS, DSR, RI and DCD.
#pragma once
#include "platform/comm/comm_types.h"
#include "platform/core/wintypes.h"

// SETDTR, CLRDTR, SETRTS or CLRRTS. RTS under RTS/CTS flow control belongs to the driver:
// SETRTS and CLRRTS fail with ERROR_INVALID_PARAMETER then. Other functions fail the same way.
// A port without modem lines (a pseudo-terminal) fails with the driver's error (ENOTTY).
BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc);
// *lpModemStat gets the input lines that are on: MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON.
// A port without modem lines fails (ENOTTY), so the caller can tell it has none.
BOOL GetCommModemStatus(HANDLE hFile, DWORD* lpModemStat);
// Tests: while set, stands in for the modem lines of every port. Called with SETDTR, CLRDTR,
// SETRTS or CLRRTS to drive a line, or with 0 to read all lines into *lpLines (MS_* bits,
// MS_DTR_ON and MS_RTS_ON for the outputs); returns 0 or an errno value. nullptr: the device.
void SetCommModemHook(int (*hook)(DWORD dwFunc, DWORD* lpLines));
