// CSerialPort: opening and configuring, closing, destruction, the error report.
#include "serial/SerialPort.h"

#include <cstdio>
#include <cstring>
#include <thread>

CSerialPort::CSerialPort()
    : m_pThread(NULL),
      m_bRunning(FALSE),
      m_hStopEvent(NULL),
      m_hPort(NULL),
      m_hWaitHandles{NULL, NULL},
      m_timeouts{},
      m_pNotifyWnd(NULL),
      m_nPort(0),
      m_pTxBuffer(NULL),
      m_dwEventMask(0),
      m_nTxBufferSize(0),
      m_nFlowControl(SERIAL_FLOW_NONE),
      m_nDtrAtOpen(SERIAL_LINE_KEEP),
      m_nRtsAtOpen(SERIAL_LINE_ON),
      m_bLockReady(FALSE),
      m_nOpening(0),
      m_bSending(FALSE) {}

CSerialPort::~CSerialPort() {
    // No messages are run here: by now the notify window is gone, so a delivery fails at once.
    do {
        if (m_hStopEvent) SetEvent(m_hStopEvent);
    } while (m_bRunning);
    delete[] m_pTxBuffer;
    m_pTxBuffer = NULL;
    if (m_hPort) CloseHandle(m_hPort);
    // The events outlive the port, which may still signal them until it is closed.
    if (m_hStopEvent) CloseHandle(m_hStopEvent);
    if (m_ovPort.hEvent) CloseHandle(m_ovPort.hEvent);
    if (m_ovWrite.hEvent) CloseHandle(m_ovWrite.hEvent);
    if (m_bLockReady) DeleteCriticalSection(&m_csPort);
}

// An event for this opening, non-signalled: the earlier one is reused.
static void PrepareEvent(HANDLE& hEvent) {
    if (hEvent)
        ResetEvent(hEvent);
    else
        hEvent = CreateEvent(NULL, TRUE, FALSE, NULL);
}

