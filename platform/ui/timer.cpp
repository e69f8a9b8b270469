// Window timers and local time over one clock (real, or virtual for tests).
#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <map>
#include <vector>

#include "platform/ui/clock.h"
#include "platform/ui/window_impl.h"

namespace {

struct TimerEntry {
    UINT period;
    int64_t due;
    bool busy = false;  // its handler runs (perhaps in a modal loop): not fired again meanwhile
};

struct Timers {
    std::map<std::pair<HWND, UINT_PTR>, TimerEntry> entries;
    bool isVirtual = false;
    int64_t virtualNow = 0;
    QDateTime virtualStart;
    QElapsedTimer real;
    QTimer* qtimer = nullptr;
};

Timers& T() {
    static Timers t;
    return t;
}

int64_t Now() {
    Timers& t = T();
    if (t.isVirtual) return t.virtualNow;
    if (!t.real.isValid()) t.real.start();
    return t.real.elapsed();
}

void Reschedule();

// One pass: fires each timer that is due at the pass's start once, earliest first. A timer's
// next due time is one period after it fired, so late timers do not pile up. A timer that is
// due again when its handler returns waits for the next pass, which comes only after the event
// loop has handled what is waiting: ticks never starve input, however slow their handlers.
void FireDue() {
    Timers& t = T();
    const int64_t now = Now();
    std::vector<std::pair<int64_t, std::pair<HWND, UINT_PTR>>> due;
    for (auto& kv : t.entries)
        if (!kv.second.busy && kv.second.due <= now) due.push_back({kv.second.due, kv.first});
    std::sort(due.begin(), due.end());
    for (auto& d : due) {
        auto it = t.entries.find(d.second);  // an earlier handler may have killed or reset it
        if (it == t.entries.end() || it->second.busy || it->second.due > now) continue;
        it->second.due = Now() + it->second.period;
        it->second.busy = true;
        if (CWnd* w = kvimpl::LookupWindow(d.second.first))
            kvimpl::Dispatch(w, WM_TIMER, d.second.second, 0);
        auto again = t.entries.find(d.second);
        if (again != t.entries.end()) again->second.busy = false;
    }
    Reschedule();
}

void Reschedule() {
    Timers& t = T();
    if (t.isVirtual) return;
    if (!t.qtimer) {
        t.qtimer = new QTimer;
        t.qtimer->setSingleShot(true);
        t.qtimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(t.qtimer, &QTimer::timeout, [] { FireDue(); });
    }
    if (t.entries.empty()) {
        t.qtimer->stop();
        return;
    }
    int64_t next = INT64_MAX;
    for (auto& kv : t.entries)
        if (!kv.second.busy) next = std::min(next, kv.second.due);
    if (next == INT64_MAX) return;
    t.qtimer->start((int)std::max<int64_t>(0, next - Now()));
}

}  // namespace

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*) {
    if (!m_hWnd) return 0;
    UINT period = std::max<UINT>(nElapse, 10);  // the platform's minimum period
    TimerEntry& e = T().entries[{m_hWnd.load(), nIDEvent}];
    e.period = period;
    e.due = Now() + period;
    Reschedule();
    return nIDEvent;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    BOOL found = T().entries.erase({m_hWnd.load(), nIDEvent}) > 0;
    Reschedule();
    return found;
}

void kvimpl::KillAllTimers(HWND hWnd) {
    if (!IsUiThread()) return;
    auto& e = T().entries;
    for (auto it = e.begin(); it != e.end();)
        it = it->first.first == hWnd ? e.erase(it) : std::next(it);
    Reschedule();
}

void GetLocalTime(SYSTEMTIME* p) {
    Timers& t = T();
    QDateTime dt =
        t.isVirtual ? t.virtualStart.addMSecs(t.virtualNow) : QDateTime::currentDateTime();
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

namespace kvtest {
void UseVirtualClock(const SYSTEMTIME& s) {
    Timers& t = T();
    t.entries.clear();
    if (t.qtimer) t.qtimer->stop();
    t.isVirtual = true;
    t.virtualNow = 0;
    t.virtualStart = QDateTime(QDate(s.wYear, s.wMonth, s.wDay),
                               QTime(s.wHour, s.wMinute, s.wSecond, s.wMilliseconds));
}
void UseRealClock() {
    Timers& t = T();
    t.entries.clear();
    t.isVirtual = false;
    Reschedule();
}
void AdvanceClock(int64_t ms) {
    Timers& t = T();
    int64_t target = t.virtualNow + ms;
    for (;;) {
        int64_t next = INT64_MAX;
        for (auto& kv : t.entries)
            if (!kv.second.busy) next = std::min(next, kv.second.due);
        if (next > target) break;
        t.virtualNow = std::max(t.virtualNow, next);
        FireDue();
    }
    t.virtualNow = target;
}
int64_t ClockNowMs() { return Now(); }
int64_t TimerPeriod(HWND hWnd, UINT_PTR id) {
    auto it = T().entries.find({hWnd, id});
    return it == T().entries.end() ? int64_t{-1} : int64_t{it->second.period};
}
}  // namespace kvtest
