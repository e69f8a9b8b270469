// The port object: opening and closing a device, and the reader that fills the input ring.
#include "platform/comm/comm_port.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <strings.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>

#include "platform/comm/comm_release.h"
#include "platform/comm/comm_termios.h"
#include "platform/kernel/sync.h"

namespace {
constexpr size_t kReadChunk = 64 * 1024;
constexpr int kFullRetryMs = 5;
constexpr int kDrainWaitMs = 500;
// A wake-up that found less than this is a trickle: the next read waits kGatherMs so that
// a paced stream is taken in larger pieces. The first bytes after a silence are read at once.
constexpr size_t kTrickleBytes = 4096;
constexpr int kGatherMs = 10;
std::atomic<void (*)()> g_lostHandler{nullptr};

// The kernel's stand-ins for other terminals: /dev/tty (5,0), /dev/console (5,1), /dev/ptmx
// and devpts' ptmx (5,2).
bool IsTerminalAlias(const struct stat& st) {
    return S_ISCHR(st.st_mode) && major(st.st_rdev) == 5 && minor(st.st_rdev) <= 2;
}

}  // namespace

std::shared_ptr<CommPort> LookupCommPort(HANDLE h) { return LookupKernelObjectAs<CommPort>(h); }

void SetCommDeviceLostHandler(void (*pfnHandler)()) { g_lostHandler = pfnHandler; }

std::shared_ptr<CommPort> CommPort::Open(const std::string& path) {
    // /dev/tty, /dev/console and /dev/ptmx stand for another terminal (the caller's own, a new
    // pseudo-terminal master): they are no ports, and opening ptmx would already make one.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && IsTerminalAlias(st)) {
        errno = ENOTTY;
        return nullptr;
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto fail = [fd](int err) -> std::shared_ptr<CommPort> {
        close(fd);
        errno = err;
        return nullptr;
    };
    // Checked again on what was opened, in case the link changed in between; a master side
    // (it has a pseudo-terminal number) is no port either.
    unsigned ptyNumber;
    if (!isatty(fd) || fstat(fd, &st) != 0 || IsTerminalAlias(st) ||
        ioctl(fd, TIOCGPTN, &ptyNumber) == 0)
        return fail(ENOTTY);
    // flock also keeps out root, which TIOCEXCL lets through; a port another program made
    // exclusive without flock is as much in use.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
    int exclusive = 0;
    if (ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) return fail(EBUSY);
    CommTermios found;
    if (int err = CommGetTermios(fd, found)) return fail(err);
    ioctl(fd, TIOCEXCL);
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) {
        ioctl(fd, TIOCNXCL);
        return fail(errno);
    }
    std::shared_ptr<CommPort> port(new CommPort(fd, wakeFd, found, nullptr));
    CommNoteOpened(fd, found);
    return port;
}

std::shared_ptr<CommPort> CommPort::OpenNetwork(const std::string& url) {
    int wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd < 0) return nullptr;
    return OpenNetwork(url, wakeFd);
}

std::shared_ptr<CommPort> CommPort::OpenNetwork(const std::string& url, int wakeFd) {
    auto fail = [wakeFd](int err) -> std::shared_ptr<CommPort> {
        close(wakeFd);
        errno = err;
        return nullptr;
    };
    NetPortAddress address;
    if (!ParseNetPortUrl(url, address)) return fail(EINVAL);
    int fd = CommNetConnect(address, kCommNetConnectMs, wakeFd);
    if (fd < 0) return fail(errno);
    auto net = std::make_unique<CommNet>(address.kind, fd, wakeFd);
    std::shared_ptr<CommPort> port(new CommPort(fd, wakeFd, CommTermios(), std::move(net)));
    port->net->WaitReady();
    return port;
}

CommPort::CommPort(int fd_, int wakeFd, const CommTermios& found, std::unique_ptr<CommNet> net_)
    : fd(fd_),
      net(std::move(net_)),
      ring(new char[kCommInputBufferSize]),
      m_wakeFd(wakeFd),
      m_found(found) {
    m_reader = std::thread(&CommPort::ReaderLoop, this);
}

