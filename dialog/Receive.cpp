// The receive display: received bytes into the receive text, stamps, the auto-wrap and
// refresh ticks, and the clear button.
#include "dialog/KIVERNDlg.h"

LRESULT CKIVERNDlg::OnSerialReceive(WPARAM wParam, LPARAM lParam) {
    const unsigned char* pBytes = reinterpret_cast<const unsigned char*>(wParam);
    INT_PTR nCount = pBytes ? (INT_PTR)lParam : 0;
    // During a file transfer by a protocol, received bytes are the transfer program's.
    if (m_fileTransfer.TakeReceived(pBytes, nCount)) {
        m_nRxBytes += nCount;
        FormatRxCount();
        return 1;
    }
    m_script.Feed(pBytes, nCount);
    m_autoReply.Feed(reinterpret_cast<const char*>(pBytes), (size_t)nCount);
    // Data after an echo of sent bytes starts on a line of its own.
    bool bLineStart = m_rxText.EndEcho();
    // The stamp goes straight onto the receive text, the bytes after it; with a stamp on
    // every line the receive text places them itself.
    if (m_bRxTime && !m_bRxStamped && !m_rxText.LineStamps()) {
        FormatTimeStamp();
        m_rxText.AppendStamp(m_strRxTime, bLineStart, m_bHexDisplay);
        KillTimer(IDT_RX_STAMP);
        m_bRxStamped = true;
        SetTimer(IDT_RX_STAMP, 100, nullptr);
    }
    m_rxText.AppendLaidOut(pBytes, nCount, m_bHexDisplay);
    m_plot.Feed(pBytes, nCount);  // the bytes as received: no stamps, no echoed sends
    if (m_bAutoWrap) {
        KillTimer(IDT_AUTO_WRAP);
        SetTimer(IDT_AUTO_WRAP, 100, nullptr);
    }
    // Hex rows end their block after a silence, whether or not the auto-wrap is on.
    if (m_bHexDisplay && m_settings.m_display.HexRowBytes()) {
        KillTimer(IDT_HEX_ROWS);
        SetTimer(IDT_HEX_ROWS, 100, nullptr);
    }
    m_nRxBytes += nCount;
    FormatRxCount();
    return 1;
}

// Sent bytes, when they are to be shown, go onto the receive text on a line of their own,
// after the stamp when received data is stamped, marked "TX> " so that a reader can tell them
// from received data. They are not counted as received.
void CKIVERNDlg::EchoSent(const CString& bytes) {
    if (!m_settings.m_bShowSent || bytes.IsEmpty()) return;
    if (m_rxText.LineStamps()) {
        m_rxText.Echo(bytes, m_bHexDisplay, m_rxText.LineStamp());
        return;
    }
    if (m_bRxTime) {
        FormatTimeStamp();
        m_bRxStamped = false;  // data received next has a stamp of its own
    }
    m_rxText.Echo(bytes, m_bHexDisplay, m_bRxTime ? m_strRxTime : CString());
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
    m_rxText.AppendLineEnd();
    UpdateData(FALSE);
    ScrollReceiveToEnd();
}

// Silence in hex rows: the open row gets its characters, the next bytes start at offset 0.
// The refresh tick shows it.
void CKIVERNDlg::OnHexRowsTick() {
    KillTimer(IDT_HEX_ROWS);
    m_rxText.EndHexBlock();
}

void CKIVERNDlg::OnRxRefreshTick() {
    if (m_rxText.Limit(m_settings.m_nRxLimitMiB))
        m_nLastRxLength = -1;  // the next refresh shows the text afresh
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
    m_rxText.Clear();
    UpdateData(FALSE);
}
