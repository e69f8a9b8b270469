// Ports on the network, for the comm layer's own use: the Telnet stream of an RFC 2217 port (the
// serial-port option carries the line settings, the modem lines and purging) and the raw stream of
// a tcp:// port. The socket is the port's descriptor: the port's reader thread reads it and hands
// what it read to Received, which gives back the data.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/comm/comm_telnet.h"
#include "platform/comm/comm_types.h"
#include "platform/ports/neturl.h"

// How long the server has to confirm settings.
constexpr int kCommNetConfirmMs = 3000;

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
    // SetState before the port is handed out: the next SetState with the very same settings
    // (and nothing between) returns this outcome at once instead of asking the server again.
    int SetStateAhead(const DCB& dcb);
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

    std::mutex m_sendMutex;  // one sender at a time on the socket
    std::string m_owed;      // guarded by m_sendMutex: the rest of a half-sent 0xFF pair

    std::mutex m;  // guards the rest
    std::condition_variable m_cv;
    std::string m_queued;  // replies the reader could not send yet
    // Options on our side and the server's, and the options already refused once (a refusal
    // is not repeated, so that a server repeating itself gets no endless exchange).
    bool m_will[256] = {}, m_do[256] = {}, m_wontSent[256] = {}, m_dontSent[256] = {};
    bool m_comPortKnown = false, m_comPortOn = false, m_lost = false;
    bool m_firstAnswered = false;  // the answers to the first questions came, or were waited for
    unsigned m_confirmed = 0;      // bits 1 << command of settings the server confirmed
    uint8_t m_flowReply = 0, m_modemState = 0;
    bool m_dtr = true, m_rts = true;
    DCB m_dcb;  // the settings as the server last told them
    // Settings sent ahead (SetStateAhead): their commands and outcome, until the next SetState.
    bool m_aheadSent = false;
    std::string m_aheadCmd;
    int m_aheadErr = 0;
};
