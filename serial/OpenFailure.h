// The text of the box that says a port did not open. It begins with the usual words (the port
// is in use, or there is no access) and adds what was found out: for a port in use, the
// programs that hold it; for a refused port, the device and the group that owns it, with the
// command that joins dialout when that is the group; for a port that is gone, that it is gone;
// for a network port, the address and why it did not answer.
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
};

// What the system tells about the port now: its device, owner group and holders.
CPortOpenFailure FindOpenFailure(UINT nPort, DWORD dwError);
// The box's text (GBK). Depends on nothing but f.
CString FormatOpenFailure(const CPortOpenFailure& f);
