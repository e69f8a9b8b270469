// The port object's comm calls: time-outs, the comm-event wait, purging, the queue counts,
// reads and writes, line settings and modem lines.
#include <chrono>

#include "platform/comm/comm_hooks.h"
#include "platform/comm/comm_port.h"
#include "platform/comm/comm_time.h"
#include "platform/kernel/sync.h"

DWORD CommPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_timeouts = timeouts;
    return 0;
}

DWORD CommPort::SetMask(DWORD mask) {
    if (mask & ~(DWORD)(EV_RXCHAR | EV_TXEMPTY)) return EINVAL;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_eventMask = mask;
    // A new mask ends a pending wait, as on Windows.
    if (m_pendingWaitEvent) {
        SetEvent(m_pendingWaitEvent);
        m_pendingWaitEvent = nullptr;
    }
    return 0;
}

DWORD CommPort::GetMask(DWORD& mask) {
    std::lock_guard<std::mutex> lock(m_mutex);
    mask = m_eventMask;
    return 0;
}

DWORD CommPort::WaitEvent(HANDLE hEvent, DWORD& mask) {
    ResetEvent(hEvent);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!(m_eventMask & EV_RXCHAR)) return EINVAL;
    if (m_count > 0) {
        mask = EV_RXCHAR;
        SetEvent(hEvent);
        return 0;
    }
    if (m_lost) return EIO;
    m_pendingWaitEvent = hEvent;
    return ERROR_IO_PENDING;
}

DWORD CommPort::Purge(DWORD flags) {
    const bool rx = flags & PURGE_RXCLEAR, tx = flags & PURGE_TXCLEAR;
    // The input is emptied before and after the driver's queue is flushed, each time dropping
    // what the reader took from the driver but had not yet stored: nothing received before the
    // purge survives it.
    auto clearInput = [&](bool abort) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (rx) {
            m_head = m_count = 0;
            m_rxPurges.fetch_add(1, std::memory_order_release);
        }
        if (abort) ++m_readAbortGeneration;
    };
    clearInput(flags & PURGE_RXABORT);
    m_cv.notify_all();
    // A device that is gone has nothing left to flush.
    const int err = m_line->Purge(rx, tx);
    if (rx) clearInput(false);
    return err == EIO ? 0 : (DWORD)err;
}

DWORD CommPort::Status(DWORD* errors, COMSTAT* stat) {
    int inDriver = 0, outDriver = 0;
    m_line->DriverQueues(inDriver, outDriver);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (errors) *errors = m_overflowSinceCheck ? CE_RXOVER : 0;
    m_overflowSinceCheck = false;
    if (stat) {
        stat->cbInQue = (DWORD)m_count + (m_lost ? 0 : (DWORD)inDriver);
        stat->cbOutQue = (DWORD)outDriver;
    }
    return 0;
}

DWORD CommPort::Read(char* p, DWORD n, DWORD& got) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const COMMTIMEOUTS to = m_timeouts;
    const uint64_t abortGen = m_readAbortGeneration;
    got = (DWORD)TakeLocked(p, n);
    const bool immediate = to.ReadIntervalTimeout == MAXDWORD &&
                           to.ReadTotalTimeoutMultiplier == 0 && to.ReadTotalTimeoutConstant == 0;
    const bool hasTotal = to.ReadTotalTimeoutMultiplier || to.ReadTotalTimeoutConstant;
    const int64_t deadline = hasTotal ? CommNowMs() + (int64_t)to.ReadTotalTimeoutMultiplier * n +
                                            to.ReadTotalTimeoutConstant
                                      : -1;
    while (got < n && !immediate) {
        if (m_closing || m_readAbortGeneration != abortGen) return ERROR_OPERATION_ABORTED;
        if (m_lost) break;
        int64_t wait = deadline >= 0 ? deadline - CommNowMs() : INT64_MAX;
        if (got > 0 && to.ReadIntervalTimeout && to.ReadIntervalTimeout != MAXDWORD)
            wait = std::min<int64_t>(wait, to.ReadIntervalTimeout);
        if (wait <= 0) break;
        if (wait == INT64_MAX) {
            m_cv.wait(lock);
        } else if (m_cv.wait_for(lock, std::chrono::milliseconds(wait)) ==
                       std::cv_status::timeout &&
                   m_count == 0) {
            break;
        }
        got += (DWORD)TakeLocked(p + got, n - got);
    }
    return 0;
}

DWORD CommPort::Write(const char* p, DWORD n, DWORD& done) {
    done = 0;
    CallCommWriteHook(n);
    std::lock_guard<std::mutex> writeLock(m_writeMutex);
    COMMTIMEOUTS to;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_lost) return EIO;
        to = m_timeouts;
    }
    const bool hasTotal = to.WriteTotalTimeoutMultiplier || to.WriteTotalTimeoutConstant;
    const int64_t deadline = hasTotal ? CommNowMs() + (int64_t)to.WriteTotalTimeoutMultiplier * n +
                                            to.WriteTotalTimeoutConstant
                                      : -1;
    size_t sent = 0;
    const int err = m_line->Write(p, n, deadline, sent);
    done = (DWORD)sent;
    return (DWORD)err;
}

DWORD CommPort::GetState(DCB& dcb) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    DCB d;
    d.fRtsControl = m_rtsControl;
    d.fDtrControl = m_dtrControl;
    if (int err = m_line->GetState(d)) return (DWORD)err;
    dcb = d;
    return 0;
}

DWORD CommPort::SetState(const DCB& dcb) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    if (int err = m_line->SetState(dcb)) return (DWORD)err;
    m_rtsControl = dcb.fRtsControl;
    m_dtrControl = dcb.fDtrControl;
    return 0;
}

DWORD CommPort::SetStateAhead(const DCB& dcb) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return (DWORD)m_line->SetStateAhead(dcb);
}

DWORD CommPort::Escape(DWORD func) {
    const bool rts = func == SETRTS || func == CLRRTS;
    if (!rts && func != SETDTR && func != CLRDTR) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_stateMutex);
    // RTS under RTS/CTS belongs to the driver.
    if (rts && m_rtsControl == RTS_CONTROL_HANDSHAKE) return ERROR_INVALID_PARAMETER;
    return (DWORD)m_line->SetModemLine(rts ? MS_RTS_ON : MS_DTR_ON,
                                       func == SETRTS || func == SETDTR);
}

DWORD CommPort::SetBreak(bool on) {
    std::lock_guard<std::mutex> lock(m_stateMutex);
    return (DWORD)m_line->SetBreak(on);
}

// Not under the settings' lock: reading the lines never waits for a negotiation.
DWORD CommPort::GetModemLines(DWORD& lines) {
    lines = 0;
    return (DWORD)m_line->GetModemLines(lines);
}

uint64_t CommPort::OverflowCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_overflow;
}

bool CommPort::IsLost() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lost;
}
