// Device paths as ports: given on the command line (and opened with --open), or added and
// removed in the settings box; either way they appear in the port list as COMn.
#include <sys/wait.h>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "options/PathPorts.h"
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
    // For this run only: nothing is saved, and the link goes with the window.
    CKivernSettings saved;
    saved.Load();
    EXPECT_TRUE(saved.m_ports.empty());
    m_dlg->DestroyWindow();
    m_dlg.reset();
    EXPECT_EQ(LinkTarget(2), "");
}

TEST_F(PathPortTest, APortTheCommandLineNamesThatIsNotThereIsReportedOnceTheWindowIsUp) {
    AddDevice(1);
    MessageBoxRecorder boxes;
    CKivernStartup startup;
    startup.port = "COM9";
    startup.open = true;
    Start(startup);
    EXPECT_EQ(boxes.Count(), 0u);  // not while the window is being made
    ASSERT_TRUE(kvtest::PumpUntil([&] { return boxes.Count() > 0; }, 3000));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Last().strText, "串口9  无法打开\n没有这个串口");
    EXPECT_EQ(boxes.Last().nType, UINT(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(Text(IDC_OPEN_BUTTON), "打开串口");  // COM1 is not opened instead
}

TEST_F(PathPortTest, TheNamedPortStaysSelectedUntilTheUserPicksAnother) {
    AddDevice(1);
    kvtest::FakeDevice& dev = Device();
    AddDevice(3);
    for (const char* pick : {"", "COM3"}) {
        SCOPED_TRACE(pick);
        CKivernStartup startup;
        startup.port = dev.slavePath();
        startup.baud = "115200";
        Start(startup);
        ASSERT_EQ(Text(IDC_PORT_COMBO), "COM2");
        if (*pick) {
            auto* combo = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbPort));
            const int nPick = m_dlg->m_cbPort.FindStringExact(-1, pick);
            combo->setCurrentIndex(nPick);
            emit combo->activated(nPick);
        }
        // The named port's link is noticed after start, and the list is refreshed.
        m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
        if (*pick) {  // the user's pick ends it: the list's first port, as usual
            EXPECT_EQ(m_dlg->m_cbPort.GetCurSel(), 0);
        } else {
            EXPECT_EQ(Text(IDC_PORT_COMBO), "COM2");
            EXPECT_EQ(m_dlg->m_strStatus, "COM2 CLOSED");
            kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
            EXPECT_EQ(m_dlg->m_strStatus, "COM2 OPENED, 115200");
            termios t;
            ASSERT_EQ(tcgetattr(dev.slave(), &t), 0);
            EXPECT_EQ(cfgetospeed(&t), B115200);
        }
        m_dlg->DestroyWindow();
        m_dlg.reset();
    }
}

TEST_F(PathPortTest, ANamedPortLastsOnlyIfTheSettingsBoxAddsItAndACrashLeavesNoPort) {
    AddDevice(1);
    kvtest::FakeDevice& dev = Device();
    CKivernStartup startup;
    startup.port = dev.slavePath();
    Start(startup);
    RunBox([&](CWnd* box) {
        box->GetDlgItem(IDC_SET_PORT_PATH)->SetWindowText(dev.slavePath().c_str());
        kvtest::Click(box->GetDlgItem(IDC_SET_PORT_ADD));
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    // Added, it keeps the number it has and its link outlasts the window.
    CKivernSettings saved;
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_ports,
              (std::vector<std::pair<unsigned, std::string>>{{2u, dev.slavePath()}}));
    m_dlg->DestroyWindow();
    m_dlg.reset();
    EXPECT_EQ(LinkTarget(2), dev.slavePath());

    // A run that ends without removing its link: the next start removes it.
    pid_t child = fork();
    if (child == 0) _exit(CreateRunPortLink(5, dev.slavePath()) ? 0 : 1);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(LinkTarget(5), dev.slavePath());
    EXPECT_TRUE(CreateRunPortLink(6, dev.slavePath()));  // this process's own stays
    RemoveStaleRunPortLinks();
    EXPECT_EQ(LinkTarget(5), "");
    EXPECT_EQ(LinkTarget(6), dev.slavePath());
    EXPECT_EQ(LinkTarget(2), dev.slavePath());
    RemoveRunPortLink(6, dev.slavePath());
    EXPECT_EQ(LinkTarget(6), "");
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(m_dir + "/ports"))
        left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"com1", "com2"}));  // and no mark
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
