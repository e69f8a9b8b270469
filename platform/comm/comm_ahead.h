// Network ports connected ahead of their opening, so that the thread that opens one (the
// window's) never waits on the network: a worker connects, negotiates and sends the settings,
// and the opening then takes the outcome at once.
#pragma once
#include <functional>

#include "platform/comm/comm_types.h"
#include "platform/core/wintypes.h"

// Connects to the network port url and negotiates as CreateFileA would; then, where compose
// fills in the settings (it is given GetCommState's DCB and returns FALSE for none), sends them
// as SetCommState would. Blocks for up to several seconds: call it on a worker thread. The
// outcome is kept for the next CreateFileA of url, on any thread, which takes it at once: the
// port (whose first SetCommState with the very same settings returns their outcome without
// asking the server again), or the error CreateFileA fails with (a server that hung up while
// negotiating: ECONNRESET). Setting the event hCancel ends the call soon with
// ERROR_OPERATION_ABORTED, and nothing is kept. Returns 0 or that error; *pdwSettingsError
// gets the settings' outcome (0: taken or none sent).
DWORD ConnectNetworkPortAhead(LPCSTR lpUrl, const std::function<BOOL(DCB&)>& compose,
                              HANDLE hCancel, DWORD* pdwSettingsError);
// Drops what was kept for url and not taken by an opening.
void DiscardNetworkPortAhead(LPCSTR lpUrl);
