// kivern-vdev: a virtual serial device for the terminal. It creates a pseudo-terminal,
// registers its slave as a virtual port (a link comN in the terminal's ports folder), answers
// AT commands line by line, and can send a line every N ms (or lines of numbers to plot) or a
// flood of a checkable pattern.
#include <errno.h>
#include <fcntl.h>
#include <getopt.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "at.h"
#include "pattern.h"
#include "plotgen.h"

namespace {
struct Options {
    std::string portsDir;
    unsigned number = 0;
    long lineEveryMs = 0;
    std::string lineText = "LINE %d";
    unsigned long long floodBytes = 0;
    long floodBaud = 0;
    bool floodNow = false;
    kvpattern::Kind floodKind = kvpattern::Kind::Binary;
    bool quiet = false;
    kvplot::Format plot = kvplot::Format::None;
    int plotChannels = 4;
};

void Usage(FILE* out) {
    fprintf(
        out,
        "Usage: kivern-vdev [options]\n"
        "A virtual serial device: a pseudo-terminal registered as port COMn of the terminal.\n"
        "It answers AT commands (AT, AT+VERS?, AT+NAME?, AT+NAME=..., AT+BAUD?, AT+BAUD=...,\n"
        "AT+ADDR?, AT+RESET, AT+DEFAULT, AT+ECHO=..., AT+COUNT?) line by line with CR LF;\n"
        "anything else gives ERROR.\n"
        "\n"
        "  -d, --ports-dir DIR   folder of virtual ports (default: $KIVERN_PORTS_DIR, else\n"
        "                        $XDG_RUNTIME_DIR/kivern/ports, else ~/.local/state/kivern/ports)\n"
        "  -n, --number N        register as COMN, 1..255 (default: the lowest free from 20)\n"
        "  -l, --line-every MS   also send a line every MS milliseconds\n"
        "      --line TEXT       the line to send (CR LF is added; %%d is its count)\n"
        "  -f, --flood BYTES     on the command AT+FLOOD, send BYTES bytes of the test pattern\n"
        "                        (see tools/vdev/pattern.h) instead of an answer\n"
        "  -b, --baud RATE       pace the flood as a line at RATE baud (10 bits a byte);\n"
        "                        default: as fast as the reader takes it\n"
        "  -t, --text            flood lines of ASCII text instead of binary bytes\n"
        "  -p, --plot FORMAT     the lines carry numbers to plot: sines and noise as\n"
        "                        columns (FORMAT columns: 0.841,0.270,...) or as pairs\n"
        "                        (FORMAT named: sin=0.841,cos=0.270,...); a line every\n"
        "                        20 ms unless --line-every says otherwise\n"
        "      --channels N      how many channels --plot prints, 1..16 (default 4)\n"
        "      --now             start the flood at once instead of waiting for AT+FLOOD\n"
        "  -q, --quiet           print nothing but errors\n"
        "  -h, --help            show this help\n"
        "\n"
        "It prints \"COMn <slave device> <link>\" once the port is ready, and removes the\n"
        "link when it ends (also on SIGINT and SIGTERM).\n");
}

int64_t NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (int64_t)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

std::string DefaultPortsDir() {
    const char* v = getenv("KIVERN_PORTS_DIR");
    if (v && *v) return v;
    v = getenv("XDG_RUNTIME_DIR");
    if (v && *v) return std::string(v) + "/kivern/ports";
    v = getenv("HOME");
    return std::string(v && *v ? v : "/tmp") + "/.local/state/kivern/ports";
}

void MakeDirs(const std::string& dir) {
    for (size_t i = 1; i <= dir.size(); ++i)
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), 0700);
}

bool ParseNumber(const char* s, unsigned long long max, unsigned long long& out) {
    char* end;
    errno = 0;
    out = strtoull(s, &end, 10);
    return *s && !*end && !errno && out <= max;
}

