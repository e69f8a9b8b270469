// Receive cases: end-to-end throughput of a flood into the open port of the real dialog,
// against `cat` on the same pseudo-terminal; resident memory after the flood; lateness of
// the UI thread's timers and of a click while a flood runs; CPU time at 921600-baud pace.
#include <QApplication>
#include <QMouseEvent>

#include "bench/cases.h"
#include "bench/dialog_harness.h"
#include "options/Colors.h"
#include "tools/vdev/pattern.h"

namespace kvbench {

int64_t ExpectedLength(int64_t n, const Mode& mode) {
    if (mode.hex) return 3 * n;
    int64_t zeros = 0;
    for (int64_t i = 0; i < n; ++i) zeros += kvpattern::ByteAt(mode.kind, (uint64_t)i) == 0;
    return n - zeros;
}

bool CheckReceiveText(const CString& s, int64_t n, const Mode& mode) {
    const bool hex = mode.hex;
    static const char kDigits[] = "0123456789ABCDEF";
    const char* p = s;
    int64_t len = s.GetLength(), at = 0;
    for (int64_t i = 0; i < n; ++i) {
        uint8_t b = kvpattern::ByteAt(mode.kind, (uint64_t)i);
        if (hex) {
            if (at + 3 > len || p[at] != kDigits[b >> 4] || p[at + 1] != kDigits[b & 15] ||
                p[at + 2] != ' ')
                return false;
            at += 3;
        } else if (b != 0) {
            if (at >= len || (uint8_t)p[at] != b) return false;
            ++at;
        }
    }
    return at == len;
}

// The receive text with the stamp and delta ("[yyyy/mm/dd hh:mm:ss.mmm] +s.mmm ") that open
// every line taken out; empty when a line lacks them.
CString StripLineStamps(const CString& s) {
    const char* p = s;
    const int64_t len = s.GetLength();
    CString out;
    out.Reserve((INT_PTR)len);
    for (int64_t at = 0; at < len;) {
        if (at + 26 > len || p[at] != '[' || p[at + 24] != ']' || p[at + 25] != ' ' ||
            p[at + 26] != '+')
            return CString();
        int64_t i = at + 27;
        while (i < len && p[i] != ' ') ++i;
        const char* nl = static_cast<const char*>(memchr(p + i + 1, '\n', (size_t)(len - i - 1)));
        int64_t end = nl ? nl - p + 1 : len;
        out.Append(p + i + 1, (INT_PTR)(end - i - 1));
        at = end;
    }
    return out;
}

namespace {

// Opens the slave side for a reader of our own, in raw mode as the device left it.
int OpenSlave(const std::string& path) { return open(path.c_str(), O_RDWR | O_NOCTTY); }

// `cat` of the slave into /dev/null, limited to n bytes by `head -c`.
pid_t SpawnReader(int fd, int64_t n) {
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, 0);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        std::string count = std::to_string(n);
        if (n > 0)
            execlp("head", "head", "-c", count.c_str(), (char*)nullptr);
        else
            execlp("cat", "cat", (char*)nullptr);
        _exit(127);
    }
    return pid;
}

}  // namespace

