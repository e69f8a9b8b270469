// Opening and closing a port, the port list and device changes, end to end.
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>

#include <QComboBox>
#include <atomic>
#include <fstream>

#include "platform/app/devnotify.h"
#include "platform/ports/portmap.h"
#include "platform/ports/ports_hooks.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"
#include "support/permissions.h"
#include "support/port_dialog.h"

namespace {
std::string SelfComm() {
    std::string name;
    std::ifstream("/proc/self/comm") >> name;
    return name;
}
}  // namespace

TEST_F(PortDialogTest, OpensWithTheChosenSettingsAndClosesAgain) {
    AddDevice(3);
    AddDevice(4);
    CreateDialog();
    ASSERT_EQ(m_dlg->m_cbPort.GetCount(), 2);
    EXPECT_STREQ(m_dlg->m_strPort, "COM3");
    EXPECT_TRUE(Enabled(IDC_OPEN_BUTTON));
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 CLOSED");

    OpenPort("COM3", "115200");
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "关闭串口");
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 OPENED, 115200");
    EXPECT_EQ(m_dlg->m_nStatusColor, 1);
    EXPECT_EQ(m_dlg->m_SerialPort.GetPortNumber(), 3u);
    for (int id : {IDC_PORT_COMBO, IDC_BAUD_COMBO, IDC_PARITY_COMBO, IDC_DATABITS_COMBO,
                   IDC_STOPBITS_COMBO, IDC_FLOWCTRL_COMBO})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_HEX_SEND_CHECK, IDC_TIMED_SEND_CHECK, IDC_INTERVAL_EDIT, IDC_SEND_BUTTON,
                   IDC_CMD_SEND1, IDC_CMD_SEND12})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RX_REFRESH), 30);

    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口");
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 CLOSED");
    EXPECT_EQ(m_dlg->m_nStatusColor, 0);
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RX_REFRESH), -1);
    EXPECT_TRUE(Enabled(IDC_PORT_COMBO));
    EXPECT_FALSE(Enabled(IDC_SEND_BUTTON));
}

TEST_F(PortDialogTest, APortHeldByAnotherProgramIsReportedAndNothingChanges) {
    kvtest::FakeDevice& dev = AddDevice(5);
    CreateDialog();
    // Held by a lock, or made exclusive alone (which does not keep root out by itself).
    const struct {
        const char* how;
        bool (*hold)(int fd);
    } holders[] = {{"flock", [](int fd) { return flock(fd, LOCK_EX | LOCK_NB) == 0; }},
                   {"TIOCEXCL", [](int fd) { return ioctl(fd, TIOCEXCL) == 0; }}};
    for (const auto& h : holders) {
        int fd = open(dev.slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(h.hold(fd)) << h.how;
        MessageBoxRecorder boxes;
        OpenPort("COM5");
        ASSERT_EQ(boxes.Records().size(), 1u) << h.how;
        // The usual words, then who holds it: this process, which plays the device too.
        CString strWant;
        strWant.Format("串口5  已经被其他应用程序所占用!\n请选择其它的串口\n占用程序: %s (进程 %d)",
                       SelfComm().c_str(), (int)getpid());
        EXPECT_STREQ(boxes.Records()[0].strText, strWant) << h.how;
        EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口") << h.how;
        EXPECT_STREQ(m_dlg->m_strPortState, "关闭") << h.how;
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM5 CLOSED") << h.how;
        EXPECT_EQ(m_dlg->m_nStatusColor, 0) << h.how;
        EXPECT_FALSE(Enabled(IDC_SEND_BUTTON)) << h.how;
        // The refresh timer runs after every attempt.
        EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_RX_REFRESH), 30) << h.how;
        ioctl(fd, TIOCNXCL);
        close(fd);
    }
}

TEST_F(PortDialogTest, DeviceArrivalAndRemovalFollowTheList) {
    AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    // Another adapter arrives: the list is rebuilt, COM3 stays open, the first item is selected.
    AddDevice(7);
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 2);
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_EQ(m_dlg->m_cbPort.GetCurSel(), 0);
    // Other device events change nothing.
    m_devices[0].reset();
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    // COM3 goes away: the port is closed as if the user had closed it.
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口");
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 1);
    EXPECT_TRUE(Enabled(IDC_OPEN_BUTTON));
    // The last port goes: the open button is disabled.
    m_devices[1].reset();
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 0);
    EXPECT_FALSE(Enabled(IDC_OPEN_BUTTON));
}

// In English the open button's caption is English, and the button still closes what it
// opened, by a click or when the device goes away.
TEST_F(PortDialogTest, TheOpenButtonClosesThePortInEnglish) {
    ASSERT_TRUE(AfxSetLanguage(LANG_ENGLISH));
    AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STRNE(Text(IDC_OPEN_BUTTON), "关闭串口");
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), AfxTr("Dialog", "关闭串口"));
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 CLOSED");
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), AfxTr("Dialog", "打开串口"));
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    m_devices[0].reset();
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
}

// The disabled list keeps showing the open port when another device arrives before it, and
// closing names that port.
TEST_F(PortDialogTest, AnOpenPortStaysTheOneShownWhenTheListChanges) {
    AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    AddDevice(1);
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    EXPECT_STREQ(Text(IDC_PORT_COMBO), "COM3");
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(m_dlg->m_strStatus, "COM3 CLOSED");
}

