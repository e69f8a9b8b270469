// Network ports that are raw TCP streams.
#include "platform/comm/comm_tcp.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/comm/comm_socket.h"
#include "platform/comm/comm_termios.h"

std::unique_ptr<CommLine> CommTcp::Connect(const NetPortAddress& address, int wakeFd) {
    const int fd = CommNetConnect(address, kCommNetConnectMs, wakeFd);
    if (fd < 0) return nullptr;
    return std::unique_ptr<CommLine>(new CommTcp(fd, wakeFd));
}

void CommTcp::Close(bool) { close(m_fd); }

int CommTcp::Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) {
    return CommSocketSend(m_fd, m_wakeFd, p, n, deadlineMs, done);
}

// The socket's unread bytes are taken at once by the reader; only the buffer counts as input.
void CommTcp::DriverQueues(int& in, int& out) {
    in = 0;
    if (ioctl(m_fd, TIOCOUTQ, &out) < 0) out = 0;
}

int CommTcp::GetState(DCB& dcb) {
    dcb = m_dcb;
    return 0;
}

// Settings a serial line could not take fail as they would on a device; others are kept.
int CommTcp::SetState(const DCB& dcb) {
    CommTermios unused;
    if (int err = BuildCommTermios(dcb, CommTermios(), unused)) return err;
    m_dcb = dcb;
    return 0;
}
