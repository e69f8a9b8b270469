// A local serial device (or pseudo-terminal) as a port's line, over termios and ioctl, for the
// comm layer's own use.
#pragma once
#include <memory>
#include <string>

#include "platform/comm/comm_line.h"
#include "platform/comm/comm_termios.h"

class CommDevice : public CommLine {
public:
    // Opens path exclusively; nullptr with errno set: ENOTTY for what is no port (no terminal,
    // /dev/tty, /dev/ptmx, a master side), EBUSY for a port another program holds (flock or
    // TIOCEXCL). The line settings found are put back on Close.
    static std::unique_ptr<CommLine> Open(const std::string& path, int wakeFd);

    int Fd() const override { return m_fd; }
    DWORD Kind() const override { return PST_RS232; }
    void Close(bool lost) override;
    int Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) override;
    void DriverQueues(int& in, int& out) override;
    int Purge(bool rx, bool tx) override;
    int GetState(DCB& dcb) override;
    int SetState(const DCB& dcb) override;
    // While a modem hook is set (comm_hooks.h) it stands in for the device's lines.
    int SetModemLine(DWORD line, bool on) override;
    int GetModemLines(DWORD& lines) override;
    // TIOCSBRK/TIOCCBRK, so that the caller times the break; the modem hook stands in here too
    // (SETBREAK, CLRBREAK). A pseudo-terminal would take both and send nothing: EOPNOTSUPP.
    int SetBreak(bool on) override;

private:
    CommDevice(int fd, int wakeFd, const CommTermios& found, bool pty)
        : m_fd(fd), m_wakeFd(wakeFd), m_found(found), m_pty(pty) {}
    const int m_fd, m_wakeFd;
    const CommTermios m_found;  // the line settings when the port was opened
    const bool m_pty;           // a pseudo-terminal's slave side
};
