// Benchmark support: the real main dialog, created modeless in a scratch environment, with a
// port opened on a virtual device, and the real event loop run until a condition holds.
#pragma once
#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <memory>

#include "bench/bench_util.h"
#include "dialog/KIVERNDlg.h"
#include "platform/logview/logview.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"
#include "res/resource.h"
#include "res/resources.h"
#include "tools/vdev/pattern.h"

namespace kvbench {

// Runs the real event loop until done() is true after some event, or timeoutSec passes.
// done() is looked at every pollMs milliseconds and whenever wake() is called.
class Loop {
public:
    bool Run(const std::function<bool()>& done, double timeoutSec, int pollMs = 5) {
        if (done()) return true;
        QEventLoop loop;
        QTimer poll, limit;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (done()) loop.quit();
        });
        QObject::connect(&limit, &QTimer::timeout, [&] { loop.quit(); });
        poll.start(pollMs);
        limit.setSingleShot(true);
        limit.start((int)(timeoutSec * 1000));
        loop.exec();
        return done();
    }
};

// Calls onPaint after each paint of a widget has finished.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* w, std::function<void()> onPaint) : m_on(std::move(onPaint)) {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            QMetaObject::invokeMethod(
                this, [this] { m_on(); }, Qt::QueuedConnection);
        return false;
    }

private:
    std::function<void()> m_on;
};

class DialogBench {
public:
    DialogBench() {
        AfxSetResources(&g_KivernResources);
        m_dlg = std::make_unique<CKIVERNDlg>();
        m_ok = m_dlg->Create(IDD_MAIN_DIALOG);
        Loop().Run([] { return false; }, 0.2);  // shown and laid out
    }
    ~DialogBench() {
        if (m_dlg && m_dlg->m_SerialPort.IsMonitoring()) ClickId(IDC_OPEN_BUTTON);
        if (m_dlg) m_dlg->DestroyWindow();
    }
    bool ok() const { return m_ok; }
    CKIVERNDlg& dlg() { return *m_dlg; }
    LogView* view() { return qobject_cast<LogView*>(kvimpl::WidgetOf(&m_dlg->m_editReceive)); }
    QAbstractButton* button(int id) {
        return qobject_cast<QAbstractButton*>(kvimpl::WidgetOf(m_dlg->GetDlgItem(id)));
    }
    void ClickId(int id) {
        if (QAbstractButton* b = button(id)) b->click();
    }
    // Selects COMn, opens it and lets the port's thread start (it purges the port first).
    bool OpenPort(unsigned n, bool hex) {
        m_dlg->m_bHexDisplay = hex ? TRUE : FALSE;
        m_dlg->UpdateData(FALSE);
        CString name;
        name.Format("COM%u", n);
        int i = m_dlg->m_cbPort.FindStringExact(-1, name);
        if (i < 0) return false;
        m_dlg->m_cbPort.SetCurSel(i);
        ClickId(IDC_OPEN_BUTTON);
        Loop().Run([] { return false; }, 0.1);
        return m_dlg->m_SerialPort.IsMonitoring() != FALSE;
    }

private:
    std::unique_ptr<CKIVERNDlg> m_dlg;
    bool m_ok = false;
};

// What a receive case shows, and what the device sends for it:
//   "text"   text display of the device's ASCII log lines (kivern-vdev --text)
//   "binary" text display of binary bytes of every value (the costly kind of text)
//   "hex"    hex display of binary bytes
struct Mode {
    explicit Mode(const std::string& name)
        : hex(name == "hex"),
          kind(name == "text" ? kvpattern::Kind::Text : kvpattern::Kind::Binary) {}
    bool hex;
    kvpattern::Kind kind;
    // The device's options for this mode's pattern.
    std::vector<std::string> DeviceArgs(std::vector<std::string> args) const {
        if (kind == kvpattern::Kind::Text) args.push_back("--text");
        return args;
    }
};

// The virtual device on COM3 of a sandbox of its own, ready to stream the mode's pattern at
// 921600 baud (92160 bytes a second) for secs seconds once it is sent AT+FLOOD.
struct PacedStream {
    PacedStream(double secs, const Mode& mode)
        : bytes((int64_t)(secs * 92160)),
          dev(VdevPath(), sb.ports(), 3,
              mode.DeviceArgs({"-f", std::to_string(bytes), "-b", "921600"})) {}
    int64_t bytes;
    Sandbox sb;
    VirtualDevice dev;
};

// What the receive text must hold after the first n bytes of the mode's flood: in hex
// display each byte as "%02X ", in text display every byte but 0x00.
int64_t ExpectedLength(int64_t n, const Mode& mode);
// Whether the receive text is exactly what the first n bytes of the flood give.
bool CheckReceiveText(const CString& s, int64_t n, const Mode& mode);

}  // namespace kvbench
