// Opening a network port without the window waiting: the connecting runs in the background
// (CNetConnect) while the status line says so and 关闭串口 cancels it; when it is done the
// opening goes on as for any port. A reopening of the reconnect wait connects the same way,
// quietly: an attempt that fails leaves the wait as it was.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {
const int g_SettingIds[] = {IDC_STOPBITS_COMBO, IDC_PARITY_COMBO,   IDC_PORT_COMBO,
                            IDC_BAUD_COMBO,     IDC_DATABITS_COMBO, IDC_FLOWCTRL_COMBO};
}  // namespace

BOOL CKIVERNDlg::ConnectInBackground(UINT nPort, UINT nBaud, char cParity, UINT nDataBits,
                                     UINT nStopBits) {
    if (m_netConnect.IsHandingOver()) return FALSE;  // connected: the opening takes it
    std::string node, description;
    if (!DescribeListedPort(m_strPort, node, description) || NetPortKindOf(node) == NET_PORT_NONE)
        return FALSE;
    CNetOpenSettings s;
    s.nBaud = nBaud;
    s.cParity = cParity;
    s.nDataBits = nDataBits;
    s.nStopBits = nStopBits;
    s.nFlow = m_SerialPort.GetFlowControl();
    s.nDtr = m_SerialPort.GetDtrAtOpen();
    s.nRts = m_SerialPort.GetRtsAtOpen();
    if (!m_netConnect.Start(GetSafeHwnd(), node, nPort, s, m_reconnect.m_bReopening)) return FALSE;
    if (!m_reconnect.m_bReopening) ShowConnecting(TRUE);
    return TRUE;
}

// While connecting the button cancels and the port's settings stay as they are.
void CKIVERNDlg::ShowConnecting(BOOL bConnecting) {
    SetOpenPortControls(FALSE);
    if (bConnecting) {
        for (int id : g_SettingIds) GetDlgItem(id)->EnableWindow(FALSE);
        m_strConnectingStatus = m_strStatus;
        m_strStatus.Format(AfxTr("CKIVERNDlg", "%s 连接中..."), (const char*)m_strPort);
    } else {
        m_strStatus = m_strConnectingStatus;
    }
    m_btnOpen.SetWindowText(bConnecting ? AfxTr("Dialog", "关闭串口")
                                        : AfxTr("Dialog", "打开串口"));
    m_stStatus.SetWindowText(m_strStatus);
}

void CKIVERNDlg::CancelConnecting() {
    m_netConnect.Cancel();
    ShowConnecting(FALSE);
    m_strStatus.Format("%s CLOSED", (const char*)m_strPort);
    m_stStatus.SetWindowText(m_strStatus);
}

LRESULT CKIVERNDlg::OnNetConnected(WPARAM wParam, LPARAM) {
    DWORD dwError = 0, dwSettingsError = 0;
    if (!m_netConnect.Finish(wParam, dwError, dwSettingsError)) return 0;
    if (m_netConnect.IsReopen()) {
        // A reopening opens only a port that connected and took its settings; otherwise the
        // wait goes on, and its next tick tries again.
        if (!dwError && !dwSettingsError) TryReconnect();
    } else {
        ShowConnecting(FALSE);
        OnBnClickedOpen();
    }
    m_netConnect.EndHandOver();
    return 0;
}
