#include "testing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <cstdlib>

#include "window_impl.h"

namespace kvtest {

void StartTestApplication(int& argc, char** argv) {
    static QApplication* app = nullptr;
    if (app) return;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app = new QApplication(argc, argv);
    kvimpl::InstallFontSubstitutes();
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
