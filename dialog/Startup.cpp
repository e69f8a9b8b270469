// The command line's options, put to work once the window is set up: the lists are set as the
// user would set them, and --open presses the open button once the window is up.
#include <cstdlib>

#include "dialog/KIVERNDlg.h"
#include "options/PathPorts.h"
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
        // A device path is a port for this run, or the one the settings box added for it.
        unsigned nNumber = 0;
        KvPathPort result = m_namedPort.Link(m_settings, s.port, nNumber);
        if (result == KV_PATH_NO_TERMINAL || result == KV_PATH_NO_NUMBER) {
            ReportPathPortRefused(result, s.port);
            return;
        }
        RefreshPortList();
        strPort.Format("COM%u", nNumber);
    }
    if (!strPort.IsEmpty()) {
        m_namedPort.Name(strPort);
        Choose(m_cbPort, strPort);
    }
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
    if (s.open) PostMessage(UM_STARTUP_OPEN, 0, 0);
}

// --open, once the window is up: the open button is pressed as a user would press it, and a
// port that is not there is reported with its cause.
LRESULT CKIVERNDlg::OnStartupOpen(WPARAM, LPARAM) {
    const CString& strPort = m_namedPort.GetName();
    if (!strPort.IsEmpty() && !Choose(m_cbPort, strPort)) {
        CPortOpenFailure failure;
        failure.nPort = (UINT)atoi((const char*)strPort + 3);
        failure.dwError = ERROR_FILE_NOT_FOUND;
        failure.bCommandLine = true;
        m_namedPort.Describe(failure);
        AfxMessageBox(FormatOpenFailure(failure), OpenFailureBoxType(failure));
        m_nStatusColor = 0;
        m_stStatus.InvalidateRect(nullptr, TRUE);
        return 0;
    }
    if (!GetDlgItem(IDC_OPEN_BUTTON)->IsWindowEnabled() || m_strPortState == "打开") return 0;
    m_namedPort.m_bOpening = true;
    OnBnClickedOpen();
    m_namedPort.m_bOpening = false;
    return 0;
}
