// AT answers of kivern-vdev.
#include "at.h"

#include <cctype>
#include <cstdlib>

namespace {
const long kRates[] = {0,     1200,   2400,   4800,   9600,   19200,  38400,
                       57600, 115200, 230400, 460800, 921600, 1382400};

std::string Upper(std::string s) {
    for (char& c : s) c = (char)toupper((unsigned char)c);
    return s;
}
std::string Ok(const std::string& info) { return info + "\r\nOK\r\n"; }
const std::string kError = "ERROR\r\n";
}  // namespace

long BaudOfCode(int code) {
    return code >= 1 && code < (int)(sizeof kRates / sizeof kRates[0]) ? kRates[code] : 0;
}

void AtModule::Defaults() {
    m_name = kDefaultName;
    m_baudCode = kDefaultBaud;
}

std::string AtModule::Answer(const std::string& raw) {
    std::string line = raw;
    while (!line.empty() && isspace((unsigned char)line.back())) line.pop_back();
    if (line.empty()) return "";
    const std::string up = Upper(line);
    if (up == "AT") return "OK\r\n";
    if (up == "AT+VERS?") return Ok("+VERS:KVBT-1.0.2");
    if (up == "AT+NAME?") return Ok("+NAME:" + m_name);
    if (up.compare(0, 8, "AT+NAME=") == 0) {
        std::string name = line.substr(8);
        if (name.empty() || name.size() > 20) return kError;
        m_name = name;
        return Ok("+NAME:" + m_name);
    }
    if (up == "AT+BAUD?") return Ok("+BAUD:" + std::to_string(m_baudCode));
    if (up.compare(0, 8, "AT+BAUD=") == 0) {
        std::string v = up.substr(8);
        char* end = nullptr;
        long n = v.empty() ? -1 : strtol(v.c_str(), &end, 10);
        if (n < 0 || *end) return kError;
        int code = 0;
        if (BaudOfCode((int)n)) {
            code = (int)n;  // a code
        } else {
            for (int c = 1; BaudOfCode(c); ++c)
                if (BaudOfCode(c) == n) code = c;  // a rate
        }
        if (!code) return kError;
        m_baudCode = code;
        return Ok("+BAUD:" + std::to_string(code));
    }
    if (up == "AT+ADDR?") return Ok("+ADDR:98D3:31:F5A2C1");
    if (up == "AT+RESET") return "OK\r\n+READY\r\n";
    // For scripts: an echo of the text after '=' (round trips), and a counter that changes
    // with every reading (a soak loop checks each answer).
    if (up.compare(0, 8, "AT+ECHO=") == 0) return Ok("+ECHO:" + line.substr(8));
    if (up == "AT+COUNT?") return Ok("+COUNT:" + std::to_string(++m_count));
    if (up == "AT+DEFAULT") {
        Defaults();
        return "OK\r\n";
    }
    return kError;
}
