// The port object behind a comm HANDLE: its input buffer, the reader thread that fills it, and
// the one owner of the port's locks. Each comm function looks the handle up once (CommCall) and
// calls one method here; the port passes what depends on its kind to its line (comm_line.h).
#pragma once
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/comm/comm_line.h"
#include "platform/comm/comm_types.h"
#include "platform/core/syserr.h"
#include "platform/kernel/sync_object.h"

class CommPort : public KernelObject {
public:
    // Opens what path names (a device path or a network port URL; OpenCommLine chooses the
    // line) and starts the reader; nullptr with errno set.
    static std::shared_ptr<CommPort> Open(const std::string& path);
    // The same with the port's wake-up eventfd made by the caller and taken over (closed on
    // failure): a write to it ends a network port's connecting (ECANCELED) or negotiation.
    static std::shared_ptr<CommPort> Open(const std::string& path, int wakeFd);
    ~CommPort() override;
    void OnClose() override;

    // The comm functions' work: each returns 0 or the error code the call fails with.
    DWORD Kind() const { return m_line->Kind(); }
    DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
    DWORD SetMask(DWORD mask);
    void SetGather(bool gather) { m_gather = gather; }
    DWORD GetMask(DWORD& mask);
    // 0 with mask EV_RXCHAR when bytes wait; ERROR_IO_PENDING when hEvent is set later.
    DWORD WaitEvent(HANDLE hEvent, DWORD& mask);
    DWORD Purge(DWORD flags);
    DWORD Status(DWORD* errors, COMSTAT* stat);
    DWORD Read(char* p, DWORD n, DWORD& got);
    DWORD Write(const char* p, DWORD n, DWORD& done);
    DWORD GetState(DCB& dcb);
    DWORD SetState(const DCB& dcb);
    DWORD SetStateAhead(const DCB& dcb);  // CommLine::SetStateAhead
    // SETDTR, CLRDTR, SETRTS or CLRRTS.
    DWORD Escape(DWORD func);
    DWORD GetModemLines(DWORD& lines);
    DWORD SetBreak(bool on);
    uint64_t OverflowCount();
    bool IsLost();

private:
    CommPort(std::unique_ptr<CommLine> line, int wakeFd);
    void ReaderLoop();
    // Bytes read while purge number `purges` was the last: dropped if a purge came since.
    void Append(const char* p, size_t n, uint64_t purges);
    void MarkLost();
    size_t TakeLocked(char* p, size_t n);

    const std::unique_ptr<CommLine> m_line;
    std::atomic<bool> m_gather{true};  // the reader pauses after a trickle (comm_gather.h)
    const int m_wakeFd;  // eventfd: tells the reader and blocked writes that the port closes

    // Guarded by m_mutex: the input buffer (a ring), its counters, the pending comm-event wait,
    // the time-outs.
    std::mutex m_mutex;
    std::condition_variable m_cv;  // input arrived, device lost, read aborted, closing
    std::unique_ptr<char[]> m_ring;
    size_t m_head = 0, m_count = 0;
    uint64_t m_overflow = 0;
    bool m_overflowSinceCheck = false;
    bool m_lost = false;
    bool m_closing = false;
    uint64_t m_readAbortGeneration = 0;
    // Input purges so far; written under m_mutex, read by the reader before each read.
    std::atomic<uint64_t> m_rxPurges{0};
    DWORD m_eventMask = 0;
    HANDLE m_pendingWaitEvent = nullptr;
    COMMTIMEOUTS m_timeouts = {};

    std::mutex m_writeMutex;  // one write at a time
    // Line settings and modem-line changes, one at a time; guards the controls last set.
    std::mutex m_stateMutex;
    DWORD m_rtsControl = RTS_CONTROL_ENABLE, m_dtrControl = DTR_CONTROL_ENABLE;

    std::thread m_reader;  // last: starts once everything above is ready
};

std::shared_ptr<CommPort> LookupCommPort(HANDLE h);

// The comm functions' one handle look-up: calls f(port) on the port behind h and ends the call
// as the framework does: TRUE for 0, else FALSE with the code as the last error
// (ERROR_INVALID_HANDLE when h names no port).
template <class F>
BOOL CommCall(HANDLE h, F&& f) {
    auto port = LookupCommPort(h);
    if (!port) return kvimpl::Fail(ERROR_INVALID_HANDLE);
    const DWORD err = f(*port);
    return err ? kvimpl::Fail(err) : TRUE;
}

// What ConnectNetworkPortAhead kept for path (comm_ahead.h), taken out: the port, or the error
// the opening fails with (port nullptr). False when nothing fresh is kept.
bool TakeNetworkPortAhead(const std::string& path, std::shared_ptr<CommPort>& port, DWORD& error);
