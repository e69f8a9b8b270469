// Reading back while data flows: the refresh leaves the view where the user put it.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnRxPauseScroll() { m_bPauseScroll = !m_bPauseScroll; }
