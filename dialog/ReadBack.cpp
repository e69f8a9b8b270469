// Reading back while data flows: with scrolling paused, nothing moves the receive display to
// its end (the refresh, the auto-wrap tick, the sends, the display's own catching up); data
// keeps arriving and being counted. Resuming goes to the end.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnRxPauseScroll() {
    m_bPauseScroll = !m_bPauseScroll;
    m_editReceive.SendMessage(EM_KV_FOLLOWEND, !m_bPauseScroll, 0);
    // A reader who forgot the pause finds it in the display's tip.
    m_tips.AddTool(&m_editReceive, m_bPauseScroll
                                       ? AfxTr("CKIVERNDlg", "接收区 (Alt+R)，已暂停滚动")
                                       : AfxTr("CKIVERNDlg", "接收区 (Alt+R)"));
    ScrollReceiveToEnd();
}
