// The AT command set of kivern-vdev: a small Bluetooth-style serial module.
#pragma once
#include <string>

class AtModule {
public:
    // Answers one command line (without its line end). The answer is a series of lines,
    // each ending in CR LF; empty for an empty line.
    std::string Answer(const std::string& line);

    const std::string& name() const { return m_name; }
    int baudCode() const { return m_baudCode; }

private:
    void Defaults();
    std::string m_name = kDefaultName;
    int m_baudCode = kDefaultBaud;
    unsigned long m_count = 0;  // AT+COUNT? readings so far
    static constexpr const char* kDefaultName = "KIVERN-BT";
    static constexpr int kDefaultBaud = 4;  // 9600
};

// Rate of a module baud code (1 = 1200 ... 8 = 115200 ... 12 = 1382400); 0 if unknown.
long BaudOfCode(int code);

// Collects bytes into lines ended by CR, LF or CR LF.
class LineAssembler {
public:
    // Feeds bytes; calls onLine(line) for each complete line.
    template <class F>
    void Feed(const char* p, size_t n, F onLine) {
        for (size_t i = 0; i < n; ++i) {
            char c = p[i];
            if (c == '\r' || c == '\n') {
                if (!(c == '\n' && m_lastCr)) onLine(m_line);  // CR LF is one line end
                m_line.clear();
                m_lastCr = c == '\r';
                continue;
            }
            m_lastCr = false;
            if (m_line.size() < 4096) m_line += c;
        }
    }

private:
    std::string m_line;
    bool m_lastCr = false;
};
