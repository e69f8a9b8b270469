// Network ports over Telnet with the serial-port option (RFC 2217).
#include "platform/comm/comm_rfc2217.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "platform/comm/comm_socket.h"
#include "platform/comm/comm_termios.h"
#include "platform/comm/comm_time.h"
#include "platform/core/syserr.h"

namespace {
enum : uint8_t { OPT_BINARY = 0, OPT_SGA = 3, OPT_COM_PORT = 44 };
// COM-PORT-OPTION commands, client to server; the server answers with the code plus 100.
enum : uint8_t {
    CPO_BAUD = 1,
    CPO_DATASIZE = 2,
    CPO_PARITY = 3,
    CPO_STOPSIZE = 4,
    CPO_CONTROL = 5,
    CPO_MODEMSTATE = 7,
    CPO_PURGE = 12,
    CPO_REPLY = 100,
};
constexpr unsigned kSettingsConfirmed =
    1u << CPO_BAUD | 1u << CPO_DATASIZE | 1u << CPO_PARITY | 1u << CPO_STOPSIZE | 1u << CPO_CONTROL;
constexpr size_t kWriteChunk = 16 * 1024;
// What may wait for the server to read before its option requests are ignored: far more
// than an honest negotiation needs.
constexpr size_t kQueuedMax = 4096;

bool Accepted(uint8_t option) {
    return option == OPT_BINARY || option == OPT_SGA || option == OPT_COM_PORT;
}

std::string Command(uint8_t verb, uint8_t option) {
    return std::string{(char)TELNET_IAC, (char)verb, (char)option};
}

// IAC SB COM-PORT-OPTION code value... IAC SE, the value escaped.
std::string ComPortCommand(uint8_t code, const std::string& value) {
    std::string s{(char)TELNET_IAC, (char)TELNET_SB, (char)OPT_COM_PORT, (char)code};
    TelnetEscape(value.data(), value.size(), s);
    s += {(char)TELNET_IAC, (char)TELNET_SE};
    return s;
}
std::string ComPortCommand(uint8_t code, uint8_t value) {
    return ComPortCommand(code, std::string(1, (char)value));
}

bool HardwareFlow(const DCB& dcb) {
    return dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
}
uint8_t FlowCode(const DCB& dcb) { return HardwareFlow(dcb) ? 3 : dcb.fOutX ? 2 : 1; }

// The commands that carry dcb's line settings, flow control and output lines to the server.
std::string SettingsCommand(const DCB& dcb) {
    const uint8_t parity = (uint8_t)(dcb.Parity + 1);
    const uint8_t stop = dcb.StopBits == TWOSTOPBITS ? 2 : dcb.StopBits == ONE5STOPBITS ? 3 : 1;
    const std::string baud{(char)(dcb.BaudRate >> 24), (char)(dcb.BaudRate >> 16),
                           (char)(dcb.BaudRate >> 8), (char)dcb.BaudRate};
    std::string cmd = ComPortCommand(CPO_BAUD, baud) + ComPortCommand(CPO_DATASIZE, dcb.ByteSize) +
                      ComPortCommand(CPO_PARITY, parity) + ComPortCommand(CPO_STOPSIZE, stop) +
                      ComPortCommand(CPO_CONTROL, FlowCode(dcb));
    if (!HardwareFlow(dcb)) cmd += ComPortCommand(CPO_CONTROL, dcb.fInX ? 15 : 14);
    if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
        cmd += ComPortCommand(CPO_CONTROL, dcb.fRtsControl == RTS_CONTROL_ENABLE ? 11 : 12);
    cmd += ComPortCommand(CPO_CONTROL, dcb.fDtrControl == DTR_CONTROL_ENABLE ? 8 : 9);
    return cmd;
}
}  // namespace

std::unique_ptr<CommLine> CommRfc2217::Connect(const NetPortAddress& address, int wakeFd) {
    const int fd = CommNetConnect(address, kCommNetConnectMs, wakeFd);
    if (fd < 0) return nullptr;
    return std::make_unique<CommRfc2217>(fd, wakeFd);
}

CommRfc2217::CommRfc2217(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd) {
    // Binary both ways, so that CR and every other byte pass as they are; no go-aheads.
    std::string hello;
    for (uint8_t option : {OPT_COM_PORT, OPT_BINARY, OPT_SGA}) {
        m_will[option] = true;
        hello += Command(TELNET_WILL, option);
    }
    for (uint8_t option : {OPT_BINARY, OPT_SGA}) {
        m_do[option] = true;
        hello += Command(TELNET_DO, option);
    }
    m_queued = hello;
}