void CommPort::OnClose() {
    {
        std::lock_guard<std::mutex> lock(m);
        closing = true;
        pendingWaitEvent = nullptr;
    }
    cv.notify_all();
    uint64_t one = 1;
    (void)!write(m_wakeFd, &one, sizeof one);
}

CommPort::~CommPort() {
    OnClose();
    m_reader.join();
    if (!net) {
        RestoreFoundSettings();
        CommNoteClosed(fd);
        ioctl(fd, TIOCNXCL);
        flock(fd, LOCK_UN);
    }
    close(fd);
    close(m_wakeFd);
}

// Leaves the line as it was found, for the next program. Bytes still on their way out are
// given a little time first, so that they leave at the speed they were written for.
void CommPort::RestoreFoundSettings() {
    {
        std::lock_guard<std::mutex> lock(m);
        if (lost) return;
    }
    int pending = 0;
    for (int i = 0; i < kDrainWaitMs / 10 && ioctl(fd, TIOCOUTQ, &pending) == 0 && pending > 0; ++i)
        usleep(10 * 1000);
    CommSetTermios(fd, m_found);
}

// Moves what the device sends into the ring. When the ring is full the reader stops taking
// from the device until there is room again: the driver then holds the device back (flow
// control, USB, a pseudo-terminal's writer), so nothing that arrived is thrown away.
void CommPort::ReaderLoop() {
    std::unique_ptr<char[]> chunk(new char[kReadChunk]);
    std::string data;  // a network port's data among the bytes read
    bool watching = true;
    for (;;) {
        size_t room;
        {
            std::lock_guard<std::mutex> lock(m);
            room = kCommInputBufferSize - count;
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
            ssize_t r = read(fd, chunk.get(), std::min(room, kReadChunk));
            if (r > 0 && net) {
                data.clear();
                net->Received(chunk.get(), (size_t)r, data);
                Append(data.data(), data.size());
                room -= (size_t)r;
                continue;
            }
            if (r > 0) {
                Append(chunk.get(), (size_t)r);
                room -= (size_t)r;
                continue;
            }
            if (r < 0 && errno == EINTR) continue;
            // 0 is a hang-up (VMIN is 1); EIO/ENXIO/ENODEV a device that went away.
            if (r == 0 || errno != EAGAIN) gone = true;
            break;
        }
        // A hang-up counts once what the driver still held has been read.
        if (!gone && room > 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) gone = true;
        if (gone) {
            // A hung-up descriptor polls readable forever: stop watching it.
            MarkLost();
            watching = false;
        } else if (roomBefore - room < kTrickleBytes) {
            pollfd wake = {m_wakeFd, POLLIN, 0};
            if (poll(&wake, 1, kGatherMs) > 0) break;  // the port closes
        }
    }
    // Closing ends the network's waits as well: a negotiation on the way gives up.
    if (net) net->Lost();
}

void CommPort::Append(const char* p, size_t n) {
    std::lock_guard<std::mutex> lock(m);
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, cap - count);
    if (take < n) {
        overflow += n - take;
        overflowSinceCheck = true;
    }
    size_t tail = (head + count) % cap;
    size_t first = std::min(take, cap - tail);
    memcpy(ring.get() + tail, p, first);
    memcpy(ring.get(), p + first, take - first);
    count += take;
    if (count > 0 && pendingWaitEvent && (eventMask & EV_RXCHAR)) {
        SetEvent(pendingWaitEvent);
        pendingWaitEvent = nullptr;
    }
    cv.notify_all();
}

void CommPort::MarkLost() {
    {
        std::lock_guard<std::mutex> lock(m);
        lost = true;
    }
    cv.notify_all();
    if (net) net->Lost();
    // Not every loss brings a device event of its own; the port list must hear of it.
    if (auto handler = g_lostHandler.load()) handler();
}

size_t CommPort::TakeLocked(char* p, size_t n) {
    const size_t cap = kCommInputBufferSize;
    size_t take = std::min(n, count);
    size_t first = std::min(take, cap - head);
    memcpy(p, ring.get() + head, first);
    memcpy(p + first, ring.get(), take - first);
    head = (head + take) % cap;
    count -= take;
    if (count == 0) head = 0;
    return take;
}
