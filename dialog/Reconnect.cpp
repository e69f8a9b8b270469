// Reopening a port after a replug: the wait for the same device, and its status.
#include "dialog/Reconnect.h"

#include "dialog/NetConnect.h"
#include "options/Settings.h"

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

void CReconnect::NoteOpened(const Opening& opening) {
    m_opening = opening;
    // A reopening opened the very device the wait looked for, whose link may be gone again by
    // now (a link that comes and goes): it keeps that identity, so that the next loss waits
    // again instead of ending with no device to wait for.
    std::string identity;
    if (GetListedPortIdentity(m_opening.strPort, identity))
        m_identity = identity;
    else if (!m_bReopening)
        m_identity.clear();
}

void CReconnect::Begin() {
    if (!m_pSettings->m_bReconnect || m_identity.empty()) return;
    m_bWaiting = TRUE;
    m_nWaitedMs = 0;
    m_strClosedStatus = *m_pStatus;
    m_pStatus->Format(AfxTr("CReconnect", "%s 等待重连..."), (const char*)m_opening.strPort);
    m_pStatusLabel->SetWindowText(*m_pStatus);
    m_pOwner->SetTimer(m_nTimerId, kReconnectTickMs, nullptr);
}

BOOL CReconnect::IsDeviceBack() const {
    if (!m_bWaiting || m_pNetConnect->IsRunning()) return FALSE;
    std::string identity;
    return GetListedPortIdentity(m_opening.strPort, identity) && identity == m_identity;
}

BOOL CReconnect::SelectOpening(CComboBox& cbPort, CComboBox& cbBaud, CComboBox& cbParity,
                               CComboBox& cbDataBits, CComboBox& cbStopBits,
                               CComboBox& cbFlowCtrl) const {
    if (!SelectExact(cbPort, m_opening.strPort)) return FALSE;
    cbBaud.SetWindowText(m_opening.strBaud);
    SelectExact(cbParity, m_opening.strParity);
    SelectExact(cbDataBits, m_opening.strDataBits);
    SelectExact(cbStopBits, m_opening.strStopBits);
    SelectExact(cbFlowCtrl, m_opening.strFlowCtrl);
    return TRUE;
}

void CReconnect::CountTick() { m_nWaitedMs += (int)kReconnectTickMs; }

void CReconnect::EndIfTimeUp() {
    if (m_nWaitedMs >= m_pSettings->m_nReconnectSecs * 1000) End(TRUE);
}

void CReconnect::End(BOOL bRestoreStatus) {
    if (!m_bWaiting) return;
    m_bWaiting = FALSE;
    m_pOwner->KillTimer(m_nTimerId);
    if (m_pNetConnect->IsRunning() && m_pNetConnect->IsReopen()) m_pNetConnect->Cancel();
    if (bRestoreStatus) {
        *m_pStatus = m_strClosedStatus;
        m_pStatusLabel->SetWindowText(*m_pStatus);
    }
}

void CReconnect::OnUserPick(const CString& strChosen) {
    if (m_bWaiting && strChosen != m_opening.strPort) End(TRUE);
}
