// Cases that measure another terminal program on the same stream, for a baseline taken in the
// same run: picocom in a pseudo-terminal of its own, its output drained here; GTKTerm on the
// X display, reading a raw pseudo-terminal that this process paces the stream into.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "bench/bench_util.h"
#include "bench/cases.h"
#include "bench/dialog_harness.h"

namespace kvbench {

namespace {
// Reads what the terminal shows for up to ms milliseconds; false when it is gone.
bool Drain(int master, std::string* seen, int64_t* count, int ms) {
    pollfd p = {master, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return true;
    char buf[65536];
    ssize_t r = read(master, buf, sizeof buf);
    if (r <= 0) return false;
    if (seen && seen->size() < 4096) seen->append(buf, (size_t)r);
    *count += r;
    return true;
}
}  // namespace

// picocom seconds text|binary|hex: the virtual device streams at 921600 baud to picocom, which
// writes it to its terminal; picocom's CPU seconds until it has shown the stream, the bytes
// and the wall time (the same figures as the pace case).
int CasePicocom(const std::vector<std::string>& a) {
    double secs = std::stod(a.at(0));
    Mode mode(a.at(1));
    PacedStream stream(secs, mode);
    const int64_t n = stream.bytes;
    VirtualDevice& dev = stream.dev;
    if (!dev.ok()) return Fail("no virtual device");
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) return Fail("no pseudo-terminal for picocom");
    if (pid == 0) {
        execlp("picocom", "picocom", "-b", "921600", "--nolock", "--noreset", dev.slave().c_str(),
               (char*)nullptr);
        _exit(127);
    }
    std::string seen;
    int64_t shown = 0;
    double deadline = NowSec() + 5;
    while (seen.find("Terminal ready") == std::string::npos && NowSec() < deadline)
        if (!Drain(master, &seen, &shown, 100)) break;
    if (seen.find("Terminal ready") == std::string::npos) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return Fail("picocom did not start: %s", seen.c_str());
    }
    shown = 0;
    double c0 = CpuSecOf(pid), t0 = NowSec();
    if (write(master, "AT+FLOOD\r\n", 10) != 10) return Fail("command not written");
    // The stream and the device's answer to the command; ends when all has been shown.
    deadline = t0 + secs * 2 + 10;
    while (shown < n && NowSec() < deadline)
        if (!Drain(master, nullptr, &shown, 250)) break;
    double cpu = CpuSecOf(pid) - c0, t = NowSec() - t0;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(master);
    if (shown < n) return Fail("picocom showed %lld of %lld bytes", (long long)shown, (long long)n);
    printf("%.6f %lld %.6f 0\n", cpu, (long long)n, t);
    return 0;
}

namespace {

// Whether process pid has the file at path open.
bool HasOpen(pid_t pid, const std::string& path) {
    std::error_code ec;
    for (const auto& e :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::string target = std::filesystem::read_symlink(e.path(), ec).string();
        if (!ec && target == path) return true;
    }
    return false;
}

// GTKTerm opens a port only once udev knows its device, and a pseudo-terminal has no entry
// in sysfs. The command starts it in a mount namespace of its own in which /sys/dev/char
// also lists the pseudo-terminal, as a device whose uevent names it (binds of files in dir).
std::string GtktermCommand(const std::string& dir, const std::string& slave) {
    struct stat st;
    if (stat(slave.c_str(), &st) != 0) return "";
    std::string chars = dir + "/char", uevent = dir + "/uevent";
    std::filesystem::create_directories(chars);
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator("/sys/dev/char", ec))
        std::filesystem::create_symlink(std::filesystem::canonical(e.path(), ec),
                                        chars + "/" + e.path().filename().string(), ec);
    const std::string stand = "/sys/devices/virtual/tty/ptmx";  // a tty device of sysfs
    std::string num = std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
    std::filesystem::create_symlink(stand, chars + "/" + num, ec);
    std::ofstream(uevent) << "MAJOR=" << major(st.st_rdev) << "\nMINOR=" << minor(st.st_rdev)
                          << "\nDEVNAME=" << slave.substr(5) << "\n";
    return "mount --bind '" + chars + "' /sys/dev/char && mount --bind '" + uevent + "' " + stand +
           "/uevent && exec gtkterm -p '" + slave + "' -s 921600 -L";
}

