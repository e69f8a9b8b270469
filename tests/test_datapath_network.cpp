// A network port in the window, served by ser2net: opening, the status, data, the server
// going away and coming back with reconnect on, a refused connection.
#include <termios.h>
#include <unistd.h>

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
    kvtest::Ser2net& Serve(bool rfc2217) {
        kvtest::FakeDevice& dev = AddDevice(99);
        m_server = std::make_unique<kvtest::Ser2net>(dev.slavePath(), rfc2217);
        EXPECT_TRUE(m_server->Start());
        EXPECT_TRUE(CreatePortLink(7, m_server->url(rfc2217)));
        return *m_server;
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
    OpenPort("COM7", "115200");
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
    kvtest::AdvanceClock(1000);  // refused meanwhile: quietly
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");

    ASSERT_TRUE(m_server->Start());
    kvtest::AdvanceClock(500);
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 OPENED, 115200");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(NetworkPortTest, RawTcpSaysSettingsAreNotSent) {
    Serve(false);
    CreateDialog();
    OpenPort("COM7", "115200");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM7 OPENED, raw TCP: settings not sent");
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(NetworkPortTest, ARefusedServerFailsWithTheAddressAndTheReason) {
    kvtest::Ser2net& server = Serve(true);
    server.Stop();
    CreateDialog();
    OpenPort("COM7");
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    ASSERT_EQ(m_boxes.Count(), 1u);
    CString strWant = "串口7  无法连接 ";
    strWant += server.url().c_str();
    strWant += "\n连接被拒绝";
    EXPECT_STREQ(m_boxes.Last().strText, strWant);
    EXPECT_EQ(m_boxes.Last().nType, UINT(MB_OK | MB_ICONWARNING));
}