// throughput text|binary|hex MiB [stamps|colours|all]: seconds from the flood command until
// the last byte is in the receive text and drawn; then the check, and resident memory before
// and after. With "stamps", every line is stamped with its delta (checked, then taken out for
// the check); with "colours" the colour options are on: escape sequences read, the example
// highlights, sent lines coloured; "all" is both.
int CaseThroughput(const std::vector<std::string>& a) {
    Mode mode(a.at(0));
    int64_t n = (int64_t)(std::stod(a.at(1)) * kMiB);
    int64_t expect = ExpectedLength(n, mode);
    const std::string opts = a.size() > 2 ? a[2] : "";
    const bool bStamps = opts == "stamps" || opts == "all";
    const bool bColours = opts == "colours" || opts == "all";
    Sandbox sb;
    VirtualDevice dev(VdevPath(), sb.ports(), 3, mode.DeviceArgs({"-f", std::to_string(n)}));
    if (!dev.ok()) return Fail("no virtual device");
    DialogBench b;
    if (!b.ok() || !b.OpenPort(3, mode.hex)) return Fail("port not opened");
    LogView* view = b.view();
    CKIVERNDlg& dlg = b.dlg();
    if (bStamps) {
        dlg.m_settings.m_display.m_bLineStamps = TRUE;
        dlg.m_settings.m_display.m_bStampDelta = TRUE;
    }
    if (bColours) {
        dlg.m_settings.m_bAnsiColors = TRUE;
        dlg.m_settings.m_highlights = KvExampleHighlights();
        dlg.m_settings.m_nSentColor = 3;
    }
    if (bStamps || bColours) {
        dlg.ApplySettings();
    }
    Loop().Run([] { return false; }, 0.1);
    int64_t rss0 = ResidentBytes();

    bool drawn = false;
    PaintWatch watch(view->viewport(), [&] {
        drawn = drawn || (bStamps ? dlg.m_nRxBytes == n &&
                                        view->Index().Length() == dlg.m_strReceive.GetLength()
                                  : view->Index().Length() == expect);
    });
    double t0 = NowSec();
    dlg.SendQuickCommand("AT+FLOOD", FALSE);
    bool done = Loop().Run([&] { return drawn; }, 120);
    double t = NowSec() - t0;
    if (!done)
        return Fail("flood not complete: %lld of %lld", (long long)dlg.m_nRxBytes, (long long)n);
    Loop().Run([] { return false; }, 0.1);
    int64_t rss1 = ResidentBytes();
    bool ok =
        dlg.m_nRxBytes == n && dlg.m_SerialPort.GetOverflowCount() == 0 &&
        CheckReceiveText(bStamps ? StripLineStamps(dlg.m_strReceive) : dlg.m_strReceive, n, mode);
    if (!ok) return Fail("bytes lost or wrong");
    printf("%.6f %lld %lld %lld\n", t, (long long)rss0, (long long)rss1,
           (long long)dlg.m_strReceive.GetLength());
    return 0;
}

// cat MiB [baud]: seconds for `head -c` to drain the flood from the same kind of port; with a
// baud rate, the reader's CPU seconds over the paced flood instead (and its seconds).
int CaseCat(const std::vector<std::string>& a) {
    int64_t n = (int64_t)(std::stod(a.at(0)) * kMiB);
    std::vector<std::string> args = {"-f", std::to_string(n)};
    if (a.size() > 1) args.insert(args.end(), {"-b", a[1]});
    Sandbox sb;
    VirtualDevice dev(VdevPath(), sb.ports(), 3, args);
    if (!dev.ok()) return Fail("no virtual device");
    int fd = OpenSlave(dev.slave());
    if (fd < 0) return Fail("slave not opened");
    pid_t pid = SpawnReader(fd, n);
    usleep(50000);
    double t0 = NowSec();
    if (write(fd, "AT+FLOOD\r\n", 10) != 10) return Fail("command not written");
    double cpu = 0;
    for (;;) {  // the reader's CPU time just before it ends
        double c = CpuSecOf(pid);
        if (c > 0 || cpu == 0) cpu = std::max(cpu, c);
        int st;
        if (waitpid(pid, &st, WNOHANG) == pid) {
            if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) return Fail("reader failed");
            break;
        }
        usleep(a.size() > 1 ? 20000 : 200);
    }
    double t = NowSec() - t0;
    close(fd);
    printf("%.6f %.6f\n", t, cpu);
    return 0;
}

