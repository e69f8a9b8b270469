// kivern-vdev through the comm layer: registration, AT answers, the flood, clean exit.
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "platform/comm/comm.h"
#include "platform/ports/portmap.h"
#include "support/pty.h"
#include "tools/vdev/pattern.h"

extern char** environ;

namespace {
std::string VdevPath() {
    char self[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return "";
    std::string dir(self, (size_t)n);
    dir.erase(dir.rfind('/'));
    return dir + "/../tools/kivern-vdev";
}

// Runs kivern-vdev with args until it is stopped; reads its first line.
class Vdev {
public:
    explicit Vdev(std::vector<std::string> args) {
        std::string path = VdevPath();
        args.insert(args.begin(), path);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        int out[2];
        if (pipe(out) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_addclose(&fa, out[0]);
        if (posix_spawn(&m_pid, path.c_str(), &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(out[1]);
        char c;
        while (m_pid > 0 && read(out[0], &c, 1) == 1 && c != '\n') m_firstLine += c;
        close(out[0]);
    }
    ~Vdev() { Stop(); }
    int Stop() {
        if (m_pid <= 0) return m_status;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, &m_status, 0);
        m_pid = -1;
        return m_status;
    }
    const std::string& firstLine() const { return m_firstLine; }

private:
    pid_t m_pid = -1;
    int m_status = -1;
    std::string m_firstLine;
};

HANDLE OpenConfigured(const char* name) {
    HANDLE h = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, NULL);
    if (h == INVALID_HANDLE_VALUE) return h;
    COMMTIMEOUTS to = {1, 1, 2, 50, 2000};
    SetCommTimeouts(h, &to);
    DCB dcb;
    GetCommState(h, &dcb);
    BuildCommDCBA("baud=115200 parity=N data=8 stop=1", &dcb);
    SetCommState(h, &dcb);
    return h;
}

// Sends one command line and collects the answer until it ends in OK or ERROR.
std::string Ask(HANDLE h, const std::string& cmd) {
    std::string line = cmd + "\r\n";
    DWORD n;
    WriteFile(h, line.data(), (DWORD)line.size(), &n, NULL);
    std::string got;
    char buf[256];
    for (int i = 0; i < 200; ++i) {
        DWORD r = 0;
        ReadFile(h, buf, sizeof buf, &r, NULL);
        got.append(buf, r);
        size_t len = got.size();
        if ((len >= 4 && got.compare(len - 4, 4, "OK\r\n") == 0) ||
            (len >= 7 && got.compare(len - 7, 7, "ERROR\r\n") == 0))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return got;
}

class VdevTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (access(VdevPath().c_str(), X_OK) != 0) GTEST_SKIP() << "kivern-vdev not built";
    }
    kvtest::PortMapSandbox sandbox;
};
}  // namespace

TEST_F(VdevTest, RegistersAnswersAndRemovesItsLink) {
    std::string link = sandbox.ports() + "/com42";
    {
        Vdev vdev({"--ports-dir", sandbox.ports(), "--number", "42"});
        ASSERT_EQ(0u, vdev.firstLine().find("COM42 /dev/pts/")) << vdev.firstLine();
        std::string node, desc;
        ASSERT_TRUE(DescribePort("COM42", node, desc));
        EXPECT_EQ(link, node);

        HANDLE h = OpenConfigured("\\\\.\\COM42");
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        EXPECT_EQ("OK\r\n", Ask(h, "AT"));
        EXPECT_EQ("+NAME:KIVERN-BT\r\nOK\r\n", Ask(h, "AT+NAME?"));
        EXPECT_EQ("+NAME:Probe 7\r\nOK\r\n", Ask(h, "AT+NAME=Probe 7"));
        EXPECT_EQ("+NAME:Probe 7\r\nOK\r\n", Ask(h, "AT+NAME?"));
        EXPECT_EQ("+BAUD:3\r\nOK\r\n", Ask(h, "AT+BAUD=3"));
        EXPECT_EQ("+BAUD:8\r\nOK\r\n", Ask(h, "AT+BAUD=115200"));
        EXPECT_EQ("ERROR\r\n", Ask(h, "AT+BAUD=7777"));
        EXPECT_EQ(0u, Ask(h, "AT+VERS?").find("+VERS:"));
        EXPECT_EQ(0u, Ask(h, "AT+ADDR?").find("+ADDR:"));
        EXPECT_EQ("OK\r\n", Ask(h, "AT+DEFAULT"));
        EXPECT_EQ("+NAME:KIVERN-BT\r\nOK\r\n", Ask(h, "AT+NAME?"));
        EXPECT_EQ("ERROR\r\n", Ask(h, "HELLO"));
        CloseHandle(h);
        int status = vdev.Stop();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    struct stat st;
    EXPECT_NE(0, lstat(link.c_str(), &st));  // gone after SIGTERM
}

TEST_F(VdevTest, FloodsACheckablePatternOnRequest) {
    // Binary bytes of every value, and with --text lines of ASCII ending in CR LF.
    for (kvpattern::Kind kind : {kvpattern::Kind::Binary, kvpattern::Kind::Text}) {
        bool text = kind == kvpattern::Kind::Text;
        const size_t total = (2 << 20) + (text ? 37 : 0);
        std::vector<std::string> args = {"--ports-dir", sandbox.ports(), "--number",
                                         "43",          "--flood",       std::to_string(total)};
        if (text) args.push_back("--text");
        Vdev vdev(args);
        HANDLE h = OpenConfigured("COM43");
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        DWORD n;
        WriteFile(h, "AT+FLOOD\r\n", 10, &n, NULL);
        kvpattern::Checker checker(kind);
        std::string head;
        std::vector<char> buf(65536);
        for (int idle = 0; checker.Count() < total && idle < 400;) {
            DWORD r = 0;
            ReadFile(h, buf.data(), (DWORD)buf.size(), &r, NULL);
            checker.Feed(buf.data(), r);
            if (head.size() < 128) head.append(buf.data(), std::min<size_t>(r, 128 - head.size()));
            idle = r ? 0 : idle + 1;
        }
        EXPECT_EQ(total, checker.Count());
        EXPECT_TRUE(checker.Ok()) << checker.FirstMismatch();
        if (text) {
            ASSERT_EQ(128u, head.size());
            EXPECT_EQ("0000000000 ", head.substr(0, 11));
            EXPECT_EQ("\r\n0000000001 ", head.substr(62, 13));
            for (size_t i = 0; i < head.size(); ++i) {
                if (i % 64 < 62) {
                    EXPECT_TRUE(head[i] >= 0x20 && head[i] < 0x7F) << i;
                }
            }
        }
        CloseHandle(h);
    }
}
