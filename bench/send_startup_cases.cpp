// Send throughput: a text in the send box sent with the send button through a pseudo-terminal
// whose other end a thread drains, against `write` of the same bytes in a loop. Start-up:
// the time from the process's start until the main window has been drawn, against a minimal
// Qt dialog with the same fonts.
#include <poll.h>
#include <stdlib.h>
#include <termios.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTranslator>
#include <QVBoxLayout>
#include <atomic>
#include <thread>

#include "bench/cases.h"
#include "bench/dialog_harness.h"
#include "platform/app/devnotify.h"

namespace kvbench {
namespace {

// A pseudo-terminal whose slave is registered as COMn; a thread drains the master side.
class Drained : public LinkedPty {
public:
    Drained(const std::string& portsDir, unsigned n, size_t expect)
        : LinkedPty(portsDir, n), m_expect(expect) {
        m_got.reserve(expect);
        m_thread = std::thread([this] { Drain(); });
    }
    ~Drained() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    bool Complete() const { return m_count >= m_expect; }
    double DoneAt() const { return m_doneAt; }
    const std::string& Got() const { return m_got; }  // after Complete()

private:
    void Drain() {
        std::vector<char> buf(65536);
        while (!m_stop) {
            pollfd p = {m_master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            ssize_t r = read(m_master, buf.data(), buf.size());
            if (r <= 0) continue;
            m_got.append(buf.data(), (size_t)r);
            m_count = m_got.size();
            if (m_count >= m_expect && m_doneAt == 0) m_doneAt = NowSec();
        }
    }
    std::string m_got;
    size_t m_expect;
    std::atomic<size_t> m_count{0};
    std::atomic<double> m_doneAt{0};
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

std::string SendText(size_t n) {
    std::string s;
    char line[96];
    for (unsigned i = 0; s.size() < n; ++i)
        s.append(line, (size_t)snprintf(line, sizeof line, "AT+DATA=%08u,0123456789ABCDEF\r\n", i));
    s.resize(n - 2);
    return s + "\r\n";
}

}  // namespace

// send MiB: seconds from the click on the send button until the other end has every byte.
int CaseSend(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string text = SendText(n);
    Drained port(sb.ports(), 3, n);
    if (!port.ok()) return Fail("no pseudo-terminal");
    DialogBench b;
    if (!b.ok() || !b.OpenPort(3, false)) return Fail("port not opened");
    CKIVERNDlg& dlg = b.dlg();
    dlg.m_strSend = CString(text.data(), (int)text.size());
    dlg.UpdateData(FALSE);
    QCoreApplication::processEvents();
    double t0 = NowSec();
    b.ClickId(IDC_SEND_BUTTON);
    if (!Loop().Run([&] { return port.Complete(); }, 60, 1)) return Fail("not all sent");
    double t = port.DoneAt() - t0;
    if (port.Got() != text) return Fail("sent bytes differ");
    printf("%.6f\n", t);
    return 0;
}

// write MiB: the same bytes written to the slave with `write` in a loop.
int CaseWrite(const std::vector<std::string>& a) {
    size_t n = (size_t)(std::stod(a.at(0)) * kMiB);
    Sandbox sb;
    std::string text = SendText(n);
    Drained port(sb.ports(), 3, n);
    if (!port.ok()) return Fail("no pseudo-terminal");
    double t0 = NowSec();
    for (size_t done = 0; done < n;) {
        ssize_t w = write(port.slave(), text.data() + done, n - done);
        if (w > 0) done += (size_t)w;
    }
    while (!port.Complete()) usleep(100);
    double t = port.DoneAt() - t0;
    if (port.Got() != text) return Fail("written bytes differ");
    printf("%.6f\n", t);
    return 0;
}

// startup app|minimal T0: seconds from T0 (the monotonic clock when the parent started this
// process) until the window's first paint has finished.
int CaseStartup(const std::vector<std::string>& a, int argc, char** argv) {
    bool app = a.at(0) == "app";
    double t0 = std::stod(a.at(1));
    Sandbox sb;
    QApplication qapp(argc, argv);
    kvimpl::InstallFontSubstitutes();
    double shown = 0;
    std::unique_ptr<QObject> watch;
    std::unique_ptr<QDialog> minimal;
    QTranslator qtTexts;
    if (app) {
        // As the program starts: names, Qt's own Chinese texts, device notifications.
        QApplication::setApplicationName(QStringLiteral("kivern"));
        if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QApplication::installTranslator(&qtTexts);
        StartDeviceNotifications();
        AfxSetResources(&g_KivernResources);
        auto* d = new CKIVERNDlg;
        d->Create(IDD_MAIN_DIALOG);  // shows the window
        watch.reset(new PaintWatch(kvimpl::WidgetOf(d), [&] {
            if (shown == 0) shown = NowSec();
        }));
        Loop().Run([&] { return shown > 0; }, 30, 1);
        d->DestroyWindow();
        delete d;
        StopDeviceNotifications();
    } else {
        minimal.reset(new QDialog);
        auto* lay = new QVBoxLayout(minimal.get());
        auto* edit = new QPlainTextEdit;
        edit->setFont(kvimpl::TemplateFont("\xd0\xc2\xcb\xce\xcc\xe5", 14, 550));  // GBK face
        auto* line = new QLineEdit(QStringLiteral("AT+VERS?"));
        line->setFont(kvimpl::TemplateFont("Arial", 15, 400));
        auto* label = new QLabel(QStringLiteral("RX: 0 Bytes"));
        label->setFont(kvimpl::TemplateFont("Consolas", 16, 800));
        lay->addWidget(edit);
        lay->addWidget(line);
        lay->addWidget(label);
        minimal->resize(1000, 650);
        watch.reset(new PaintWatch(minimal.get(), [&] {
            if (shown == 0) shown = NowSec();
        }));
        minimal->show();
        Loop().Run([&] { return shown > 0; }, 30, 1);
    }
    if (shown == 0) return Fail("never drawn");
    printf("%.6f\n", shown - t0);
    return 0;
}

}  // namespace kvbench
