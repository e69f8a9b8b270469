// The port list, the open/close toggle, and the reopening when a lost device comes back.
#include <cstdio>
#include <cstdlib>

#include "dialog/CommandSlots.h"
#include "dialog/KIVERNDlg.h"
#include "serial/OpenFailure.h"

namespace {

const int g_SettingIds[] = {IDC_STOPBITS_COMBO, IDC_PARITY_COMBO,   IDC_PORT_COMBO,
                            IDC_BAUD_COMBO,     IDC_DATABITS_COMBO, IDC_FLOWCTRL_COMBO};

int FlowControlOf(const CString& name) {
    if (name == "RTS/CTS") return SERIAL_FLOW_RTSCTS;
    if (name == "XON/XOFF") return SERIAL_FLOW_XONXOFF;
    return SERIAL_FLOW_NONE;
}

// The number after "COM" as atoi reads it; an entry names the open port only when that
// number is exactly the open port's (COM1 is not present because COM10 is listed).
bool NamesPort(const char* pszName, UINT nPort) {
    if (nPort == 0 || pszName[0] != 'C' || pszName[1] != 'O' || pszName[2] != 'M') return false;
    const char* p = pszName + 3;
    if (*p < '0' || *p > '9') return false;
    unsigned long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (unsigned long)(*p - '0');
        if (n > 0xFFFFFFFFul) return false;
    }
    return *p == 0 && n == nPort;
}

}  // namespace

void CKIVERNDlg::RefreshPortList() {
    HKEY hKey;
    int nListed = 0;
    bool bPresent = false;
    int nOpenIndex = 0;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0, KEY_READ, &hKey) ==
        ERROR_SUCCESS) {
        // A port whose device has gone is not present, even while a stale entry lists it. A
        // port being connected counts as the open one.
        UINT nOpenPort = m_SerialPort.IsDeviceLost() ? 0 : m_SerialPort.GetPortNumber();
        if (m_netConnect.IsOpening()) nOpenPort = m_netConnect.GetPortNumber();
        m_cbPort.ResetContent();
        for (DWORD dwIndex = 0;; ++dwIndex) {
            char szName[256];
            char szData[256];
            DWORD dwNameLen = sizeof(szName);
            DWORD dwDataLen = sizeof(szData);
            DWORD dwType = 0;
            LONG lResult = RegEnumValueA(hKey, dwIndex, szName, &dwNameLen, nullptr, &dwType,
                                         (BYTE*)szData, &dwDataLen);
            if (lResult == ERROR_NO_MORE_ITEMS) break;
            if (lResult != ERROR_SUCCESS) continue;  // an entry that does not fit is left out
            szData[sizeof(szData) - 1] = 0;
            int nIndex = m_cbPort.AddString(szData);
            if (NamesPort(szData, nOpenPort)) {
                bPresent = true;
                nOpenIndex = nIndex;
            }
            ++nListed;
        }
        RegCloseKey(hKey);
    }
    bool bLost = false;
    if (!bPresent) {
        CString strCaption;
        m_btnOpen.GetWindowText(strCaption);
        if (strCaption == AfxTr("Dialog", "关闭串口")) {
            bLost = !m_netConnect.IsOpening();  // a connecting is only cancelled
            OnBnClickedOpen();
        }
    }
    // The first port is selected, except that an open port stays the one shown: the list is
    // disabled then, and its closing names the port it shows. A port the command line named
    // stays selected until the user picks another.
    int nSelect = bPresent ? nOpenIndex : 0;
    const CString& strKept = m_namedPort.GetKeptSelection();
    if (!bPresent && !strKept.IsEmpty() && m_cbPort.FindStringExact(-1, strKept) >= 0)
        nSelect = m_cbPort.FindStringExact(-1, strKept);
    m_cbPort.SetCurSel(nSelect);
    GetDlgItem(IDC_OPEN_BUTTON)->EnableWindow(nListed > 0);
    if (bLost) m_reconnect.Begin();
}

LRESULT CKIVERNDlg::OnDeviceChange(WPARAM wParam, LPARAM) {
    if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) RefreshPortList();
    if (wParam == DBT_DEVICEARRIVAL) TryReconnect();
    return TRUE;
}

void CKIVERNDlg::SetOpenPortControls(BOOL bOpen) {
    for (int id : g_SettingIds) GetDlgItem(id)->EnableWindow(!bOpen);
    GetDlgItem(IDC_HEX_SEND_CHECK)->EnableWindow(bOpen);
    GetDlgItem(IDC_TIMED_SEND_CHECK)->EnableWindow(bOpen);
    GetDlgItem(IDC_INTERVAL_EDIT)->EnableWindow(bOpen);
    GetDlgItem(IDC_SEND_BUTTON)->EnableWindow(bOpen);
    for (int id : g_CmdSendIds) GetDlgItem(id)->EnableWindow(bOpen);
}

// Puts the receive view back at the line it showed. The view keeps its place across a
// write-out, so it is scrolled by what separates it from that line.
void CKIVERNDlg::RestoreReceiveScroll(int nPos) {
    m_editReceive.SetScrollPos(SB_VERT, nPos, TRUE);
    m_editReceive.LineScroll(nPos - m_editReceive.GetFirstVisibleLine(), 0);
}

