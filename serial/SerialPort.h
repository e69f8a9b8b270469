// CSerialPort: one serial port, its monitoring thread and its writes.
//
// OpenPort opens COMn and configures it from the mode string; StartMonitor starts the thread
// that hands every received byte to the notify window as UM_SERIAL_RXBYTE (wParam: pointer
// to the bytes, lParam: their count; the bytes stay valid until the handler returns). All
// bytes waiting are delivered in one message, in order; the port keeps receiving into its own
// large buffer while a delivery waits or a write runs. SendBytes writes in blocks of 1024 on
// the calling thread. Failed port calls are reported in an "Application Error" box; that box
// runs a nested message loop, in which the port may be closed.
#pragma once
#include <atomic>
#include <cstdint>
#include <vector>

#include "platform/afx.h"

#define UM_SERIAL_RXBYTE (WM_USER + 7)

// Flow control for SetFlowControl.
#define SERIAL_FLOW_NONE 0
#define SERIAL_FLOW_RTSCTS 1
#define SERIAL_FLOW_XONXOFF 2
// A modem control line's state after OpenPort, for SetLinesAtOpen.
#define SERIAL_LINE_KEEP 0  // as the port's driver has it
#define SERIAL_LINE_ON 1
#define SERIAL_LINE_OFF 2

class CSerialPort {
public:
    CSerialPort();
    virtual ~CSerialPort();
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Returns FALSE only when the port cannot be opened; configuration failures are reported
    // in a box and the port stays open. Not while the monitoring thread runs on this thread.
    BOOL OpenPort(CWnd* pNotifyWnd, UINT nPort, UINT nBaud = 9600, char cParity = 'N',
                  UINT nDataBits = 8, UINT nStopBits = 1, DWORD dwEventMask = EV_RXCHAR,
                  UINT nTxBufferSize = 1024);
    BOOL StartMonitor();
    // Ends the monitoring thread (running the notify window's messages meanwhile), frees the
    // write buffer and closes the port.
    void ClosePort();
    UINT GetPortNumber() const { return m_nPort; }
    DWORD GetBaudRate() const { return m_hPort ? m_dcbPort.BaudRate : 0; }
    void ReportError(const char* pszCall);
    // Writes nLength bytes in blocks of 1024. TRUE when every block was written; FALSE when a
    // block failed (the next is still written), when the port was closed while an error box
    // was up (the send stops there), when no port is open, or when called again from within
    // a send (nothing is written then).
    BOOL SendBytes(const char* pData, INT_PTR nLength);

    // Flow control that the next OpenPort applies: SERIAL_FLOW_NONE (RTS held on),
    // SERIAL_FLOW_RTSCTS or SERIAL_FLOW_XONXOFF.
    void SetFlowControl(int nFlow) { m_nFlowControl = nFlow; }
    int GetFlowControl() const { return m_nFlowControl; }
    // DTR and RTS that the next OpenPort applies (SERIAL_LINE_*); by default DTR is kept and
    // RTS is on. Under RTS/CTS the driver drives RTS and nRts is not used.
    void SetLinesAtOpen(int nDtr, int nRts) { m_nDtrAtOpen = nDtr, m_nRtsAtOpen = nRts; }
    int GetDtrAtOpen() const { return m_nDtrAtOpen; }
    int GetRtsAtOpen() const { return m_nRtsAtOpen; }
    // The open port's modem lines; FALSE when no port is open or it has none (a
    // pseudo-terminal). No box is raised. GetModemStatus gives the MS_* input lines;
    // GetOutputLines whether DTR and RTS are on (RTS is FALSE under RTS/CTS).
    BOOL GetModemStatus(DWORD* pdwStatus) const;
    BOOL GetOutputLines(BOOL* pbDtr, BOOL* pbRts) const;
    // Sets DTR or RTS on the open port; FALSE when it cannot (no modem lines, no port, or RTS
    // under RTS/CTS, which belongs to the driver).
    BOOL SetDTR(BOOL bOn);
    BOOL SetRTS(BOOL bOn);
    // Starts (bOn) or ends the break condition on the open port's transmit line; the caller
    // times it. FALSE when it cannot, GetLastError EOPNOTSUPP for a port that cannot send a
    // break (a raw TCP port, a pseudo-terminal). No box is raised.
    BOOL SetBreak(BOOL bOn);
    // Changes the open port's line settings in place (0 or '\0' keeps one); FALSE when no port
    // is open or the port refuses them (GetLastError tells). No box is raised.
    BOOL SetLineSettings(UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits);
    // TRUE while the open port runs RTS/CTS flow control.
    BOOL IsRtsHandshake() const {
        return m_hPort && m_dcbPort.fRtsControl == RTS_CONTROL_HANDSHAKE;
    }
    // What kind of port is open (GetCommProperties' dwProvSubType: PST_RS232,
    // PST_TCPIP_TELNET, PST_TCPIP_RAW); 0 when none is.
    DWORD GetPortKind() const;
    // Received bytes dropped because the port's input buffer was full, since opening.
    uint64_t GetOverflowCount() const;
    // TRUE once the device behind the open port has gone away (for logs and tests).
    BOOL IsDeviceLost() const;
    BOOL IsMonitoring() const { return m_bRunning; }
    // TRUE while SendBytes writes: an error box it raises runs messages, and a send handler
    // reached from there must not start another send.
    BOOL IsSending() const { return m_bSending; }
    // A file transfer's thread writes through WriteBlock while SetTransferActive(TRUE) holds:
    // SendBytes refuses meanwhile (the port takes one write at a time). WriteBlock raises no
    // box; FALSE when the write failed, timed out or the port closed.
    // Received bytes are passed on at once meanwhile, not gathered.
    void SetTransferActive(BOOL bActive);
    BOOL IsTransferActive() const { return m_bTransfer; }
    BOOL WriteBlock(const char* pData, DWORD nLength);

protected:
    static UINT MonitorProc(LPVOID pParam);
    static void DrainInput(CSerialPort* pPort);
    static BOOL FlushWrite(CSerialPort* pPort, int nCount);

    CWinThread* m_pThread;
    CRITICAL_SECTION m_csPort;
    std::atomic<BOOL> m_bRunning;
    HANDLE m_hStopEvent;
    HANDLE m_hPort;
    HANDLE m_hWaitHandles[2];
    OVERLAPPED m_ovPort;  // the comm-event wait
    COMMTIMEOUTS m_timeouts;
    DCB m_dcbPort;
    CWnd* m_pNotifyWnd;
    UINT m_nPort;
    BYTE* m_pTxBuffer;
    DWORD m_dwEventMask;
    UINT m_nTxBufferSize;

    OVERLAPPED m_ovWrite;          // writes: a record and an event of their own
    OVERLAPPED m_ovRead;           // the monitoring thread's reads
    std::vector<char> m_rxBuffer;  // what one delivery hands over (monitoring thread only)
    int m_nFlowControl;
    int m_nDtrAtOpen;
    int m_nRtsAtOpen;
    BOOL m_bLockReady;
    UINT m_nOpening;  // changes with every opening and closing
    BOOL m_bSending;
    std::atomic<BOOL> m_bTransfer{FALSE};
    HANDLE m_hTransferPort = NULL;
};
