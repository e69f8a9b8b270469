// Files: a raw send of a file from the real dialog (发送文件, 原始数据) into a pseudo-terminal
// whose other end a thread drains, against `cat FILE > the slave`; and an XMODEM-1K send to
// `rx` on the master side, against `sx` run straight on the slave. Each case prints seconds
// (and, for the raw send, the growth of resident memory in MiB while it ran).
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "bench/cases.h"
#include "bench/dialog_harness.h"
#include "platform/ui/ui_hooks.h"

namespace kvbench {
namespace {

// A pseudo-terminal linked as COMn. Its master is drained by a thread that only counts and
// hashes (nothing kept: the memory measured is the sender's), or relayed to a program.
class FilePty : public LinkedPty {
public:
    FilePty(const std::string& portsDir, unsigned n) : LinkedPty(portsDir, n) {}
    ~FilePty() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        if (m_sock >= 0) close(m_sock);
    }
    void Drain(size_t expect) {
        m_expect = expect;
        m_thread = std::thread([this] {
            std::vector<char> buf(65536);
            uint64_t h = 1469598103934665603ull;
            while (!m_stop) {
                pollfd p = {m_master, POLLIN, 0};
                if (poll(&p, 1, 20) <= 0) continue;
                ssize_t r = read(m_master, buf.data(), buf.size());
                for (ssize_t i = 0; i < r; ++i) h = (h ^ (unsigned char)buf[i]) * 1099511628211ull;
                if (r > 0) m_count += (size_t)r;
                if (m_count >= m_expect && m_doneAt == 0) {
                    m_hash = h;
                    m_doneAt = NowSec();
                }
            }
        });
    }
    // A program on the master side, through a socket pair (its terminal settings stay its own).
    pid_t Peer(const std::vector<std::string>& argv, const std::string& dir) {
        int sv[2];
        socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(sv[1], 0);
            dup2(sv[1], 1);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            if (chdir(dir.c_str()) != 0) _exit(126);
            std::vector<char*> args;
            for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
            args.push_back(nullptr);
            execvp(args[0], args.data());
            _exit(127);
        }
        close(sv[1]);
        m_sock = sv[0];
        m_thread = std::thread([this] {
            char buf[16384];
            while (!m_stop) {
                pollfd fds[2] = {{m_master, POLLIN, 0}, {m_sock, POLLIN, 0}};
                if (poll(fds, 2, 20) <= 0) continue;
                for (int i = 0; i < 2; ++i) {
                    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
                    ssize_t r = read(fds[i].fd, buf, sizeof buf);
                    for (ssize_t d = 0; r > 0 && d < r;) {
                        ssize_t w = write(fds[1 - i].fd, buf + d, (size_t)(r - d));
                        if (w > 0) d += w;
                    }
                }
            }
        });
        return pid;
    }
    bool Complete() const { return m_count >= m_expect; }
    double DoneAt() const { return m_doneAt; }
    uint64_t Hash() const { return m_hash; }

private:
    int m_sock = -1;
    size_t m_expect = 0;
    std::atomic<size_t> m_count{0};
    std::atomic<double> m_doneAt{0};
    std::atomic<uint64_t> m_hash{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string MakeFile(const std::string& dir, size_t n) {
    std::string path = dir + "/send.bin";
    std::ofstream f(path, std::ios::binary);
    std::vector<char> block(65536);
    for (size_t i = 0; i < block.size(); ++i) block[i] = (char)(i * 7 + i / 256);
    for (size_t done = 0; done < n; done += block.size())
        f.write(block.data(), (std::streamsize)std::min(block.size(), n - done));
    return path;
}

uint64_t HashFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    uint64_t h = 1469598103934665603ull;
    char c;
    while (f.get(c)) h = (h ^ (unsigned char)c) * 1099511628211ull;
    return h;
}

double RssMiB() {
    std::ifstream f("/proc/self/statm");
    long pages = 0, rss = 0;
    f >> pages >> rss;
    return rss * (double)sysconf(_SC_PAGESIZE) / kMiB;
}

pid_t Spawn(const std::vector<std::string>& argv, int in, int out, const std::string& dir) {
    pid_t pid = fork();
    if (pid == 0) {
        if (in >= 0) dup2(in, 0);
        if (out >= 0) dup2(out, 1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 2);
        if (!dir.empty() && chdir(dir.c_str()) != 0) _exit(126);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

bool OpenAt(DialogBench& b, const char* baud) {
    int i = b.dlg().m_cbBaud.FindStringExact(-1, baud);
    if (i < 0) return false;
    b.dlg().m_cbBaud.SetCurSel(i);
    return b.OpenPort(3, false);
}

}  // namespace

// filesend MiB baud: seconds until the far end has the file (hash checked), and the growth of
// resident memory while it ran.
int CaseFileSend(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string path = MakeFile(sb.ports() + "/..", n);
    uint64_t want = HashFile(path);
    FilePty port(sb.ports(), 3);
    if (!port.ok()) return Fail("no pseudo-terminal");
    DialogBench b;
    if (!b.ok() || !OpenAt(b, a.size() > 1 ? a[1].c_str() : "921600")) return Fail("not opened");
    SetFileDialogHook([&](const FileDialogRecord&, std::string& chosen) {
        chosen = path;
        return true;
    });
    port.Drain(n);
    double rss0 = RssMiB(), peak = rss0;
    double t0 = NowSec();
    b.dlg().OnSendFile();
    if (!Loop().Run(
            [&] {
                peak = std::max(peak, RssMiB());
                return port.Complete();
            },
            120, 5))
        return Fail("not all sent");
    double t = port.DoneAt() - t0;
    if (port.Hash() != want) return Fail("sent bytes differ");
    Loop().Run([&] { return !b.dlg().m_fileTransfer.IsRunning(); }, 5, 5);
    printf("%.6f %.1f\n", t, peak - rss0);
    return 0;
}

// filecat MiB: `cat FILE > the slave`, the same drain.
int CaseFileCat(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string path = MakeFile(sb.ports() + "/..", n);
    FilePty port(sb.ports(), 3);
    if (!port.ok()) return Fail("no pseudo-terminal");
    port.Drain(n);
    double t0 = NowSec();
    pid_t pid = Spawn({"sh", "-c", "cat \"$0\" > \"$1\"", path, port.slavePath()}, -1, -1, "");
    waitpid(pid, nullptr, 0);
    while (!port.Complete()) usleep(1000);
    printf("%.6f\n", port.DoneAt() - t0);
    return 0;
}

// xmodem MiB: XMODEM-1K from the dialog to `rx -c` on the master side; seconds until rx is done.
int CaseXmodem(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string dir = sb.ports() + "/..";
    std::string path = MakeFile(dir, n);
    FilePty port(sb.ports(), 3);
    if (!port.ok()) return Fail("no pseudo-terminal");
    DialogBench b;
    if (!b.ok() || !OpenAt(b, "115200")) return Fail("not opened");
    b.dlg().m_settings.m_nFileProtocol = KV_FILE_XMODEM_1K;
    SetFileDialogHook([&](const FileDialogRecord&, std::string& chosen) {
        chosen = path;
        return true;
    });
    double t0 = NowSec();
    b.dlg().OnSendFile();
    pid_t rx = port.Peer({"rx", "-c", "got.bin"}, dir);
    int st = -1;
    double t = 0;
    if (!Loop().Run(
            [&] {
                if (t == 0 && waitpid(rx, &st, WNOHANG) == rx) t = NowSec() - t0;
                return t != 0;
            },
            120, 1)) {
        kill(rx, SIGKILL);
        return Fail("rx did not end");
    }
    if (st != 0) return Fail("rx failed");
    Loop().Run([&] { return !b.dlg().m_fileTransfer.IsRunning(); }, 20, 5);
    printf("%.6f\n", t);
    return 0;
}

// sx MiB: `sx -k FILE` on the slave, `rx -c` on the master side as above.
int CaseSx(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string dir = sb.ports() + "/..";
    std::string path = MakeFile(dir, n);
    FilePty port(sb.ports(), 3);
    if (!port.ok()) return Fail("no pseudo-terminal");
    double t0 = NowSec();
    pid_t sx = Spawn({"sx", "-k", path}, port.slave(), port.slave(), "");
    pid_t rx = port.Peer({"rx", "-c", "got.bin"}, dir);
    int st = -1;
    waitpid(rx, &st, 0);
    double t = NowSec() - t0;
    waitpid(sx, nullptr, 0);
    if (st != 0) return Fail("rx failed");
    printf("%.6f\n", t);
    return 0;
}

}  // namespace kvbench
