// A network port over Telnet with the serial-port option (RFC 2217), as a port's line
// (comm_line.h), for the comm layer's own use: the option carries the line settings, the modem
// lines and purging. The socket is the line's descriptor: the port's reader thread reads it and
// hands what it read to Received, which gives back the data.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/comm/comm_line.h"
#include "platform/comm/comm_telnet.h"
#include "platform/comm/comm_types.h"
#include "platform/ports/neturl.h"

// How long the server has to confirm settings.
constexpr int kCommNetConfirmMs = 3000;
// How long a set of answers that differs from the settings sent waits for later answers.
constexpr int kCommNetLateAnswerMs = 500;

class CommRfc2217 : public CommLine, private TelnetDecoder::Sink {
public:
    // Connects to address within a few seconds; nullptr with errno set (ECONNREFUSED,
    // ETIMEDOUT, ECANCELED when wakeFd polls readable meanwhile, ...). Starts negotiating at once.
    static std::unique_ptr<CommLine> Connect(const NetPortAddress& address, int wakeFd);
    // fd is the connected socket (the line's own), wakeFd becomes readable when the port
    // closes (it stays the port's).
    CommRfc2217(int fd, int wakeFd);

    int Fd() const override { return m_fd; }
    DWORD Kind() const override { return PST_TCPIP_TELNET; }
    // Waits (a little) for the server's first answers: whether it speaks RFC 2217, and the
    // settings of the remote port.
    void Ready() override;
    const char* Received(const char* p, size_t& n) override;
    void Lost() override;
    void Close(bool lost) override;

    int Write(const char* p, size_t n, int64_t deadlineMs, size_t& done) override;
    // A socket's unread bytes are not all data (Telnet commands): none are counted as input.
    void DriverQueues(int& in, int& out) override;
    int Purge(bool rx, bool tx) override;
    int GetState(DCB& dcb) override;
    int SetState(const DCB& dcb) override;
    int SetStateAhead(const DCB& dcb) override;
    // DTR and RTS are told as last asked for; a server without the option has no lines.
    int SetModemLine(DWORD line, bool on) override;
    int GetModemLines(DWORD& lines) override;
    // SET-CONTROL BREAK-ON (5) or BREAK-OFF (6); a server without the option cannot.
    int SetBreak(bool on) override;

private:
    void OnOption(uint8_t verb, uint8_t option) override;
    void OnSubnegotiation(const std::string& body) override;
    int SendControl(const std::string& bytes);
    int SendLocked(const char* p, size_t n, int64_t deadlineMs, size_t& sent);
    int FlushLocked(int64_t deadlineMs);
    bool ComPortOn(std::unique_lock<std::mutex>& lock);
    bool WaitConfirmedLocked(std::unique_lock<std::mutex>& lock);

    const int m_fd, m_wakeFd;
    TelnetDecoder m_decoder;  // reader thread only
    std::string m_data;       // reader thread only: the data of the last bytes received

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
