// The receive display: text and hex, stamps and auto wrap on the virtual clock, the refresh,
// read-backs while data streams, and clearing.
#include "support/lines.h"
#include "support/port_dialog.h"

namespace {
void Receive(CKIVERNDlg& dlg, const char* bytes, LPARAM n) {
    dlg.OnSerialReceive((WPARAM)bytes, n);
}
}  // namespace

TEST_F(PortDialogTest, TextDisplayDropsA0x00ButKeepsWhatFollows) {
    CreateDialog();
    Receive(*m_dlg, "A", 1);
    Receive(*m_dlg, "\0", 1);
    Receive(*m_dlg, "B", 1);
    EXPECT_EQ(m_dlg->m_strReceive, CString("AB"));
    EXPECT_STREQ(m_dlg->m_strRxCount, "RX: 3 Bytes");
    // Several bytes in one delivery: those after the 0x00 still arrive.
    Receive(*m_dlg, "C\0D\0\0E", 6);
    EXPECT_EQ(m_dlg->m_strReceive, CString("ABCDE"));
    EXPECT_EQ(m_dlg->m_nRxBytes, 9);
}

TEST_F(PortDialogTest, HexDisplayShowsEveryByte) {
    CreateDialog();
    m_dlg->m_bHexDisplay = TRUE;
    Receive(*m_dlg, "A\0B", 3);
    Receive(*m_dlg, "\r\n\xFF", 3);
    EXPECT_STREQ(m_dlg->m_strReceive, "41 00 42 0D 0A FF ");
    EXPECT_STREQ(m_dlg->m_strRxCount, "RX: 6 Bytes");
}

TEST_F(PortDialogTest, ALargeDeliveryArrivesWholeInBothDisplays) {
    // One delivery may carry everything the port had waiting, far more than a few KiB.
    CreateDialog();
    std::string bytes;
    for (int i = 0; i < 5000; ++i) bytes.push_back((char)(i * 7 + 1));
    std::string hex;
    char cell[4];
    for (unsigned char b : bytes) {
        snprintf(cell, sizeof cell, "%02X ", b);
        hex += cell;
    }
    m_dlg->m_bHexDisplay = TRUE;
    Receive(*m_dlg, bytes.data(), (LPARAM)bytes.size());
    EXPECT_EQ(std::string(m_dlg->m_strReceive, m_dlg->m_strReceive.GetLength()), hex);
    m_dlg->m_strReceive = "";
    m_dlg->m_bHexDisplay = FALSE;
    Receive(*m_dlg, bytes.data(), (LPARAM)bytes.size());
    std::string text;
    for (char c : bytes)
        if (c) text.push_back(c);
    EXPECT_EQ(std::string(m_dlg->m_strReceive, m_dlg->m_strReceive.GetLength()), text);
    EXPECT_EQ(m_dlg->m_nRxBytes, 10000);
}

TEST_F(PortDialogTest, StampsOpenLinesAndAutoWrapEndsBursts) {
    CreateDialog();
    m_dlg->m_bRxTime = TRUE;
    m_dlg->m_bAutoWrap = TRUE;
    m_dlg->UpdateData(FALSE);
    Receive(*m_dlg, "ab", 2);
    kvtest::AdvanceClock(50);
    Receive(*m_dlg, "c", 1);    // same burst: no new stamp
    kvtest::AdvanceClock(250);  // silence: the wrap appends CR LF, the stamp window closes
    Receive(*m_dlg, "d", 1);
    EXPECT_STREQ(m_dlg->m_strReceive,
                 "\r\n[2024/03/05 14:07:09.042] abc\r\n"
                 "\r\n[2024/03/05 14:07:09.342] d");
}

TEST_F(PortDialogTest, AStreamWithoutPausesGetsAStampAbout100MsApart) {
    CreateDialog();
    m_dlg->m_bRxTime = TRUE;
    for (int i = 0; i < 25; ++i) {
        Receive(*m_dlg, "x", 1);
        kvtest::AdvanceClock(10);
    }
    int stamps = 0;
    for (INT_PTR i = m_dlg->m_strReceive.Find('['); i >= 0;
         i = m_dlg->m_strReceive.Find('[', i + 1))
        ++stamps;
    EXPECT_EQ(stamps, 3);  // at 0, about 100 and about 200 ms
}

TEST_F(PortDialogTest, ClearingEmptiesTextAndBothCountersAndAPendingWrapStillComes) {
    CreateDialog();
    m_dlg->m_bAutoWrap = TRUE;
    m_dlg->UpdateData(FALSE);
    Receive(*m_dlg, "hello", 5);
    m_dlg->m_nTxBytes = 7;
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    EXPECT_STREQ(m_dlg->m_strReceive, "");
    EXPECT_STREQ(Text(IDC_RX_COUNT_STATIC), "RX: 0 Bytes");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 0 Bytes");
    EXPECT_EQ(m_dlg->m_nTxBytes, 0);
    kvtest::AdvanceClock(100);
    EXPECT_STREQ(m_dlg->m_strReceive, "\r\n");
}

