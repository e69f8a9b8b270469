// Sends whose writes fail: the port's error box is the real one, run modally, and while it is
// up its loop runs other messages (a device removal, timer ticks) before a user closes it.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "support/port_dialog.h"

namespace {

// Plays the user in front of the error boxes: at the first sight of each box it runs
// onShown(box number) inside the box's loop, and presses OK at the next look, 10 ms later.
class BoxUser {
public:
    explicit BoxUser(std::function<void(int)> onShown) : m_onShown(std::move(onShown)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
        m_timer.start(10);
    }
    const std::vector<std::string>& Texts() const { return m_texts; }

private:
    void Look() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (box != m_seen) {
            m_seen = box;
            m_texts.push_back(box->text().toStdString());
            m_onShown((int)m_texts.size());
        } else {
            box->button(QMessageBox::Ok)->click();
            m_seen = nullptr;
        }
    }
    std::function<void(int)> m_onShown;
    QTimer m_timer;
    QMessageBox* m_seen = nullptr;
    std::vector<std::string> m_texts;
};

std::vector<DWORD> g_writes;
void RecordWrite(DWORD n) { g_writes.push_back(n); }

class SendErrorTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        AddDevice(4);
        AddDevice(3);
        CreateDialog();
        OpenPort("COM3");
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
        g_writes.clear();
        SetCommWriteHook(RecordWrite);
    }
    void TearDown() override {
        SetCommWriteHook(nullptr);
        PortDialogTest::TearDown();
    }
    void SetSend(size_t n) {
        m_dlg->m_strSend = std::string(n, 'w').c_str();
        m_dlg->UpdateData(FALSE);
    }
};

}  // namespace

// The device is pulled while a send runs: its first block fails, and the removal is handled
// inside the box, which closes the port. The send goes no further, counts nothing and does
// not claim success; the status line keeps the closing's report.
TEST_F(SendErrorTest, ASendWhosePortIsClosedUnderItStopsAndReportsNoSuccess) {
    for (size_t n : {3000u, 1024u, 10u}) {
        SCOPED_TRACE(n);
        if (m_dlg->m_strPortState != "打开") {
            AddDevice(3);
            m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
            OpenPort("COM3");
        }
        SetSend(n);
        m_devices.pop_back();  // its link goes, its pseudo-terminal hangs up
        g_writes.clear();
        BoxUser user([&](int) {
            ::PostMessage(m_dlg->GetSafeHwnd(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
        });
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));

        ASSERT_EQ(user.Texts().size(), 1u);
        EXPECT_NE(user.Texts()[0].find("WriteFile()"), std::string::npos);
        EXPECT_EQ(g_writes, std::vector<DWORD>{(DWORD)std::min<size_t>(n, 1024)});
        EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
        EXPECT_NE(Text(IDC_STATUS_STATIC).str().find("CLOSED"), std::string::npos);
        EXPECT_EQ(m_dlg->m_nStatusColor, 0);
        EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 0 Bytes");
    }
}

// A timed-send tick that falls due while a send's error box is up writes nothing between the
// send's blocks; the send, whose writes failed, reports an error and counts nothing.
TEST_F(SendErrorTest, NoSendRunsInsideAnotherSendsErrorBox) {
    SetSend(2100);
    kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
    m_devices.back()->CloseMaster();  // the link stays: the port stays open, writes fail
    BoxUser user([&](int) {
        kvtest::AdvanceClock(1000);  // a tick now
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    });
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));

    EXPECT_EQ(user.Texts().size(), 3u);
    EXPECT_EQ(g_writes, (std::vector<DWORD>{1024, 1024, 52}));
    EXPECT_STREQ(m_dlg->m_strPortState, "打开");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 0 Bytes");
}
