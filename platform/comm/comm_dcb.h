// Line settings: mode strings, reading and applying a port's settings.
#pragma once
#include "platform/comm/comm_types.h"
#include "platform/core/wintypes.h"

// Reads the port's current settings. Where the device has modem lines, fDtrControl and
// fRtsControl (unless RTS/CTS) tell whether DTR and RTS are on now.
BOOL GetCommState(HANDLE hFile, LPDCB lpDCB);
// Parses a mode string such as "baud=9600 parity=N data=8 stop=1" (optionally after "COMn:";
// also xon=, octs=, odsr=, idsr=, dtr=, rts=, to=) into *lpDCB. Any baud rate above 0; parity
// N O E M S; data 5 to 8; stop 1, 1.5 or 2. Flow control is switched off unless named; 110
// baud gets 2 stop bits unless stop= is given. Fails with EINVAL, leaving *lpDCB as it was.
BOOL BuildCommDCBA(LPCSTR lpDef, LPDCB lpDCB);
// Applies *lpDCB: raw mode, CLOCAL|CREAD, the speed by its standard code or else as a custom
// rate (any rate), then reads the settings back: a speed the driver did not take fails with
// EINVAL. RTS (unless RTS/CTS, where the driver drives it) and DTR follow fRtsControl and
// fDtrControl where the device has modem lines.
BOOL SetCommState(HANDLE hFile, const DCB* lpDCB);
