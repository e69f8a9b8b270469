// Telnet's byte stream (RFC 854), for the comm layer's own use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

enum TelnetByte : uint8_t {
    TELNET_SE = 240,
    TELNET_SB = 250,
    TELNET_WILL = 251,
    TELNET_WONT = 252,
    TELNET_DO = 253,
    TELNET_DONT = 254,
    TELNET_IAC = 255,
};

// Telnet's received stream (RFC 854): data, with IAC IAC made one 0xFF, and the commands
// (a verb with its option, or a subnegotiation's body) taken out. Keeps its state across calls.
// A subnegotiation longer than kTelnetSubMax bytes is none this program needs: its bytes are
// dropped as they come and it is not handed on, so a server that never ends one costs nothing.
constexpr size_t kTelnetSubMax = 512;

class TelnetDecoder {
public:
    struct Sink {
        virtual void OnOption(uint8_t verb, uint8_t option) = 0;  // WILL, WONT, DO, DONT
        virtual void OnSubnegotiation(const std::string& body) = 0;
    };
    void Decode(const char* p, size_t n, std::string& data, Sink& sink);

private:
    void AddToSub(uint8_t c);
    enum State { IN_DATA, AFTER_IAC, IN_OPTION, IN_SUB, IN_SUB_IAC } m_state = IN_DATA;
    uint8_t m_verb = 0;
    std::string m_sub;
    bool m_subTooLong = false;
};
// Appends n bytes of data to out as Telnet sends them: every 0xFF doubled.
void TelnetEscape(const char* p, size_t n, std::string& out);
