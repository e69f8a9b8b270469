// CSerialPort: the monitoring thread, delivery of received bytes, and writes.
#include <algorithm>

#include "serial/SerialPort.h"

namespace {
const int kBlockSize = 1024;
const DWORD kMaxDelivery = 256 * 1024;
}  // namespace

UINT CSerialPort::MonitorProc(LPVOID pParam) {
    CSerialPort* pPort = (CSerialPort*)pParam;
    pPort->m_bRunning = TRUE;
    // No purge here: OpenPort has already emptied the buffers, and what arrived since (a
    // device's greeting right after opening) is the user's data, however late the thread runs.

    DWORD dwEvtMask = 0;
    DWORD dwErrors = 0;
    COMSTAT comstat;
    for (;;) {
        // Arm the comm-event wait. It completes at once when bytes are already waiting.
        if (WaitCommEvent(pPort->m_hPort, &dwEvtMask, &pPort->m_ovPort)) {
            ClearCommError(pPort->m_hPort, &dwErrors, &comstat);
            if (comstat.cbInQue == 0) continue;
        }
        // Otherwise the wait is pending, or failed (a device that is gone): nothing to report,
        // the stop event still ends the thread.

        DWORD dwEvent = WaitForMultipleObjects(2, pPort->m_hWaitHandles, FALSE, INFINITE);
        if (dwEvent == WAIT_OBJECT_0 + 1) {
            // A comm event: the mask set at opening tells whether it is received bytes.
            GetCommMask(pPort->m_hPort, &dwEvtMask);
            if (dwEvtMask & EV_RXCHAR) DrainInput(pPort);
        } else if (dwEvent == WAIT_OBJECT_0 || dwEvent == WAIT_FAILED) {
            // The stop event (or a wait that nothing could end any more).
            pPort->m_bRunning = FALSE;
            AfxEndThread(100);
        }
    }
}

void CSerialPort::DrainInput(CSerialPort* pPort) {
    for (;;) {
        if (WaitForSingleObject(pPort->m_hStopEvent, 0) == WAIT_OBJECT_0) return;

        DWORD dwErrors = 0;
        COMSTAT comstat;
        EnterCriticalSection(&pPort->m_csPort);
        ClearCommError(pPort->m_hPort, &dwErrors, &comstat);
        LeaveCriticalSection(&pPort->m_csPort);
        if (comstat.cbInQue == 0) return;

        // Exactly what is waiting, in one read, so one message carries it and the read does
        // not sit out the interval time-out for bytes that are not there; but no more than
        // the window handles in a few milliseconds, so that it stays responsive while a flood
        // is taken in.
        DWORD dwWant = std::min<DWORD>(comstat.cbInQue, kMaxDelivery);
        if (pPort->m_rxBuffer.size() < dwWant) pPort->m_rxBuffer.resize(dwWant);

        DWORD dwRead = 0;
        EnterCriticalSection(&pPort->m_csPort);
        if (!ReadFile(pPort->m_hPort, pPort->m_rxBuffer.data(), dwWant, &dwRead,
                      &pPort->m_ovRead)) {
            if (GetLastError() != ERROR_IO_PENDING ||
                !GetOverlappedResult(pPort->m_hPort, &pPort->m_ovRead, &dwRead, TRUE))
                dwRead = 0;
        }
        LeaveCriticalSection(&pPort->m_csPort);
        // The count includes bytes the driver holds that the port's reader has not taken yet
        // (it gathers a trickle): they come with its next piece, which ends the wait for the
        // next comm event. Nothing is handed over empty.
        if (dwRead == 0) return;

        // The window's handle is read afresh: a window that is gone makes this fail at once.
        HWND hWnd = pPort->m_pNotifyWnd ? pPort->m_pNotifyWnd->GetSafeHwnd() : NULL;
        ::SendMessage(hWnd, UM_SERIAL_RXBYTE, (WPARAM)pPort->m_rxBuffer.data(), (LPARAM)dwRead);

        // A stream that trickles in is gathered for a few milliseconds before the next
        // delivery, the rest of the pause the port's own reader begins: fewer messages, less
        // work. The stop request ends the pause at once.
        // Not during a transfer: its program waits for each answer.
        const DWORD dwPause = pPort->m_bTransfer ? 0 : CommDeliveryPauseMs(dwRead);
        if (WaitForSingleObject(pPort->m_hStopEvent, dwPause) == WAIT_OBJECT_0) return;
    }
}

BOOL CSerialPort::FlushWrite(CSerialPort* pPort, int nCount) {
    // Nothing received is discarded here. The write has its own record, and the port takes
    // one write at a time, so the port lock is not held: reception goes on meanwhile.
    pPort->m_ovWrite.Offset = 0;
    pPort->m_ovWrite.OffsetHigh = 0;
    DWORD dwWritten = 0;
    if (WriteFile(pPort->m_hPort, pPort->m_pTxBuffer, (DWORD)nCount, &dwWritten, &pPort->m_ovWrite))
        return TRUE;
    if (GetLastError() == ERROR_IO_PENDING) {
        if (GetOverlappedResult(pPort->m_hPort, &pPort->m_ovWrite, &dwWritten, TRUE)) return TRUE;
        pPort->ReportError("GetOverlappedResults() in WriteFile()");
    } else {
        pPort->ReportError("WriteFile()");
    }
    return FALSE;
}

BOOL CSerialPort::SendBytes(const char* pData, INT_PTR nLength) {
    if (!m_pTxBuffer || nLength < 0 || m_bSending || m_bTransfer) return FALSE;
    // An error box runs a nested message loop; whatever closes the port there (a device
    // removal, the user) frees the write buffer, and this send must not touch it again.
    const UINT nOpening = m_nOpening;
    m_bSending = TRUE;
    BOOL bAll = TRUE;
    INT_PTR nDone = 0;
    do {
        int nBlock = (int)std::min<INT_PTR>(nLength - nDone, kBlockSize);
        std::copy(pData + nDone, pData + nDone + nBlock, m_pTxBuffer);
        if (!FlushWrite(this, nBlock)) bAll = FALSE;
        nDone += nBlock;
        if (m_nOpening != nOpening) {
            bAll = FALSE;
            break;
        }
    } while (nDone < nLength);
    m_bSending = FALSE;
    return bAll;
}

void CSerialPort::SetTransferActive(BOOL bActive) {
    m_hTransferPort = bActive ? m_hPort : NULL;  // the thread writes to this opening only
    m_bTransfer = bActive;
    if (m_hPort) SetCommGather(m_hPort, !bActive);
}

BOOL CSerialPort::WriteBlock(const char* pData, DWORD nLength) {
    // The write record is the send's; SendBytes does not run while a transfer is active.
    HANDLE hPort = m_hTransferPort;
    if (!hPort || !m_bTransfer) return FALSE;
    m_ovWrite.Offset = 0;
    m_ovWrite.OffsetHigh = 0;
    DWORD dwWritten = 0;
    if (!WriteFile(hPort, pData, nLength, &dwWritten, &m_ovWrite)) {
        if (GetLastError() != ERROR_IO_PENDING ||
            !GetOverlappedResult(hPort, &m_ovWrite, &dwWritten, TRUE))
            return FALSE;
    }
    return dwWritten == nLength;
}