// The settings GTKTerm would otherwise create on its first start, with a box to confirm.
void WriteGtktermConfig(const std::string& home) {
    std::filesystem::create_directories(home + "/.config");
    std::ofstream(home + "/.config/.gtktermrc")
        << "[default]\nport\t= /dev/ttyS0\nspeed\t= 921600\nbits\t= 8\nstopbits\t= 1\n"
           "parity\t= none\nflow\t= none\nwait_delay\t= 0\nwait_char\t= -1\n"
           "echo\t= False\ncrlfauto\t= False\ntimestamp\t= False\n";
}

}  // namespace

// The X server's process (from the lock file of the display in $DISPLAY); -1 without one.
pid_t XServerPid() {
    const char* d = getenv("DISPLAY");
    if (!d || d[0] != ':') return -1;
    std::ifstream lock("/tmp/.X" + std::to_string(atoi(d + 1)) + "-lock");
    long pid = -1;
    lock >> pid;
    return pid > 0 ? (pid_t)pid : -1;
}

// gtkterm seconds text|binary: GTKTerm on a raw pseudo-terminal (openpty) into which this
// process writes the mode's pattern at 921600 baud; GTKTerm's CPU seconds until it has read
// the stream, the bytes, the wall time and the X server's CPU seconds over the same time.
int CaseGtkterm(const std::vector<std::string>& a) {
    double secs = std::stod(a.at(0));
    Mode mode(a.at(1));
    const int64_t n = (int64_t)(secs * 92160);
    pid_t xpid = XServerPid();
    if (xpid < 0) return Fail("no X server in DISPLAY");
    int master = -1, slave = -1;
    char name[256];
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return Fail("no pseudo-terminal");
    termios t;
    for (int fd : {master, slave}) {
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        tcsetattr(fd, TCSANOW, &t);
    }
    std::string dir = std::filesystem::current_path().string();
    std::string cmd = GtktermCommand(dir, name);
    WriteGtktermConfig(dir + "/home");
    pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", (dir + "/home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir + "/home/.config").c_str(), 1);
        std::string self = SelfPath();
        setenv("LD_PRELOAD",
               (self.substr(0, self.rfind('/')) + "/libkivern_bench_ioctl.so").c_str(), 1);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("unshare", "unshare", "-m", "sh", "-c", cmd.c_str(), (char*)nullptr);
        _exit(127);
    }
    auto stop = [&] {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        close(master);
        close(slave);
    };
    // It opens the port, and opens it once more after it has read its settings.
    double deadline = NowSec() + 15, heldSince = 0;
    while (NowSec() < deadline && (heldSince == 0 || NowSec() - heldSince < 1.5)) {
        bool held = HasOpen(pid, name);
        heldSince = held ? (heldSince ? heldSince : NowSec()) : 0;
        usleep(50000);
    }
    if (heldSince == 0) {
        stop();
        return Fail("GTKTerm did not open %s (needs gtkterm, and root for its namespace)", name);
    }
    double c0 = CpuSecOf(pid), x0 = CpuSecOf(xpid), t0 = NowSec();
    std::vector<uint8_t> buf(16384);
    int64_t sent = 0;
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    deadline = t0 + secs * 2 + 10;
    while (sent < n && NowSec() < deadline) {  // paced as the virtual device paces its flood
        int64_t due = std::min<int64_t>(n, (int64_t)((NowSec() - t0) * 92160));
        while (sent < due) {
            size_t k = (size_t)std::min<int64_t>(due - sent, (int64_t)buf.size());
            kvpattern::Fill((uint64_t)sent, buf.data(), k, mode.kind);
            ssize_t w = write(master, buf.data(), k);
            if (w <= 0) break;
            sent += w;
        }
        usleep(5000);
    }
    int waiting = 1;
    deadline = NowSec() + 10;
    while (NowSec() < deadline && ioctl(slave, TIOCINQ, &waiting) == 0 && waiting > 0)
        usleep(10000);
    usleep(100000);  // its last paint
    double cpu = CpuSecOf(pid) - c0, xcpu = CpuSecOf(xpid) - x0, el = NowSec() - t0;
    stop();
    if (sent < n || waiting > 0)
        return Fail("GTKTerm read %lld of %lld bytes", (long long)(sent - waiting), (long long)n);
    printf("%.6f %lld %.6f %.6f\n", cpu, (long long)n, el, xcpu);
    return 0;
}

}  // namespace kvbench
