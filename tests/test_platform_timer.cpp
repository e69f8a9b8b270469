// Timers on the real clock whose handlers take longer than their period.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/ui/window.h"
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

}  // namespace

TEST(TimerTest, WhatWaitsIsHandledBetweenTwoSlowTicks) {
    CSlowTickWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageOnly());
    wnd.SetTimer(1, 10, nullptr);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return wnd.m_log.size() >= 10; }, 5000));
    EXPECT_EQ(wnd.m_log, "TPTPTPTPTP");
    wnd.DestroyWindow();
}
