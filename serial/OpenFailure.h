// The text of the box that says a port did not open. For a port of the list it begins with the
// usual words (the port is in use, or there is no access) and adds what was found out: for a
// port in use, the programs that hold it; for a refused port, the device and the group that
// owns it, with the command that joins dialout when that is the group; for a port that is
// gone, that it is gone. A network port, and a port named on the command line, get a box that
// states the cause itself (refused, unknown host, timed out, no such port), with its address,
// and the in-use words only when the port is held.
#pragma once
#include <vector>

#include "platform/afx.h"

struct CPortOpenFailure {
    UINT nPort = 0;
    DWORD dwError = 0;                // GetLastError of the failed opening
    CString strDevice;                // the device's path; empty when not known
    CString strGroup;                 // the group that owns the device; empty when not known
    std::vector<COMMHOLDER> holders;  // processes that have the device open
    CString strAddress = "";          // a network port's URL; empty for a device
    bool bCommandLine = false;        // the port, or its opening, came from the command line
};

// What the system tells about the port now: its device, owner group and holders.
CPortOpenFailure FindOpenFailure(UINT nPort, DWORD dwError, bool bCommandLine = false);
// The box's text (GBK). Depends on nothing but f.
CString FormatOpenFailure(const CPortOpenFailure& f);
// The box's type for AfxMessageBox: a box that states the cause itself carries the warning icon.
UINT OpenFailureBoxType(const CPortOpenFailure& f);
