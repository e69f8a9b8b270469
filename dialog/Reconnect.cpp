// Reopening a port after a replug. When the device of the open port goes away the port is
// closed as ever; with the option on, the dialog then waits for the same device (the same
// identity, which keeps its COM number) and reopens it with the settings of the last opening,
// as the open button would. A device that is back but cannot be opened yet (its permissions
// not set up yet) is tried again on every tick until the time is up.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {
const UINT kReconnectTickMs = 500;

// Selects the item whose text is exactly strText; FALSE when there is none.
BOOL SelectExact(CComboBox& cb, const CString& strText) {
    int i = cb.FindStringExact(-1, strText);
    if (i < 0) return FALSE;
    cb.SetCurSel(i);
    return TRUE;
}
}  // namespace

// Called after every successful opening, with the members read from the controls.
void CKIVERNDlg::NoteOpenedPort() {
    m_reconnect.strPort = m_strPort;
    m_reconnect.strBaud = m_strBaud;
    m_reconnect.strParity = m_strParity;
    m_reconnect.strDataBits = m_strDataBits;
    m_reconnect.strStopBits = m_strStopBits;
    m_reconnect.strFlowCtrl = m_strFlowCtrl;
    // A reopening opened the very device the wait looked for, whose link may be gone again by
    // now (a link that comes and goes): it keeps that identity, so that the next loss waits
    // again instead of ending with no device to wait for.
    std::string identity;
    if (GetListedPortIdentity(m_strPort, identity))
        m_reconnect.identity = identity;
    else if (!m_bReopening)
        m_reconnect.identity.clear();
}

// Called once the port of a lost device has been closed.
void CKIVERNDlg::BeginReconnectWait() {
    if (!m_settings.m_bReconnect || m_reconnect.identity.empty()) return;
    m_reconnect.bWaiting = TRUE;
    m_reconnect.nWaitedMs = 0;
    m_reconnect.strClosedStatus = m_strStatus;
    m_strStatus.Format("%s 等待重连...", (const char*)m_reconnect.strPort);
    m_stStatus.SetWindowText(m_strStatus);
    SetTimer(IDT_RECONNECT, kReconnectTickMs, nullptr);
}

void CKIVERNDlg::TryReconnect() {
    // A network port's attempt still connecting is waited for.
    if (!m_reconnect.bWaiting || m_netConnect.IsRunning()) return;
    std::string identity;
    if (!GetListedPortIdentity(m_reconnect.strPort, identity) || identity != m_reconnect.identity)
        return;
    // Back before the list heard of it: list it first.
    if (m_cbPort.FindStringExact(-1, m_reconnect.strPort) < 0) RefreshPortList();
    if (!SelectExact(m_cbPort, m_reconnect.strPort)) return;
    m_cbBaud.SetWindowText(m_reconnect.strBaud);
    SelectExact(m_cbParity, m_reconnect.strParity);
    SelectExact(m_cbDataBits, m_reconnect.strDataBits);
    SelectExact(m_cbStopBits, m_reconnect.strStopBits);
    SelectExact(m_cbFlowCtrl, m_reconnect.strFlowCtrl);
    m_bReopening = TRUE;
    OnBnClickedOpen();
    m_bReopening = FALSE;
    // A failed attempt leaves the status as it was, and the wait goes on.
    if (m_strPortState == "打开") EndReconnectWait(FALSE);
}

// Ends a wait, if one runs; bRestoreStatus puts back the status it replaced.
void CKIVERNDlg::EndReconnectWait(BOOL bRestoreStatus) {
    if (!m_reconnect.bWaiting) return;
    m_reconnect.bWaiting = FALSE;
    KillTimer(IDT_RECONNECT);
    if (m_netConnect.IsRunning() && m_netConnect.IsReopen()) m_netConnect.Cancel();
    if (bRestoreStatus) {
        m_strStatus = m_reconnect.strClosedStatus;
        m_stStatus.SetWindowText(m_strStatus);
    }
}

void CKIVERNDlg::OnReconnectTick() {
    m_reconnect.nWaitedMs += (int)kReconnectTickMs;
    TryReconnect();
    if (m_reconnect.nWaitedMs >= m_settings.m_nReconnectSecs * 1000) EndReconnectWait(TRUE);
}

// Choosing another port than the one waited for ends the wait; choosing another port than
// the one the command line named lets refreshes select the first port again.
void CKIVERNDlg::OnCbnSelchangePort() {
    CString strChosen;
    int i = m_cbPort.GetCurSel();
    if (i >= 0) m_cbPort.GetLBText(i, strChosen);
    m_namedPort.OnUserPick(strChosen);
    if (m_reconnect.bWaiting && strChosen != m_reconnect.strPort) EndReconnectWait(TRUE);
}
