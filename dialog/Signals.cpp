// The status band's context menu and the line signals it offers, a BREAK and the reset pulse
// (CLineSignals), also on Ctrl+B and Ctrl+Shift+B. Each is told in the status line, and in the
// receive text as an echo line when sent data is shown there.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

void CKIVERNDlg::ShowStatusBandMenu(POINT point) {
    const UINT nState =
        m_SerialPort.GetPortKind() != 0 && !m_lineSignals.IsRunning() ? 0 : MF_GRAYED;
    CString strBreak, strReset;
    strBreak.Format(AfxTr("CKIVERNDlg", "发送 BREAK（%d ms）\tCtrl+B"), m_settings.m_nBreakMs);
    strReset.Format(AfxTr("CKIVERNDlg", "复位设备（%s 拉低 %d ms）\tCtrl+Shift+B"),
                    m_settings.m_nResetLine == KV_RESET_RTS ? "RTS" : "DTR", m_settings.m_nResetMs);
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING | nState, IDM_LINE_BREAK, strBreak);
    menu.AppendMenu(MF_STRING | nState, IDM_LINE_RESET, strReset);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, IDM_RX_SETTINGS, AfxTr("CKIVERNDlg", "更多设置...\tCtrl+,"));
    switch (menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, point.x, point.y, this)) {
        case IDM_LINE_BREAK:
            OnLineBreak();
            break;
        case IDM_LINE_RESET:
            OnLineReset();
            break;
        case IDM_RX_SETTINGS:
            ShowSettings();
            break;
        default:
            break;
    }
}

void CKIVERNDlg::OnLineBreak() {
    CString strEcho, strStatus;
    BOOL bStarted = m_lineSignals.StartBreak(strEcho, strStatus);
    ShowLineSignal(bStarted, strEcho, strStatus);
}

void CKIVERNDlg::OnLineReset() {
    CString strEcho, strStatus;
    BOOL bStarted = m_lineSignals.StartReset(strEcho, strStatus);
    ShowLineSignal(bStarted, strEcho, strStatus);
}

// A refusal is red in the status line, with no box; a started signal is green, and echoed.
void CKIVERNDlg::ShowLineSignal(BOOL bStarted, const CString& strEcho, const CString& strStatus) {
    UpdateData(TRUE);
    if (bStarted && m_settings.m_bShowSent) {
        if (m_bRxTime) {
            FormatTimeStamp();
            m_bRxStamped = false;  // data received next has a stamp of its own
        }
        m_rxText.EchoNote(strEcho, m_bRxTime ? m_strRxTime : CString());
    }
    m_strStatus = strStatus;
    m_nStatusColor = bStarted ? 2 : 3;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
    if (bStarted) ScrollReceiveToEnd();
}

void CKIVERNDlg::OnLineSignalTick() {
    CString strStatus;
    BOOL bFailed = FALSE;
    if (!m_lineSignals.OnTick(strStatus, bFailed)) return;
    UpdateData(TRUE);
    m_strStatus = strStatus;
    m_nStatusColor = bFailed ? 3 : 2;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
}