BOOL CSerialPort::OpenPort(CWnd* pNotifyWnd, UINT nPort, UINT nBaud, char cParity, UINT nDataBits,
                           UINT nStopBits, DWORD dwEventMask, UINT nTxBufferSize) {
    // 1. End the thread of an earlier opening.
    while (m_bRunning) SetEvent(m_hStopEvent);

    // 2.-4. Events, wait list, lock.
    PrepareEvent(m_ovPort.hEvent);
    PrepareEvent(m_hStopEvent);
    PrepareEvent(m_ovWrite.hEvent);
    m_hWaitHandles[0] = m_hStopEvent;
    m_hWaitHandles[1] = m_ovPort.hEvent;
    if (!m_bLockReady) {
        InitializeCriticalSection(&m_csPort);
        m_bLockReady = TRUE;
    }

    // 5. Owner, write buffer, settings.
    ++m_nOpening;
    m_pNotifyWnd = pNotifyWnd;
    delete[] m_pTxBuffer;
    m_pTxBuffer = new BYTE[nTxBufferSize];
    m_nPort = nPort;
    m_nTxBufferSize = nTxBufferSize;
    m_dwEventMask = dwEventMask;

    char* szPort = new char[50];
    char* szBaud = new char[50];

    EnterCriticalSection(&m_csPort);
    if (m_hPort) {
        CloseHandle(m_hPort);
        m_hPort = NULL;
    }
    if (nPort < 10)
        snprintf(szPort, 50, "COM%d", (int)nPort);
    else
        snprintf(szPort, 50, "\\\\.\\COM%d", (int)nPort);
    // Signed, so that a typed "-9600" reaches BuildCommDCBA as such and is refused there.
    snprintf(szBaud, 50, "baud=%d parity=%c data=%d stop=%d", (int)nBaud, cParity, (int)nDataBits,
             (int)nStopBits);

    m_hPort = CreateFileA(szPort, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED, NULL);
    if (m_hPort == INVALID_HANDLE_VALUE) {
        m_hPort = NULL;
        delete[] szPort;
        delete[] szBaud;
        LeaveCriticalSection(&m_csPort);
        return FALSE;
    }

    m_timeouts.ReadIntervalTimeout = 1;
    m_timeouts.ReadTotalTimeoutMultiplier = 1;
    m_timeouts.ReadTotalTimeoutConstant = 2;
    m_timeouts.WriteTotalTimeoutMultiplier = 50;
    m_timeouts.WriteTotalTimeoutConstant = 2000;

    // The configuration chain: the first failing call is reported, the rest skipped.
    if (SetCommTimeouts(m_hPort, &m_timeouts)) {
        if (SetCommMask(m_hPort, dwEventMask)) {
            if (GetCommState(m_hPort, &m_dcbPort)) {
                m_dcbPort.fRtsControl = RTS_CONTROL_ENABLE;
                if (BuildCommDCBA(szBaud, &m_dcbPort)) {
                    if (m_nFlowControl == SERIAL_FLOW_RTSCTS) {
                        m_dcbPort.fOutxCtsFlow = TRUE;
                        m_dcbPort.fRtsControl = RTS_CONTROL_HANDSHAKE;
                    } else if (m_nFlowControl == SERIAL_FLOW_XONXOFF) {
                        m_dcbPort.fOutX = TRUE;
                        m_dcbPort.fInX = TRUE;
                    }
                    if (m_nDtrAtOpen != SERIAL_LINE_KEEP)
                        m_dcbPort.fDtrControl = m_nDtrAtOpen == SERIAL_LINE_ON
                                                    ? DTR_CONTROL_ENABLE
                                                    : DTR_CONTROL_DISABLE;
                    if (m_nRtsAtOpen == SERIAL_LINE_OFF &&
                        m_dcbPort.fRtsControl != RTS_CONTROL_HANDSHAKE)
                        m_dcbPort.fRtsControl = RTS_CONTROL_DISABLE;
                    if (!SetCommState(m_hPort, &m_dcbPort)) ReportError("SetCommState()");
                } else {
                    ReportError("BuildCommDCB()");
                }
            } else {
                ReportError("GetCommState()");
            }
        } else {
            ReportError("SetCommMask()");
        }
    } else {
        ReportError("SetCommTimeouts()");
    }

    delete[] szPort;
    delete[] szBaud;
    PurgeComm(m_hPort, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
    LeaveCriticalSection(&m_csPort);
    return TRUE;
}

BOOL CSerialPort::StartMonitor() {
    // Marked running before the thread exists, so that a close coming at once still waits
    // for it and stops it.
    m_bRunning = TRUE;
    m_pThread = AfxBeginThread(MonitorProc, this, THREAD_PRIORITY_NORMAL, 0, 0, NULL);
    if (!m_pThread) {
        m_bRunning = FALSE;
        return FALSE;
    }
    return TRUE;
}

void CSerialPort::ClosePort() {
    while (m_bRunning) {
        // The thread may be waiting in SendMessage to the notify window: keep it moving.
        HWND hWnd = m_pNotifyWnd ? m_pNotifyWnd->GetSafeHwnd() : NULL;
        MSG msg;
        if (PeekMessage(&msg, hWnd, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        SetEvent(m_hStopEvent);
        std::this_thread::yield();
    }
    ++m_nOpening;  // a send in progress (in an error box's loop) stops at its next block
    delete[] m_pTxBuffer;
    m_pTxBuffer = NULL;
    if (m_hPort) {
        CloseHandle(m_hPort);
        m_hPort = NULL;
    }
}

void CSerialPort::ReportError(const char* pszCall) {
    char* szTemp = new char[200];
    char* pszMessage = NULL;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, NULL,
                   GetLastError(), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (char*)&pszMessage, 0,
                   NULL);
    snprintf(szTemp, 200, "WARNING:  %s Failed with the following error: \n%s\nPort: %d\n", pszCall,
             pszMessage ? pszMessage : "", (int)m_nPort);
    MessageBoxA(NULL, szTemp, "Application Error", MB_ICONERROR);
    LocalFree(pszMessage);
    delete[] szTemp;
}

DWORD CSerialPort::GetPortKind() const {
    COMMPROP prop;
    return m_hPort && GetCommProperties(m_hPort, &prop) ? prop.dwProvSubType : 0;
}

uint64_t CSerialPort::GetOverflowCount() const {
    return m_hPort ? GetCommOverflowCount(m_hPort) : 0;
}

BOOL CSerialPort::IsDeviceLost() const { return m_hPort ? IsCommDeviceLost(m_hPort) : FALSE; }

BOOL CSerialPort::GetModemStatus(DWORD* pdwStatus) const {
    return m_hPort ? GetCommModemStatus(m_hPort, pdwStatus) : FALSE;
}

BOOL CSerialPort::GetOutputLines(BOOL* pbDtr, BOOL* pbRts) const {
    DWORD dwStatus;
    DCB dcb;
    if (!GetModemStatus(&dwStatus) || !GetCommState(m_hPort, &dcb)) return FALSE;
    *pbDtr = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    *pbRts = dcb.fRtsControl == RTS_CONTROL_ENABLE;
    return TRUE;
}

BOOL CSerialPort::SetDTR(BOOL bOn) {
    return m_hPort ? EscapeCommFunction(m_hPort, bOn ? SETDTR : CLRDTR) : FALSE;
}

BOOL CSerialPort::SetRTS(BOOL bOn) {
    return m_hPort ? EscapeCommFunction(m_hPort, bOn ? SETRTS : CLRRTS) : FALSE;
}

BOOL CSerialPort::SetBreak(BOOL bOn) {
    if (!m_hPort) return FALSE;
    return bOn ? SetCommBreak(m_hPort) : ClearCommBreak(m_hPort);
}

BOOL CSerialPort::SetLineSettings(UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits) {
    if (!m_hPort) return FALSE;
    DCB dcb = m_dcbPort;
    if (nBaud) dcb.BaudRate = nBaud;
    if (nDataBits) dcb.ByteSize = (BYTE)nDataBits;
    if (nStopBits) dcb.StopBits = nStopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    if (cParity) {
        const char* letters = "NOEMS";
        const char* p = strchr(letters, cParity);
        if (!p) return FALSE;
        dcb.Parity = (BYTE)(p - letters);
        dcb.fParity = cParity != 'N';
    }
    EnterCriticalSection(&m_csPort);
    BOOL bOk = SetCommState(m_hPort, &dcb);
    LeaveCriticalSection(&m_csPort);
    if (bOk) m_dcbPort = dcb;
    return bOk;
}
