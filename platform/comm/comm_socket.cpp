// Connecting to a network port within a time limit, and sending on the socket.
#include "platform/comm/comm_socket.h"

#include <errno.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "platform/comm/comm_time.h"
#include "platform/core/syserr.h"

namespace {
// The name lookup runs on a thread of its own, so that a slow resolver cannot hold the
// caller beyond the time limit; a lookup that is late finishes there and is thrown away.
struct Lookup {
    int doneFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);  // readable once the lookup is done
    std::atomic<int> rc{0};
    std::atomic<addrinfo*> result{nullptr};
    ~Lookup() {
        if (result) freeaddrinfo(result);
        if (doneFd >= 0) close(doneFd);
    }
};

// Waits until fd polls readable, deadline passes (ETIMEDOUT) or abortFd polls readable
// (ECANCELED).
int WaitReadable(int fd, int64_t deadline, int abortFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {abortFd, POLLIN, 0}};
    for (;;) {
        int r = poll(fds, abortFd >= 0 ? 2 : 1, CommMsLeft(deadline));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return errno;
        if (r == 0) return ETIMEDOUT;
        return fds[1].revents ? ECANCELED : 0;
    }
}

int Resolve(const NetPortAddress& a, int64_t deadline, int abortFd, std::shared_ptr<Lookup>& out) {
    auto lookup = std::make_shared<Lookup>();
    if (lookup->doneFd < 0) return errno;
    std::thread([lookup, host = a.host, port = a.port] {
        addrinfo hints = {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* res = nullptr;
        int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &res);
        lookup->result = res;
        lookup->rc.store(rc == EAI_SYSTEM ? -errno : rc, std::memory_order_release);
        uint64_t one = 1;
        (void)!write(lookup->doneFd, &one, sizeof one);  // publishes rc and result
    }).detach();
    if (int err = WaitReadable(lookup->doneFd, deadline, abortFd)) return err;
    const int rc = lookup->rc.load(std::memory_order_acquire);
    if (rc < 0) return -rc;
    if (rc != 0 || !lookup->result) return ENOENT;
    out = lookup;
    return 0;
}

// One address: a non-blocking connect, waited for until deadline.
int ConnectOne(const addrinfo* ai, int64_t deadline, int abortFd, int& fd) {
    fd = socket(ai->ai_family, ai->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, ai->ai_protocol);
    if (fd < 0) return errno;
    int err = 0;
    if (connect(fd, ai->ai_addr, ai->ai_addrlen) < 0) {
        err = errno;
        if (err == EINPROGRESS) {
            pollfd pfd[2] = {{fd, POLLOUT, 0}, {abortFd, POLLIN, 0}};
            int r;
            while ((r = poll(pfd, abortFd >= 0 ? 2 : 1, CommMsLeft(deadline))) < 0 &&
                   errno == EINTR) {
            }
            socklen_t len = sizeof err;
            if (r == 0)
                err = ETIMEDOUT;
            else if (r > 0 && pfd[1].revents)
                err = ECANCELED;
            else if (r < 0 || getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) < 0)
                err = errno;
        }
    }
    if (err) {
        close(fd);
        fd = -1;
    }
    return err;
}
}  // namespace

int CommNetConnect(const NetPortAddress& address, int timeoutMs, int abortFd) {
    const int64_t deadline = CommNowMs() + timeoutMs;
    std::shared_ptr<Lookup> lookup;
    if (int err = Resolve(address, deadline, abortFd, lookup)) {
        errno = err;
        return -1;
    }
    int err = ECONNREFUSED, fd = -1;
    for (const addrinfo* ai = lookup->result; ai && fd < 0 && err != ETIMEDOUT && err != ECANCELED;
         ai = ai->ai_next)
        err = ConnectOne(ai, deadline, abortFd, fd);
    if (fd < 0) {
        errno = err;
        return -1;
    }
    // Small writes (typed keys, commands) leave at once; a server that vanishes without a word
    // is noticed within about half a minute.
    int on = 1, idle = 10, interval = 5, count = 3;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    return fd;
}

int CommSocketSend(int fd, int wakeFd, const char* p, size_t n, int64_t deadlineMs, size_t& sent) {
    sent = 0;
    while (sent < n) {
        ssize_t w = send(fd, p + sent, n - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (w > 0) {
            sent += (size_t)w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) return EIO;
        const int wait = CommMsLeft(deadlineMs);
        if (wait == 0) return ETIMEDOUT;
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeFd, POLLIN, 0}};
        if (poll(fds, 2, wait) < 0 && errno != EINTR) return errno;
        if (fds[1].revents) return ERROR_OPERATION_ABORTED;
    }
    return 0;
}
