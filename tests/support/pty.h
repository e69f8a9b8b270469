// Test support: pseudo-terminals registered as virtual ports, and temporary folders.
// Header-only; tests only.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

namespace kvtest {

// A fresh folder under /tmp, removed with its contents at the end.
class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/kivern-test-XXXXXX";
        m_path = mkdtemp(tmpl) ? tmpl : "";
    }
    ~TempDir() {
        nftw(
            m_path.c_str(), [](const char* p, const struct stat*, int, FTW*) { return remove(p); },
            16, FTW_DEPTH | FTW_PHYS);
    }
    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Points the port map at a private, empty sysfs, ports folder and state folder.
class PortMapSandbox {
public:
    PortMapSandbox() {
        mkdir((m_dir / "sys").c_str(), 0700);
        mkdir((m_dir / "ports").c_str(), 0700);
        mkdir((m_dir / "state").c_str(), 0700);
        setenv("KIVERN_SYSFS_ROOT", (m_dir / "sys").c_str(), 1);
        setenv("KIVERN_PORTS_DIR", (m_dir / "ports").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_dir / "state").c_str(), 1);
    }
    std::string sys() const { return m_dir / "sys"; }
    std::string ports() const { return m_dir / "ports"; }
    std::string state() const { return m_dir / "state"; }
    const TempDir& dir() const { return m_dir; }

private:
    TempDir m_dir;
};

// A pseudo-terminal whose slave is linked as <portsDir>/com<n>. The test plays the device on
// the master side. A slave descriptor is kept open (in raw mode, so nothing is echoed) so that
// the master does not see a hang-up while the port is closed.
class FakeDevice {
public:
    FakeDevice(const std::string& portsDir, unsigned n) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) || unlockpt(m_master)) return;
        m_slavePath = ptsname(m_master);
        m_slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t;
        tcgetattr(m_slave, &t);
        cfmakeraw(&t);
        tcsetattr(m_slave, TCSANOW, &t);
        tcgetattr(m_master, &t);
        cfmakeraw(&t);
        tcsetattr(m_master, TCSANOW, &t);
        m_link = portsDir + "/com" + std::to_string(n);
        unlink(m_link.c_str());
        if (symlink(m_slavePath.c_str(), m_link.c_str()) != 0) m_link.clear();
    }
    ~FakeDevice() {
        if (!m_link.empty()) unlink(m_link.c_str());
        CloseMaster();
        if (m_slave >= 0) close(m_slave);
    }
    bool ok() const { return m_master >= 0 && m_slave >= 0 && !m_link.empty(); }
    int master() const { return m_master; }
    // The device's view of the line: the slave's settings are the port's.
    int slave() const { return m_slave; }
    const std::string& slavePath() const { return m_slavePath; }
    const std::string& link() const { return m_link; }

    // The device goes away: the port's side sees a hang-up.
    void CloseMaster() {
        if (m_master >= 0) close(m_master);
        m_master = -1;
    }
    void Send(const void* p, size_t n) {
        const char* c = (const char*)p;
        while (n > 0) {
            ssize_t w = write(m_master, c, n);
            if (w < 0) {
                pollfd pfd = {m_master, POLLOUT, 0};
                poll(&pfd, 1, 100);
                continue;
            }
            c += w;
            n -= (size_t)w;
        }
    }
    void Send(const std::string& s) { Send(s.data(), s.size()); }
    // What the port wrote, collected until n bytes came or timeoutMs passed.
    std::string Receive(size_t n, int timeoutMs = 2000) {
        std::string out;
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        char buf[4096];
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd pfd = {m_master, POLLIN, 0};
            if (poll(&pfd, 1, 20) > 0) {
                ssize_t r = read(m_master, buf, std::min(sizeof buf, n - out.size()));
                if (r > 0) out.append(buf, (size_t)r);
            }
        }
        return out;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath, m_link;
};

// Open descriptors and threads of this process, to find leaks.
inline int CountEntries(const char* dir) {
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}
inline int OpenFdCount() { return CountEntries("/proc/self/fd"); }
inline int ThreadCount() { return CountEntries("/proc/self/task"); }
// What each open descriptor refers to, for a failure's message.
inline std::string FdList() {
    std::string list;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (dirent* e = readdir(d)) {
            char target[256] = {};
            std::string link = std::string("/proc/self/fd/") + e->d_name;
            if (readlink(link.c_str(), target, sizeof target - 1) > 0)
                list += std::string(e->d_name) + "=" + target + " ";
        }
        closedir(d);
    }
    return list;
}

}  // namespace kvtest
