// Cases that measure another terminal program on the same stream, for a baseline taken in the
// same run: picocom in a pseudo-terminal of its own, its output drained here.
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

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
    printf("%.6f %lld %.6f\n", cpu, (long long)n, t);
    return 0;
}

}  // namespace kvbench
