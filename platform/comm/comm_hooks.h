// The comm layer's installable hooks, all of one kind: a std::function set for every port,
// nullptr restoring the real behaviour. Setting one while ports run is safe.
#pragma once
#include <functional>

#include "platform/core/wintypes.h"

// Tests: stands in for the modem lines of every local device port. Called with SETDTR, CLRDTR,
// SETRTS or CLRRTS to drive a line, SETBREAK or CLRBREAK for the break, or with 0 to read all
// lines into *lpLines (MS_* bits, MS_DTR_ON and MS_RTS_ON for the outputs); returns 0 or an
// errno value.
void SetCommModemHook(std::function<int(DWORD dwFunc, DWORD* lpLines)> hook);
// Tests: called with the byte count of every WriteFile on any port, before it writes.
void SetCommWriteHook(std::function<void(DWORD nBytes)> hook);
// The device notifications: called on a port's reader thread when the device or connection
// behind an open port goes away.
void SetCommDeviceLostHandler(std::function<void()> handler);

// The layer's own use. CallCommModemHook returns false when no modem hook is set (result is
// then left alone).
bool CallCommModemHook(DWORD dwFunc, DWORD* lpLines, int& result);
void CallCommWriteHook(DWORD nBytes);
void CallCommDeviceLostHandler();
