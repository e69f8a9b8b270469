// Sending: the send button, quick commands, timed sending, and saving the receive text.
#include "platform/ui/filedlg.h"
#include "platform/ui/ui_hooks.h"
#include "support/files.h"
#include "support/port_dialog.h"

class SendTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &OpenDevicePort(3);
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    }
    void SetSend(const char* text, BOOL hex) {
        m_dlg->m_strSend = text;
        m_dlg->m_bHexSend = hex;
        m_dlg->UpdateData(FALSE);
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(SendTest, TextIsSentAsItsBytesWithoutLineEnd) {
    SetSend("AT", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(2), "AT");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 2 Bytes");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");
    EXPECT_EQ(m_dlg->m_nStatusColor, 2);
    SetSend("A\r\nB", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(4), "A\r\nB");
    SetSend("串口\x01", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(5), "\xB4\xAE\xBF\xDA\x01");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 11 Bytes");
}

TEST_F(SendTest, HexTextIsCheckedAndConverted) {
    SetSend("0d0A00", TRUE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(3), std::string("\r\n\0", 3));
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 3 Bytes");
    SetSend("01 02", TRUE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    EXPECT_EQ(m_dev->Receive(1, 200), "");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 3 Bytes");
    // An empty text is no error: nothing goes out, and it says so.
    SetSend("", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 3 Bytes");
}

TEST_F(SendTest, QuickCommandsAddCrLfOrSendHexAndShowWhatWasSent) {
    m_dlg->SendQuickCommand("AT", FALSE);
    EXPECT_EQ(m_dev->Receive(4), "AT\r\n");
    EXPECT_STREQ(m_dlg->m_strSend, "AT\r\n");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 4 Bytes");
    m_dlg->SendQuickCommand("0102", TRUE);
    EXPECT_EQ(m_dev->Receive(2), "\x01\x02");
    EXPECT_STREQ(m_dlg->m_strSend, "0102");
    EXPECT_TRUE(m_dlg->m_bHexSend);
    // A text command leaves HEX send ticked, so the send button then reports an error.
    m_dlg->SendQuickCommand("AT", FALSE);
    EXPECT_EQ(m_dev->Receive(4), "AT\r\n");
    EXPECT_TRUE(m_dlg->m_bHexSend);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    // Invalid hex changes neither the send edit nor the HEX box.
    m_dlg->SendQuickCommand("zz", TRUE);
    EXPECT_STREQ(m_dlg->m_strSend, "AT\r\n");
    // Empty commands.
    m_dlg->SendQuickCommand("", FALSE);
    EXPECT_EQ(m_dev->Receive(2), "\r\n");
    m_dlg->SendQuickCommand("", TRUE);
    EXPECT_STREQ(m_dlg->m_strSend, "");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");
}

TEST_F(SendTest, ASlotButtonSendsItsEditAsItIsNow) {
    m_dlg->m_strCmd[2] = "AT+NAME?";
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_CMD_SEND3));
    EXPECT_EQ(m_dev->Receive(10), "AT+NAME?\r\n");
    m_dlg->m_strCmd[5] = "4142";
    m_dlg->m_bCmdHex[5] = TRUE;
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_CMD_SEND6));
    EXPECT_EQ(m_dev->Receive(2), "AB");
}

TEST_F(SendTest, NothingIsSentWhileThePortIsClosed) {
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    MessageBoxRecorder boxes;
    m_dlg->SendQuickCommand("AT", FALSE);
    m_dlg->OnBnClickedSend();
    ASSERT_EQ(boxes.Records().size(), 2u);
    EXPECT_STREQ(boxes.Records()[0].strText, "请首先打开串口");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 0 Bytes");
}

TEST_F(SendTest, LongSendsGoOutWholeWhileReceivingGoesOn) {
    std::string big;
    for (int i = 0; i < 3000; ++i) big += (char)('a' + i % 26);
    m_dlg->m_strSend = big.c_str();
    m_dlg->UpdateData(FALSE);
    m_dev->Send("before");
    kvtest::Pump(20);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(big.size()), big);
    // What arrived just before the send is not thrown away by it.
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_STREQ(m_dlg->m_strReceive, "before");
}

