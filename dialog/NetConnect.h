// CNetConnect: a network port's connecting, done in the background. Against a slow, silent or
// unreachable server the connection, the negotiation and the settings take seconds; a worker
// thread does them (ConnectNetworkPortAhead) and then posts UM_NET_CONNECTED to the window,
// which opens the port as ever: the opening takes the connected port at once, or fails with
// the connecting's error. Owned by the dialog; one attempt at a time.
#pragma once
#include <string>
#include <thread>

#include "platform/afx.h"

// The worker of an attempt is done (wParam: the attempt's number).
#define UM_NET_CONNECTED (WM_USER + 31)

// What the opening will ask of the port, as OpenPort takes it.
struct CNetOpenSettings {
    UINT nBaud = 9600;
    char cParity = 'N';
    UINT nDataBits = 8, nStopBits = 1;
    int nFlow = 0, nDtr = 0, nRts = 1;  // SERIAL_FLOW_*, SERIAL_LINE_*
};

class CNetConnect {
public:
    CNetConnect() = default;
    ~CNetConnect();
    CNetConnect(const CNetConnect&) = delete;
    CNetConnect& operator=(const CNetConnect&) = delete;

    // Starts connecting url (COMn's) for hWnd; bReopen: an attempt of the reconnect wait.
    // An attempt still running is cancelled first. FALSE when no worker could be started.
    BOOL Start(HWND hWnd, const std::string& url, UINT nPort, const CNetOpenSettings& settings,
               BOOL bReopen);
    BOOL IsRunning() const { return m_bRunning; }
    // Running for the user's own opening (not for a reopening).
    BOOL IsOpening() const { return m_bRunning && !m_bReopen; }
    BOOL IsReopen() const { return m_bReopen; }
    UINT GetPortNumber() const { return m_nPort; }

    // UM_NET_CONNECTED came: ends the worker and gives its outcome. FALSE when the message is
    // of an attempt that was cancelled. The outcome is then being handed over (IsHandingOver)
    // until EndHandOver, which drops whatever the opening did not take.
    BOOL Finish(WPARAM wParam, DWORD& dwError, DWORD& dwSettingsError);
    BOOL IsHandingOver() const { return m_bHandingOver; }
    void EndHandOver();
    // Ends a running attempt at once and drops its outcome.
    void Cancel();

private:
    void Join();

    std::thread m_thread;
    HANDLE m_hCancel = nullptr;
    UINT m_nAttempt = 0;
    BOOL m_bRunning = FALSE, m_bReopen = FALSE, m_bHandingOver = FALSE;
    UINT m_nPort = 0;
    std::string m_url;
    // Written by the worker before it posts, read after Finish has joined it.
    DWORD m_dwError = 0, m_dwSettingsError = 0;
};
