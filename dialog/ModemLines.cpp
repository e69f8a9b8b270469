// The modem lines in the status band while a port is open: the DTR and RTS toggles and the
// input lines CTS, DSR, DCD and RI, read on a timer and redrawn only when they change.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {

const UINT kModemPollMs = 200;

int LineAtOpen(int nSetting) {
    if (nSetting == KV_LINE_ON) return SERIAL_LINE_ON;
    if (nSetting == KV_LINE_OFF) return SERIAL_LINE_OFF;
    return SERIAL_LINE_KEEP;
}

}  // namespace

// The options take effect at the next opening.
void CKIVERNDlg::PrepareModemLines() {
    m_SerialPort.SetLinesAtOpen(LineAtOpen(m_settings.m_nDtrAtOpen),
                                LineAtOpen(m_settings.m_nRtsAtOpen));
}

void CKIVERNDlg::StartModemLines() {
    ShowModemLines(TRUE);
    if (m_dwModemShown != MAXDWORD) SetTimer(IDT_MODEM_LINES, kModemPollMs, nullptr);
}

void CKIVERNDlg::StopModemLines() {
    KillTimer(IDT_MODEM_LINES);
    m_dwModemShown = MAXDWORD;
    m_chkDtr.SetCheck(BST_UNCHECKED);
    m_chkRts.SetCheck(BST_UNCHECKED);
    m_chkDtr.EnableWindow(FALSE);
    m_chkRts.EnableWindow(FALSE);
    m_stModemLines.SetWindowText("");
    m_stModemLines.SetAccessibleName("输入线");
}

// Reads the open port's lines into the toggles and the label (bAvailable FALSE: the port has
// none). A port without modem lines (a pseudo-terminal) says so and leaves the toggles off and
// disabled; that is no error.
void CKIVERNDlg::ShowModemLines(BOOL bAvailable) {
    BOOL bDtr = FALSE, bRts = FALSE;
    if (bAvailable) bAvailable = m_SerialPort.GetOutputLines(&bDtr, &bRts);
    const BOOL bHandshake = m_SerialPort.IsRtsHandshake();
    m_chkDtr.SetCheck(bAvailable && bDtr ? BST_CHECKED : BST_UNCHECKED);
    m_chkRts.SetCheck(bAvailable && bRts ? BST_CHECKED : BST_UNCHECKED);
    m_chkDtr.EnableWindow(bAvailable);
    m_chkRts.EnableWindow(bAvailable && !bHandshake);  // under RTS/CTS the driver drives RTS
    m_dwModemShown = MAXDWORD;
    if (!bAvailable) {
        KillTimer(IDT_MODEM_LINES);
        m_stModemLines.SetWindowText("控制线不可用");
        m_stModemLines.SetAccessibleName("输入线：控制线不可用");
        return;
    }
    OnModemLinesTick();
}

void CKIVERNDlg::OnModemLinesTick() {
    DWORD dwStatus = 0;
    if (!m_SerialPort.GetModemStatus(&dwStatus)) {
        ShowModemLines(FALSE);  // the device went away, or its lines did
        return;
    }
    if (dwStatus == m_dwModemShown) return;
    m_dwModemShown = dwStatus;
    auto mark = [dwStatus](DWORD bit) { return (dwStatus & bit) ? "●" : "○"; };
    CString strLines;
    strLines.Format("CTS%s  DSR%s  DCD%s  RI%s", mark(MS_CTS_ON), mark(MS_DSR_ON), mark(MS_RLSD_ON),
                    mark(MS_RING_ON));
    m_stModemLines.SetWindowText(strLines);
    // A screen reader says the states in words rather than the circles' names.
    auto word = [dwStatus](DWORD bit) { return (dwStatus & bit) ? "开" : "关"; };
    strLines.Format("输入线：CTS %s，DSR %s，DCD %s，RI %s", word(MS_CTS_ON), word(MS_DSR_ON),
                    word(MS_RLSD_ON), word(MS_RING_ON));
    m_stModemLines.SetAccessibleName(strLines);
}

// A toggle the port does not take goes back to the line's state.
void CKIVERNDlg::OnBnClickedLineDtr() {
    if (!m_SerialPort.SetDTR(m_chkDtr.GetCheck() == BST_CHECKED)) ShowModemLines(TRUE);
}

void CKIVERNDlg::OnBnClickedLineRts() {
    if (!m_SerialPort.SetRTS(m_chkRts.GetCheck() == BST_CHECKED)) ShowModemLines(TRUE);
}