void CKIVERNDlg::OnBnClickedOpen() {
    CString strCaption;
    m_btnOpen.GetWindowText(strCaption);
    UpdateData(TRUE);
    if (strCaption == AfxTr("Dialog", "关闭串口") && m_netConnect.IsOpening()) {
        CancelConnecting();
        return;
    }
    if (strCaption == AfxTr("Dialog", "关闭串口")) {
        int nPos = m_editReceive.GetScrollPos(SB_VERT);
        m_fileTransfer.PortClosing();
        m_script.PortClosed();
        m_lineSignals.Stop();
        m_SerialPort.ClosePort();
        m_modemLines.Stop();
        m_btnOpen.SetWindowText(AfxTr("Dialog", "打开串口"));
        m_strPortState = "关闭";
        m_strStatus.Format("%s CLOSED", (const char*)m_strPort);
        m_tips.AddTool(&m_stStatus, "");
        UpdateData(FALSE);
        KillTimer(IDT_TIMED_SEND);
        KillTimer(IDT_RX_REFRESH);
        SetOpenPortControls(FALSE);
        m_nStatusColor = 0;
        m_stStatus.InvalidateRect(nullptr, TRUE);
        RestoreReceiveScroll(nPos);
        return;
    }

    if (!m_reconnect.m_bReopening) m_reconnect.End(TRUE);  // the user opens a port of their choice
    int nPos = m_editReceive.GetScrollPos(SB_VERT);
    UpdateData(TRUE);
    UINT nPort = (UINT)atoi((const char*)m_strPort +
                            (m_strPort.GetLength() >= 3 ? 3 : m_strPort.GetLength()));
    // Read as atoi reads it but saturated, as the interval is: a rate beyond the 32-bit
    // range must not wrap into a small one that opens the port at another speed.
    UINT nBaud = (UINT)IntervalValue(m_strBaud);
    char cParity = m_strParity.IsEmpty() ? 'N' : m_strParity.GetAt(0);
    UINT nDataBits = (UINT)atoi(m_strDataBits);
    UINT nStopBits = (UINT)atoi(m_strStopBits);
    m_SerialPort.SetFlowControl(FlowControlOf(m_strFlowCtrl));
    m_modemLines.Prepare(m_settings);
    // A network port connects in the background first; this opening resumes when it is done.
    if (ConnectInBackground(nPort, nBaud, cParity, nDataBits, nStopBits)) return;
    if (m_SerialPort.OpenPort(this, nPort, nBaud, cParity, nDataBits, nStopBits, EV_RXCHAR, 1024)) {
        m_SerialPort.StartMonitor();
        m_reconnect.NoteOpened(
            {m_strPort, m_strBaud, m_strParity, m_strDataBits, m_strStopBits, m_strFlowCtrl});
        UpdateData(TRUE);
        m_btnOpen.SetWindowText(AfxTr("Dialog", "关闭串口"));
        m_strPortState = "打开";
        m_strStatus.Format("%s OPENED, %s", (const char*)m_strPort, (const char*)m_strBaud);
        // A raw TCP port takes no settings: the status says so in what fits its label, and its
        // tip in full.
        CString strTip;
        if (m_SerialPort.GetPortKind() == PST_TCPIP_RAW) {
            m_strStatus.Format("%s OPENED, raw TCP", (const char*)m_strPort);
            strTip = m_strStatus + ": settings not sent";
        }
        m_tips.AddTool(&m_stStatus, strTip);
        UpdateData(FALSE);
        if (m_bTimedSend) SetTimer(IDT_TIMED_SEND, (UINT)m_nInterval, nullptr);
        SetOpenPortControls(TRUE);
        m_modemLines.Start();
        m_nStatusColor = 1;
        m_stStatus.InvalidateRect(nullptr, TRUE);
        RestoreReceiveScroll(nPos);
    } else {
        DWORD dwError = GetLastError();
        // A reopening after a replug tries again quietly until the wait ends.
        if (!m_reconnect.m_bReopening) {
            CPortOpenFailure failure = FindOpenFailure(nPort, dwError);
            m_namedPort.Describe(failure);
            AfxMessageBox(FormatOpenFailure(failure), OpenFailureBoxType(failure));
        }
        m_nStatusColor = 0;
        m_stStatus.InvalidateRect(nullptr, TRUE);
        // The receive text was not written back, so its view stays where it is.
    }
    SetTimer(IDT_RX_REFRESH, 30, nullptr);
}

// The reconnect wait's device is back: the lists are set as at its last opening and the open
// button is pressed. A failed attempt leaves the status as it was, and the wait goes on.
void CKIVERNDlg::TryReconnect() {
    if (!m_reconnect.IsDeviceBack()) return;
    // Back before the list heard of it: list it first.
    if (m_cbPort.FindStringExact(-1, m_reconnect.GetPort()) < 0) RefreshPortList();
    if (!m_reconnect.SelectOpening(m_cbPort, m_cbBaud, m_cbParity, m_cbDataBits, m_cbStopBits,
                                   m_cbFlowCtrl))
        return;
    m_reconnect.m_bReopening = TRUE;
    OnBnClickedOpen();
    m_reconnect.m_bReopening = FALSE;
    if (m_strPortState == "打开") m_reconnect.End(FALSE);
}

// Choosing another port than the one waited for ends the wait; choosing another port than
// the one the command line named lets refreshes select the first port again.
void CKIVERNDlg::OnCbnSelchangePort() {
    CString strChosen;
    int i = m_cbPort.GetCurSel();
    if (i >= 0) m_cbPort.GetLBText(i, strChosen);
    m_namedPort.OnUserPick(strChosen);
    m_reconnect.OnUserPick(strChosen);
}
