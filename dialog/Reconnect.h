// CReconnect: reopening a port after a replug. When the device of the open port goes away the
// port is closed as ever; with the option on, the dialog then waits for the same device (the
// same identity, which keeps its COM number) and reopens it with the settings of the last
// opening, as the open button would. A device that is back but cannot be opened yet (its
// permissions not set up yet) is tried again on every tick until the time is up. While it
// waits, the status line says so. Owned by the dialog, which forwards the timer's ticks and
// does the reopening itself (TryReconnect).
#pragma once
#include <string>

#include "platform/afx.h"

class CKivernSettings;
class CNetConnect;

class CReconnect {
public:
    // What an opening read from the port-setting lists.
    struct Opening {
        CString strPort, strBaud, strParity, strDataBits, strStopBits, strFlowCtrl;
    };

    // pStatus and pStatusLabel: the status line, which the wait takes over; pOwner: the window
    // whose timer nTimerId ticks the wait.
    CReconnect(const CKivernSettings* pSettings, CNetConnect* pNetConnect, CString* pStatus,
               CStatic* pStatusLabel, CWnd* pOwner, UINT_PTR nTimerId)
        : m_pSettings(pSettings),
          m_pNetConnect(pNetConnect),
          m_pStatus(pStatus),
          m_pStatusLabel(pStatusLabel),
          m_pOwner(pOwner),
          m_nTimerId(nTimerId) {}

    // Called after every successful opening, with what it read from the lists.
    void NoteOpened(const Opening& opening);
    // Called once the port of a lost device has been closed: the wait starts when the option
    // is on and the device is known.
    void Begin();
    BOOL IsWaiting() const { return m_bWaiting; }
    // The port waited for ("COMn").
    const CString& GetPort() const { return m_opening.strPort; }
    // A wait runs, no network port's attempt is still connecting, and the same device is
    // listed again: time to reopen it.
    BOOL IsDeviceBack() const;
    // Sets the lists as the last opening had them; FALSE when its port is not listed.
    BOOL SelectOpening(CComboBox& cbPort, CComboBox& cbBaud, CComboBox& cbParity,
                       CComboBox& cbDataBits, CComboBox& cbStopBits, CComboBox& cbFlowCtrl) const;
    // A tick of the wait's timer, and the end of the wait once its time is up.
    void CountTick();
    void EndIfTimeUp();
    // Ends a wait, if one runs; bRestoreStatus puts back the status it replaced.
    void End(BOOL bRestoreStatus);
    // The user picked strChosen in the port list: another port than the one waited for ends
    // the wait.
    void OnUserPick(const CString& strChosen);

    BOOL m_bReopening = FALSE;  // an opening made by the wait: a failure shows no box

private:
    const CKivernSettings* m_pSettings;
    CNetConnect* m_pNetConnect;
    CString* m_pStatus;
    CStatic* m_pStatusLabel;
    CWnd* m_pOwner;
    UINT_PTR m_nTimerId;

    BOOL m_bWaiting = FALSE;
    int m_nWaitedMs = 0;
    Opening m_opening;          // the settings of the last opening, as the lists showed them
    std::string m_identity;     // its device's identity
    CString m_strClosedStatus;  // the status the wait replaced
};
