#include "clock.h"

#include <QDateTime>
#include <algorithm>
#include <utility>

#include "platform/ui/clock.h"
#include "platform/ui/timer.h"
#include "platform/ui/ui_hooks.h"

namespace {

class VirtualClock : public Clock {
public:
    int64_t NowMs() override { return m_now; }
    int64_t WallMs() override { return m_startWall + m_now; }
    void WakeAt(int64_t atMs, std::function<void()> wake) override {
        m_wakeAt = atMs;
        m_wake = std::move(wake);
    }
    void CancelWake() override { m_wake = nullptr; }

    void Start(const SYSTEMTIME& s) {
        QDateTime start(QDate(s.wYear, s.wMonth, s.wDay),
                        QTime(s.wHour, s.wMinute, s.wSecond, s.wMilliseconds));
        m_startWall = start.toMSecsSinceEpoch();
        m_now = 0;
        m_wake = nullptr;
    }
    // Runs each wake-up that falls within the next ms, in order, at its own time.
    void Advance(int64_t ms) {
        const int64_t target = m_now + ms;
        while (m_wake && m_wakeAt <= target) {
            m_now = std::max(m_now, m_wakeAt);
            std::function<void()> wake = std::move(m_wake);
            m_wake = nullptr;
            wake();
        }
        m_now = target;
    }

private:
    int64_t m_now = 0;
    int64_t m_startWall = 0;
    int64_t m_wakeAt = 0;
    std::function<void()> m_wake;
};

VirtualClock& TheVirtualClock() {
    static VirtualClock s_clock;
    return s_clock;
}

}  // namespace

namespace kvtest {

void UseVirtualClock(const SYSTEMTIME& start) {
    TheVirtualClock().Start(start);
    SetClock(&TheVirtualClock());
}

void UseRealClock() { SetClock(nullptr); }

void AdvanceClock(int64_t ms) { TheVirtualClock().Advance(ms); }

int64_t ClockNowMs() { return CurrentClock().NowMs(); }

int64_t TimerPeriod(HWND hWnd, UINT_PTR nIDEvent) { return kvimpl::TimerPeriod(hWnd, nIDEvent); }

}  // namespace kvtest
