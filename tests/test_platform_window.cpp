// Windows, messages between threads and timers.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <thread>

#include "platform/ui/clock.h"
#include "platform/ui/ui_hooks.h"
#include "platform/ui/window.h"
#include "support/clock.h"
#include "support/msgbox_recorder.h"
#include "support/testing.h"

namespace {

class CCountWnd : public CWnd {
public:
    int m_nTimer1 = 0, m_nTimer2 = 0, m_nUser = 0;
    std::vector<int64_t> m_timerTimes;
    std::thread::id m_userThread;
    void OnTimer(UINT_PTR id) {
        (id == 1 ? m_nTimer1 : m_nTimer2)++;
        m_timerTimes.push_back(kvtest::ClockNowMs());
    }
    LRESULT OnUser(WPARAM w, LPARAM l) {
        ++m_nUser;
        m_userThread = std::this_thread::get_id();
        return (LRESULT)(w + (WPARAM)l);
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountWnd, CWnd)
ON_WM_TIMER()
ON_MESSAGE(WM_USER + 1, OnUser)
END_MESSAGE_MAP()

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        SYSTEMTIME st{2024, 3, 2, 5, 14, 7, 9, 42};
        kvtest::UseVirtualClock(st);
        ASSERT_TRUE(wnd.CreateMessageOnly());
    }
    void TearDown() override {
        wnd.DestroyWindow();
        kvtest::UseRealClock();
    }
    CCountWnd wnd;
};

}  // namespace

TEST_F(WindowTest, SendMessageFromAnotherThreadRunsOnTheUiThreadAndReturnsTheResult) {
    std::atomic<LRESULT> result{0};
    std::thread t([&] { result = ::SendMessage(wnd.GetSafeHwnd(), WM_USER + 1, 40, 2); });
    ASSERT_TRUE(kvtest::PumpUntil([&] { return result.load() != 0; }, 3000));
    t.join();
    EXPECT_EQ(result.load(), 42);
    EXPECT_EQ(wnd.m_userThread, std::this_thread::get_id());
}

TEST_F(WindowTest, SentMessagesRunWhileAMessageBoxIsOpen) {
    std::atomic<bool> sent{false};
    std::thread t;
    // The "box" runs a modal loop of its own for a while; the sender must be answered in it.
    SetMessageBoxHook([&](const MessageBoxRecord&) {
        t = std::thread([&] { sent = ::SendMessage(wnd.GetSafeHwnd(), WM_USER + 1, 1, 1) == 2; });
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (sent) loop.quit();
        });
        poll.start(5);
        loop.exec();
        return IDOK;
    });
    AfxMessageBox("box", MB_OK);
    SetMessageBoxHook(nullptr);
    t.join();
    EXPECT_TRUE(sent);
}

TEST_F(WindowTest, PeekMessageRunsSentMessagesAndTakesPostedOnes) {
    std::atomic<bool> done{false};
    std::thread t([&] {
        ::SendMessage(wnd.GetSafeHwnd(), WM_USER + 1, 0, 0);
        done = true;
    });
    MSG msg;
    for (int i = 0; i < 2000 && !done; ++i) {
        PeekMessage(&msg, wnd.GetSafeHwnd(), 0, 0, PM_REMOVE);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    t.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(wnd.m_nUser, 1);
    ASSERT_TRUE(wnd.PostMessage(WM_USER + 1, 1, 2));
    ASSERT_TRUE(PeekMessage(&msg, wnd.GetSafeHwnd(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, (UINT)WM_USER + 1);
    EXPECT_EQ(DispatchMessage(&msg), 3);
    EXPECT_FALSE(PeekMessage(&msg, wnd.GetSafeHwnd(), 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, SendMessageToAWindowThatIsGoneFailsAtOnce) {
    HWND h = wnd.GetSafeHwnd();
    wnd.DestroyWindow();
    EXPECT_EQ(CWnd::FromHandle(h), nullptr);
    LRESULT r = 1;
    std::thread t([&] { r = ::SendMessage(h, WM_USER + 1, 1, 1); });
    t.join();  // would hang if the message waited for a window that no longer exists
    EXPECT_EQ(r, 0);
    EXPECT_FALSE(::PostMessage(h, WM_USER + 1, 0, 0));
    ASSERT_TRUE(wnd.CreateMessageOnly());
}

TEST_F(WindowTest, ASenderWaitingOnAWindowIsReleasedWhenTheWindowGoes) {
    std::atomic<bool> done{false};
    std::thread t([&] {
        ::SendMessage(wnd.GetSafeHwnd(), WM_USER + 1, 1, 1);
        done = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the sender is waiting now
    wnd.DestroyWindow();
    t.join();
    EXPECT_TRUE(done);
    EXPECT_EQ(wnd.m_nUser, 0);
    ASSERT_TRUE(wnd.CreateMessageOnly());
}

TEST_F(WindowTest, TimersFireOnTheVirtualClockRestartAndKeepTheMinimumPeriod) {
    wnd.SetTimer(1, 100, nullptr);
    kvtest::AdvanceClock(250);
    EXPECT_EQ(wnd.m_nTimer1, 2);
    // Setting a running timer restarts it with the new period from that moment.
    wnd.SetTimer(1, 30, nullptr);  // at 250
    kvtest::AdvanceClock(29);
    EXPECT_EQ(wnd.m_nTimer1, 2);
    kvtest::AdvanceClock(1);
    EXPECT_EQ(wnd.m_nTimer1, 3);
    EXPECT_EQ(wnd.m_timerTimes.back(), 280);
    // Periods below 10 ms run at 10 ms, 0 included.
    wnd.SetTimer(2, 0, nullptr);
    EXPECT_EQ(kvtest::TimerPeriod(wnd.GetSafeHwnd(), 2), 10);
    wnd.SetTimer(2, 2, nullptr);
    kvtest::AdvanceClock(100);
    EXPECT_EQ(wnd.m_nTimer2, 10);
    EXPECT_TRUE(wnd.KillTimer(2));
    EXPECT_FALSE(wnd.KillTimer(2));
    kvtest::AdvanceClock(100);
    EXPECT_EQ(wnd.m_nTimer2, 10);
}

TEST_F(WindowTest, LocalTimeFollowsTheVirtualClock) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    EXPECT_EQ(st.wYear, 2024);
    EXPECT_EQ(st.wMonth, 3);
    EXPECT_EQ(st.wDay, 5);
    EXPECT_EQ(st.wMilliseconds, 42);
    kvtest::AdvanceClock(1000 * 60 * 60 * 10 + 1);  // 10 hours on: the next day
    GetLocalTime(&st);
    EXPECT_EQ(st.wDay, 6);
    EXPECT_EQ(st.wHour, 0);
    EXPECT_EQ(st.wMilliseconds, 43);
}

TEST_F(WindowTest, TimersEndWithTheirWindow) {
    wnd.SetTimer(1, 10, nullptr);
    HWND h = wnd.GetSafeHwnd();
    wnd.DestroyWindow();
    EXPECT_EQ(kvtest::TimerPeriod(h, 1), -1);
    ASSERT_TRUE(wnd.CreateMessageOnly());
}
