// Timed sending: the check box, the interval edit and the tick of timer 1.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnBnClickedTimedSend() {
    UpdateData(TRUE);
    if (m_bTimedSend)
        SetTimer(IDT_TIMED_SEND, (UINT)m_nInterval, nullptr);
    else
        KillTimer(IDT_TIMED_SEND);
}

void CKIVERNDlg::OnEnChangeInterval() {
    UpdateData(TRUE);
    if (IsDecimalNumber(m_strInterval)) {
        UpdateData(TRUE);
        m_strStatus = "Time Input OK";
        UpdateData(FALSE);
        m_nInterval = IntervalValue(m_strInterval);
        if (m_bTimedSend) {
            KillTimer(IDT_TIMED_SEND);
            SetTimer(IDT_TIMED_SEND, (UINT)m_nInterval, nullptr);
        }
    } else {
        UpdateData(TRUE);
        m_strStatus = "Time Input Error";
        UpdateData(FALSE);
        m_nInterval = 0;
    }
}

void CKIVERNDlg::OnTimedSendTick() {
    if (m_SerialPort.IsSending()) return;  // a tick inside a send's error box: the next one comes
    UpdateData(TRUE);
    CString bytes;
    if (!SendEditBytes(bytes)) return;
    if (m_bTimedSend) SendAndReport(bytes);
}