TEST_F(PortDialogTest, AnOpenPortIsPresentOnlyWhenItsExactNumberIsListed) {
    AddDevice(1);
    CreateDialog();
    OpenPort("COM1");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    AddDevice(10);
    m_devices[0].reset();  // COM1 is gone, COM10 is there
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 1);
}

TEST_F(PortDialogTest, DeviceNotificationsReachTheWindow) {
    CreateDialog();
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 0);
    // What the notification thread posts to every top-level window.
    AddDevice(6);
    BroadcastToTopLevelWindows(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(kvtest::PumpUntil([&] { return m_dlg->m_cbPort.GetCount() == 1; }, 2000));
}

// The speed as the device sees it: the settings of the port's pseudo-terminal slave.
TEST_F(PortDialogTest, TypedBaudRatesAreReadAsNumbersAndReachTheDevice) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    auto deviceSpeed = [&] {
        termios t;
        return tcgetattr(dev.slave(), &t) == 0 ? cfgetospeed(&t) : (speed_t)-1;
    };
    const speed_t found = deviceSpeed();
    const struct {
        const char* baud;
        speed_t speed;
    } cases[] = {{"9600abc", B9600}, {"115200", B115200}};
    for (const auto& c : cases) {
        OpenPort("COM3", c.baud);
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), CString("COM3 OPENED, ") + c.baud);
        EXPECT_EQ(deviceSpeed(), c.speed) << c.baud;
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        EXPECT_EQ(deviceSpeed(), found) << "closing puts the line back";
    }
    // A non-standard rate that the driver takes.
    OpenPort("COM3", "250000");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM3 OPENED, 250000");
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));

    // A rate beyond 32 bits does not wrap to a small one (4294971200 = 2^32 + 3904): it is
    // refused with the error box, and the line keeps the speed it had.
    MessageBoxRecorder boxes;
    OpenPort("COM3", "4294971200");
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_STREQ(boxes.Records()[0].strCaption, "Application Error");
    EXPECT_EQ(deviceSpeed(), found);
}

// A device that is a process of its own dies: its link stays, dangling, and no device event
// comes. The port is closed as when a device is removed.
TEST_F(PortDialogTest, APortWhoseDeviceProcessDiesIsClosed) {
    AddDevice(4);
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(0, grantpt(master));
    ASSERT_EQ(0, unlockpt(master));
    const std::string link = m_dir + "/ports/com9";
    ASSERT_EQ(0, symlink(ptsname(master), link.c_str()));
    pid_t device = fork();  // holds the master side until it is killed
    ASSERT_GE(device, 0);
    if (device == 0) {
        for (;;) pause();
    }
    close(master);
    CreateDialog();
    StartDeviceNotifications();
    MessageBoxRecorder boxes;
    OpenPort("COM9");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");

    kill(device, SIGKILL);
    waitpid(device, nullptr, 0);
    EXPECT_TRUE(kvtest::PumpUntil([&] { return m_dlg->m_strPortState == "关闭"; }, 3000));
    StopDeviceNotifications();
    EXPECT_STREQ(Text(IDC_OPEN_BUTTON), "打开串口");
    EXPECT_FALSE(Enabled(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 1);
    EXPECT_EQ(boxes.Records().size(), 0u);
    unlink(link.c_str());
}

// One refresh scans the ports once, however many are listed, and each entry still tells its
// device node.
TEST_F(PortDialogTest, ARefreshScansThePortsOnce) {
    for (unsigned n = 1; n <= 40; ++n) AddDevice(n);
    CreateDialog();
    std::atomic<unsigned long> scans{0};
    SetPortScanHook([&] { ++scans; });
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    SetPortScanHook(nullptr);
    EXPECT_EQ(scans.load(), 1ul);
    ASSERT_EQ(m_dlg->m_cbPort.GetCount(), 40);
    auto* combo = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbPort));
    ASSERT_TRUE(combo);
    EXPECT_TRUE(combo->itemData(39, Qt::ToolTipRole)
                    .toString()
                    .startsWith(QString::fromStdString(m_devices[39]->link())));
}

TEST_F(PortDialogTest, TimedSendingStartsWithTheOpenPortAndStopsWhenItCloses) {
    AddDevice(3);
    CreateDialog();
    m_dlg->m_bTimedSend = TRUE;  // left ticked from an earlier opening
    m_dlg->UpdateData(FALSE);
    OpenPort("COM3");
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 1000);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), -1);
    EXPECT_TRUE(m_dlg->m_bTimedSend);
    EXPECT_FALSE(Enabled(IDC_TIMED_SEND_CHECK));
}

TEST_F(PortDialogTest, APortRefusedForLackOfPermissionSaysHowToGetIt) {
    kvtest::FakeDevice& dev = AddDevice(4);
    CreateDialog();
    // The device belongs to another user, as serial devices belong to their group.
    ASSERT_EQ(chown(dev.slavePath().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(dev.slavePath().c_str(), 0600), 0);
    MessageBoxRecorder boxes;
    {
        FilePermissionsEnforced enforced;
        if (!enforced.Ok()) GTEST_SKIP() << "cannot drop the permission override";
        OpenPort("COM4");
    }
    ASSERT_EQ(boxes.Records().size(), 1u);
    // Not dialout's device: the box names its group and does not send the user to dialout.
    CString strWant;
    strWant.Format("串口4  没有访问权限!\n设备 %s 属于 %s 组, 当前用户不能读写",
                   dev.slavePath().c_str(), getgrgid(65534)->gr_name);
    EXPECT_STREQ(boxes.Records()[0].strText, strWant);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
}
