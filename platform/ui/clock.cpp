#include "platform/ui/clock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>

#include "platform/ui/ui_hooks.h"

namespace {

// The system's steady clock; wake-ups come from a single-shot precise Qt timer.
class SystemClock : public Clock {
public:
    int64_t NowMs() override {
        if (!m_elapsed.isValid()) m_elapsed.start();
        return m_elapsed.elapsed();
    }
    int64_t WallMs() override { return QDateTime::currentMSecsSinceEpoch(); }
    void WakeAt(int64_t atMs, std::function<void()> wake) override {
        if (!m_timer) {
            m_timer = new QTimer;
            m_timer->setSingleShot(true);
            m_timer->setTimerType(Qt::PreciseTimer);
            QObject::connect(m_timer, &QTimer::timeout, [this] {
                if (m_wake) m_wake();
            });
        }
        m_wake = std::move(wake);
        m_timer->start((int)std::max<int64_t>(0, atMs - NowMs()));
    }
    void CancelWake() override {
        if (m_timer) m_timer->stop();
    }

private:
    QElapsedTimer m_elapsed;
    QTimer* m_timer = nullptr;  // made on first use, on the UI thread
    std::function<void()> m_wake;
};

SystemClock& TheSystemClock() {
    static SystemClock s_clock;
    return s_clock;
}

Clock* g_pClock = nullptr;
unsigned g_nChanges = 0;

}  // namespace

Clock& CurrentClock() { return g_pClock ? *g_pClock : TheSystemClock(); }

void SetClock(Clock* pClock) {
    CurrentClock().CancelWake();
    g_pClock = pClock;
    ++g_nChanges;
}

unsigned ClockChanges() { return g_nChanges; }

uint64_t GetTickCount64() { return (uint64_t)CurrentClock().NowMs(); }

void GetLocalTime(SYSTEMTIME* p) {
    QDateTime dt = QDateTime::fromMSecsSinceEpoch(CurrentClock().WallMs());
    QDate d = dt.date();
    QTime tm = dt.time();
    p->wYear = (WORD)d.year();
    p->wMonth = (WORD)d.month();
    p->wDayOfWeek = (WORD)(d.dayOfWeek() % 7);
    p->wDay = (WORD)d.day();
    p->wHour = (WORD)tm.hour();
    p->wMinute = (WORD)tm.minute();
    p->wSecond = (WORD)tm.second();
    p->wMilliseconds = (WORD)tm.msec();
}
