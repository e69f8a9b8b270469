// The live log on a pseudo-terminal: the file gets the bytes 保存接收 would save, past a
// clear; the context menu's entry and a write error in the status line; the settings box's
// 浏览... and names from the time; the display limit keeps the tail, the log everything.
#include <fcntl.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTimer>
#include <filesystem>

#include "platform/files/files_hooks.h"
#include "platform/ui/ui_hooks.h"
#include "platform/ui/window_p.h"
#include "support/files.h"
#include "support/msgbox_recorder.h"
#include "support/port_dialog.h"

class LiveLogTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &OpenDevicePort(3);
    }
    void TearDown() override {
        SetFileDialogHook(nullptr);
        SetAppendWriteHook(nullptr);
        PortDialogTest::TearDown();
    }
    void StartLog(const std::string& path) {
        m_dlg->m_settings.m_bLiveLog = TRUE;
        m_dlg->m_settings.m_strLiveLogPath = path;
        m_dlg->ApplySettings();
        ASSERT_TRUE(m_dlg->m_liveLog.IsLogging());
    }
    std::string Shown() const {
        return std::string(m_dlg->m_strReceive, m_dlg->m_strReceive.GetLength());
    }
    bool WaitRx(int64_t n) {
        return kvtest::PumpUntil([&] { return m_dlg->m_nRxBytes >= n; }, 3000);
    }
    std::string Logged(const std::string& path) {
        EXPECT_TRUE(m_dlg->m_liveLog.WaitWritten(10000));
        return ReadBytes(path);
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(LiveLogTest, TheFileGetsWhatSavingWouldSaveAndOutlivesAClear) {
    std::string log = WorkFile("live.txt");
    WriteBytes(log, "before\r\n");
    StartLog(log);
    m_dlg->m_bRxTime = TRUE;
    m_dlg->m_settings.m_bShowSent = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dev->Send(std::string("ab\0\x01\xFF\r\n", 7));
    ASSERT_TRUE(WaitRx(7));
    m_dlg->m_strSend = "hi";
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    std::string first = Shown();
    EXPECT_NE(first.find("TX> hi"), std::string::npos);
    EXPECT_EQ(Logged(log), "before\r\n" + first);

    // A clear empties the display only; what comes next is appended.
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    kvtest::AdvanceClock(200);
    m_dlg->m_bHexDisplay = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dev->Send("\x0D\x0A");
    ASSERT_TRUE(WaitRx(2));
    std::string second = Shown();
    std::string saved = WorkFile("saved.txt");
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        path = saved;
        return true;
    });
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    EXPECT_EQ(ReadBytes(saved), second);
    EXPECT_EQ(Logged(log), "before\r\n" + first + second);

    // A stamp on every line and hex rows reach the log as shown, a row ended by a silence too.
    m_dlg->m_settings.m_display.m_bLineStamps = TRUE;
    m_dlg->m_settings.m_display.m_bHexRows = TRUE;
    m_dlg->ApplySettings();
    m_dev->Send("OK\r\nA");
    ASSERT_TRUE(WaitRx(7));
    kvtest::AdvanceClock(150);
    EXPECT_NE(Shown().find("0000  41 "), std::string::npos) << Shown();
    EXPECT_NE(Shown().find("|A|\r\n"), std::string::npos) << Shown();
    EXPECT_EQ(Logged(log), "before\r\n" + first + Shown());
}

TEST_F(LiveLogTest, TheMenuEntryTogglesLoggingAndAWriteErrorStopsIt) {
    std::string log = WorkFile("picked.txt");
    int asked = 0;
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        ++asked;
        path = log;
        return true;
    });
    m_dlg->m_liveLog.Toggle();  // no file yet: asked for, and kept for the next time
    EXPECT_TRUE(m_dlg->m_liveLog.IsLogging());
    EXPECT_EQ(m_dlg->m_settings.m_strLiveLogPath, log);
    m_dev->Send("x1");
    ASSERT_TRUE(WaitReceived(2));
    m_dlg->m_liveLog.Toggle();  // off: what was pending is written
    EXPECT_FALSE(m_dlg->m_liveLog.IsLogging());
    EXPECT_EQ(ReadBytes(log), "x1");
    m_dlg->m_liveLog.Toggle();  // on again: the same file, no question
    EXPECT_EQ(asked, 1);
    // A full disk stops logging, in red; the display keeps everything.
    SetAppendWriteHook([](const char*, size_t) {
        errno = ENOSPC;
        return false;
    });
    m_dev->Send("y2");
    ASSERT_TRUE(
        kvtest::PumpUntil([&] { return Text(IDC_STATUS_STATIC) == "记录停止:磁盘已满"; }, 5000));
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_FALSE(m_dlg->m_liveLog.IsLogging());
    EXPECT_FALSE(m_dlg->m_settings.m_bLiveLog);
    EXPECT_EQ(Shown(), "x1y2");
}

