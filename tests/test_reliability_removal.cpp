// The device behind the open port is pulled while it floods, again and again: the dialog
// closes the port within a second of the notification, lists the right ports, keeps every
// byte it got before the removal, and leaves no descriptor, thread or timer behind.
// KIVERN_REMOVALS (default 100) sets the number of removals; the first
// KIVERN_REMOVALS_NOTIFIED (default 2) wait for the real notification thread.
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/app/app_hooks.h"
#include "platform/app/devnotify.h"
#include "support/port_dialog.h"
#include "support/reliability.h"

namespace {

using Clock = std::chrono::steady_clock;

class RemovalTest : public PortDialogTest {
protected:
    // One cycle: COM3 arrives, is opened, floods, and goes away mid-flood.
    // Returns the milliseconds from the notification to the closed port.
    int64_t PullWhileFlooding(int nCycle, bool bRealNotification) {
        m_devices.push_back(std::make_unique<kvtest::FakeDevice>(m_dir + "/ports", 3));
        kvtest::FakeDevice& dev = *m_devices.back();
        EXPECT_TRUE(dev.ok());
        if (bRealNotification)  // else the arrival and the removal fall into one burst
            EXPECT_TRUE(kvtest::PumpUntil(
                [&] { return m_nArrivals.load() > 0 && m_dlg->m_cbPort.GetCount() == 2; }, 3000));
        else
            m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        m_nArrivals = 0;
        EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 2) << nCycle;
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
        OpenPort("COM3");
        EXPECT_STREQ(m_dlg->m_strPortState, "打开") << nCycle;
        {
            kvtest::PatternStreamer flood(dev.master(), m_nFloodBaud);
            for (int i = 0; i < 2 + nCycle % 5; ++i) {
                kvtest::Pump(5);
                kvtest::AdvanceClock(30);
            }
            flood.Stop();  // before the master goes: its descriptor must not be reused under it
            m_nStreamed += flood.Sent();
            m_nOverflow = m_dlg->m_SerialPort.GetOverflowCount();
        }
        // The adapter is pulled: its link goes, its pseudo-terminal hangs up.
        m_devices.pop_back();
        int64_t start = 0;
        if (bRealNotification) {
            EXPECT_TRUE(kvtest::PumpUntil([&] { return m_nRemovedAt.load() != 0; }, 3000))
                << nCycle;
            start = m_nRemovedAt.exchange(0);
        } else {
            // As the notification thread does it: posted from another thread.
            start = Now();
            std::thread([] {
                BroadcastToTopLevelWindows(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
            }).join();
        }
        EXPECT_TRUE(kvtest::PumpUntil([&] { return m_dlg->m_strPortState == "关闭"; }, 1000))
            << nCycle;
        int64_t took = Now() - start;

        EXPECT_FALSE(m_dlg->m_SerialPort.IsMonitoring()) << nCycle;
        EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口") << nCycle;
        EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 1) << nCycle;
        CString first;
        m_dlg->m_cbPort.GetLBText(0, first);
        EXPECT_STREQ(first, "COM4") << nCycle;
        EXPECT_TRUE(Enabled(IDC_OPEN_BUTTON)) << nCycle;
        EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RX_REFRESH), -1) << nCycle;
        // What was delivered is there, whole and in order.
        std::string want = kvtest::RenderPattern(0, (uint64_t)m_dlg->m_nRxBytes, false);
        EXPECT_TRUE(m_dlg->m_strReceive.str() == want) << nCycle << " overflow " << m_nOverflow;
        m_nDelivered += m_dlg->m_nRxBytes;
        return took;
    }
    static int64_t Now() {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   Clock::now().time_since_epoch())
            .count();
    }
    std::atomic<int> m_nArrivals{0};
    std::atomic<int64_t> m_nRemovedAt{0};
    long m_nFloodBaud = kvtest::EnvNumber("KIVERN_FLOOD_BAUD", 9216000);
    uint64_t m_nOverflow = 0;
    uint64_t m_nStreamed = 0;
    int64_t m_nDelivered = 0;
};

}  // namespace

TEST_F(RemovalTest, PullingTheDeviceMidFloodClosesThePortAndLosesNothingDelivered) {
    const long nRemovals = kvtest::EnvNumber("KIVERN_REMOVALS", 100);
    const long nNotified = std::min(nRemovals, kvtest::EnvNumber("KIVERN_REMOVALS_NOTIFIED", 2));
    AddDevice(4);
    CreateDialog();
    MessageBoxRecorder boxes;
    int64_t slowest = 0;

    SetDeviceChangeHook([&](WPARAM type) {
        if (type == DBT_DEVICEREMOVECOMPLETE) m_nRemovedAt = Now();
        if (type == DBT_DEVICEARRIVAL) ++m_nArrivals;
    });
    StartDeviceNotifications();
    for (int i = 0; i < nNotified; ++i) slowest = std::max(slowest, PullWhileFlooding(i, true));
    StopDeviceNotifications();
    SetDeviceChangeHook(nullptr);

    // The first cycles made the port object's events and the notification window for good.
    kvtest::Pump(50);
    const int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
    for (int i = (int)nNotified; i < nRemovals && !HasFailure(); ++i)
        slowest = std::max(slowest, PullWhileFlooding(i, false));

    EXPECT_LE(slowest, 1000);
    EXPECT_EQ(boxes.Records().size(), 0u);
    EXPECT_EQ(kvtest::OpenFdCount(), fds);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::ThreadCount() <= threads; }, 5000));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), -1);
    EXPECT_GT(m_nDelivered, 0);
    printf("[ figures  ] %ld removals, %llu bytes flooded, %lld delivered, slowest close %lld ms\n",
           nRemovals, (unsigned long long)m_nStreamed, (long long)m_nDelivered, (long long)slowest);
}
