// Network ports against a real ser2net serving a pseudo-terminal: settings reaching the
// device, every byte value both ways, a flood, the server going away, a refused connection.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <future>
#include <string>
#include <thread>

#include "platform/comm/comm.h"
#include "platform/comm/comm_telnet.h"
#include "platform/core/syserr.h"
#include "platform/ports/neturl.h"
#include "platform/ports/portlinks.h"
#include "platform/ports/portmap.h"
#include "support/pty.h"
#include "support/ser2net.h"

namespace {
const COMMTIMEOUTS kTimeouts = {1, 1, 2, 50, 5000};

HANDLE OpenCom(const std::string& name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, NULL);
    if (h != INVALID_HANDLE_VALUE) SetCommTimeouts(h, &kTimeouts);
    return h;
}

std::string ReadPort(HANDLE h, size_t n, int timeoutMs = 5000) {
    std::string out;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    static char buf[65536];
    while (out.size() < n && std::chrono::steady_clock::now() < end) {
        DWORD got = 0;
        if (!ReadFile(h, buf, (DWORD)std::min(sizeof buf, n - out.size()), &got, NULL)) break;
        out.append(buf, got);
    }
    return out;
}

std::string AllByteValues(size_t repeat) {
    std::string s;
    for (size_t r = 0; r < repeat; ++r)
        for (int i = 0; i < 256; ++i) s += (char)i;
    return s;
}

class NetPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kvtest::Ser2netPath()) GTEST_SKIP() << "ser2net is not installed";
        ASSERT_TRUE(m_dev.ok());
    }
    // Serves the device, rfc2217 or raw, and links it as COM7.
    void Serve(bool rfc2217) {
        m_server.reset(new kvtest::Ser2net(m_dev.slavePath(), rfc2217));
        ASSERT_TRUE(m_server->Start());
        ASSERT_TRUE(CreatePortLink(7, m_server->url(rfc2217)));
    }
    speed_t DeviceSpeed() {
        termios t;
        tcgetattr(m_dev.slave(), &t);
        return cfgetospeed(&t);
    }
    tcflag_t DeviceCflag() {
        termios t;
        tcgetattr(m_dev.slave(), &t);
        return t.c_cflag;
    }
    kvtest::PortMapSandbox m_sandbox;
    kvtest::FakeDevice m_dev{m_sandbox.ports(), 99};
    std::unique_ptr<kvtest::Ser2net> m_server;
};
}  // namespace

TEST(NetPortUrl, WellFormedUrlsOnly) {
    const struct {
        const char* url;
        NetPortKind kind;
        const char* host;
    } cases[] = {
        {"rfc2217://127.0.0.1:3333", NET_PORT_RFC2217, "127.0.0.1"},
        {"RFC2217://pi.lab:2000/", NET_PORT_RFC2217, "pi.lab"},
        {"tcp://[::1]:4000", NET_PORT_TCP, "::1"},
        {"tcp://host:0", NET_PORT_NONE, ""},
        {"tcp://host:65536", NET_PORT_NONE, ""},
        {"rfc2217://:3333", NET_PORT_NONE, ""},
        {"rfc2217://host", NET_PORT_NONE, ""},
        {"rfc2217://a b:1", NET_PORT_NONE, ""},
        {"ssh://host:22", NET_PORT_NONE, ""},
        {"/dev/ttyUSB0", NET_PORT_NONE, ""},
    };
    for (const auto& c : cases) {
        NetPortAddress a;
        ParseNetPortUrl(c.url, a);
        EXPECT_EQ(a.kind, c.kind) << c.url;
        EXPECT_EQ(a.host, c.host) << c.url;
    }
    EXPECT_TRUE(LooksLikeNetPortUrl("ssh://host:22"));
    EXPECT_FALSE(LooksLikeNetPortUrl("/dev/ttyS0"));
}