void CommRfc2217::Close(bool) { close(m_fd); }

void CommRfc2217::DriverQueues(int& in, int& out) {
    in = 0;
    if (ioctl(m_fd, TIOCOUTQ, &out) < 0) out = 0;
}

const char* CommRfc2217::Received(const char* p, size_t& n) {
    m_data.clear();
    m_decoder.Decode(p, n, m_data, *this);
    n = m_data.size();
    // The reader never waits for the socket: what it cannot send now, the next sender sends.
    if (m_sendMutex.try_lock()) {
        FlushLocked(CommNowMs());
        m_sendMutex.unlock();
    }
    return m_data.data();
}

void CommRfc2217::Lost() {
    {
        std::lock_guard<std::mutex> lock(m);
        m_lost = true;
    }
    m_cv.notify_all();
}

void CommRfc2217::OnOption(uint8_t verb, uint8_t option) {
    {
        std::lock_guard<std::mutex> lock(m);
        // Answers wait here while the server does not read. A server that keeps asking all the
        // same gets no answer once kQueuedMax bytes wait: its requests are ignored, as if they
        // had not come, so that what waits stays small.
        if (m_queued.size() >= kQueuedMax) return;
        // A request is answered only when it changes the option's state (RFC 854's rule
        // against endless exchanges), and an option we do not have is refused once.
        const bool accepted = Accepted(option);
        std::string reply;
        if (verb == TELNET_DO || verb == TELNET_DONT) {
            const bool on = verb == TELNET_DO && accepted;
            const bool changed = on != m_will[option];
            if (changed || (!on && verb == TELNET_DO && !m_wontSent[option]))
                reply = Command(on ? TELNET_WILL : TELNET_WONT, option);
            if (verb == TELNET_DO && !accepted) m_wontSent[option] = true;
            m_will[option] = on;
            if (option == OPT_COM_PORT) {
                // Learn the settings the remote port has now, once the option is on.
                const bool ask = on && !m_comPortOn;
                m_comPortKnown = true;
                m_comPortOn = on;
                if (ask) {
                    for (uint8_t code : {CPO_BAUD, CPO_DATASIZE, CPO_PARITY, CPO_STOPSIZE})
                        reply += ComPortCommand(
                            code, code == CPO_BAUD ? std::string(4, 0) : std::string(1, 0));
                    reply += ComPortCommand(CPO_CONTROL, 0);
                }
            }
        } else {
            const bool on = verb == TELNET_WILL && accepted;
            if (on != m_do[option] || (!on && verb == TELNET_WILL && !m_dontSent[option]))
                reply = Command(on ? TELNET_DO : TELNET_DONT, option);
            if (verb == TELNET_WILL && !accepted) m_dontSent[option] = true;
            m_do[option] = on;
        }
        m_queued += reply;
    }
    m_cv.notify_all();
}

void CommRfc2217::OnSubnegotiation(const std::string& body) {
    if (body.size() < 3 || (uint8_t)body[0] != OPT_COM_PORT || (uint8_t)body[1] < CPO_REPLY) return;
    const uint8_t code = (uint8_t)body[1] - CPO_REPLY;
    const uint8_t v = (uint8_t)body[2];
    {
        std::lock_guard<std::mutex> lock(m);
        switch (code) {
            case CPO_BAUD:
                if (body.size() < 6) return;
                m_dcb.BaudRate = (DWORD)v << 24 | (DWORD)(uint8_t)body[3] << 16 |
                                 (DWORD)(uint8_t)body[4] << 8 | (uint8_t)body[5];
                break;
            case CPO_DATASIZE:
                m_dcb.ByteSize = v;
                break;
            case CPO_PARITY:
                if (v >= 1 && v <= 5) m_dcb.Parity = (BYTE)(v - 1);
                break;
            case CPO_STOPSIZE:
                m_dcb.StopBits = v == 2 ? TWOSTOPBITS : v == 3 ? ONE5STOPBITS : ONESTOPBIT;
                break;
            case CPO_CONTROL:
                if (v >= 1 && v <= 3) {
                    m_flowReply = v;
                    m_dcb.fOutxCtsFlow = v == 3;
                    m_dcb.fOutX = m_dcb.fInX = v == 2;
                    if (v == 3) m_dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
                } else if (v == 8 || v == 9) {
                    m_dtr = v == 8;
                } else if (v == 11 || v == 12) {
                    m_rts = v == 11;
                }
                if (v > 3) return;  // not the answer to a flow-control setting
                break;
            case CPO_MODEMSTATE:
                m_modemState = v;
                break;
            default:
                return;
        }
        m_confirmed |= 1u << code;
    }
    m_cv.notify_all();
}