TEST_F(SendTest, TimedSendRepeatsAtTheIntervalAndFollowsItsEdits) {
    SetSend("P", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
    EXPECT_TRUE(m_dlg->m_bTimedSend);
    kvtest::AdvanceClock(3000);
    EXPECT_EQ(m_dev->Receive(3), "PPP");
    // Typing 2, 20, 200 into the emptied edit: each keystroke is judged.
    m_dlg->GetDlgItem(IDC_INTERVAL_EDIT)->SetWindowText("");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Time Input Error");
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_INTERVAL_EDIT), "2");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Time Input OK");
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 10);
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_INTERVAL_EDIT), "0");
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 20);
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_INTERVAL_EDIT), "0");
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 200);
    kvtest::AdvanceClock(1000);
    EXPECT_EQ(m_dev->Receive(5), "PPPPP");
    // Invalid texts: the running timer keeps its period, the next start runs at 10 ms.
    for (const char* bad : {"0", "0500", "-5", "1.5"}) {
        m_dlg->GetDlgItem(IDC_INTERVAL_EDIT)->SetWindowText(bad);
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Time Input Error") << bad;
        EXPECT_EQ(m_dlg->m_nInterval, 0);
    }
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 200);
    kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), -1);
    kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 10);
}

TEST_F(SendTest, TimedSendOfInvalidHexReportsEveryTick) {
    SetSend("xyz", TRUE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
    kvtest::AdvanceClock(1000);
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    EXPECT_EQ(kvtest::TimerPeriod(m_dlg->GetSafeHwnd(), IDT_TIMED_SEND), 1000);
    EXPECT_EQ(m_dev->Receive(1, 100), "");
}

TEST_F(SendTest, SavingWritesTheExactBytesOfTheReceiveText) {
    std::string proposed;
    std::string target = WorkFile("saved.txt");
    SetFileDialogHook([&](const FileDialogRecord& r, std::string& path) {
        proposed = r.strFileName.str();
        path = target;
        return true;
    });
    // Nothing received: an empty file.
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    EXPECT_EQ(proposed, "log_20240305140709042.txt");
    EXPECT_EQ(ReadBytes(target), "");
    // A longer old file is replaced whole.
    WriteBytes(target, "an old and much longer content");
    std::string bytes("ab\x01\xFF\r\n", 6);
    m_dev->Send(bytes);
    ASSERT_TRUE(WaitReceived(6));
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    EXPECT_EQ(ReadBytes(target), bytes);
    // Hex display is saved as its text.
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    m_dlg->m_bHexDisplay = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dev->Send("\x0D\x0A\xFF");
    ASSERT_TRUE(WaitReceived(9));
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    EXPECT_EQ(ReadBytes(target), "0D 0A FF ");
    // Cancelled: nothing is written.
    SetFileDialogHook([&](const FileDialogRecord&, std::string&) { return false; });
    WriteBytes(target, "kept");
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    EXPECT_EQ(ReadBytes(target), "kept");
    SetFileDialogHook(nullptr);
}

TEST_F(SendTest, BytesReceivedWhileTheSaveDialogIsOpenAreSaved) {
    std::string target = WorkFile("during.txt");
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        m_dev->Send("late bytes");
        kvtest::PumpUntil([&] { return m_dlg->m_strReceive.GetLength() >= 10; }, 3000);
        path = target;
        return true;
    });
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    SetFileDialogHook(nullptr);
    EXPECT_EQ(ReadBytes(target), "late bytes");
}

TEST_F(SendTest, ASaveThatFailsNamesTheFileAndChangesNothing) {
    std::string target = m_dir + "/no-such-folder/x.txt";
    SetFileDialogHook([&](const FileDialogRecord&, std::string& path) {
        path = target;
        return true;
    });
    m_dev->Send("data");
    ASSERT_TRUE(WaitReceived(4));
    MessageBoxRecorder boxes;
    kvtest::Click(m_dlg->GetDlgItem(IDC_SAVE_RX_BUTTON));
    SetFileDialogHook(nullptr);
    ASSERT_EQ(boxes.Records().size(), 1u);
    EXPECT_NE(boxes.Records()[0].strText.Find(target.c_str()), -1)
        << boxes.Records()[0].strText.GetString();
    EXPECT_STREQ(m_dlg->m_strReceive, "data");
}
