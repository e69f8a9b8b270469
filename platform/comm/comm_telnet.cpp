// Telnet's byte stream: decoding what arrives, escaping what leaves.
#include "platform/comm/comm_telnet.h"

void TelnetDecoder::Decode(const char* p, size_t n, std::string& data, Sink& sink) {
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = (uint8_t)p[i];
        switch (m_state) {
            case IN_DATA:
                if (c == TELNET_IAC)
                    m_state = AFTER_IAC;
                else
                    data += (char)c;
                break;
            case AFTER_IAC:
                m_state = IN_DATA;
                if (c == TELNET_IAC) {
                    data += (char)c;
                } else if (c >= TELNET_WILL) {
                    m_verb = c;
                    m_state = IN_OPTION;
                } else if (c == TELNET_SB) {
                    m_sub.clear();
                    m_subTooLong = false;
                    m_state = IN_SUB;
                }  // other commands (NOP, GA...) carry nothing
                break;
            case IN_OPTION:
                m_state = IN_DATA;
                sink.OnOption(m_verb, c);
                break;
            case IN_SUB:
                if (c == TELNET_IAC)
                    m_state = IN_SUB_IAC;
                else
                    AddToSub(c);
                break;
            case IN_SUB_IAC:
                if (c == TELNET_IAC) {
                    AddToSub(c);
                    m_state = IN_SUB;
                } else {
                    // TELNET_IAC TELNET_SE ends the subnegotiation; any other command ends it too.
                    m_state = IN_DATA;
                    if (!m_subTooLong) sink.OnSubnegotiation(m_sub);
                    m_sub.clear();
                }
                break;
        }
    }
}

void TelnetDecoder::AddToSub(uint8_t c) {
    if (m_sub.size() < kTelnetSubMax)
        m_sub += (char)c;
    else
        m_subTooLong = true;
}

void TelnetEscape(const char* p, size_t n, std::string& out) {
    for (size_t i = 0; i < n; ++i) {
        out += p[i];
        if ((uint8_t)p[i] == TELNET_IAC) out += p[i];
    }
}
