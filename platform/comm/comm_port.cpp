// The port object: opening and closing, and the reader that fills the input ring.
#include "platform/comm/comm_port.h"

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>

#include "platform/comm/comm_gather.h"
#include "platform/comm/comm_hooks.h"
#include "platform/comm/comm_kind.h"
#include "platform/kernel/sync.h"

namespace {
constexpr size_t kReadChunk = 64 * 1024;
constexpr int kFullRetryMs = 5;
}  // namespace

std::shared_ptr<CommPort> LookupCommPort(HANDLE h) { return LookupKernelObjectAs<CommPort>(h); }

std::shared_ptr<CommPort> CommPort::Open(const std::string& path) {
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) return nullptr;
    return Open(path, wakeFd);
}

std::shared_ptr<CommPort> CommPort::Open(const std::string& path, int wakeFd) {
    std::unique_ptr<CommLine> line = OpenCommLine(path, wakeFd);
    if (!line) {
        const int err = errno;
        close(wakeFd);
        errno = err;
        return nullptr;
    }
    std::shared_ptr<CommPort> port(new CommPort(std::move(line), wakeFd));
    port->m_line->Ready();
    return port;
}

CommPort::CommPort(std::unique_ptr<CommLine> line, int wakeFd)
    : m_line(std::move(line)), m_wakeFd(wakeFd), m_ring(new char[kCommInputBufferSize]) {
    m_reader = std::thread(&CommPort::ReaderLoop, this);
}

void CommPort::OnClose() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        m_pendingWaitEvent = nullptr;
    }
    m_cv.notify_all();
    uint64_t one = 1;
    (void)!write(m_wakeFd, &one, sizeof one);
}

CommPort::~CommPort() {
    OnClose();
    m_reader.join();
    m_line->Close(IsLost());
    close(m_wakeFd);
}

// Moves what the line sends into the ring. When the ring is full the reader stops taking
// from the line until there is room again: the driver then holds the other end back (flow
// control, USB, a pseudo-terminal's writer, TCP), so nothing that arrived is thrown away.
void CommPort::ReaderLoop() {
    std::unique_ptr<char[]> chunk(new char[kReadChunk]);
    const int fd = m_line->Fd();
    bool watching = true;
    for (;;) {
        size_t room;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            room = kCommInputBufferSize - m_count;
        }
        const bool takeInput = watching && room > 0;
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
        // A full ring is looked at again every few milliseconds.
        int n = poll(fds, takeInput ? 2 : 1, takeInput || !watching ? -1 : kFullRetryMs);
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        if (fds[0].revents) break;  // closing wins over input
        if (!takeInput || !fds[1].revents) continue;
        bool gone = false;
        const size_t roomBefore = room;
        while (room > 0) {
            const uint64_t purges = m_rxPurges.load(std::memory_order_acquire);
            ssize_t r = read(fd, chunk.get(), std::min(room, kReadChunk));
            if (r > 0) {
                size_t n = (size_t)r;
                const char* data = m_line->Received(chunk.get(), n);
                Append(data, n, purges);
                room -= (size_t)r;
                continue;
            }
            if (r < 0 && errno == EINTR) continue;
            // 0 is a hang-up (VMIN is 1) or the end of a connection; EIO/ENXIO/ENODEV a device
            // that went away.
            if (r == 0 || errno != EAGAIN) gone = true;
            break;
        }
        // A hang-up counts once what the driver still held has been read.
        if (!gone && room > 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) gone = true;
        if (gone) {
            // A hung-up descriptor polls readable forever: stop watching it.
            MarkLost();
            watching = false;
        } else if (const DWORD pause = m_gather ? CommReaderPauseMs(roomBefore - room) : 0) {
            pollfd wake = {m_wakeFd, POLLIN, 0};
            if (poll(&wake, 1, (int)pause) > 0) break;  // the port closes
        }
    }
    // Closing ends the line's waits as well: a negotiation on the way gives up.
    m_line->Lost();
}

void CommPort::Append(const char* p, size_t n, uint64_t purges) {
    std::lock_guard<std::mutex> lock(m_mutex);
    // Read before a purge emptied the input: it belongs to what was purged.
    if (purges != m_rxPurges.load(std::memory_order_relaxed)) return;
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, cap - m_count);
    if (take < n) {
        m_overflow += n - take;
        m_overflowSinceCheck = true;
    }
    size_t tail = (m_head + m_count) % cap;
    size_t first = std::min(take, cap - tail);
    memcpy(m_ring.get() + tail, p, first);
    memcpy(m_ring.get(), p + first, take - first);
    m_count += take;
    if (m_count > 0 && m_pendingWaitEvent && (m_eventMask & EV_RXCHAR)) {
        SetEvent(m_pendingWaitEvent);
        m_pendingWaitEvent = nullptr;
    }
    m_cv.notify_all();
}

void CommPort::MarkLost() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lost = true;
    }
    m_cv.notify_all();
    m_line->Lost();
    // Not every loss brings a device event of its own; the port list must hear of it.
    CallCommDeviceLostHandler();
}

size_t CommPort::TakeLocked(char* p, size_t n) {
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, m_count);
    size_t first = std::min(take, cap - m_head);
    memcpy(p, m_ring.get() + m_head, first);
    memcpy(p + first, m_ring.get(), take - first);
    m_head = (m_head + take) % cap;
    m_count -= take;
    if (m_count == 0) m_head = 0;
    return take;
}