bool ParseOptions(int argc, char** argv, Options& o) {
    enum { kLine = 1000, kNow, kChannels };
    static const option longOpts[] = {{"ports-dir", required_argument, nullptr, 'd'},
                                      {"number", required_argument, nullptr, 'n'},
                                      {"line-every", required_argument, nullptr, 'l'},
                                      {"line", required_argument, nullptr, kLine},
                                      {"flood", required_argument, nullptr, 'f'},
                                      {"baud", required_argument, nullptr, 'b'},
                                      {"text", no_argument, nullptr, 't'},
                                      {"now", no_argument, nullptr, kNow},
                                      {"plot", required_argument, nullptr, 'p'},
                                      {"channels", required_argument, nullptr, kChannels},
                                      {"quiet", no_argument, nullptr, 'q'},
                                      {"help", no_argument, nullptr, 'h'},
                                      {nullptr, 0, nullptr, 0}};
    int c;
    unsigned long long v;
    while ((c = getopt_long(argc, argv, "d:n:l:f:b:p:tqh", longOpts, nullptr)) != -1) {
        switch (c) {
            case 'd':
                o.portsDir = optarg;
                break;
            case 'n':
                if (!ParseNumber(optarg, 255, v) || v == 0) return false;
                o.number = (unsigned)v;
                break;
            case 'l':
                if (!ParseNumber(optarg, 86400000, v) || v == 0) return false;
                o.lineEveryMs = (long)v;
                break;
            case kLine:
                o.lineText = optarg;
                break;
            case 'f':
                if (!ParseNumber(optarg, 1ull << 40, v)) return false;
                o.floodBytes = v;
                break;
            case 'b':
                if (!ParseNumber(optarg, 100000000, v) || v == 0) return false;
                o.floodBaud = (long)v;
                break;
            case 't':
                o.floodKind = kvpattern::Kind::Text;
                break;
            case kNow:
                o.floodNow = true;
                break;
            case 'p':
                if (!strcmp(optarg, "columns"))
                    o.plot = kvplot::Format::Columns;
                else if (!strcmp(optarg, "named"))
                    o.plot = kvplot::Format::Named;
                else
                    return false;
                break;
            case kChannels:
                if (!ParseNumber(optarg, 16, v) || v == 0) return false;
                o.plotChannels = (int)v;
                break;
            case 'q':
                o.quiet = true;
                break;
            case 'h':
                Usage(stdout);
                exit(0);
            default:
                return false;
        }
    }
    if (o.plot != kvplot::Format::None && !o.lineEveryMs) o.lineEveryMs = 20;
    return optind == argc;
}

void MakeRaw(int fd) {
    termios t;
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
}

std::string FormatLine(const std::string& text, long count) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 'd') {
            out += std::to_string(count);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out + "\r\n";
}

// The device side of the pseudo-terminal: what goes out, and the flood.
class Device {
public:
    Device(int master, const Options& o)
        : m_master(master), m_o(o), m_plot(o.plot, o.plotChannels) {
        if (o.floodBytes && o.floodNow) StartFlood();
    }
    void OnInput(const char* p, size_t n) {
        m_lines.Feed(p, n, [this](const std::string& line) {
            if (m_o.floodBytes && (line == "AT+FLOOD" || line == "at+flood")) {
                StartFlood();
                return;
            }
            m_out += m_at.Answer(line);
        });
    }
    void OnTick(int64_t now) {
        if (m_o.lineEveryMs && now >= m_nextLine && m_plot.format() == kvplot::Format::None) {
            m_out += FormatLine(m_o.lineText, ++m_lineCount);
            m_nextLine = now + m_o.lineEveryMs;
        }
        // Plot lines due since the last tick all go, so that a 1 ms pace keeps 1000 a second;
        // their time is their count times the pace, so the curves are smooth.
        while (m_o.lineEveryMs && now >= m_nextLine && m_out.size() < 65536) {
            ++m_lineCount;
            m_out += m_plot.Line(m_lineCount * m_o.lineEveryMs / 1000.0);
            m_nextLine += m_o.lineEveryMs;
        }
        if (m_floodLeft && m_o.floodBaud) {
            // Bytes the line would have carried since the last tick, 10 bits each.
            double budget = (now - m_lastTick) * (double)m_o.floodBaud / 10000.0;
            m_floodBudget = std::min(m_floodBudget + budget, 65536.0);
        }
        m_lastTick = now;
        TopUpFlood();
    }
    // Writes what it can; false if the master side failed.
    bool Flush() {
        while (!m_out.empty()) {
            ssize_t w = write(m_master, m_out.data(), m_out.size());
            if (w < 0) return errno == EAGAIN || errno == EINTR;
            m_out.erase(0, (size_t)w);
        }
        TopUpFlood();
        return true;
    }
    bool wantsWrite() const { return !m_out.empty(); }
    // Milliseconds until the next thing to do on its own; -1 for none.
    int NextTimeout(int64_t now) const {
        int64_t t = -1;
        if (m_o.lineEveryMs) t = std::max<int64_t>(0, m_nextLine - now);
        if (m_floodLeft && m_o.floodBaud && m_out.empty()) t = t < 0 ? 5 : std::min<int64_t>(t, 5);
        return (int)t;
    }

private:
    void StartFlood() {
        m_floodLeft = m_o.floodBytes;
        m_floodPos = 0;
        m_floodBudget = 0;
        m_lastTick = NowMs();
    }
    void TopUpFlood() {
        if (!m_floodLeft || m_out.size() >= 16384) return;
        size_t n = (size_t)std::min<unsigned long long>(m_floodLeft, 16384);
        if (m_o.floodBaud) n = std::min(n, (size_t)m_floodBudget);
        if (n == 0) return;
        std::vector<uint8_t> buf(n);
        kvpattern::Fill(m_floodPos, buf.data(), n, m_o.floodKind);
        m_out.append((const char*)buf.data(), n);
        m_floodPos += n;
        m_floodLeft -= n;
        if (m_o.floodBaud) m_floodBudget -= (double)n;
    }