// Sends p, waiting for room until deadlineMs. The port's closing ends the wait, as does a
// broken connection (EIO).
int CommRfc2217::SendLocked(const char* p, size_t n, int64_t deadlineMs, size_t& sent) {
    return CommSocketSend(m_fd, m_wakeFd, p, n, deadlineMs, sent);
}

// Sends what is owed and queued, in order; bytes that did not go out by deadlineMs wait for
// the next sender.
int CommRfc2217::FlushLocked(int64_t deadlineMs) {
    std::string out;
    {
        std::lock_guard<std::mutex> lock(m);
        out.swap(m_queued);
    }
    out.insert(0, m_owed);
    m_owed.clear();
    size_t sent = 0;
    int err = out.empty() ? 0 : SendLocked(out.data(), out.size(), deadlineMs, sent);
    if (sent < out.size()) {
        std::lock_guard<std::mutex> lock(m);
        m_queued.insert(0, out.substr(sent));
    }
    return err == ETIMEDOUT ? 0 : err;
}

int CommRfc2217::SendControl(const std::string& bytes) {
    {
        std::lock_guard<std::mutex> lock(m);
        m_queued += bytes;
    }
    // A write holds the socket for one chunk at a time; a chunk stuck longer than this is a
    // server that does not read.
    const int64_t until = CommNowMs() + kCommNetConfirmMs;
    while (!m_sendMutex.try_lock()) {
        if (CommNowMs() >= until) return ETIMEDOUT;
        usleep(1000);
    }
    int err = FlushLocked(CommNowMs() + kCommNetConfirmMs);
    if (!err) {
        std::lock_guard<std::mutex> lock(m);
        if (!m_queued.empty()) err = ETIMEDOUT;
    }
    m_sendMutex.unlock();
    return err;
}

int CommRfc2217::Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) {
    done = 0;
    std::string chunk;
    while (done < n) {
        std::lock_guard<std::mutex> lock(m_sendMutex);
        if (int err = FlushLocked(deadlineMs)) return err;
        {
            std::lock_guard<std::mutex> l(m);
            if (!m_queued.empty()) return ETIMEDOUT;
        }
        const size_t take = std::min(n - done, kWriteChunk);
        chunk.clear();
        TelnetEscape(p + done, take, chunk);
        size_t sent = 0;
        const int err = SendLocked(chunk.data(), chunk.size(), deadlineMs, sent);
        if (!err) {
            done += take;
            continue;
        }
        // Count the data bytes that went out; a 0xFF whose first half went counts as sent and
        // its second half is owed to the stream, so that the pair is never split.
        size_t wire = 0, i = 0;
        while (i < take && wire < sent) wire += (uint8_t)p[done + i++] == TELNET_IAC ? 2 : 1;
        if (wire > sent) m_owed.assign(wire - sent, (char)TELNET_IAC);
        done += i;
        return err;
    }
    return 0;
}

bool CommRfc2217::ComPortOn(std::unique_lock<std::mutex>& lock) {
    m_cv.wait_for(lock, std::chrono::milliseconds(kCommNetConfirmMs),
                  [this] { return m_comPortKnown || m_lost; });
    return m_comPortOn;
}

bool CommRfc2217::WaitConfirmedLocked(std::unique_lock<std::mutex>& lock) {
    return m_cv.wait_for(lock, std::chrono::milliseconds(kCommNetConfirmMs), [this] {
        return m_lost || (m_confirmed & kSettingsConfirmed) == kSettingsConfirmed;
    });
}

void CommRfc2217::Ready() {
    SendControl(std::string());  // the opening negotiation
    std::unique_lock<std::mutex> lock(m);
    if (ComPortOn(lock)) WaitConfirmedLocked(lock);
    // A server that said nothing has no serial-port option; later calls do not wait for it.
    m_comPortKnown = true;
}

int CommRfc2217::GetState(DCB& dcb) {
    std::lock_guard<std::mutex> lock(m);
    dcb = m_dcb;
    return 0;
}

