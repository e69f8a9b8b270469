// Benchmark support: clocks, medians, resident memory, CPU time, a scratch environment for
// the whole program, and the virtual device started as a child process.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace kvbench {

constexpr int64_t kMiB = 1024 * 1024;

inline double NowSec() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// CPU time (user + system) of this process so far, in seconds.
inline double CpuSec() {
    rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec +
           (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// CPU time of another process (user + system), in seconds.
inline double CpuSecOf(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f) return 0;
    char buf[1024];
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    const char* p = strrchr(buf, ')');  // the name may hold spaces
    if (!p) return 0;
    unsigned long ut = 0, st = 0;
    // Fields after the name: state, then 10 numbers, then utime and stime.
    if (sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &ut, &st) != 2)
        return 0;
    return (ut + st) / (double)sysconf(_SC_CLK_TCK);
}

inline int64_t ResidentBytes() {
    FILE* f = fopen("/proc/self/statm", "r");
    if (!f) return 0;
    long pages = 0, resident = 0;
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
    return (int64_t)resident * sysconf(_SC_PAGESIZE);
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Percentile(std::vector<double> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    size_t i = (size_t)std::min<double>(v.size() - 1, p / 100.0 * (v.size() - 1) + 0.5);
    return v[i];
}

// The folder of this program, where the virtual device is found too.
inline std::string SelfPath() {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, (size_t)n) : std::string();
}
// A raw pseudo-terminal whose slave is linked as COMn in the ports folder; the cases that
// play the device on its master side build on it.
class LinkedPty {
public:
    LinkedPty(const std::string& portsDir, unsigned n) {
        m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || grantpt(m_master) || unlockpt(m_master)) return;
        m_slavePath = ptsname(m_master);
        m_slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios t;
        for (int fd : {m_master, m_slave}) {
            tcgetattr(fd, &t);
            cfmakeraw(&t);
            tcsetattr(fd, TCSANOW, &t);
        }
        m_link = portsDir + "/com" + std::to_string(n);
        if (symlink(m_slavePath.c_str(), m_link.c_str()) != 0) m_link.clear();
    }
    ~LinkedPty() {
        if (!m_link.empty()) unlink(m_link.c_str());
        if (m_slave >= 0) close(m_slave);
        if (m_master >= 0) close(m_master);
    }
    LinkedPty(const LinkedPty&) = delete;
    LinkedPty& operator=(const LinkedPty&) = delete;
    bool ok() const { return m_slave >= 0 && !m_link.empty(); }
    const std::string& slavePath() const { return m_slavePath; }
    int slave() const { return m_slave; }

protected:
    int m_master = -1, m_slave = -1;
    std::string m_slavePath, m_link;
};

// A private sysfs, ports and state folder for the program, and a working folder; removed at
// the end.
class Sandbox {
public:
    Sandbox() {
        char tmpl[] = "/tmp/kivern-bench-XXXXXX";
        m_dir = mkdtemp(tmpl) ? tmpl : "/tmp";
        for (const char* d : {"/sys/class/tty", "/ports", "/state", "/work", "/run"})
            std::filesystem::create_directories(m_dir + d);
        setenv("KIVERN_SYSFS_ROOT", (m_dir + "/sys").c_str(), 1);
        setenv("KIVERN_PORTS_DIR", (m_dir + "/ports").c_str(), 1);
        setenv("XDG_STATE_HOME", (m_dir + "/state").c_str(), 1);
        chmod((m_dir + "/run").c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", (m_dir + "/run").c_str(), 1);
        if (chdir((m_dir + "/work").c_str()) != 0) perror("chdir");
    }
    ~Sandbox() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string ports() const { return m_dir + "/ports"; }

private:
    std::string m_dir;
};

// kivern-vdev as a child process, registered as COMn in the sandbox's ports folder.
class VirtualDevice {
public:
    // args: the flood options (for example "-f 1048576 -b 921600").
    VirtualDevice(const std::string& vdev, const std::string& portsDir, unsigned n,
                  const std::vector<std::string>& args) {
        int out[2];
        if (pipe(out) != 0) return;
        std::vector<std::string> argv = {vdev, "-d", portsDir, "-n", std::to_string(n)};
        argv.insert(argv.end(), args.begin(), args.end());
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            std::vector<char*> a;
            for (auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
            a.push_back(nullptr);
            execv(a[0], a.data());
            _exit(127);
        }
        close(out[1]);
        // "COMn <slave> <link>" once the port is ready.
        char line[512] = {0};
        FILE* f = fdopen(out[0], "r");
        if (f && fgets(line, sizeof line, f)) {
            char com[32], slave[256];
            if (sscanf(line, "%31s %255s", com, slave) == 2) m_slave = slave;
        }
        if (f) fclose(f);
    }
    ~VirtualDevice() {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool ok() const { return m_pid > 0 && !m_slave.empty(); }
    pid_t pid() const { return m_pid; }
    const std::string& slave() const { return m_slave; }

private:
    pid_t m_pid = -1;
    std::string m_slave;
};

inline std::string VdevPath() {
    if (const char* v = getenv("KIVERN_VDEV")) return v;
    std::string self = SelfPath();
    std::string dir = self.substr(0, self.rfind('/'));
    return dir + "/../tools/kivern-vdev";
}

// Runs argv as a child process and returns its standard output (its first line).
inline std::string RunChild(const std::vector<std::string>& argv, int* status = nullptr) {
    std::string cmd;
    for (const auto& a : argv) cmd += "'" + a + "' ";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "";
    std::string out;
    char buf[4096];
    while (fgets(buf, sizeof buf, p)) out += buf;
    int st = pclose(p);
    if (status) *status = st;
    return out;
}

}  // namespace kvbench
