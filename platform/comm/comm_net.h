// Ports on the network, for the comm layer's own use: connecting, the Telnet stream of an
// RFC 2217 port (the serial-port option carries the line settings, the modem lines and
// purging) and the raw stream of a tcp:// port. The socket is the port's descriptor: the
// port's reader thread reads it and hands what it read to Received, which gives back the data.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/comm/comm_types.h"
#include "platform/ports/neturl.h"

// How long connecting (the name lookup included) may take, and how long the server has to
// confirm settings.
constexpr int kCommNetConnectMs = 4000;
constexpr int kCommNetConfirmMs = 3000;

// A connected, non-blocking socket to address, or -1 with errno set (ETIMEDOUT when the time
// ran out, ECONNREFUSED, EHOSTUNREACH..., or ENOENT for a name that does not resolve).
int CommNetConnect(const NetPortAddress& address, int timeoutMs);

// Telnet's received stream (RFC 854): data, with IAC IAC made one 0xFF, and the commands
// (a verb with its option, or a subnegotiation's body) taken out. Keeps its state across calls.
class TelnetDecoder {
public:
    struct Sink {
        virtual void OnOption(uint8_t verb, uint8_t option) = 0;  // WILL, WONT, DO, DONT
        virtual void OnSubnegotiation(const std::string& body) = 0;
    };
    void Decode(const char* p, size_t n, std::string& data, Sink& sink);

private:
    enum State { IN_DATA, AFTER_IAC, IN_OPTION, IN_SUB, IN_SUB_IAC } m_state = IN_DATA;
    uint8_t m_verb = 0;
    std::string m_sub;
};
// Appends n bytes of data to out as Telnet sends them: every 0xFF doubled.
void TelnetEscape(const char* p, size_t n, std::string& out);

class CommNet : private TelnetDecoder::Sink {
public:
    // fd is the connected socket, wakeFd becomes readable when the port closes; both stay the
    // port's. An RFC 2217 port starts negotiating at once.
    CommNet(NetPortKind kind, int fd, int wakeFd);
    NetPortKind kind() const { return m_kind; }

    // Waits (a little) for the server's first answers: whether it speaks RFC 2217, and the
    // settings of the remote port.
    void WaitReady();
    // Reader thread: the data among n received bytes, appended to data.
    void Received(const char* p, size_t n, std::string& data);
    // The connection is gone: waits end.
    void Lost();

    // The comm functions; each returns 0 or an errno value. Write sends n data bytes, waiting
    // until deadlineMs (monotonic, -1: no limit); done tells how many went out.
    int Write(const char* p, size_t n, int64_t deadlineMs, size_t& done);
    int GetState(DCB& dcb);
    int SetState(const DCB& dcb);
    int Purge(bool rx, bool tx);
    int SetModemLine(DWORD line, bool on);
    int GetModemLines(DWORD& lines);

private:
    void OnOption(uint8_t verb, uint8_t option) override;
    void OnSubnegotiation(const std::string& body) override;
    void Queue(const std::string& bytes);
    int SendControl(const std::string& bytes);
    int SendLocked(const char* p, size_t n, int64_t deadlineMs, size_t& sent);
    int FlushLocked(int64_t deadlineMs);
    bool ComPortOn(std::unique_lock<std::mutex>& lock);
    bool WaitConfirmedLocked(std::unique_lock<std::mutex>& lock);

    const NetPortKind m_kind;
    const int m_fd, m_wakeFd;
    TelnetDecoder m_decoder;  // reader thread only

    std::timed_mutex m_sendMutex;  // one sender at a time on the socket
    std::string m_owed;            // guarded by m_sendMutex: the rest of a half-sent 0xFF pair

    std::mutex m;  // guards the rest
    std::condition_variable m_cv;
    std::string m_queued;  // replies the reader could not send yet
    bool m_will[256] = {}, m_do[256] = {}, m_refused[256] = {};
    bool m_comPortKnown = false, m_comPortOn = false, m_lost = false;
    bool m_firstAnswered = false;  // the answers to the first questions came, or were waited for
    unsigned m_confirmed = 0;      // bits 1 << command of settings the server confirmed
    uint8_t m_flowReply = 0, m_modemState = 0;
    bool m_dtr = true, m_rts = true;
    DCB m_dcb;  // the settings as the server last told them
};
