// The live log on a pseudo-terminal: the file gets the bytes 保存接收 would save, past a
// clear; the context menu's entry and its file dialog; a write error in the status line; and
// the display limit, which keeps the tail while the log keeps everything.
#include <QApplication>
#include <QTimer>

#include "platform/ui/window_p.h"
#include "support/files.h"
#include "support/port_dialog.h"

class LiveLogTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &AddDevice(3);
        CreateDialog();
        OpenPort("COM3");
    }
    void TearDown() override {
        SetFileDialogHook(nullptr);
        CAppendWriter::SetWriteHook(nullptr);
        PortDialogTest::TearDown();
    }
    void StartLog(const std::string& path, BOOL bTimeName = FALSE) {
        m_dlg->m_settings.m_bLiveLog = TRUE;
        m_dlg->m_settings.m_strLiveLogPath = path;
        m_dlg->m_settings.m_bLiveLogTimeName = bTimeName;
        m_dlg->ApplySettings();
        ASSERT_TRUE(m_dlg->IsLiveLogging());
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
}

TEST_F(LiveLogTest, TheMenuEntryAsksForAFileAndTogglesLogging) {
    std::string log = WorkFile("picked.txt");
    int asked = 0;
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        ++asked;
        path = log;
        return true;
    });
    m_dlg->OnRxLiveLog();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(m_dlg->IsLiveLogging());
    EXPECT_EQ(m_dlg->m_settings.m_strLiveLogPath, log);  // kept for the next time
    m_dev->Send("x1");
    ASSERT_TRUE(WaitReceived(2));
    m_dlg->OnRxLiveLog();
    EXPECT_FALSE(m_dlg->IsLiveLogging());
    EXPECT_FALSE(m_dlg->m_settings.m_bLiveLog);
    m_dev->Send("x2");
    ASSERT_TRUE(WaitReceived(4));
    EXPECT_EQ(ReadBytes(log), "x1");
    // On again: the same file, no question, appended to.
    m_dlg->OnRxLiveLog();
    EXPECT_EQ(asked, 1);
    m_dev->Send("x3");
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_EQ(Logged(log), "x1x3");
}

TEST_F(LiveLogTest, ANameFromTheTimeGoesInTheChosenFolder) {
    StartLog(m_dir + "/work", TRUE);
    m_dev->Send("t");
    ASSERT_TRUE(WaitReceived(1));
    EXPECT_EQ(Logged(WorkFile("log_20240305140709042.txt")), "t");
}

TEST_F(LiveLogTest, AWriteErrorStopsLoggingInTheStatusLine) {
    std::string log = WorkFile("full.txt");
    StartLog(log);
    CAppendWriter::SetWriteHook([](const char*, size_t) {
        errno = ENOSPC;
        return false;
    });
    m_dev->Send("lost in the log, kept on screen");
    ASSERT_TRUE(WaitReceived(31));
    ASSERT_TRUE(kvtest::PumpUntil([&] { return !m_dlg->IsLiveLogging(); }, 5000));
    kvtest::Pump(20);  // the posted report
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "记录停止:磁盘已满");
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_FALSE(m_dlg->m_settings.m_bLiveLog);
    m_dev->Send("!");
    ASSERT_TRUE(WaitReceived(32));
    EXPECT_EQ(Shown(), "lost in the log, kept on screen!");
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

TEST_F(LiveLogTest, TheSettingsBoxPicksTheFileOrItsFolderAndStartsLogging) {
    struct Case {
        BOOL bTimeName;
        const char* field;  // what the path field shows after 浏览...
    };
    std::string picked = WorkFile("box.txt");
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        path = picked;
        return true;
    });
    for (const Case& c : {Case{FALSE, "/work/box.txt"}, Case{TRUE, "/work/"}}) {
        m_dlg->m_settings.m_bLiveLogTimeName = c.bTimeName;
        CString field;
        QTimer::singleShot(30, [&] {
            CWnd* box =
                CWnd::FromHandle(kvimpl::OwnHandleOfWidget(QApplication::activeModalWidget()));
            ((CButton*)box->GetDlgItem(IDC_SET_LIVE_LOG))->SetCheck(BST_CHECKED);
            kvtest::Click(box->GetDlgItem(IDC_SET_LIVE_LOG_BROWSE));
            box->GetDlgItem(IDC_SET_LIVE_LOG_PATH)->GetWindowText(field);
            kvtest::Click(box->GetDlgItem(IDOK));
        });
        m_dlg->ShowSettings();
        EXPECT_STREQ(field, (m_dir + c.field).c_str());
        EXPECT_TRUE(m_dlg->IsLiveLogging());
        m_dlg->OnRxLiveLog();  // off again
    }
    std::string named = WorkFile("log_20240305140709042.txt");
    EXPECT_TRUE(std::filesystem::exists(picked));
    EXPECT_TRUE(std::filesystem::exists(named));
}
