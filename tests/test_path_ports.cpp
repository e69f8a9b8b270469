// Device paths as ports: given on the command line (and opened with --open), or added and
// removed in the settings box; either way they appear in the port list as COMn.
#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "app/PathPorts.h"
#include "platform/ui/window_p.h"
#include "support/files.h"
#include "support/port_dialog.h"

namespace {
class PathPortTest : public PortDialogTest {
protected:
    // A pseudo-terminal that is no port yet: its own link is kept out of the ports folder.
    kvtest::FakeDevice& Device() {
        std::filesystem::create_directories(m_dir + "/elsewhere");
        m_devices.push_back(std::make_unique<kvtest::FakeDevice>(m_dir + "/elsewhere", 1));
        EXPECT_TRUE(m_devices.back()->ok());
        return *m_devices.back();
    }
    void Start(const CKivernStartup& startup) {
        m_dlg = std::make_unique<CKIVERNDlg>();
        m_dlg->m_startup = startup;
        ASSERT_TRUE(m_dlg->Create(IDD_MAIN_DIALOG));
    }
    std::vector<std::string> Listed() const {
        std::vector<std::string> names;
        for (int i = 0; i < m_dlg->m_cbPort.GetCount(); ++i) {
            CString s;
            m_dlg->m_cbPort.GetLBText(i, s);
            names.push_back((const char*)s);
        }
        return names;
    }
    std::string LinkTarget(unsigned n) const {
        std::error_code ec;
        return std::filesystem::read_symlink(m_dir + "/ports/com" + std::to_string(n), ec);
    }
    // Runs the settings box; act() gets the box while it is up and ends it.
    void RunBox(const std::function<void(CWnd*)>& act) {
        QTimer::singleShot(30, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            act(CWnd::FromHandle(kvimpl::OwnHandleOfWidget(box)));
        });
        m_dlg->ShowSettings();
    }
};

TEST_F(PathPortTest, APathOnTheCommandLineBecomesAPortAndOpensWithItsSettings) {
    AddDevice(1);  // COM1 is taken: the path gets the next number
    kvtest::FakeDevice& dev = Device();
    CKivernStartup startup;
    startup.port = dev.slavePath();
    startup.baud = "57600";
    startup.dataBits = 7;
    startup.parity = "Even";
    startup.stopBits = 2;
    startup.open = true;
    Start(startup);
    // The open button is pressed once the window's loop runs.
    EXPECT_TRUE(kvtest::PumpUntil([&] { return m_dlg->m_strPortState == "打开"; }, 3000));
    EXPECT_EQ(Text(IDC_OPEN_BUTTON), "关闭串口");
    EXPECT_EQ(Text(IDC_PORT_COMBO), "COM2");
    EXPECT_EQ(m_dlg->m_strStatus, "COM2 OPENED, 57600");
    EXPECT_EQ(m_dlg->m_strDataBits, "7");
    EXPECT_EQ(m_dlg->m_strParity, "Even");
    EXPECT_EQ(m_dlg->m_strStopBits, "2");
    // A pseudo-terminal keeps the rate and stop bits (it forces 8 data bits, no parity).
    termios t;
    ASSERT_EQ(tcgetattr(dev.slave(), &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B57600);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(LinkTarget(2), dev.slavePath());
    // Kept like a port added in the settings box: a second start gives the same number.
    CKivernSettings saved;
    ASSERT_TRUE(saved.Load());
    ASSERT_EQ(saved.m_ports.size(), 1u);
    EXPECT_EQ(saved.m_ports[0], std::make_pair(2u, dev.slavePath()));
}

TEST_F(PathPortTest, OpeningAPortThatIsNotThereFailsAsTheOpenButtonDoes) {
    AddDevice(1);
    MessageBoxRecorder boxes;
    CKivernStartup startup;
    startup.port = "COM9";
    startup.open = true;
    Start(startup);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().strText, "串口9  已经被其他应用程序所占用!\n请选择其它的串口");
    EXPECT_EQ(Text(IDC_OPEN_BUTTON), "打开串口");  // COM1 is not opened instead
}

TEST_F(PathPortTest, TheSettingsBoxAddsAndRemovesAPathPort) {
    AddDevice(1);
    kvtest::FakeDevice& dev = Device();
    CreateDialog();
    MessageBoxRecorder boxes;
    RunBox([&](CWnd* box) {
        for (const char* path : {dev.slavePath().c_str(), "/dev/null", dev.slavePath().c_str()}) {
            box->GetDlgItem(IDC_SET_PORT_PATH)->SetWindowText(path);
            kvtest::Click(box->GetDlgItem(IDC_SET_PORT_ADD));
        }
        EXPECT_EQ(static_cast<CComboBox*>(box->GetDlgItem(IDC_SET_PORT_LIST))->GetCount(), 1);
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    ASSERT_EQ(boxes.Count(), 1u);  // /dev/null is refused
    EXPECT_NE(boxes.Last().strText.Find("/dev/null"), -1);
    EXPECT_EQ(Listed(), (std::vector<std::string>{"COM1", "COM2"}));
    EXPECT_EQ(LinkTarget(2), dev.slavePath());

    RunBox([](CWnd* box) {
        static_cast<CComboBox*>(box->GetDlgItem(IDC_SET_PORT_LIST))->SetCurSel(0);
        kvtest::Click(box->GetDlgItem(IDC_SET_PORT_REMOVE));
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    EXPECT_EQ(Listed(), std::vector<std::string>{"COM1"});
    EXPECT_EQ(LinkTarget(2), "");
    EXPECT_TRUE(m_dlg->m_settings.m_ports.empty());
}
TEST_F(PathPortTest, SavedEntriesAreAcceptedOnlyAsAddingAcceptsThem) {
    // Entries written into settings.json by hand or by another program: only ports come back,
    // each number and path once. A device that is unplugged (its path leads nowhere) waits.
    kvtest::FakeDevice& dev = Device();
    const std::string secret = m_dir + "/secret";
    WriteBytes(secret, "not a port");
    struct {
        unsigned number;
        std::string path;
        bool kept;
    } rows[] = {
        {1, dev.slavePath(), true},
        {2, secret, false},
        {3, "/dev/tty", false},
        {4, "../../etc/passwd", false},
        {5, "/dev/serial/by-id/usb-unplugged-if00-port0", true},
        {6, "rfc2217://127.0.0.1:3333", true},
        {7, "rfc2217://", false},
        {1, "/dev/ttyUSB9", false},   // its number is taken
        {8, dev.slavePath(), false},  // its path is listed already
    };
    std::string doc = "{\"ports\":[";
    for (const auto& r : rows)
        doc += "{\"number\":" + std::to_string(r.number) + ",\"path\":\"" + r.path + "\"},";
    doc.back() = ']';
    doc += "}";
    std::filesystem::create_directories(m_dir + "/config/kivern");
    WriteBytes(m_dir + "/config/kivern/settings.json", doc);
    CKivernSettings loaded;
    ASSERT_TRUE(loaded.Load()) << loaded.LoadProblem();
    std::vector<std::pair<unsigned, std::string>> expected;
    for (const auto& r : rows)
        if (r.kept) expected.emplace_back(r.number, r.path);
    EXPECT_EQ(loaded.m_ports, expected);
    RestorePathPortLinks(loaded);
    for (const auto& r : rows)
        if (!r.kept && r.number != 1) {
            EXPECT_EQ(LinkTarget(r.number), "") << r.path;
        }
    EXPECT_EQ(LinkTarget(1), dev.slavePath());
}
}  // namespace
