// Find in the receive display.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnRxFind() {}
