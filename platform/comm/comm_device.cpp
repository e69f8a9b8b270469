// A local serial device: opening it exclusively, its writes, line settings and modem lines,
// and leaving it as it was found.
#include "platform/comm/comm_device.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>

#include "platform/comm/comm_hooks.h"
#include "platform/comm/comm_release.h"
#include "platform/comm/comm_time.h"
#include "platform/core/syserr.h"

namespace {
constexpr int kDrainWaitMs = 500;
// The device numbers of pseudo-terminal slaves (Unix98 ptys).
constexpr unsigned kPtySlaveMajorFirst = 136, kPtySlaveMajorLast = 143;

// The kernel's stand-ins for other terminals: /dev/tty (5,0), /dev/console (5,1), /dev/ptmx
// and devpts' ptmx (5,2).
bool IsTerminalAlias(const struct stat& st) {
    return S_ISCHR(st.st_mode) && major(st.st_rdev) == 5 && minor(st.st_rdev) <= 2;
}
}  // namespace

std::unique_ptr<CommLine> CommDevice::Open(const std::string& path, int wakeFd) {
    // /dev/tty, /dev/console and /dev/ptmx stand for another terminal (the caller's own, a new
    // pseudo-terminal master): they are no ports, and opening ptmx would already make one.
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && IsTerminalAlias(st)) {
        errno = ENOTTY;
        return nullptr;
    }
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto fail = [fd](int err) -> std::unique_ptr<CommLine> {
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
    CommNoteOpened(fd, found);
    const bool pty =
        major(st.st_rdev) >= kPtySlaveMajorFirst && major(st.st_rdev) <= kPtySlaveMajorLast;
    return std::unique_ptr<CommLine>(new CommDevice(fd, wakeFd, found, pty));
}

// Leaves the line as it was found, for the next program. Bytes still on their way out are
// given a little time first, so that they leave at the speed they were written for.
void CommDevice::Close(bool lost) {
    if (!lost) {
        int pending = 0;
        for (int i = 0;
             i < kDrainWaitMs / 10 && ioctl(m_fd, TIOCOUTQ, &pending) == 0 && pending > 0; ++i)
            usleep(10 * 1000);
        CommSetTermios(m_fd, m_found);
    }
    CommNoteClosed(m_fd);
    ioctl(m_fd, TIOCNXCL);
    flock(m_fd, LOCK_UN);
    close(m_fd);
}

int CommDevice::Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) {
    done = 0;
    while (done < n) {
        ssize_t w = write(m_fd, p + done, n - done);
        if (w > 0) {
            done += (size_t)w;
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) return (int)ErrorFromErrno(errno);
        const int wait = CommMsLeft(deadlineMs);
        if (wait == 0) return ETIMEDOUT;
        pollfd fds[2] = {{m_fd, POLLOUT, 0}, {m_wakeFd, POLLIN, 0}};
        int r = poll(fds, 2, wait);
        if (r < 0 && errno != EINTR) return (int)ErrorFromErrno(errno);
        if (r > 0 && fds[1].revents) return ERROR_OPERATION_ABORTED;  // the port closes
        if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) &&
            !(fds[0].revents & POLLOUT))
            return EIO;
    }
    return 0;
}

void CommDevice::DriverQueues(int& in, int& out) {
    if (ioctl(m_fd, FIONREAD, &in) < 0) in = 0;
    if (ioctl(m_fd, TIOCOUTQ, &out) < 0) out = 0;
}

int CommDevice::Purge(bool rx, bool tx) { return CommFlush(m_fd, rx, tx); }

int CommDevice::GetState(DCB& dcb) {
    CommTermios t;
    if (int err = CommGetTermios(m_fd, t)) return err;
    // Where the device has modem lines, DTR and RTS are told as they are: a read-back applied
    // again leaves them as the driver (or EscapeCommFunction) left them.
    DWORD lines = 0;
    if (GetModemLines(lines) == 0) {
        dcb.fDtrControl = (lines & MS_DTR_ON) ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
            dcb.fRtsControl = (lines & MS_RTS_ON) ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
    }
    CommTermiosToDcb(t, dcb);
    return 0;
}

int CommDevice::SetState(const DCB& dcb) {
    CommTermios cur, want, got;
    if (int err = CommGetTermios(m_fd, cur)) return err;
    if (int err = BuildCommTermios(dcb, cur, want)) return err;
    if (int err = CommSetTermios(m_fd, want)) return err;
    // The driver may round or refuse a speed while reporting success: read it back.
    if (int err = CommGetTermios(m_fd, got)) return err;
    if (!CommSpeedTaken(dcb.BaudRate, got.ospeed)) return EINVAL;
    // Pseudo-terminals have no modem lines (ENOTTY/EINVAL): nothing to do there. Under RTS/CTS
    // the driver drives RTS.
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        SetModemLine(MS_RTS_ON, dcb.fRtsControl == RTS_CONTROL_ENABLE);
    SetModemLine(MS_DTR_ON, dcb.fDtrControl == DTR_CONTROL_ENABLE);
    return 0;
}

int CommDevice::GetModemLines(DWORD& lines) {
    lines = 0;
    int result = 0;
    if (CallCommModemHook(0, &lines, result)) return result;
    return CommGetModemLines(m_fd, lines);
}

int CommDevice::SetModemLine(DWORD line, bool on) {
    const bool dtr = line == MS_DTR_ON;
    if (!dtr && line != MS_RTS_ON) return EINVAL;
    DWORD unused = 0;
    int result = 0;
    if (CallCommModemHook(dtr ? (on ? SETDTR : CLRDTR) : (on ? SETRTS : CLRRTS), &unused, result))
        return result;
    return CommSetModemLine(m_fd, line, on);
}

int CommDevice::SetBreak(bool on) {
    DWORD unused = 0;
    int result = 0;
    if (CallCommModemHook(on ? SETBREAK : CLRBREAK, &unused, result)) return result;
    // Linux has no break on a pseudo-terminal pair: the far end would see nothing.
    if (m_pty) return EOPNOTSUPP;
    return CommSetBreak(m_fd, on);
}
