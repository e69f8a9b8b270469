// CLineSignals: a BREAK and the reset pulse on the open port, from the status band's context
// menu and their keys. A BREAK holds the transmit line in the break condition for the set time;
// the reset pulse drives DTR or RTS off for the set time, then on, then leaves the line as it
// was before. Both are ended by the owner's timer, so the window keeps answering meanwhile; one
// runs at a time. The DTR/RTS toggles (CModemLines) follow each step. Owned by the dialog,
// which forwards the timer's ticks and shows the texts these calls give.
#pragma once
#include "platform/afx.h"

class CKivernSettings;
class CModemLines;
class CSerialPort;

class CLineSignals {
public:
    CLineSignals(CSerialPort* pPort, CModemLines* pModemLines, const CKivernSettings* pSettings,
                 CWnd* pOwner, UINT_PTR nTimerId)
        : m_pPort(pPort),
          m_pModemLines(pModemLines),
          m_pSettings(pSettings),
          m_pOwner(pOwner),
          m_nTimerId(nTimerId) {}

    // Each Start begins its signal on the open port: TRUE with the echo's text ("<BREAK 250
    // ms>", "<RESET DTR 100 ms>") and the status; FALSE with the status that says why not (no
    // port, one already running, a port that cannot).
    BOOL StartBreak(CString& strEcho, CString& strStatus);
    BOOL StartReset(CString& strEcho, CString& strStatus);
    // The timer: the signal under way ends. FALSE when none was (a stray tick).
    BOOL OnTick(CString& strStatus, BOOL& bFailed);
    // The port closes: a signal under way ends now, its line put back first.
    void Stop();
    BOOL IsRunning() const { return m_nRunning != NONE; }

private:
    enum { NONE, BREAK, RESET };
    BOOL Refused(const char* pszWhy, CString& strStatus) const;
    BOOL EndReset();

    CSerialPort* m_pPort;
    CModemLines* m_pModemLines;
    const CKivernSettings* m_pSettings;
    CWnd* m_pOwner;
    UINT_PTR m_nTimerId;
    int m_nRunning = NONE;
    int m_nMs = 0;              // how long the signal under way lasts
    BOOL m_bResetRts = FALSE;   // the pulse drives RTS (else DTR)
    BOOL m_bLineWasOn = FALSE;  // the pulsed line's state before the pulse
};
