// Reopening a port after its device was pulled and plugged in again.
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <QComboBox>

#include "platform/ui/window_p.h"
#include "support/permissions.h"
#include "support/port_dialog.h"

namespace {

class ReconnectTest : public PortDialogTest {
protected:
    // COM4 and COM3 present, COM3 opened at 115200 and even parity, then pulled.
    void OpenAndPull(BOOL bReconnect, int nSecs = 30) {
        AddDevice(4);
        AddDevice(3);
        CreateDialog();
        m_dlg->m_settings.m_bReconnect = bReconnect;
        m_dlg->m_settings.m_nReconnectSecs = nSecs;
        m_dlg->m_cbParity.SetCurSel(m_dlg->m_cbParity.FindStringExact(-1, "Even"));
        OpenPort("COM3", "115200");
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
        m_devices.pop_back();
        m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
        ASSERT_STREQ(m_dlg->m_strPortState, "关闭");
    }
    kvtest::FakeDevice& Replug() {
        kvtest::FakeDevice& dev = AddDevice(3);
        m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        return dev;
    }
    int64_t ReconnectTimer() { return kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RECONNECT); }
    MessageBoxRecorder m_boxes;
};

}  // namespace

TEST_F(ReconnectTest, TheSameDeviceBackInTimeIsReopenedWithTheSameSettings) {
    OpenAndPull(TRUE);
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 等待重连...");
    EXPECT_EQ(ReconnectTimer(), 500);
    kvtest::AdvanceClock(20000);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    // Settings changed meanwhile do not count: the reopening is the last opening again.
    m_dlg->m_cbBaud.SetWindowText("9600");
    m_dlg->m_cbParity.SetCurSel(m_dlg->m_cbParity.FindStringExact(-1, "None"));

    kvtest::FakeDevice& dev = Replug();
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "关闭串口");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 OPENED, 115200");
    EXPECT_EQ(m_dlg->m_nStatusColor, 1);
    EXPECT_EQ(ReconnectTimer(), -1);
    EXPECT_TRUE(Enabled(IDC_SEND_BUTTON));
    EXPECT_FALSE(Enabled(IDC_PORT_COMBO));
    // The new device gets the old settings (a pseudo-terminal keeps the speed, not the
    // parity), and its bytes arrive.
    EXPECT_STREQ(m_dlg->m_strParity, "Even");
    termios t;
    ASSERT_EQ(tcgetattr(dev.slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), (speed_t)B115200);
    dev.Send("back");
    EXPECT_TRUE(WaitReceived(4));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(ReconnectTest, TheWaitEndsWithTheTimeTheOptionOrTheUsersOwnChoice) {
    enum Act { None, TimeUp, OptionOff, OtherChosen, OtherOpened };
    const struct {
        const char* what;
        BOOL bReconnect;
        Act act;
        const char* portState;  // after COM3 is back
    } cases[] = {
        {"option off: the plain close", FALSE, None, "关闭"},
        {"time is up", TRUE, TimeUp, "关闭"},
        {"option turned off", TRUE, OptionOff, "关闭"},
        {"another port chosen", TRUE, OtherChosen, "关闭"},
        {"another port opened", TRUE, OtherOpened, "打开"},
    };
    for (const auto& c : cases) {
        OpenAndPull(c.bReconnect, 2);
        if (c.act == TimeUp) kvtest::AdvanceClock(2000);
        if (c.act == OptionOff) {
            m_dlg->m_settings.m_bReconnect = FALSE;
            m_dlg->ApplySettings();
        }
        if (c.act == OtherChosen) {
            auto* combo = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbPort));
            combo->setCurrentIndex(0);
            emit combo->activated(0);
        }
        if (c.act == OtherOpened) OpenPort("COM4");
        EXPECT_EQ(ReconnectTimer(), -1) << c.what;
        if (c.act != OtherOpened) {
            EXPECT_STREQ(Text(IDC_STATUS_STATIC), " CLOSED") << c.what;
        }
        Replug();
        kvtest::AdvanceClock(1000);
        EXPECT_STREQ(m_dlg->m_strPortState, c.portState) << c.what;
        if (c.act == OtherOpened) {
            EXPECT_EQ(m_dlg->m_SerialPort.GetPortNumber(), 4u);
        }
        m_dlg->DestroyWindow();
        m_dlg.reset();
        m_devices.clear();
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(ReconnectTest, ADeviceBackButRefusedIsTriedAgainQuietlyUntilItOpens) {
    OpenAndPull(TRUE);
    FilePermissionsEnforced enforced;
    if (!enforced.Ok()) GTEST_SKIP() << "cannot drop the permission override";
    // udev has not given the new node its group yet.
    m_devices.push_back(std::make_unique<kvtest::FakeDevice>(m_dir + "/ports", 3));
    kvtest::FakeDevice& dev = *m_devices.back();
    ASSERT_EQ(chown(dev.slavePath().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(dev.slavePath().c_str(), 0600), 0);
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    kvtest::AdvanceClock(1000);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 等待重连...");
    EXPECT_EQ(m_boxes.Count(), 0u);
    // Now it has: the next tick opens it.
    ASSERT_EQ(chmod(dev.slavePath().c_str(), 0666), 0);
    kvtest::AdvanceClock(500);
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_EQ(ReconnectTimer(), -1);
}

// A link that comes and goes: the reopening opens the device, and by the time it looks up the
// device's identity the link is gone again (here: the list it reads was taken while the link
// was away). The next loss still waits, and the device is reopened when it stays.
TEST_F(ReconnectTest, AReopeningWhoseLinkIsGoneAgainAtOnceKeepsTheWait) {
    OpenAndPull(TRUE);
    HKEY hAway;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\DeviceMap\\SerialComm", 0, KEY_READ, &hAway),
        ERROR_SUCCESS);
    AddDevice(3);
    m_dlg->RefreshPortList();
    m_dlg->m_cbPort.SetCurSel(m_dlg->m_cbPort.FindStringExact(-1, "COM3"));
    m_dlg->m_reconnect.m_bReopening = TRUE;  // as the wait's tick opens it
    m_dlg->OnBnClickedOpen();
    m_dlg->m_reconnect.m_bReopening = FALSE;
    RegCloseKey(hAway);
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    m_dlg->m_reconnect.End(FALSE);
    ASSERT_EQ(ReconnectTimer(), -1);

    m_devices.pop_back();
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 等待重连...");
    EXPECT_EQ(ReconnectTimer(), 500);
    Replug();
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_EQ(m_boxes.Count(), 0u);
}
