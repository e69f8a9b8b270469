// Opening and closing while data streams in and writes go out, many times over: the engine
// and the dialog end every monitoring thread, keep their descriptors, and report nothing.
// Meant for the thread and address sanitizers as much as for the plain build.
// KIVERN_CYCLES (default 1000) and KIVERN_DIALOG_CYCLES (default 100) scale it.
#include <cstdio>

#include "support/port_dialog.h"
#include "support/reliability.h"

namespace {

class CCountWnd : public CWnd {
public:
    uint64_t m_nBytes = 0;
    uint64_t m_nMessages = 0;
    LRESULT OnSerialReceive(WPARAM wParam, LPARAM lParam) {
        // The bytes are valid during the call only: touch every one of them.
        const unsigned char* p = (const unsigned char*)wParam;
        unsigned sum = 0;
        for (LPARAM i = 0; i < lParam; ++i) sum += p[i];
        m_nChecksum += sum;
        m_nBytes += (uint64_t)lParam;
        ++m_nMessages;
        return 1;
    }
    unsigned m_nChecksum = 0;
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountWnd, CWnd)
ON_MESSAGE(UM_SERIAL_RXBYTE, OnSerialReceive)
END_MESSAGE_MAP()

}  // namespace

TEST(ReliabilityCycles, EngineOpensAndClosesWhileDataStreams) {
    const long nCycles = kvtest::EnvNumber("KIVERN_CYCLES", 1000);
    kvtest::PortMapSandbox sandbox;
    kvtest::FakeDevice dev(sandbox.ports(), 5);
    ASSERT_TRUE(dev.ok());
    CCountWnd wnd;
    ASSERT_TRUE(wnd.CreateMessageOnly());
    MessageBoxRecorder boxes;
    {
        CSerialPort port;
        // Once before counting: the first opening creates the port object's events for good.
        ASSERT_TRUE(port.OpenPort(&wnd, 5, 921600, 'N', 8, 1, EV_RXCHAR, 1024));
        port.ClosePort();
        const int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
        kvtest::PatternStreamer device(dev.master(), 2000000);
        const char hello[] = "AT\r\n";
        for (long i = 0; i < nCycles && !::testing::Test::HasFailure(); ++i) {
            ASSERT_TRUE(port.OpenPort(&wnd, 5, 921600, 'N', 8, 1, EV_RXCHAR, 1024)) << i;
            ASSERT_TRUE(port.StartMonitor()) << i;
            switch (i % 4) {
                case 0:  // closed at once, maybe before the thread's first step
                    break;
                case 1:  // closed while deliveries wait for the window
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
                    break;
                case 2:  // a write between deliveries
                    kvtest::Pump(2);
                    port.SendBytes(hello, 4);
                    break;
                default:  // a long write, several blocks, while bytes keep coming
                    kvtest::Pump(1);
                    port.SendBytes(std::string(3000, 'w').data(), 3000);
                    kvtest::Pump(1);
                    break;
            }
            port.ClosePort();
            ASSERT_FALSE(port.IsMonitoring()) << i;
        }
        device.Stop();
        EXPECT_EQ(kvtest::OpenFdCount(), fds + 0);
        EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::ThreadCount() <= threads; }, 5000));
        EXPECT_EQ(port.GetOverflowCount(), 0u);
        printf(
            "[ figures  ] %ld engine cycles, %llu bytes streamed, %llu delivered in %llu "
            "messages, %llu written\n",
            nCycles, (unsigned long long)device.Sent(), (unsigned long long)wnd.m_nBytes,
            (unsigned long long)wnd.m_nMessages, (unsigned long long)device.Swallowed());
        EXPECT_GT(wnd.m_nBytes, 0u);
        EXPECT_GT(device.Swallowed(), 0u);
    }
    EXPECT_EQ(boxes.Count(), 0u);
    wnd.DestroyWindow();
}

TEST_F(PortDialogTest, DialogOpensAndClosesWhileDataStreamsAndTimedSendsRun) {
    const long nCycles = kvtest::EnvNumber("KIVERN_DIALOG_CYCLES", 100);
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    m_dlg->m_strSend = "41540D0A";
    m_dlg->m_bHexSend = TRUE;
    m_dlg->m_strInterval = "10";
    m_dlg->m_nInterval = 10;
    m_dlg->m_bTimedSend = TRUE;
    m_dlg->m_bHexDisplay = TRUE;
    m_dlg->UpdateData(FALSE);
    MessageBoxRecorder boxes;
    OpenPort("COM3");
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    const int fds = kvtest::OpenFdCount(), threads = kvtest::ThreadCount();
    kvtest::PatternStreamer device(dev.master(), 921600);
    int64_t nRx = 0;
    for (long i = 0; i < nCycles && !HasFailure(); ++i) {
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        ASSERT_STREQ(m_dlg->m_strPortState, "打开") << i << ": " << boxes.Last().strText;
        for (int k = 0; k < (int)(i % 3); ++k) {
            kvtest::Pump(2);
            kvtest::AdvanceClock(10);  // timed sends and refreshes
        }
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        ASSERT_STREQ(m_dlg->m_strPortState, "关闭") << i;
        ASSERT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), -1) << i;
        ASSERT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RX_REFRESH), -1) << i;
        if (m_dlg->m_strReceive.GetLength() > (1 << 20)) {
            nRx += m_dlg->m_nRxBytes;
            kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
        }
    }
    device.Stop();
    nRx += m_dlg->m_nRxBytes;
    // Hex display: three units a byte, nothing else in the text.
    EXPECT_EQ(m_dlg->m_strReceive.GetLength() % 3, 0);
    // A leak stays; a descriptor still being let go by an ending thread does not.
    EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::OpenFdCount() <= fds; }, 5000))
        << fds << " before: " << kvtest::FdList();
    EXPECT_TRUE(kvtest::PumpUntil([&] { return kvtest::ThreadCount() <= threads; }, 5000));
    EXPECT_EQ(boxes.Count(), 0u) << boxes.Last().strText;
    printf("[ figures  ] %ld dialog cycles, %lld bytes received\n", nCycles, (long long)nRx);
}
