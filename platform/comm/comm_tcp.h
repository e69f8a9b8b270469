// A network port that is a raw TCP byte stream, as a port's line (comm_line.h), for the comm
// layer's own use: bytes go as they are, the line settings are taken without being sent, and
// there are no modem lines.
#pragma once
#include <errno.h>

#include <memory>

#include "platform/comm/comm_line.h"
#include "platform/ports/neturl.h"

class CommTcp : public CommLine {
public:
    // Connects to address within a few seconds; nullptr with errno set (ECONNREFUSED,
    // ETIMEDOUT, ECANCELED when wakeFd polls readable meanwhile, ...).
    static std::unique_ptr<CommLine> Connect(const NetPortAddress& address, int wakeFd);

    int Fd() const override { return m_fd; }
    DWORD Kind() const override { return PST_TCPIP_RAW; }
    void Close(bool lost) override;
    int Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) override;
    void DriverQueues(int& in, int& out) override;
    int Purge(bool, bool) override { return 0; }
    // The settings last set (the port calls these one at a time).
    int GetState(DCB& dcb) override;
    int SetState(const DCB& dcb) override;
    int SetModemLine(DWORD, bool) override { return ENOTTY; }
    int GetModemLines(DWORD&) override { return ENOTTY; }

private:
    CommTcp(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd) {}
    const int m_fd, m_wakeFd;
    DCB m_dcb;
};