    int m_master;
    const Options& m_o;
    AtModule m_at;
    LineAssembler m_lines;
    kvplot::Generator m_plot;
    std::string m_out;
    int64_t m_nextLine = NowMs();
    long m_lineCount = 0;
    unsigned long long m_floodLeft = 0, m_floodPos = 0;
    double m_floodBudget = 0;
    int64_t m_lastTick = NowMs();
};
}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseOptions(argc, argv, o)) {
        Usage(stderr);
        return 2;
    }
    if (o.portsDir.empty()) o.portsDir = DefaultPortsDir();
    MakeDirs(o.portsDir);

    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) || unlockpt(master)) {
        perror("kivern-vdev: pseudo-terminal");
        return 1;
    }
    std::string slavePath = ptsname(master);
    // Held open so that the master sees no hang-up while no terminal has the port open.
    int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        perror("kivern-vdev: slave");
        return 1;
    }
    MakeRaw(slave);
    MakeRaw(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    // Signals arrive as readable data, so the link is removed on the normal way out.
    sigset_t sigs;
    sigemptyset(&sigs);
    sigaddset(&sigs, SIGINT);
    sigaddset(&sigs, SIGTERM);
    sigaddset(&sigs, SIGHUP);
    sigprocmask(SIG_BLOCK, &sigs, nullptr);
    int sigFd = signalfd(-1, &sigs, SFD_CLOEXEC);

    std::string link;
    for (unsigned n = o.number ? o.number : 20; n <= 255; ++n) {
        std::string path = o.portsDir + "/com" + std::to_string(n);
        if (symlink(slavePath.c_str(), path.c_str()) == 0) {
            link = path;
            o.number = n;
            break;
        }
        if (errno == EEXIST && o.number) {
            struct stat st;
            // A link left dangling by an earlier run may be taken over.
            if (stat(path.c_str(), &st) != 0 && unlink(path.c_str()) == 0 &&
                symlink(slavePath.c_str(), path.c_str()) == 0) {
                link = path;
                break;
            }
        }
        if (errno != EEXIST || o.number) break;
    }
    if (link.empty()) {
        fprintf(stderr, "kivern-vdev: cannot register COM%u in %s: %s\n", o.number,
                o.portsDir.c_str(), strerror(errno));
        return 1;
    }
    if (!o.quiet) printf("COM%u %s %s\n", o.number, slavePath.c_str(), link.c_str());
    fflush(stdout);

    Device dev(master, o);
    int rc = 0;
    char buf[4096];
    for (;;) {
        int64_t now = NowMs();
        dev.OnTick(now);
        if (!dev.Flush()) {
            perror("kivern-vdev: write");
            rc = 1;
            break;
        }
        pollfd fds[2] = {{sigFd, POLLIN, 0},
                         {master, (short)(POLLIN | (dev.wantsWrite() ? POLLOUT : 0)), 0}};
        int r = poll(fds, 2, dev.NextTimeout(NowMs()));
        if (r < 0 && errno != EINTR) break;
        if (fds[0].revents) break;
        if (fds[1].revents & POLLIN) {
            ssize_t n = read(master, buf, sizeof buf);
            if (n > 0) dev.OnInput(buf, (size_t)n);
        }
    }
    unlink(link.c_str());
    close(slave);
    close(master);
    return rc;
}
