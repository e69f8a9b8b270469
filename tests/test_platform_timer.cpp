// Timers on the real clock whose handlers take longer than their period, and a coalescable
// timer on the virtual clock riding on another thread's message.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/ui/window.h"
#include "support/clock.h"
#include "support/testing.h"

namespace {

// Each tick takes 30 ms of a 10 ms period and posts a message to its own window; the fifth
// tick stops the timer. The log shows what ran in which order: T a tick, P a posted message.
class CSlowTickWnd : public CWnd {
public:
    std::string m_log;
    int m_nTicks = 0;
    void OnTimer(UINT_PTR) {
        m_log += 'T';
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PostMessage(WM_USER + 1);
        if (++m_nTicks == 5) KillTimer(1);
    }
    LRESULT OnPosted(WPARAM, LPARAM) {
        m_log += 'P';
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSlowTickWnd, CWnd)
ON_WM_TIMER()
ON_MESSAGE(WM_USER + 1, OnPosted)
END_MESSAGE_MAP()

// Logs each tick by its timer's id, and each message of another thread as 'M'.
class CTickLogWnd : public CWnd {
public:
    std::string m_log;
    void OnTimer(UINT_PTR nID) { m_log += (char)('0' + nID); }
    LRESULT OnMessage(WPARAM, LPARAM) {
        m_log += 'M';
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTickLogWnd, CWnd)
ON_WM_TIMER()
ON_MESSAGE(WM_USER + 2, OnMessage)
END_MESSAGE_MAP()

}  // namespace

// Timer 1 may run 10 ms early on another thread's message; timer 2, a plain one, never does.
// Both have a period of 30 ms, started at 0.
TEST(TimerTest, ACoalescableTimerRunsEarlyOnlyOnAnotherThreadsMessageWhenNearlyDue) {
    kvtest::UseVirtualClock(SYSTEMTIME{2024, 3, 2, 5, 14, 7, 9, 42});
    CTickLogWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageOnly());
    wnd.SetCoalescableTimer(1, 30, nullptr, 10);
    wnd.SetTimer(2, 30, nullptr);
    const struct {
        int64_t advance;  // the clock moves on, then (maybe) another thread sends a message
        bool message;
        const char* log;  // what ran meanwhile, in order
    } rows[] = {
        {15, true, "M"},   // at 15 both are due in 15: nothing runs early
        {6, true, "M1"},   // at 21 timer 1 is due within 10: it runs with the message (next: 51)
        {9, false, "2"},   // at 30 timer 2 runs when due
        {10, true, "M"},   // at 40 timer 1 is due in 11
        {11, false, "1"},  // at 51 it runs when due, without a message (next: 81)
        {9, false, "2"},   // at 60
        {15, true, "M1"},  // at 75 timer 1 (due at 81) runs early; timer 2 (due at 90) does not
    };
    for (const auto& r : rows) {
        wnd.m_log.clear();
        kvtest::AdvanceClock(r.advance);
        if (r.message) {
            std::atomic<bool> done{false};
            std::thread t([&] {
                ::SendMessage(wnd.GetSafeHwnd(), WM_USER + 2, 0, 0);
                done = true;
            });
            kvtest::PumpUntil([&] { return done.load(); }, 3000);
            t.join();
        }
        EXPECT_EQ(wnd.m_log, r.log) << "at " << kvtest::ClockNowMs();
    }
    wnd.DestroyWindow();
    kvtest::UseRealClock();
}

TEST(TimerTest, WhatWaitsIsHandledBetweenTwoSlowTicks) {
    CSlowTickWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageOnly());
    wnd.SetTimer(1, 10, nullptr);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_log.size() >= 10; }, 5000));
    EXPECT_EQ(wnd.m_log, "TPTPTPTPTP");
    wnd.DestroyWindow();
}
