#include "testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/app/app.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"

namespace kvtest {

void StartTestApplication(int& argc, char** argv) {
    static QApplication* app = nullptr;
    if (app) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The user's own settings never reach a test: each test program starts with none.
    static char configDir[] = "/tmp/kivern-test-config-XXXXXX";
    if (mkdtemp(configDir)) {
        setenv("XDG_CONFIG_HOME", configDir, 1);
        atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(configDir, ec);
        });
        // The offscreen screen is 800 x 600 unless configured; the window is laid out for a
        // desktop screen, 1920 x 1200 unless KVTEST_SCREEN (WIDTHxHEIGHT) says otherwise.
        int w = 1920, h = 1200;
        if (const char* size = getenv("KVTEST_SCREEN")) sscanf(size, "%dx%d", &w, &h);
        std::string screen = std::string(configDir) + "/screen.json";
        if (FILE* f = fopen(screen.c_str(), "w")) {
            fprintf(f,
                    "{\"screens\": [{\"name\": \"test\", \"x\": 0, \"y\": 0, \"width\": %d, "
                    "\"height\": %d, \"logicalDpi\": 96}]}\n",
                    w, h);
            fclose(f);
            if (strcmp(getenv("QT_QPA_PLATFORM"), "offscreen") == 0)
                setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screen).c_str(), 1);
        }
    }
    app = new QApplication(argc, argv);
    AfxInitFramework();
}

void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        kvimpl::ProcessSentMessages();
        if (t.elapsed() < ms) QThread::usleep(200);
    } while (t.elapsed() < ms);
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() >= timeoutMs) return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        kvimpl::ProcessSentMessages();
        QThread::usleep(200);
    }
    return true;
}

}  // namespace kvtest

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "platform/logview/logview.h"

namespace kvtest {

std::vector<int> ChildControlIds(CWnd* pWnd) {
    std::vector<int> ids;
    QWidget* w = kvimpl::WidgetOf(pWnd);
    if (!w) return ids;
    for (QObject* o : w->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        HWND h = c ? kvimpl::OwnHandleOfWidget(c) : nullptr;
        if (CWnd* p = h ? kvimpl::LookupWindow(h) : nullptr) ids.push_back(p->GetDlgCtrlID());
    }
    return ids;
}

std::string ControlKind(CWnd* pCtrl) {
    QWidget* w = kvimpl::WidgetOf(pCtrl);
    if (qobject_cast<LogView*>(w)) return "logedit";
    if (qobject_cast<QPlainTextEdit*>(w)) return "multiedit";
    if (qobject_cast<QLineEdit*>(w)) return "edit";
    if (auto* cb = qobject_cast<QComboBox*>(w)) return cb->isEditable() ? "dropdown" : "droplist";
    if (qobject_cast<QCheckBox*>(w)) return "checkbox";
    if (qobject_cast<QPushButton*>(w)) return "pushbutton";
    if (qobject_cast<QGroupBox*>(w)) return "groupbox";
    if (auto* lb = qobject_cast<QLabel*>(w)) return lb->pixmap().isNull() ? "label" : "icon";
    return "?";
}

bool IsTabStop(CWnd* pCtrl) {
    QWidget* w = kvimpl::WidgetOf(pCtrl);
    return w && (w->focusPolicy() & Qt::TabFocus);
}

void PressKey(CWnd* pWnd, int qtKey, int qtModifiers) {
    QWidget* w = kvimpl::WidgetOf(pWnd);
    if (!w) return;
    QWidget* target = w->focusWidget() ? w->focusWidget() : w;
    QTest::keyClick(target, Qt::Key(qtKey), Qt::KeyboardModifiers(qtModifiers));
}

void TypeText(CWnd* pCtrl, const std::string& utf8) {
    QWidget* w = kvimpl::WidgetOf(pCtrl);
    if (!w) return;
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        le->setFocus();
        le->insert(QString::fromStdString(utf8));
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        pe->setFocus();
        pe->insertPlainText(QString::fromStdString(utf8));
    } else if (auto* cb = qobject_cast<QComboBox*>(w)) {
        if (cb->lineEdit()) cb->lineEdit()->insert(QString::fromStdString(utf8));
    }
}

void Click(CWnd* pCtrl) {
    if (auto* b = qobject_cast<QAbstractButton*>(kvimpl::WidgetOf(pCtrl))) b->click();
}

int FontPixelSize(CWnd* pCtrl) {
    QWidget* w = kvimpl::WidgetOf(pCtrl);
    return w ? w->font().pixelSize() : 0;
}

int FontWeight(CWnd* pCtrl) {
    QWidget* w = kvimpl::WidgetOf(pCtrl);
    return w ? (int)w->font().weight() : 0;
}

bool IsDialogVisible(CWnd* pDlg) {
    QWidget* w = kvimpl::WidgetOf(pDlg);
    return w && w->isVisible();
}

}  // namespace kvtest
