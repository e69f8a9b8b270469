// Throughput of a flood from a device served by ser2net (RFC 2217) on 127.0.0.1: read
// through the comm layer as an rfc2217:// port, beside socat reading the same server in the
// same run (median of alternating runs). Prints one table row; needs ser2net and socat.
//   kivern_bench_net [MiB (10)] [runs (5)]
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "platform/comm/comm.h"
#include "tests/support/ser2net.h"

namespace {
const size_t kMiB = 1 << 20;

double NowSec() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Flood(size_t n) {
    std::string s(n, 0);
    for (size_t i = 0; i < n; ++i) s[i] = (char)(i * 7 + i / 256);
    return s;
}

// Seconds for the comm layer to receive the flood, checked byte for byte; < 0 on failure.
double ThroughKivern(kvtest::FakeDevice& dev, const std::string& url, const std::string& flood) {
    HANDLE h = CreateFileA(url.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, NULL);
    if (h == INVALID_HANDLE_VALUE) return -1;
    COMMTIMEOUTS to = {1, 1, 2, 50, 5000};
    SetCommTimeouts(h, &to);
    std::string got;
    got.reserve(flood.size());
    static char buf[1 << 16];
    double t0 = NowSec();
    std::thread device([&] { dev.Send(flood); });
    while (got.size() < flood.size() && NowSec() - t0 < 120) {
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, NULL)) break;
        got.append(buf, n);
    }
    double t = NowSec() - t0;
    device.join();
    CloseHandle(h);
    return got == flood ? t : -1;
}

// Seconds for socat to pass the same flood (Telnet escapes included) to a pipe read here.
double ThroughSocat(kvtest::FakeDevice& dev, int port, const std::string& flood) {
    int p[2];
    if (pipe(p) != 0) return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(p[1], 1);
        close(p[0]);
        std::string addr = "TCP:127.0.0.1:" + std::to_string(port);
        execlp("socat", "socat", "-u", addr.c_str(), "STDOUT", (char*)nullptr);
        _exit(127);
    }
    close(p[1]);
    usleep(300000);  // connected and negotiated
    size_t want = flood.size() + flood.size() / 256, got = 0;
    static char buf[1 << 16];
    double t0 = NowSec();
    std::thread device([&] { dev.Send(flood); });
    while (got < want) {
        ssize_t r = read(p[0], buf, sizeof buf);
        if (r <= 0) break;
        got += (size_t)r;
    }
    double t = NowSec() - t0;
    device.join();
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    close(p[0]);
    return got >= want ? t : -1;
}
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    size_t mib = argc > 1 ? (size_t)atoi(argv[1]) : 10;
    int runs = argc > 2 ? atoi(argv[2]) : 5;
    if (!kvtest::Ser2netPath()) return fprintf(stderr, "ser2net is not installed\n"), 1;
    kvtest::TempDir dir;
    kvtest::FakeDevice dev(dir.path(), 1);
    kvtest::Ser2net server(dev.slavePath(), true);
    if (!dev.ok() || !server.Start()) return fprintf(stderr, "no server\n"), 1;
    const std::string flood = Flood(mib * kMiB);
    std::vector<double> k, s;
    for (int i = 0; i < runs; ++i) {  // alternating, so that both see the same machine
        k.push_back(ThroughKivern(dev, server.url(), flood));
        s.push_back(ThroughSocat(dev, server.port(), flood));
        if (k.back() < 0 || s.back() < 0) return fprintf(stderr, "flood incomplete or wrong\n"), 1;
    }
    printf(
        "| 10. receive %zu MiB through ser2net, rfc2217 (comm layer) | %10.1f MiB/s | socat %6.1f "
        "MiB/s "
        "| %6.2f |\n",
        mib, mib / Median(k), mib / Median(s), Median(s) / Median(k));
    return 0;
}