// pace seconds text|binary|hex [log]: the virtual device streams at 921600 baud; CPU seconds
// of this process over that time, the bytes received (all checked) and the wall time. With
// "log", the live log writes the receive text to a file as well (checked too). On the X
// display, the X server's CPU seconds over the same time come fourth.
int CasePace(const std::vector<std::string>& a) {
    double secs = std::stod(a.at(0));
    Mode mode(a.at(1));
    PacedStream stream(secs, mode);
    const int64_t n = stream.bytes;
    VirtualDevice& dev = stream.dev;
    if (!dev.ok()) return Fail("no virtual device");
    DialogBench b;
    if (!b.ok() || !b.OpenPort(3, mode.hex)) return Fail("port not opened");
    CKIVERNDlg& dlg = b.dlg();
    bool bLog = a.size() > 2 && a[2] == "log";
    std::string logPath = std::filesystem::current_path().string() + "/live.txt";
    if (bLog) {
        dlg.m_settings.m_bLiveLog = TRUE;
        dlg.m_settings.m_strLiveLogPath = logPath;
        dlg.ApplySettings();
        if (!dlg.m_liveLog.IsLogging()) return Fail("live log not started");
    }
    Loop().Run([] { return false; }, 0.2);
    const char* qpa = getenv("QT_QPA_PLATFORM");
    pid_t xpid = qpa && std::string(qpa) == "xcb" ? XServerPid() : -1;
    double c0 = CpuSec(), t0 = NowSec(), x0 = xpid > 0 ? CpuSecOf(xpid) : 0;
    dlg.SendQuickCommand("AT+FLOOD", FALSE);
    // Idle waiting: the loop sleeps until the dialog's own timers and messages wake it.
    bool done = Loop().Run([&] { return dlg.m_nRxBytes >= n; }, secs * 2 + 10, 250);
    Loop().Run([] { return false; }, 0.1);  // the last refresh
    if (bLog) dlg.m_liveLog.WaitWritten(INFINITE);
    double cpu = CpuSec() - c0, t = NowSec() - t0, xcpu = xpid > 0 ? CpuSecOf(xpid) - x0 : 0;
    if (!done || dlg.m_nRxBytes != n || !CheckReceiveText(dlg.m_strReceive, n, mode))
        return Fail("paced flood incomplete or wrong");
    if (bLog && std::filesystem::file_size(logPath) != (uintmax_t)dlg.m_strReceive.GetLength())
        return Fail("live log incomplete");
    printf("%.6f %lld %.6f %.6f\n", cpu, (long long)n, t, xcpu);
    return 0;
}

// responsive text|binary|hex seconds: during a full-speed flood, the lateness of a 10 ms timer on
// the UI thread (99th percentile, ms) and the time from a click on the clear button (a
// mouse press and release through the event queue) to its handler (ms, the worst of them).
int CaseResponsive(const std::vector<std::string>& a) {
    Mode mode(a.at(0));
    double secs = std::stod(a.at(1));
    Sandbox sb;
    VirtualDevice dev(VdevPath(), sb.ports(), 3,
                      mode.DeviceArgs({"-f", std::to_string(1ll << 40)}));
    if (!dev.ok()) return Fail("no virtual device");
    DialogBench b;
    if (!b.ok() || !b.OpenPort(3, mode.hex)) return Fail("port not opened");
    CKIVERNDlg& dlg = b.dlg();
    QAbstractButton* clear = b.button(IDC_CLEAR_RX_BUTTON);
    dlg.SendQuickCommand("AT+FLOOD", FALSE);
    Loop().Run([] { return false; }, 0.3);  // the flood is under way

    std::vector<double> late, clicks;
    double clickAt = 0;
    int64_t received = 0;
    // Connected after the dialog's own handler, so this runs right after it.
    QObject::connect(clear, &QAbstractButton::clicked, [&] {
        if (clickAt > 0) clicks.push_back((NowSec() - clickAt) * 1e3);
        clickAt = 0;
    });
    QTimer tick, click;
    tick.setTimerType(Qt::PreciseTimer);
    double due = NowSec() + 0.010;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        double now = NowSec();
        late.push_back(std::max(0.0, now - due) * 1e3);
        due = now + 0.010;
    });
    tick.start(10);
    QObject::connect(&click, &QTimer::timeout, [&] {
        if (clickAt > 0) return;  // the last one is still waiting
        received += dlg.m_nRxBytes;
        QPointF pos(clear->width() / 2.0, clear->height() / 2.0);
        QPointF global = clear->mapToGlobal(pos);
        clickAt = NowSec();
        QCoreApplication::postEvent(
            clear, new QMouseEvent(QEvent::MouseButtonPress, pos, global, Qt::LeftButton,
                                   Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(
            clear, new QMouseEvent(QEvent::MouseButtonRelease, pos, global, Qt::LeftButton,
                                   Qt::NoButton, Qt::NoModifier));
    });
    click.start(250);
    Loop().Run([] { return false; }, secs, 1000);
    tick.stop();
    click.stop();
    if (clickAt > 0) clicks.push_back((NowSec() - clickAt) * 1e3);  // never handled
    if (clicks.empty() || received == 0) return Fail("no data or no click");
    double worst = *std::max_element(clicks.begin(), clicks.end());
    // A flood faster than the display for seconds on end fills the port's buffer: what it
    // drops is counted and reported, not checked here.
    printf("%.3f %.3f %zu %zu %.3f %llu\n", Percentile(late, 99), worst, late.size(), clicks.size(),
           received / (double)kMiB / secs, (unsigned long long)dlg.m_SerialPort.GetOverflowCount());
    return 0;
}

}  // namespace kvbench
