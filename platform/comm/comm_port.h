// The port object behind a comm HANDLE, shared by the comm layer's sources.
#pragma once
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/comm/comm_net.h"
#include "platform/comm/comm_socket.h"
#include "platform/comm/comm_termios.h"
#include "platform/comm/comm_types.h"
#include "platform/kernel/sync_object.h"

class CommPort : public KernelObject {
public:
    // Opens path exclusively and starts the reader; returns nullptr with errno set: ENOTTY
    // for what is no port (no terminal, /dev/tty, /dev/ptmx, a master side), EBUSY for a port
    // another program holds (flock or TIOCEXCL). The line settings found are put back on close.
    static std::shared_ptr<CommPort> Open(const std::string& path);
    // Connects to a network port URL (neturl.h) within a few seconds; nullptr with errno set
    // (ECONNREFUSED, ETIMEDOUT, ...). The socket is the port's descriptor.
    static std::shared_ptr<CommPort> OpenNetwork(const std::string& url);
    // The same with the port's wake-up eventfd made by the caller and taken over (closed on
    // failure): a write to it ends the connecting (ECANCELED) or the negotiation at once.
    static std::shared_ptr<CommPort> OpenNetwork(const std::string& url, int wakeFd);
    ~CommPort() override;
    void OnClose() override;

    const int fd;
    // A network port's protocol; nullptr for a device. What a comm function does with the
    // line settings, the modem lines and the bytes written goes through it where it is set.
    const std::unique_ptr<CommNet> net;

    // Guarded by m: the input buffer (a ring), its counters, the pending comm-event wait.
    std::mutex m;
    std::condition_variable cv;  // input arrived, device lost, read aborted, closing
    std::unique_ptr<char[]> ring;
    size_t head = 0, count = 0;
    uint64_t overflow = 0;
    bool overflowSinceCheck = false;
    bool lost = false;
    bool closing = false;
    uint64_t readAbortGeneration = 0;
    DWORD eventMask = 0;
    HANDLE pendingWaitEvent = nullptr;
    COMMTIMEOUTS timeouts = {};
    DWORD rtsControl = RTS_CONTROL_ENABLE, dtrControl = DTR_CONTROL_ENABLE;

    std::mutex writeMutex;  // one write at a time
    std::mutex stateMutex;  // line settings

    // Moves up to n bytes from the ring into p; caller holds m.
    size_t TakeLocked(char* p, size_t n);
    void ClearInputLocked() { head = count = 0; }

private:
    CommPort(int fd, int wakeFd, const CommTermios& found, std::unique_ptr<CommNet> net);
    void ReaderLoop();
    void Append(const char* p, size_t n);
    void MarkLost();
    void RestoreFoundSettings();
    const int m_wakeFd;         // eventfd: tells the reader and blocked writes that the port closes
    const CommTermios m_found;  // the line settings when the port was opened
    std::thread m_reader;
};

std::shared_ptr<CommPort> LookupCommPort(HANDLE h);
// What ConnectNetworkPortAhead kept for url (comm_ahead.h), taken out: the port, or the error
// the opening fails with (port nullptr). False when nothing fresh is kept.
bool TakeNetworkPortAhead(const std::string& url, std::shared_ptr<CommPort>& port, DWORD& error);
// Called (from the reader thread) when the device behind an open port goes away; the device
// notifications install it. nullptr: nobody listens.
void SetCommDeviceLostHandler(void (*pfnHandler)());