TEST_F(NetPortTest, ListedAsComNAndSettingsReachTheDevice) {
    Serve(true);
    std::string node, description;
    ASSERT_TRUE(DescribePort("COM7", node, description));
    EXPECT_EQ(node, m_server->url());
    EXPECT_EQ(description, m_server->url());

    HANDLE h = OpenCom("COM7");
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    // A pseudo-terminal keeps the speed and the stop bits, but always has 8 bits, no parity.
    const struct {
        const char* mode;
        speed_t speed;
        tcflag_t stop;
    } cases[] = {
        {"baud=19200 parity=E data=7 stop=1", B19200, 0},
        {"baud=115200 parity=N data=8 stop=2", B115200, CSTOPB},
        {"baud=57600 parity=O data=8 stop=1", B57600, 0},
    };
    for (const auto& c : cases) {
        DCB dcb;
        ASSERT_TRUE(GetCommState(h, &dcb));
        ASSERT_TRUE(BuildCommDCBA(c.mode, &dcb));
        EXPECT_TRUE(SetCommState(h, &dcb)) << c.mode << " " << GetLastError();
        EXPECT_EQ(DeviceSpeed(), c.speed) << c.mode;
        EXPECT_EQ(DeviceCflag() & CSTOPB, c.stop) << c.mode;
        DCB back;
        ASSERT_TRUE(GetCommState(h, &back));
        EXPECT_EQ(back.BaudRate, dcb.BaudRate) << c.mode;
        EXPECT_EQ(back.ByteSize, dcb.ByteSize) << c.mode;
        EXPECT_EQ(back.Parity, dcb.Parity) << c.mode;
        EXPECT_EQ(back.StopBits, dcb.StopBits) << c.mode;
    }
    // ser2net does not take 1.5 stop bits: no confirmation, so the setting fails.
    DCB dcb;
    ASSERT_TRUE(GetCommState(h, &dcb));
    ASSERT_TRUE(BuildCommDCBA("baud=9600 data=5 stop=1.5", &dcb));
    EXPECT_FALSE(SetCommState(h, &dcb));
    EXPECT_TRUE(PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR));
    DWORD lines = 0;
    EXPECT_TRUE(GetCommModemStatus(h, &lines));
    EXPECT_TRUE(EscapeCommFunction(h, CLRDTR));
    CloseHandle(h);
}

TEST_F(NetPortTest, EveryByteValueBothWaysAndAFlood) {
    for (bool rfc2217 : {true, false}) {
        Serve(rfc2217);
        HANDLE h = OpenCom(m_server->url(rfc2217));
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
        COMMPROP prop;
        ASSERT_TRUE(GetCommProperties(h, &prop));
        EXPECT_EQ(prop.dwProvSubType, rfc2217 ? (DWORD)PST_TCPIP_TELNET : (DWORD)PST_TCPIP_RAW);
        const std::string all = AllByteValues(4);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(h, all.data(), (DWORD)all.size(), &written, NULL));
        EXPECT_EQ(m_dev.Receive(all.size(), 5000), all) << rfc2217;
        m_dev.Send(all);
        EXPECT_EQ(ReadPort(h, all.size()), all) << rfc2217;

        // 10 MiB from the device, read as it comes, checked byte for byte.
        const std::string flood = AllByteValues(10 * 4096);
        std::thread device([&] { m_dev.Send(flood); });
        std::string got = ReadPort(h, flood.size(), 60000);
        device.join();
        EXPECT_EQ(got.size(), flood.size()) << rfc2217;
        EXPECT_TRUE(got == flood) << rfc2217;
        EXPECT_EQ(GetCommOverflowCount(h), 0u);
        CloseHandle(h);
        m_server.reset();
    }
}

TEST_F(NetPortTest, ServerGoneWhileOpenIsALostDeviceAndOpensAgainWhenBack) {
    Serve(true);
    HANDLE h = OpenCom("COM7");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    m_server->Stop();
    for (int i = 0; i < 500 && !IsCommDeviceLost(h); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(IsCommDeviceLost(h));
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(h, "x", 1, &written, NULL));
    CloseHandle(h);

    ASSERT_TRUE(m_server->Start());
    h = OpenCom("COM7");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(h, "back", 4, &written, NULL));
    EXPECT_EQ(m_dev.Receive(4), "back");
    CloseHandle(h);
}

TEST_F(NetPortTest, ARefusedConnectionFailsTheOpening) {
    const int port = kvtest::FreeLocalPort();
    for (const char* scheme : {"rfc2217", "tcp"}) {
        std::string url = std::string(scheme) + "://127.0.0.1:" + std::to_string(port);
        EXPECT_EQ(OpenCom(url), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), (DWORD)ECONNREFUSED) << url;
    }
}

