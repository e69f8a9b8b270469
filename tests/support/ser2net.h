// Test support: a ser2net server on 127.0.0.1 serving one device, started and stopped by the
// test with a generated configuration. Header-only; tests and the benchmark.
#pragma once
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "pty.h"

namespace kvtest {

inline const char* Ser2netPath() {
    static const char* const paths[] = {"/usr/sbin/ser2net", "/usr/bin/ser2net"};
    for (const char* p : paths)
        if (access(p, X_OK) == 0) return p;
    return nullptr;
}

// Whether a server listens on a TCP port of 127.0.0.1 (closed connections waiting out their
// time do not count), found without connecting.
inline bool LocalPortTaken(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((uint16_t)port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool taken = bind(fd, (sockaddr*)&a, sizeof a) != 0;
    close(fd);
    return taken;
}
// A socket listening on 127.0.0.1:port (0: a free port, which *pPort then tells), with
// SO_REUSEADDR and, when rcvbuf > 0, a receive buffer of that size for what it accepts;
// -1 when it cannot bind.
inline int ListenLocal(int port, int backlog, int* pPort = nullptr, int rcvbuf = 0) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (rcvbuf > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons((uint16_t)port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(fd, (sockaddr*)&a, sizeof a) != 0 || listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    getsockname(fd, (sockaddr*)&a, &len);
    if (pPort) *pPort = ntohs(a.sin_port);
    return fd;
}

// A TCP port of 127.0.0.1 that nobody listens on now.
inline int FreeLocalPort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(fd, (sockaddr*)&a, sizeof a);
    getsockname(fd, (sockaddr*)&a, &len);
    close(fd);
    return ntohs(a.sin_port);
}

class Ser2net {
public:
    // rfc2217: Telnet with the serial-port option; else a raw TCP accepter.
    Ser2net(const std::string& devicePath, bool rfc2217) : m_port(FreeLocalPort()) {
        std::ofstream f(m_dir / "ser2net.yaml");
        f << "%YAML 1.1\n---\nconnection: &port\n  accepter: "
          << (rfc2217 ? "telnet(rfc2217),tcp," : "tcp,") << "127.0.0.1," << m_port
          << "\n  connector: serialdev," << devicePath << ",9600n81,local\n"
          << "  options:\n    kickolduser: true\n";
    }
    ~Ser2net() { Stop(); }
    std::string url(bool rfc2217 = true) const {
        return (rfc2217 ? "rfc2217://127.0.0.1:" : "tcp://127.0.0.1:") + std::to_string(m_port);
    }
    int port() const { return m_port; }

    // Starts the server and waits until it listens; false when it does not.
    bool Start() {
        const char* exe = Ser2netPath();
        if (!exe || m_pid > 0) return m_pid > 0;
        std::string cfg = m_dir / "ser2net.yaml", pid = m_dir / "ser2net.pid";
        const char* argv[] = {exe, "-n", "-d", "-c", cfg.c_str(), "-P", pid.c_str(), nullptr};
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawn(&m_pid, exe, &fa, nullptr, (char* const*)argv, environ);
        posix_spawn_file_actions_destroy(&fa);
        if (rc != 0) m_pid = -1;
        for (int i = 0; m_pid > 0 && i < 500; ++i) {
            if (LocalPortTaken(m_port)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Stop() {
        if (m_pid <= 0) return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    TempDir m_dir;
    int m_port;
    pid_t m_pid = -1;
};

}  // namespace kvtest
