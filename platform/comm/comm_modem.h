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
// The break condition on the transmit line, from SetCommBreak until ClearCommBreak; the caller
// times it. A port that cannot send a break (a raw TCP port, a server without the serial-port
// option, a pseudo-terminal, where Linux has no break) fails with EOPNOTSUPP.
BOOL SetCommBreak(HANDLE hFile);
BOOL ClearCommBreak(HANDLE hFile);
