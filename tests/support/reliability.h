// Support for the reliability tests: a device that streams the checkable pattern at a
// line's pace while it swallows what the port sends, figures scaled by environment
// variables, and small file helpers. Header-only; tests only.
#pragma once
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "files.h"
#include "tools/vdev/pattern.h"

namespace kvtest {

// A number from the environment, or the default when unset or not a positive number.
inline long EnvNumber(const char* name, long def) {
    const char* s = getenv(name);
    if (!s || !*s) return def;
    char* end;
    long v = strtol(s, &end, 10);
    return (*end == 0 && v > 0) ? v : def;
}

// Plays the device on a pseudo-terminal's master side: streams pattern bytes from offset 0
// at `baud` (10 bits a byte; 0 for as fast as the port takes them) and reads away whatever
// the port writes, counting it. Stop() ends both and returns at once when the master is gone.
class PatternStreamer {
public:
    PatternStreamer(int master, long baud) : m_master(master), m_baud(baud) {
        m_thread = std::thread([this] { Run(); });
    }
    ~PatternStreamer() { Stop(); }
    // Stops streaming new bytes; keeps swallowing writes until Stop().
    void Pause() { m_paused = true; }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    uint64_t Sent() const { return m_sent; }
    uint64_t Swallowed() const { return m_swallowed; }
    bool Failed() const { return m_failed; }

private:
    void Run() {
        using clock = std::chrono::steady_clock;
        const auto start = clock::now();
        std::vector<uint8_t> chunk(4096);
        char sink[4096];
        while (!m_stop) {
            size_t want = 0;
            if (!m_paused) {
                if (m_baud > 0) {
                    double secs = std::chrono::duration<double>(clock::now() - start).count();
                    uint64_t due = (uint64_t)(secs * (double)m_baud / 10.0);
                    if (due > m_sent) want = (size_t)std::min<uint64_t>(due - m_sent, chunk.size());
                } else {
                    want = chunk.size();
                }
            }
            pollfd pfd = {m_master, (short)(POLLIN | (want ? POLLOUT : 0)), 0};
            if (poll(&pfd, 1, 2) < 0) continue;
            if (pfd.revents & (POLLERR | POLLNVAL)) {
                m_failed = true;
                break;
            }
            if (pfd.revents & POLLIN) {
                ssize_t r = read(m_master, sink, sizeof sink);
                if (r > 0) m_swallowed += (uint64_t)r;
            }
            if (want && (pfd.revents & POLLOUT)) {
                kvpattern::Fill(m_sent, chunk.data(), want);
                ssize_t w = write(m_master, chunk.data(), want);
                if (w > 0) m_sent += (uint64_t)w;
            }
        }
    }
    const int m_master;
    const long m_baud;
    std::atomic<bool> m_stop{false}, m_paused{false}, m_failed{false};
    std::atomic<uint64_t> m_sent{0}, m_swallowed{0};
    std::thread m_thread;
};

// The receive text that bytes [from, from + n) of the pattern give in text display (a 0x00
// is not shown) or in hex display ("%02X " each).
inline std::string RenderPattern(uint64_t from, uint64_t n, bool hex) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve((size_t)(hex ? n * 3 : n));
    for (uint64_t i = from; i < from + n; ++i) {
        uint8_t b = kvpattern::ByteAt(i);
        if (hex) {
            out += kDigits[b >> 4];
            out += kDigits[b & 15];
            out += ' ';
        } else if (b != 0) {
            out += (char)b;
        }
    }
    return out;
}

}  // namespace kvtest
