// A network port's connecting on a worker thread.
#include "dialog/NetConnect.h"

#include <cstdio>

#include "serial/SerialPort.h"

namespace {
// The settings as OpenPort composes them from the port's state, so that the opening finds
// them already sent: the same mode string, flow control and lines at opening.
BOOL ComposeOpenState(DCB& dcb, const CNetOpenSettings& s) {
    char szMode[50];
    snprintf(szMode, sizeof szMode, "baud=%d parity=%c data=%d stop=%d", (int)s.nBaud, s.cParity,
             (int)s.nDataBits, (int)s.nStopBits);
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    if (!BuildCommDCBA(szMode, &dcb)) return FALSE;
    if (s.nFlow == SERIAL_FLOW_RTSCTS) {
        dcb.fOutxCtsFlow = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    } else if (s.nFlow == SERIAL_FLOW_XONXOFF) {
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
    }
    if (s.nDtr != SERIAL_LINE_KEEP)
        dcb.fDtrControl = s.nDtr == SERIAL_LINE_ON ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
    if (s.nRts == SERIAL_LINE_OFF && dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        dcb.fRtsControl = RTS_CONTROL_DISABLE;
    return TRUE;
}
}  // namespace

CNetConnect::~CNetConnect() { Cancel(); }

BOOL CNetConnect::Start(HWND hWnd, const std::string& url, UINT nPort,
                        const CNetOpenSettings& settings, BOOL bReopen) {
    Cancel();
    m_hCancel = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    if (!m_hCancel) return FALSE;
    m_url = url;
    m_nPort = nPort;
    m_bReopen = bReopen;
    m_dwError = m_dwSettingsError = 0;
    const UINT nAttempt = ++m_nAttempt;
    HANDLE hCancel = m_hCancel;
    m_thread = std::thread([this, hWnd, url, settings, hCancel, nAttempt] {
        DWORD dwSettings = 0;
        DWORD dwError = ConnectNetworkPortAhead(
            url.c_str(), [&settings](DCB& dcb) { return ComposeOpenState(dcb, settings); }, hCancel,
            &dwSettings);
        m_dwError = dwError;
        m_dwSettingsError = dwSettings;
        ::PostMessage(hWnd, UM_NET_CONNECTED, (WPARAM)nAttempt, 0);
    });
    m_bRunning = TRUE;
    return TRUE;
}

void CNetConnect::Join() {
    if (m_thread.joinable()) m_thread.join();
    if (m_hCancel) CloseHandle(m_hCancel);
    m_hCancel = nullptr;
    m_bRunning = FALSE;
}

BOOL CNetConnect::Finish(WPARAM wParam, DWORD& dwError, DWORD& dwSettingsError) {
    if (!m_bRunning || (UINT)wParam != m_nAttempt) return FALSE;
    Join();
    dwError = m_dwError;
    dwSettingsError = m_dwSettingsError;
    m_bHandingOver = TRUE;
    return TRUE;
}

void CNetConnect::EndHandOver() {
    m_bHandingOver = FALSE;
    DiscardNetworkPortAhead(m_url.c_str());
}

void CNetConnect::Cancel() {
    if (!m_bRunning) return;
    SetEvent(m_hCancel);
    Join();
    DiscardNetworkPortAhead(m_url.c_str());
}
