// Responsiveness while a port connects: the longest gap between two turns of the UI thread's
// 10 ms timer (row 4's method) while the real dialog opens a network port on a server that
// accepts and never speaks, and while its reconnect wait faces a link that comes and goes.
#include <netinet/in.h>
#include <sys/socket.h>

#include <QTimer>
#include <atomic>
#include <random>
#include <thread>

#include "bench/cases.h"
#include "bench/dialog_harness.h"
#include "platform/app/devnotify.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/ui_hooks.h"
#include "tests/support/ser2net.h"

namespace kvbench {

namespace {

// The UI thread's 10 ms timer: how late each turn came, and the longest gap between turns.
class GapWatch {
public:
    GapWatch() {
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            double now = NowSec();
            m_late.push_back(std::max(0.0, now - m_due) * 1e3);
            m_maxGap = std::max(m_maxGap, (now - m_last) * 1e3);
            m_last = now;
            m_due = now + 0.010;
        });
        m_last = NowSec();
        m_due = m_last + 0.010;
        m_tick.start(10);
    }
    double MaxGap() const { return m_maxGap; }
    double P99() const { return Percentile(m_late, 99); }

private:
    QTimer m_tick;
    std::vector<double> m_late;
    double m_last = 0, m_due = 0, m_maxGap = 0;
};

// A server on 127.0.0.1 that lets connections in (the kernel accepts them) and never speaks.
struct SilentServer {
    SilentServer() { fd = kvtest::ListenLocal(0, 16, &port); }
    ~SilentServer() { close(fd); }
    int fd = -1, port = 0;
};

}  // namespace

// connect silent SECONDS: COM7 on a server that never speaks, opened with the open button;
// after SECONDS (less than the negotiation's few seconds) the button cancels. Prints the
// longest UI gap (ms), the timer's p99 lateness (ms), and the time the cancel took (ms).
// connect flap SECONDS: COM3 on a pseudo-terminal, open, reconnect on; its link then goes and
// comes back every 0.1-0.3 s for SECONDS, and stays. Prints the longest UI gap, the p99
// lateness, and the seconds until the port was open again after the link stayed.
int CaseConnect(const std::vector<std::string>& a) {
    const std::string what = a.at(0);
    const double secs = std::stod(a.at(1));
    SetMessageBoxHook([](const MessageBoxRecord&) { return IDOK; });
    char ports[256];
    snprintf(ports, sizeof ports, "%s", getenv("KIVERN_PORTS_DIR"));
    if (what == "silent") {
        SilentServer server;
        std::string url = "rfc2217://127.0.0.1:" + std::to_string(server.port);
        if (symlink(url.c_str(), (std::string(ports) + "/com7").c_str()) != 0)
            return Fail("no link");
        DialogBench b;
        if (!b.ok()) return Fail("no dialog");
        CKIVERNDlg& dlg = b.dlg();
        dlg.m_cbPort.SetCurSel(dlg.m_cbPort.FindStringExact(-1, "COM7"));
        GapWatch gaps;
        b.ClickId(IDC_OPEN_BUTTON);
        Loop().Run([] { return false; }, secs);
        CString status;
        dlg.m_stStatus.GetWindowText(status);
        if (status != "COM7 连接中...") return Fail("not connecting: %s", (const char*)status);
        const double t0 = NowSec();
        b.ClickId(IDC_OPEN_BUTTON);
        const double cancelMs = (NowSec() - t0) * 1e3;
        if (dlg.m_netConnect.IsRunning()) return Fail("not cancelled");
        Loop().Run([] { return false; }, 0.2);
        printf("%.3f %.3f %.3f\n", gaps.MaxGap(), gaps.P99(), cancelMs);
        return 0;
    }
    // flap
    const std::string link = std::string(ports) + "/com3";
    VirtualDevice dev(VdevPath(), ports, 3, {});
    if (!dev.ok()) return Fail("no virtual device");
    StartDeviceNotifications();
    DialogBench b;
    CKIVERNDlg& dlg = b.dlg();
    dlg.m_settings.m_bReconnect = TRUE;
    dlg.m_settings.m_nReconnectSecs = 30;
    if (!b.ok() || !b.OpenPort(3, false)) return Fail("port not opened");
    std::atomic<bool> stop{false};
    GapWatch gaps;
    std::thread flapper([&] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<int> ms(100, 300);
        const double end = NowSec() + secs;
        while (NowSec() < end && !stop) {
            unlink(link.c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(ms(rng)));
            (void)!symlink(dev.slave().c_str(), link.c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(ms(rng)));
        }
    });
    Loop().Run([] { return false; }, secs);
    stop = true;
    flapper.join();
    const double t0 = NowSec();
    bool open = Loop().Run([&] { return dlg.m_strPortState == "打开"; }, 10);
    const double reopenSec = NowSec() - t0;
    StopDeviceNotifications();
    if (!open) {
        CString status;
        dlg.m_stStatus.GetWindowText(status);
        return Fail("not reopened; status \"%s\"", (const char*)status);
    }
    printf("%.3f %.3f %.3f\n", gaps.MaxGap(), gaps.P99(), reopenSec);
    return 0;
}

}  // namespace kvbench
