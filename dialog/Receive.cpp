// The receive display: received bytes into the receive text, stamps, the auto-wrap and
// refresh ticks, and the clear button.
#include "dialog/KIVERNDlg.h"

LRESULT CKIVERNDlg::OnSerialReceive(WPARAM wParam, LPARAM lParam) {
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(wParam);
    INT_PTR nCount = pBytes ? (INT_PTR)lParam : 0;
    // Data after an echo of sent bytes starts on a line of its own.
    bool bLineStart = false;
    if (m_bEchoOpen) {
        m_bEchoOpen = false;
        if (!m_strReceive.IsEmpty() && m_strReceive[m_strReceive.GetLength() - 1] != '\n')
            m_strReceive += "\r\n";
        bLineStart = true;
    }
    // The stamp and the bytes go straight onto the receive text: a delivery may hold all that
    // waited (many MiB), and a copy of it would only cost time and memory.
    if (m_bRxTime && !m_bRxStamped) {
        FormatTimeStamp();
        if (!bLineStart) m_strReceive += "\r\n";
        m_strReceive += m_strRxTime;
        KillTimer(IDT_RX_STAMP);
        m_bRxStamped = true;
        SetTimer(IDT_RX_STAMP, 100, nullptr);
    }
    AppendShown(pBytes, nCount);
    if (m_bAutoWrap) {
        KillTimer(IDT_AUTO_WRAP);
        SetTimer(IDT_AUTO_WRAP, 100, nullptr);
    }
    m_nRxBytes += nCount;
    FormatRxCount();
    LogReceiveText();
    return 1;
}

// Bytes onto the receive text as the display mode shows them: "%02X " each, or raw text.
void CKIVERNDlg::AppendShown(const unsigned char* pBytes, INT_PTR nCount) {
    if (m_bHexDisplay) {
        static const char kDigits[] = "0123456789ABCDEF";
        char hex[3 * 1024];
        for (INT_PTR i = 0; i < nCount;) {
            INT_PTR n = 0;
            for (; i < nCount && n < (INT_PTR)sizeof hex; ++i, n += 3) {
                hex[n] = kDigits[pBytes[i] >> 4];
                hex[n + 1] = kDigits[pBytes[i] & 0x0F];
                hex[n + 2] = ' ';
            }
            m_strReceive.Append(hex, n);
        }
    } else {
        // Raw text: every byte as it came. A 0x00 is not shown, but the bytes after it in the
        // same delivery still reach the receive text.
        const char* p = reinterpret_cast<const char*>(pBytes);
        for (INT_PTR i = 0; i < nCount;) {
            INT_PTR j = i;
            while (j < nCount && p[j] != 0) ++j;
            m_strReceive.Append(p + i, j - i);
            i = j + 1;
        }
    }
}

// Sent bytes, when they are to be shown, go onto the receive text on a line of their own,
// after the stamp when received data is stamped, marked "TX> " so that a reader can tell them
// from received data. They are not counted as received.
void CKIVERNDlg::EchoSent(const CString& bytes) {
    if (!m_settings.m_bShowSent || bytes.IsEmpty()) return;
    INT_PTR n = m_strReceive.GetLength();
    if (n > 0 && m_strReceive[n - 1] != '\n') m_strReceive += "\r\n";
    if (m_bRxTime) {
        FormatTimeStamp();
        m_strReceive += m_strRxTime;
        m_bRxStamped = false;  // data received next has a stamp of its own
    }
    m_strReceive += "TX> ";
    AppendShown(reinterpret_cast<const unsigned char*>(bytes.GetString()), bytes.GetLength());
    m_bEchoOpen = true;
    LogReceiveText();
}

// The RX counter; bytes the port had to drop (its buffer full) are shown beside it, never
// lost silently.
void CKIVERNDlg::FormatRxCount() {
    unsigned long long nLost = m_SerialPort.GetOverflowCount();
    if (nLost == 0)
        m_strRxCount.Format("RX: %lld Bytes", (long long)m_nRxBytes);
    else
        m_strRxCount.Format("RX: %lld Bytes (lost %llu)", (long long)m_nRxBytes, nLost);
}

void CKIVERNDlg::FormatTimeStamp() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    m_strRxTime.Format("[%04d/%02d/%02d %02d:%02d:%02d.%03d] ", st.wYear, st.wMonth, st.wDay,
                       st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

void CKIVERNDlg::ScrollReceiveToEnd() {
    if (m_bPauseScroll) return;  // the reader keeps the view
    LRESULT n = m_editReceive.SendMessage(EM_GETLINECOUNT, 0, 0);
    m_editReceive.SendMessage(EM_LINESCROLL, 0, (LPARAM)n);
}

// Silence after data: a line end, so the next data starts on a line of its own.
void CKIVERNDlg::OnAutoWrapTick() {
    KillTimer(IDT_AUTO_WRAP);
    UpdateData(TRUE);
    m_strReceive += "\r\n";
    LogReceiveText();
    UpdateData(FALSE);
    ScrollReceiveToEnd();
}

void CKIVERNDlg::OnRxRefreshTick() {
    LimitReceiveText();
    INT_PTR nLength = m_strReceive.GetLength();
    if (nLength != m_nLastRxLength) {
        // Read the controls back first: a refresh must not undo what the user has typed or
        // ticked meanwhile (a send text being typed while data streams).
        UpdateData(TRUE);
        UpdateData(FALSE);
        ScrollReceiveToEnd();
    }
    m_nLastRxLength = nLength;
}

void CKIVERNDlg::OnBnClickedClearRx() {
    UpdateData(TRUE);
    m_nTxBytes = 0;
    m_nRxBytes = 0;
    m_strTxCount = "TX: 0 Bytes";
    m_strRxCount = "RX: 0 Bytes";
    LogReceiveText();  // the live log goes on past a clear
    m_strReceive = "";
    m_nLiveLogged = 0;
    m_bEchoOpen = false;
    UpdateData(FALSE);
}