TEST_F(LiveLogTest, TheDisplayLimitKeepsTheTailAndTheLogKeepsAll) {
    std::string log = WorkFile("all.txt");
    StartLog(log);
    m_dlg->m_settings.m_nRxLimitMiB = 1;
    std::string all;
    char line[64];
    for (int i = 0; all.size() < (9u << 20) / 8 + 4096; ++i) {
        int n = snprintf(line, sizeof line, "line %07d\r\n", i);
        m_dlg->OnSerialReceive((WPARAM)line, n);
        all.append(line, (size_t)n);
    }
    kvtest::AdvanceClock(30);  // the refresh cuts
    std::string shown = Shown();
    EXPECT_LE(shown.size(), 1u << 20);
    EXPECT_GT(shown.size(), (1u << 20) - 64);
    EXPECT_EQ(shown, all.substr(all.size() - shown.size()));
    EXPECT_TRUE(StartsWith(shown, "line "));
    EXPECT_EQ(m_dlg->m_nRxBytes, (int64_t)all.size());
    // Below the limit plus an eighth, nothing more is cut.
    m_dlg->OnSerialReceive((WPARAM) "more", 4);
    kvtest::AdvanceClock(30);
    EXPECT_EQ(Shown(), shown + "more");
    EXPECT_EQ(Logged(log), all + "more");
}

TEST_F(LiveLogTest, TheSettingsBoxPicksAFolderForNamesFromTheTime) {
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        path = WorkFile("picked.txt");
        return true;
    });
    m_dlg->m_settings.m_bLiveLogTimeName = TRUE;
    CString field;
    QTimer::singleShot(30, [&] {
        CWnd* box = CWnd::FromHandle(kvimpl::OwnHandleOfWidget(QApplication::activeModalWidget()));
        ((CButton*)box->GetDlgItem(IDC_SET_LIVE_LOG))->SetCheck(BST_CHECKED);
        kvtest::Click(box->GetDlgItem(IDC_SET_LIVE_LOG_BROWSE));
        box->GetDlgItem(IDC_SET_LIVE_LOG_PATH)->GetWindowText(field);
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    m_dlg->ShowSettings();
    EXPECT_STREQ(field, (m_dir + "/work/").c_str());
    m_dev->Send("t");
    ASSERT_TRUE(WaitReceived(1));
    EXPECT_EQ(Logged(WorkFile("log_20240305140709042.txt")), "t");
}

TEST_F(LiveLogTest, AFifoNamedAtStartIsRefusedOnceTheWindowIsUp) {
    // Even with a reader, where opening it to write would not wait.
    std::string fifo = WorkFile("live.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::filesystem::create_directories(m_dir + "/config/kivern");
    WriteBytes(m_dir + "/config/kivern/settings.json",
               "{\"liveLog\":true,\"liveLogPath\":\"" + fifo + "\"}");
    m_dlg->DestroyWindow();
    MessageBoxRecorder boxes;
    CreateDialog();
    EXPECT_EQ(boxes.Count(), 0u);  // the window comes first
    ASSERT_TRUE(kvtest::PumpUntil([&] { return boxes.Count() == 1; }, 3000));
    EXPECT_NE(boxes.Last().strText.Find(("拒绝访问 " + fifo).c_str()), -1)
        << boxes.Last().strText.GetString();
    EXPECT_FALSE(m_dlg->m_liveLog.IsLogging());
    close(reader);
}
