// CModemLines: the modem lines in the status band while a port is open. The DTR and RTS
// toggles set the open port's output lines; a label shows the input lines CTS, DSR, DCD and
// RI, read on a timer and redrawn only when they change. A port without modem lines (a
// pseudo-terminal) says so and leaves the toggles off and disabled; that is no error. Owned by
// the dialog, which binds its three controls and forwards their clicks and the timer's ticks.
#pragma once
#include "platform/afx.h"

class CKivernSettings;
class CSerialPort;

class CModemLines {
public:
    // pOwner: the window whose timer nTimerId drives the reading.
    CModemLines(CSerialPort* pPort, CWnd* pOwner, UINT_PTR nTimerId)
        : m_pPort(pPort), m_pOwner(pOwner), m_nTimerId(nTimerId) {}

    void BindControls(CDataExchange* pDX);
    // The options' line states take effect at the next opening.
    void Prepare(const CKivernSettings& settings);
    // The port opened: the lines are shown and followed.
    void Start();
    // The port closed: the toggles go off and disabled, the label empty.
    void Stop();
    void OnTick();
    // The lines were driven elsewhere (the reset pulse): the toggles show them again.
    void Refresh() { Show(TRUE); }
    // A toggle the port does not take goes back to the line's state.
    void OnClickedDtr();
    void OnClickedRts();

private:
    void Show(BOOL bAvailable);

    CSerialPort* m_pPort;
    CWnd* m_pOwner;
    UINT_PTR m_nTimerId;
    CButton m_chkDtr;
    CButton m_chkRts;
    CStatic m_stLines;
    DWORD m_dwShown = MAXDWORD;  // the input lines shown (MAXDWORD: none)
};
