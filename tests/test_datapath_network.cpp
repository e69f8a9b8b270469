// A network port in the window, served by ser2net: opening, the status, data, the server
// going away and coming back with reconnect on, a refused connection; servers that stall the
// connecting, which runs in the background and can be cancelled.
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

#include "platform/ui/window_p.h"
#include "support/port_dialog.h"
#include "support/ser2net.h"

namespace {

class NetworkPortTest : public PortDialogTest {
protected:
    void SetUp() override {
        if (!kvtest::Ser2netPath()) GTEST_SKIP() << "ser2net is not installed";
        PortDialogTest::SetUp();
    }
    // A device served on COM7 by a fresh ser2net.
    // A server on 127.0.0.1:port (0: none) that accepts every connection and closes it at once.
    class AcceptAndDrop {
    public:
        explicit AcceptAndDrop(int port) {
            if (!port) return;
            m_fd = kvtest::ListenLocal(port, 8);
            EXPECT_GE(m_fd, 0);
            m_thread = std::thread([this] {
                for (int c; (c = accept(m_fd, nullptr, nullptr)) >= 0;) close(c);
            });
        }
        ~AcceptAndDrop() {
            if (m_fd < 0) return;
            shutdown(m_fd, SHUT_RDWR);
            m_thread.join();
            close(m_fd);
        }

    private:
        int m_fd = -1;
        std::thread m_thread;
    };
    kvtest::Ser2net& Serve(bool rfc2217) {
        kvtest::FakeDevice& dev = AddDevice(99);
        m_server = std::make_unique<kvtest::Ser2net>(dev.slavePath(), rfc2217);
        EXPECT_TRUE(m_server->Start());
        EXPECT_TRUE(CreatePortLink(7, m_server->url(rfc2217)));
        return *m_server;
    }
    // Opens as the button does, and lets the background connecting finish.
    void OpenNetPort(const char* name, const char* baud = nullptr) {
        OpenPort(name, baud);
        Settle();
    }
    void Settle() {
        kvtest::PumpUntil([&] { return !m_dlg->m_netConnect.IsRunning(); }, 15000);
        kvtest::Pump(20);
    }
    speed_t DeviceSpeed() {
        termios t;
        tcgetattr(m_devices.back()->slave(), &t);
        return cfgetospeed(&t);
    }
    std::unique_ptr<kvtest::Ser2net> m_server;
    MessageBoxRecorder m_boxes;
};

}  // namespace

TEST_F(NetworkPortTest, OpensSendsReceivesAndReopensWhenTheServerIsBack) {
    Serve(true);
    CreateDialog();
    m_dlg->m_settings.m_bReconnect = TRUE;
    OpenNetPort("COM7", "115200");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 OPENED, 115200");
    EXPECT_EQ(DeviceSpeed(), (speed_t)B115200);
    const std::string bytes("A\xff\r\n\x00Z", 6);
    m_devices.back()->Send(bytes);
    EXPECT_TRUE(WaitReceived(1));
    EXPECT_EQ(m_dlg->m_nRxBytes, 6);

    m_server->Stop();
    kvtest::PumpUntil([&] { return m_dlg->m_SerialPort.IsDeviceLost(); }, 5000);
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 等待重连...");
    // Refused, then accepted and dropped (as ser2net does once its device is gone): quietly.
    for (bool accepts : {false, true}) {
        AcceptAndDrop dropper(accepts ? m_server->port() : 0);
        for (int i = 0; i < 2; ++i) {
            kvtest::AdvanceClock(500);
            Settle();
        }
        EXPECT_STREQ(m_dlg->m_strPortState, "关闭") << accepts;
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 等待重连...") << accepts;
    }
    EXPECT_EQ(m_boxes.Count(), 0u);

    ASSERT_TRUE(m_server->Start());
    kvtest::AdvanceClock(500);
    Settle();
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 OPENED, 115200");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(NetworkPortTest, RawTcpSaysSettingsAreNotSent) {
    Serve(false);
    CreateDialog();
    OpenNetPort("COM7", "115200");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    // What fits the status label; the tip says it in full until the port is closed.
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 OPENED, raw TCP");
    QWidget* status = kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_STATUS_STATIC));
    EXPECT_EQ(status->toolTip(), "COM7 OPENED, raw TCP: settings not sent");
    EXPECT_EQ(m_boxes.Count(), 0u);
    m_dlg->OnBnClickedOpen();
    EXPECT_TRUE(status->toolTip().isEmpty());
}

TEST_F(NetworkPortTest, ARefusedServerFailsWithTheAddressAndTheReason) {
    kvtest::Ser2net& server = Serve(true);
    server.Stop();
    CreateDialog();
    OpenNetPort("COM7");
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    ASSERT_EQ(m_boxes.Count(), 1u);
    CString strWant = "串口7  无法连接 ";
    strWant += server.url().c_str();
    strWant += "\n连接被拒绝";
    EXPECT_STREQ(m_boxes.Last().strText, strWant);
    EXPECT_EQ(m_boxes.Last().nType, UINT(MB_OK | MB_ICONWARNING));
}

// A server that lets the connection in and then says nothing, or whose accept queue is full:
// the window goes on while the port connects, the status line says so, and 关闭串口 or
// closing the window ends the connecting at once.
TEST_F(NetworkPortTest, ConnectingRunsInTheBackgroundAndCanBeCancelled) {
    enum Stall { Silent, QueueFull };
    enum End { Cancel, CloseWindow };
    for (Stall stall : {Silent, QueueFull}) {
        for (End end : {Cancel, CloseWindow}) {
            int port = 0;
            int server = kvtest::ListenLocal(0, stall == QueueFull ? 0 : 8, &port);
            ASSERT_GE(server, 0);
            sockaddr_in a = {};
            a.sin_family = AF_INET;
            a.sin_port = htons((uint16_t)port);
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            std::vector<int> queued;  // connections that fill the queue, never accepted
            for (int i = 0; stall == QueueFull && i < 4; ++i) {
                int c = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
                connect(c, (sockaddr*)&a, sizeof a);
                queued.push_back(c);
            }
            kvtest::Pump(50);
            const std::string url = "rfc2217://127.0.0.1:" + std::to_string(port);
            ASSERT_TRUE(CreatePortLink(7, url));
            CreateDialog();
            OpenPort("COM7");
            EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 连接中...") << stall;
            EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "关闭串口");
            EXPECT_FALSE(Enabled(IDC_PORT_COMBO));
            EXPECT_FALSE(Enabled(IDC_SEND_BUTTON));
            EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
            EXPECT_TRUE(m_dlg->m_netConnect.IsRunning());
            if (end == Cancel) {
                kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
                EXPECT_FALSE(m_dlg->m_netConnect.IsRunning());
                EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 CLOSED");
                EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口");
                EXPECT_TRUE(Enabled(IDC_PORT_COMBO));
                kvtest::Pump(50);
                EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
            }
            m_dlg->DestroyWindow();
            m_dlg.reset();  // ends a connecting still under way
            EXPECT_EQ(m_boxes.Count(), 0u);
            for (int c : queued) close(c);
            close(server);
        }
    }
}