TEST_F(PortDialogTest, BytesFromThePortAppearWithinARefreshAndReadBacksLoseNothing) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    // Bytes that are not text survive read-backs and reach the receive text as they came.
    std::string sent("line 1\r\n\x01\x7F\xFF\xC4\xE3 end\n", 18);
    dev.Send(sent);
    ASSERT_TRUE(WaitReceived((INT_PTR)sent.size()));
    for (int i = 0; i < 5; ++i) m_dlg->UpdateData(TRUE);
    EXPECT_EQ(m_dlg->m_strReceive.str(), sent);
    kvtest::AdvanceClock(30);  // the refresh shows it
    CEdit& edit = m_dlg->m_editReceive;
    EXPECT_GE(edit.GetLineCount(), 2);
    // Reading back while more streams in keeps every byte in order.
    std::string expected = sent;
    for (int round = 0; round < 20; ++round) {
        std::string chunk = "chunk " + std::to_string(round) + "\n";
        dev.Send(chunk);
        expected += chunk;
        m_dlg->UpdateData(TRUE);
        kvtest::Pump(5);
        kvtest::AdvanceClock(30);
    }
    ASSERT_TRUE(WaitReceived((INT_PTR)expected.size()));
    EXPECT_EQ(m_dlg->m_strReceive.str(), expected);
    EXPECT_EQ(m_dlg->m_nRxBytes, (int64_t)expected.size());
}

TEST_F(PortDialogTest, TheRefreshRunsOnlyWhenTheTextGrew) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    dev.Send("\0", 1);  // counted, not shown
    ASSERT_TRUE(kvtest::PumpUntil([&] { return m_dlg->m_nRxBytes == 1; }, 3000));
    kvtest::AdvanceClock(30);
    EXPECT_STREQ(Text(IDC_RX_COUNT_STATIC), "RX: 0 Bytes");  // shown at the next write-out
    dev.Send("z");
    ASSERT_TRUE(WaitReceived(1));
    kvtest::AdvanceClock(30);
    EXPECT_STREQ(Text(IDC_RX_COUNT_STATIC), "RX: 2 Bytes");
}

TEST_F(PortDialogTest, CountersAreSixtyFourBit) {
    CreateDialog();
    m_dlg->m_nRxBytes = 0x7FFFFFFFLL;
    Receive(*m_dlg, "ab", 2);
    EXPECT_STREQ(m_dlg->m_strRxCount, "RX: 2147483649 Bytes");
}

TEST_F(PortDialogTest, ClosingKeepsTheReceiveTextAndItsScrollPosition) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    std::string lines = Lines(200).str();
    dev.Send(lines);
    ASSERT_TRUE(WaitReceived((INT_PTR)lines.size()));
    kvtest::AdvanceClock(30);
    m_dlg->m_editReceive.SetScrollPos(SB_VERT, 40);
    int before = m_dlg->m_editReceive.GetScrollPos(SB_VERT);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_EQ(m_dlg->m_strReceive.str(), lines);
    EXPECT_EQ(m_dlg->m_editReceive.GetScrollPos(SB_VERT), before);
}

TEST_F(PortDialogTest, TheRefreshKeepsWhatTheUserTypesAndTicksMeanwhile) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "AT+NAME?");
    static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_DISPLAY_CHECK))->SetCheck(BST_CHECKED);
    dev.Send("abc");
    ASSERT_TRUE(WaitReceived(3));
    kvtest::AdvanceClock(30);
    EXPECT_STREQ(Text(IDC_SEND_EDIT), "AT+NAME?");
    EXPECT_EQ(static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_DISPLAY_CHECK))->GetCheck(),
              BST_CHECKED);
    // The tick, read back, takes effect for what arrives next.
    dev.Send("d");
    ASSERT_TRUE(WaitReceived(6));
    EXPECT_STREQ(m_dlg->m_strReceive, "abc64 ");
}

// Every exchange leaves a control showing its member, however the two changed in between: the
// program's new member, the user's typing, the program writing the control itself.
TEST_F(PortDialogTest, EachExchangeShowsWhatTheMembersHold) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    struct Case {
        int id;
        CString& member;
    } cases[] = {
        {IDC_INTERVAL_EDIT, m_dlg->m_strInterval},
        {g_CmdEditIds[0], m_dlg->m_strCmd[0]},
        {IDC_BAUD_COMBO, m_dlg->m_strBaud},
    };
    int64_t received = 0;
    auto refresh = [&] {  // the receive text changes, and the refresh runs
        dev.Send("x");
        ASSERT_TRUE(WaitReceived(++received));
        kvtest::AdvanceClock(30);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        c.member = "1000";
        m_dlg->UpdateData(FALSE);
        EXPECT_STREQ(Text(c.id), "1000");
        kvtest::TypeText(m_dlg->GetDlgItem(c.id), "0");  // typed after what it shows
        refresh();
        EXPECT_STREQ(c.member, "10000");  // read back, kept
        EXPECT_STREQ(Text(c.id), "10000");
        c.member = "1000";  // what an earlier exchange wrote
        m_dlg->UpdateData(FALSE);
        EXPECT_STREQ(Text(c.id), "1000");
        m_dlg->GetDlgItem(c.id)->SetWindowText("2000");
        refresh();
        EXPECT_STREQ(c.member, "2000");
    }
    // A label shows its member after each refresh, also after the program wrote it directly.
    m_dlg->m_strStatus = "status one";
    refresh();
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "status one");
    m_dlg->GetDlgItem(IDC_STATUS_STATIC)->SetWindowText("written directly");
    refresh();
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "status one");
    EXPECT_STREQ(m_dlg->m_strStatus, "status one");
}

TEST_F(PortDialogTest, TheRefreshScrollsTheDisplayToItsLastLine) {
    kvtest::FakeDevice& dev = AddDevice(3);
    CreateDialog();
    OpenPort("COM3");
    std::string lines = Lines(300).str();
    dev.Send(lines);
    ASSERT_TRUE(WaitReceived((INT_PTR)lines.size()));
    kvtest::AdvanceClock(30);
    CEdit& edit = m_dlg->m_editReceive;
    ASSERT_GT(edit.GetLineCount(), 300);
    // The last line is in view: scrolled well past the top.
    EXPECT_GT(edit.GetFirstVisibleLine(), 250);
}
