// The command line's options, put to work once the window is set up: the lists are set as the
// user would set them, and --open presses the open button.
#include <cstdlib>

#include "app/PathPorts.h"
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"
#include "serial/OpenFailure.h"

namespace {
// Selects the entry shown as text; false if the list has none.
bool Choose(CComboBox& combo, const char* text) {
    int i = combo.FindStringExact(-1, text);
    if (i >= 0) combo.SetCurSel(i);
    return i >= 0;
}
}  // namespace

void CKIVERNDlg::ApplyStartup() {
    const CKivernStartup& s = m_startup;
    if (s.port.empty() && s.baud.empty() && !s.dataBits && s.parity.empty() && !s.stopBits &&
        s.flow.empty() && !s.open)
        return;
    CString strPort = s.port.c_str();
    if (IsPortPath(s.port)) {
        // A device path becomes a port of its own, kept like one added in the settings box.
        unsigned nNumber = 0;
        KvPathPort result = AddPathPort(m_settings, s.port, nNumber);
        if (result == KV_PATH_NO_TERMINAL || result == KV_PATH_NO_NUMBER) {
            ReportPathPortRefused(result, s.port);
            return;
        }
        if (result == KV_PATH_ADDED) m_settings.Save();
        CreatePortLink(nNumber, s.port);
        RefreshPortList();
        strPort.Format("COM%u", nNumber);
    }
    bool bPortListed = strPort.IsEmpty() || Choose(m_cbPort, strPort);
    if (!s.baud.empty()) m_cbBaud.SetWindowText(s.baud.c_str());  // the rate list is editable
    CString strBits;
    if (s.dataBits) {
        strBits.Format("%d", s.dataBits);
        Choose(m_cbDataBits, strBits);
    }
    if (s.stopBits) {
        strBits.Format("%d", s.stopBits);
        Choose(m_cbStopBits, strBits);
    }
    if (!s.parity.empty()) Choose(m_cbParity, s.parity.c_str());
    if (!s.flow.empty()) Choose(m_cbFlowCtrl, s.flow.c_str());
    if (!strPort.IsEmpty()) {  // the status line names the selected port
        UpdateData(TRUE);
        m_strStatus.Format("%s CLOSED", (const char*)m_strPort);
        UpdateData(FALSE);
    }
    if (!s.open) return;
    if (bPortListed) {
        // Pressed once the window is up, as a user would press it.
        CWnd* pOpen = GetDlgItem(IDC_OPEN_BUTTON);
        if (pOpen->IsWindowEnabled())
            PostMessage(WM_COMMAND, MAKEWPARAM(IDC_OPEN_BUTTON, BN_CLICKED),
                        (LPARAM)pOpen->GetSafeHwnd());
        return;
    }
    // A port that is not there fails with the open-failure box's usual words.
    CPortOpenFailure failure;
    failure.nPort = (UINT)atoi((const char*)strPort + 3);
    AfxMessageBox(FormatOpenFailure(failure), MB_OK);
    m_nStatusColor = 0;
    m_stStatus.InvalidateRect(nullptr, TRUE);
}