namespace {
// Resident memory of this process.
int64_t ResidentBytes() {
    long pages = 0, resident = 0;
    FILE* f = fopen("/proc/self/statm", "r");
    if (f && fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    if (f) fclose(f);
    return (int64_t)resident * sysconf(_SC_PAGESIZE);
}

// A server on 127.0.0.1 that accepts one connection, writes what it is given and never reads
// (its receive buffer kept small, so that what it is sent waits on our side).
class WritingServer {
public:
    explicit WritingServer(std::string bytes) : m_bytes(std::move(bytes)) {
        m_listen = kvtest::ListenLocal(0, 1, &m_port, 4096);
        m_thread = std::thread([this] {
            m_conn = accept(m_listen, nullptr, nullptr);
            for (size_t at = 0; m_conn >= 0 && at < m_bytes.size();) {
                ssize_t w = write(m_conn, m_bytes.data() + at, m_bytes.size() - at);
                if (w <= 0) break;
                at += (size_t)w;
            }
        });
    }
    ~WritingServer() {
        shutdown(m_listen, SHUT_RDWR);
        m_thread.join();
        if (m_conn >= 0) close(m_conn);
        close(m_listen);
    }
    std::string url(const char* scheme = "rfc2217") const {
        return std::string(scheme) + "://127.0.0.1:" + std::to_string(m_port);
    }

private:
    std::string m_bytes;
    int m_listen = -1, m_conn = -1, m_port = 0;
    std::thread m_thread;
};

std::string Repeated(const std::string& piece, size_t total) {
    std::string s;
    s.reserve(total + piece.size());
    while (s.size() < total) s += piece;
    return s;
}
}  // namespace

// A server that floods option requests and never reads, or that never ends a subnegotiation,
// costs a bounded amount of memory, and the data after it still arrives. Unbounded, each case
// costs tens of MiB; the sanitizers' shadow memory and quarantine of freed blocks add a few
// MiB of their own to what is resident.
// A write that the server does not take in time fails with ETIMEDOUT and tells exactly how
// many bytes went: the server, reading only after the port closed, gets that many.
TEST(NetPortWrite, AWriteThatTimesOutTellsWhatWentOut) {
    int port = 0;
    const int listener = kvtest::ListenLocal(0, 1, &port, 4096);
    ASSERT_GE(listener, 0);
    std::promise<void> written;
    size_t received = 0;
    std::thread server([&] {
        int conn = accept(listener, nullptr, nullptr);
        written.get_future().wait();
        char buf[65536];
        for (ssize_t r; conn >= 0 && (r = read(conn, buf, sizeof buf)) > 0;) received += (size_t)r;
        if (conn >= 0) close(conn);
    });
    HANDLE h = OpenCom("tcp://127.0.0.1:" + std::to_string(port));
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    const COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 200};
    EXPECT_TRUE(SetCommTimeouts(h, &timeouts));
    const std::string big(32 << 20, 'x');
    DWORD n = 0;
    EXPECT_FALSE(WriteFile(h, big.data(), (DWORD)big.size(), &n, NULL));
    EXPECT_EQ(GetLastError(), (DWORD)ETIMEDOUT);
    CloseHandle(h);
    written.set_value();
    server.join();
    close(listener);
    EXPECT_GT(n, 0u);
    EXPECT_EQ(received, (size_t)n);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const int64_t kMaxGrowth = 16 << 20;
#else
const int64_t kMaxGrowth = 8 << 20;
#endif
TEST(NetPortMisbehavingServer, MemoryStaysBoundedAndDataStillArrives) {
    const struct {
        const char* what;
        std::string head, piece;
        size_t total;
        std::string tail;
    } cases[] = {
        {"DONT/DO BINARY pairs", "", std::string("\xff\xfe\x00\xff\xfd\x00", 6), 24 << 20, ""},
        {"DO COM-PORT again and again", "", "\xff\xfd\x2c", 24 << 20, ""},
        {"a subnegotiation without end", "\xff\xfa\x2c", "x", 48 << 20, "\xff\xf0"},
    };
    for (const auto& c : cases) {
        // DONT COM-PORT first: the opening does not wait for settings.
        WritingServer server("\xff\xfe\x2c" + c.head + Repeated(c.piece, c.total) + c.tail + "ok");
        const int64_t before = ResidentBytes();
        HANDLE h = OpenCom(server.url());
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.what << " " << GetLastError();
        EXPECT_EQ(ReadPort(h, 2, 60000), "ok") << c.what;
        EXPECT_LT(ResidentBytes() - before, kMaxGrowth) << c.what;
        CloseHandle(h);
    }
}

namespace {
struct Recorder : TelnetDecoder::Sink {
    std::string events;
    void OnOption(uint8_t verb, uint8_t option) override {
        events += "opt " + std::to_string(verb) + " " + std::to_string(option) + ";";
    }
    void OnSubnegotiation(const std::string& body) override {
        events += "sub " + std::to_string(body.size()) + ";";
    }
};
}  // namespace

// However the stream is cut into reads, the same data and the same commands come out.
TEST(TelnetStream, DecodesTheSameWhereverReadsAreCut) {
    const struct {
        std::string wire, data, events;
    } cases[] = {
        {std::string("a\xff\xff"
                     "b",
                     4),
         "a\xff"
         "b",
         ""},
        {std::string("\xff\xfd\x2cx", 4), "x", "opt 253 44;"},
        {std::string("\xff\xfa\x2c\x65\x00\x00\xff\xff\x01\xff\xf0y", 12), "y", "sub 6;"},
        {std::string("\xff\xf1z\xff", 4), "z", ""},  // NOP, then a command not finished yet
    };
    for (const auto& c : cases) {
        for (size_t cut = 0; cut <= c.wire.size(); ++cut) {
            TelnetDecoder decoder;
            Recorder sink;
            std::string data;
            decoder.Decode(c.wire.data(), cut, data, sink);
            decoder.Decode(c.wire.data() + cut, c.wire.size() - cut, data, sink);
            EXPECT_EQ(data, c.data) << c.wire.size() << " cut " << cut;
            EXPECT_EQ(sink.events, c.events) << cut;
        }
        std::string escaped;
        TelnetEscape(c.data.data(), c.data.size(), escaped);
        TelnetDecoder decoder;
        Recorder sink;
        std::string back;
        decoder.Decode(escaped.data(), escaped.size(), back, sink);
        EXPECT_EQ(back, c.data);
    }
}

namespace {
// An RFC 2217 server on 127.0.0.1 for one connection: it takes the serial-port option,
// confirms every command with the value sent, and keeps the SET-CONTROL values for the break
// (5 on, 6 off) in the order they came.
class ComPortServer : TelnetDecoder::Sink {
public:
    ComPortServer() {
        m_listen = kvtest::ListenLocal(0, 1, &m_port);
        m_thread = std::thread([this] {
            m_conn = accept(m_listen, nullptr, nullptr);
            const char hello[] = {(char)TELNET_IAC, (char)TELNET_DO, 44};
            if (m_conn < 0 ||
                send(m_conn, hello, sizeof hello, MSG_NOSIGNAL) != (ssize_t)sizeof hello)
                return;
            TelnetDecoder decoder;
            std::string data;
            char buf[4096];
            for (ssize_t r; (r = read(m_conn, buf, sizeof buf)) > 0;)
                decoder.Decode(buf, r, data, *this);
        });
    }
    ~ComPortServer() {
        shutdown(m_listen, SHUT_RDWR);
        if (m_thread.joinable()) m_thread.join();
        if (m_conn >= 0) close(m_conn);
        close(m_listen);
    }
    std::string url() const { return "rfc2217://127.0.0.1:" + std::to_string(m_port); }
    // After the client closed.
    std::string Breaks() {
        m_thread.join();
        return m_breaks;
    }

private:
    void OnOption(uint8_t, uint8_t) override {}
    void OnSubnegotiation(const std::string& body) override {
        if (body.size() < 3 || body[0] != 44) return;
        if (body[1] == 5 && (body[2] == 5 || body[2] == 6)) m_breaks += body[2];
        std::string reply{(char)TELNET_IAC, (char)TELNET_SB, 44, (char)(body[1] + 100)};
        TelnetEscape(body.data() + 2, body.size() - 2, reply);
        reply += {(char)TELNET_IAC, (char)TELNET_SE};
        // The client may have closed already: no SIGPIPE for the reply.
        (void)send(m_conn, reply.data(), reply.size(), MSG_NOSIGNAL);
    }
    int m_listen = -1, m_conn = -1, m_port = 0;
    std::thread m_thread;
    std::string m_breaks;
};
}  // namespace

// A BREAK on an rfc2217:// port is SET-CONTROL BREAK-ON, then BREAK-OFF; a raw TCP port, or a
// server without the serial-port option, cannot send one.
TEST(NetPortBreak, ServerGetsBreakOnAndOffAndOthersCannotSendOne) {
    ComPortServer server;
    HANDLE h = OpenCom(server.url());
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
    EXPECT_TRUE(SetCommBreak(h)) << GetLastError();
    EXPECT_TRUE(ClearCommBreak(h)) << GetLastError();
    CloseHandle(h);
    EXPECT_EQ(server.Breaks(), "\x05\x06");

    const struct {
        const char* name;
        const char* scheme;
        std::string hello;
    } cases[] = {
        {"raw TCP", "tcp", ""},
        {"no serial-port option", "rfc2217", "\xff\xfe\x2c"},  // DONT COM-PORT
    };
    for (const auto& c : cases) {
        WritingServer other(c.hello);
        HANDLE o = OpenCom(other.url(c.scheme));
        ASSERT_NE(o, INVALID_HANDLE_VALUE) << c.name << " " << GetLastError();
        EXPECT_FALSE(SetCommBreak(o)) << c.name;
        EXPECT_EQ(GetLastError(), (DWORD)EOPNOTSUPP) << c.name;
        CloseHandle(o);
    }
}
