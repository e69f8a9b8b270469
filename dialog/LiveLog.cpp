// The live log: the receive text appended to a file as it arrives.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnRxLiveLog() {}

BOOL CKIVERNDlg::IsLiveLogging() const { return FALSE; }
