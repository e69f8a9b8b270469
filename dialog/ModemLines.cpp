// The modem lines in the status band: the DTR and RTS toggles and the input lines' label.
#include "dialog/ModemLines.h"

#include "options/Settings.h"
#include "res/resource.h"
#include "serial/SerialPort.h"

namespace {

const UINT kModemPollMs = 200;

int LineAtOpen(int nSetting) {
    if (nSetting == KV_LINE_ON) return SERIAL_LINE_ON;
    if (nSetting == KV_LINE_OFF) return SERIAL_LINE_OFF;
    return SERIAL_LINE_KEEP;
}

}  // namespace

void CModemLines::BindControls(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_DTR_CHECK, m_chkDtr);
    DDX_Control(pDX, IDC_RTS_CHECK, m_chkRts);
    DDX_Control(pDX, IDC_MODEM_STATIC, m_stLines);
}

void CModemLines::Prepare(const CKivernSettings& settings) {
    m_pPort->SetLinesAtOpen(LineAtOpen(settings.m_nDtrAtOpen), LineAtOpen(settings.m_nRtsAtOpen));
}

void CModemLines::Start() {
    Show(TRUE);
    if (m_dwShown != MAXDWORD) m_pOwner->SetTimer(m_nTimerId, kModemPollMs, nullptr);
}

void CModemLines::Stop() {
    m_pOwner->KillTimer(m_nTimerId);
    m_dwShown = MAXDWORD;
    m_chkDtr.SetCheck(BST_UNCHECKED);
    m_chkRts.SetCheck(BST_UNCHECKED);
    m_chkDtr.EnableWindow(FALSE);
    m_chkRts.EnableWindow(FALSE);
    m_stLines.SetWindowText("");
    m_stLines.SetAccessibleName(AfxTr("CModemLines", "输入线"));
}

// Reads the open port's lines into the toggles and the label (bAvailable FALSE: the port has
// none).
void CModemLines::Show(BOOL bAvailable) {
    BOOL bDtr = FALSE, bRts = FALSE;
    if (bAvailable) bAvailable = m_pPort->GetOutputLines(&bDtr, &bRts);
    const BOOL bHandshake = m_pPort->IsRtsHandshake();
    m_chkDtr.SetCheck(bAvailable && bDtr ? BST_CHECKED : BST_UNCHECKED);
    m_chkRts.SetCheck(bAvailable && bRts ? BST_CHECKED : BST_UNCHECKED);
    m_chkDtr.EnableWindow(bAvailable);
    m_chkRts.EnableWindow(bAvailable && !bHandshake);  // under RTS/CTS the driver drives RTS
    m_dwShown = MAXDWORD;
    if (!bAvailable) {
        m_pOwner->KillTimer(m_nTimerId);
        m_stLines.SetWindowText(AfxTr("CModemLines", "控制线不可用"));
        m_stLines.SetAccessibleName(AfxTr("CModemLines", "输入线：控制线不可用"));
        return;
    }
    OnTick();
}

void CModemLines::OnTick() {
    DWORD dwStatus = 0;
    if (!m_pPort->GetModemStatus(&dwStatus)) {
        Show(FALSE);  // the device went away, or its lines did
        return;
    }
    if (dwStatus == m_dwShown) return;
    m_dwShown = dwStatus;
    auto mark = [dwStatus](DWORD bit) { return (dwStatus & bit) ? "●" : "○"; };
    CString strLines;
    strLines.Format("CTS%s  DSR%s  DCD%s  RI%s", mark(MS_CTS_ON), mark(MS_DSR_ON), mark(MS_RLSD_ON),
                    mark(MS_RING_ON));
    m_stLines.SetWindowText(strLines);
    // A screen reader says the states in words rather than the circles' names.
    const CString strOn = AfxTr("CModemLines", "开"), strOff = AfxTr("CModemLines", "关");
    auto word = [&](DWORD bit) { return (const char*)((dwStatus & bit) ? strOn : strOff); };
    strLines.Format(AfxTr("CModemLines", "输入线：CTS %s，DSR %s，DCD %s，RI %s"), word(MS_CTS_ON),
                    word(MS_DSR_ON), word(MS_RLSD_ON), word(MS_RING_ON));
    m_stLines.SetAccessibleName(strLines);
}

void CModemLines::OnClickedDtr() {
    if (!m_pPort->SetDTR(m_chkDtr.GetCheck() == BST_CHECKED)) Show(TRUE);
}

void CModemLines::OnClickedRts() {
    if (!m_pPort->SetRTS(m_chkRts.GetCheck() == BST_CHECKED)) Show(TRUE);
}