// The settings go to the server, which answers each with the value it took: a value it
// did not take (a speed more than 2 % off) fails the call, as a refused termios setting does.
int CommRfc2217::SetState(const DCB& dcb) {
    CommTermios unused;
    if (int err = BuildCommTermios(dcb, CommTermios(), unused)) return err;
    const std::string cmd = SettingsCommand(dcb);
    {
        std::unique_lock<std::mutex> lock(m);
        // The very settings that were sent ahead: their outcome, without asking again.
        const bool ahead = m_aheadSent && m_aheadCmd == cmd;
        m_aheadSent = false;
        if (ahead) return m_aheadErr;
        if (!ComPortOn(lock)) return m_lost ? EIO : EOPNOTSUPP;
        // Late answers to the first questions must not pass for answers to these settings.
        if (!m_firstAnswered) WaitConfirmedLocked(lock);
        m_firstAnswered = true;
        m_confirmed &= ~kSettingsConfirmed;
    }
    if (int err = SendControl(cmd)) return err;
    std::unique_lock<std::mutex> lock(m);
    if (!WaitConfirmedLocked(lock)) return ETIMEDOUT;
    auto taken = [&] {
        return CommSpeedTaken(dcb.BaudRate, m_dcb.BaudRate) && m_dcb.ByteSize == dcb.ByteSize &&
               m_dcb.Parity == dcb.Parity && m_dcb.StopBits == dcb.StopBits &&
               m_flowReply == FlowCode(dcb);
    };
    // Answers still on their way to earlier settings can complete the set first; the answers
    // to these follow close behind them.
    if (!m_lost && !taken())
        m_cv.wait_for(lock, std::chrono::milliseconds(kCommNetLateAnswerMs),
                      [&] { return m_lost || taken(); });
    if (m_lost) return EIO;
    if (!taken()) return EINVAL;
    m_dcb.fParity = dcb.fParity;
    m_dcb.fInX = dcb.fInX;
    m_dcb.XonChar = dcb.XonChar;
    m_dcb.XoffChar = dcb.XoffChar;
    m_dcb.fRtsControl = dcb.fRtsControl;
    m_dcb.fDtrControl = dcb.fDtrControl;
    m_dtr = dcb.fDtrControl == DTR_CONTROL_ENABLE;
    if (!HardwareFlow(dcb)) m_rts = dcb.fRtsControl == RTS_CONTROL_ENABLE;
    return 0;
}

int CommRfc2217::SetStateAhead(const DCB& dcb) {
    const int err = SetState(dcb);
    std::lock_guard<std::mutex> lock(m);
    m_aheadCmd = SettingsCommand(dcb);
    m_aheadErr = err;
    m_aheadSent = true;
    return err;
}

int CommRfc2217::Purge(bool rx, bool tx) {
    if (!rx && !tx) return 0;
    {
        std::unique_lock<std::mutex> lock(m);
        if (!m_comPortOn) return 0;
    }
    return SendControl(ComPortCommand(CPO_PURGE, (uint8_t)((rx ? 1 : 0) | (tx ? 2 : 0))));
}

// The server sends DTR and RTS answers only where its device has the lines; the lines are told
// as last asked for.
int CommRfc2217::SetModemLine(DWORD line, bool on) {
    const bool dtr = line == MS_DTR_ON;
    {
        std::unique_lock<std::mutex> lock(m);
        if (!ComPortOn(lock)) return ENOTTY;
        (dtr ? m_dtr : m_rts) = on;
        m_aheadSent = false;  // the lines sent ahead no longer hold
    }
    return SendControl(ComPortCommand(CPO_CONTROL, dtr ? (on ? 8 : 9) : (on ? 11 : 12)));
}

int CommRfc2217::SetBreak(bool on) {
    {
        std::unique_lock<std::mutex> lock(m);
        if (!ComPortOn(lock)) return m_lost ? EIO : EOPNOTSUPP;
    }
    return SendControl(ComPortCommand(CPO_CONTROL, on ? 5 : 6));
}

// NOTIFY-MODEMSTATE uses the bit values of MS_CTS_ON ... MS_RLSD_ON.
int CommRfc2217::GetModemLines(DWORD& lines) {
    std::unique_lock<std::mutex> lock(m);
    if (!ComPortOn(lock)) return ENOTTY;
    lines = (m_modemState & (MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON)) |
            (m_dtr ? MS_DTR_ON : 0) | (m_rts ? MS_RTS_ON : 0);
    return 0;
}
