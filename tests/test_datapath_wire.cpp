// Text on the wire: the data encoding, the line ending of text sends, and sent data shown in
// the receive display, end to end on a pseudo-terminal.
#include "platform/logview/logview.h"
#include "platform/logview/logview_words.h"
#include "platform/ui/window_p.h"
#include "support/port_dialog.h"

namespace {
const char kCheckUtf8[] = "\xE2\x9C\x93";              // a check mark GBK lacks
const char kWenduGbk[] = "\xCE\xC2\xB6\xC8";           // 温度
const char kWenduUtf8[] = "\xE6\xB8\xA9\xE5\xBA\xA6";  // 温度
}  // namespace

class WireTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &OpenDevicePort(3);
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    }
    void Apply(int encoding, int ending, BOOL showSent) {
        m_dlg->m_settings.m_nEncoding = encoding;
        m_dlg->m_settings.m_nLineEnding = ending;
        m_dlg->m_settings.m_bShowSent = showSent;
        m_dlg->ApplySettings();
    }
    void SetSend(const char* text, BOOL hex) {
        m_dlg->m_strSend = text;
        m_dlg->m_bHexSend = hex;
        m_dlg->UpdateData(FALSE);
    }
    std::string Shown() {
        auto* view = qobject_cast<LogView*>(kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT)));
        return view ? LogTextUtf8(view->Index(), 0, view->Index().Length()) : "no view";
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(WireTest, Utf8ModeSendsTypedTextAndCommandsAndShowsSplitCharacters) {
    Apply(KV_ENC_UTF8, KV_EOL_NONE, FALSE);
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), std::string(kCheckUtf8) + "AT");
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(5), std::string(kCheckUtf8) + "AT");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 5 Bytes");
    // Stored commands are GBK and go out converted.
    m_dlg->SendQuickCommand(kWenduGbk, FALSE);
    EXPECT_EQ(m_dev->Receive(8), std::string(kWenduUtf8) + "\r\n");

    // Received UTF-8 split inside a character shows whole; the receive text keeps the bytes.
    m_dev->Send(std::string(kWenduUtf8, 2));
    Deliver();
    m_dev->Send(std::string(kWenduUtf8 + 2) + "\xF0\x9F\x98\x80\xFF");
    ASSERT_TRUE(WaitReceived(11));
    Deliver();
    EXPECT_EQ(m_dlg->m_strReceive, CString(kWenduUtf8) + "\xF0\x9F\x98\x80\xFF");
    EXPECT_EQ(Shown(), std::string(kWenduUtf8) + "\xF0\x9F\x98\x80\xEF\xBF\xBD");
}

TEST_F(WireTest, AQuickCommandEditKeepsCharactersGbkLacksThroughRefreshes) {
    CWnd* pEdit = m_dlg->GetDlgItem(g_CmdEditIds[0]);
    pEdit->SetWindowText("");
    kvtest::TypeText(pEdit, std::string("A") + kCheckUtf8);
    m_dlg->UpdateData(TRUE);
    EXPECT_STREQ(m_dlg->m_strCmd[0], "A?");
    m_dlg->UpdateData(FALSE);
    CString text;
    pEdit->GetWindowText(text, CP_UTF8);
    EXPECT_EQ(text, CString((std::string("A") + kCheckUtf8).c_str()));
}

TEST_F(WireTest, LineEndingsFollowTextSendsOnly) {
    struct {
        int ending;
        const char* tail;
    } cases[] = {{KV_EOL_NONE, ""}, {KV_EOL_CR, "\r"}, {KV_EOL_LF, "\n"}, {KV_EOL_CRLF, "\r\n"}};
    for (const auto& c : cases) {
        Apply(KV_ENC_GBK, c.ending, FALSE);
        std::string want = std::string("AT") + c.tail;
        SetSend("AT", FALSE);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
        EXPECT_EQ(m_dev->Receive(want.size()), want) << c.ending;
        kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
        kvtest::AdvanceClock(1000);
        kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
        EXPECT_EQ(m_dev->Receive(want.size()), want) << c.ending;
        // Hex sends and quick commands are not touched.
        SetSend("4142", TRUE);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
        EXPECT_EQ(m_dev->Receive(2), "AB") << c.ending;
        m_dlg->SendQuickCommand("AT", FALSE);
        EXPECT_EQ(m_dev->Receive(4), "AT\r\n") << c.ending;
        EXPECT_EQ(m_dev->Receive(1, 50), "") << c.ending;
    }
}

// The same in either interface language: the wire, the echo's marker and the stamps are never
// translated.
class WireLanguageTest : public WireTest, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        ASSERT_TRUE(AfxSetLanguage(GetParam()));
        WireTest::SetUp();
    }
    void TearDown() override {
        WireTest::TearDown();
        AfxSetLanguage(LANG_CHINESE);
    }
};

TEST_P(WireLanguageTest, SentDataIsShownApartAndCountedOnlyAsSent) {
    Apply(KV_ENC_GBK, KV_EOL_NONE, TRUE);
    m_dev->Send("ok");
    ASSERT_TRUE(WaitReceived(2));
    SetSend("AT", FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(2), "AT");
    m_dev->Send("x");
    ASSERT_TRUE(WaitReceived(13));
    EXPECT_STREQ(m_dlg->m_strReceive, "ok\r\nTX> AT\r\nx");

    // Hex display, a quick command (its CR LF ends the line), a failed hex text (not shown).
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    m_dlg->m_bHexDisplay = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dlg->SendQuickCommand("AT", FALSE);
    EXPECT_EQ(m_dev->Receive(4), "AT\r\n");
    SetSend("zz", TRUE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    m_dev->Send("\x01");
    ASSERT_TRUE(WaitReceived(21));
    EXPECT_STREQ(m_dlg->m_strReceive, "TX> 41 54 0D 0A \r\n01 ");

    // Stamped: the echo has a stamp, and the data after it one of its own.
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    m_dlg->m_bHexDisplay = FALSE;
    m_dlg->m_bRxTime = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dlg->SendQuickCommand("AT", FALSE);
    EXPECT_EQ(m_dev->Receive(4), "AT\r\n");
    m_dev->Send("OK");
    ASSERT_TRUE(WaitReceived(62));
    EXPECT_STREQ(m_dlg->m_strReceive,
                 "[2024/03/05 14:07:09.042] TX> AT\r\n"
                 "[2024/03/05 14:07:09.042] OK");
    EXPECT_EQ(m_dlg->m_nRxBytes, 2);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 4 Bytes");
}

INSTANTIATE_TEST_SUITE_P(Languages, WireLanguageTest,
                         ::testing::Values(LANG_CHINESE, LANG_ENGLISH));

TEST_F(WireTest, AChecksumFollowsHexFramesAndTextFramesWhenAsked) {
    Apply(KV_ENC_GBK, KV_EOL_NONE, TRUE);
    m_dlg->m_settings.m_nChecksum = KV_CHECK_CRC16_MODBUS;
    m_dlg->m_bHexDisplay = TRUE;
    m_dlg->UpdateData(FALSE);
    const std::string modbus("\x01\x03\x00\x00\x00\x0A\xC5\xCD", 8);
    enum { BUTTON, TIMED, QUICK } ways[] = {BUTTON, TIMED, QUICK};
    struct {
        const char* text;
        BOOL hex;
        BOOL checksumText;
        std::string want;
    } cases[] = {
        {"01030000000A", TRUE, FALSE, modbus},
        {"AT", FALSE, FALSE, "AT"},
        {"AT", FALSE, TRUE, "AT\x30\x1F"},
    };
    int nTx = 0;
    for (const auto& c : cases) {
        m_dlg->m_settings.m_bChecksumText = c.checksumText;
        for (auto way : ways) {
            SCOPED_TRACE(std::string(c.text) + " way " + std::to_string(way));
            SetSend(c.text, c.hex);
            std::string want = c.want;
            if (way == BUTTON) {
                kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
            } else if (way == TIMED) {
                kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
                kvtest::AdvanceClock(1000);
                kvtest::Click(m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK));
            } else {
                m_dlg->SendQuickCommand(c.text, c.hex);  // a text command ends in CR LF
                if (!c.hex) want = c.checksumText ? "AT\r\n\xD1\x5F" : "AT\r\n";
            }
            EXPECT_EQ(m_dev->Receive(want.size()), want);
            EXPECT_EQ(m_dev->Receive(1, 50), "");
            nTx += (int)want.size();
        }
    }
    CString tx;
    tx.Format("TX: %d Bytes", nTx);
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), tx);
    // The echo shows the frame with its checksum.
    EXPECT_EQ(std::string(m_dlg->m_strReceive).substr(0, 30), "TX> 01 03 00 00 00 0A C5 CD \r\n");
}

TEST_F(WireTest, LooseHexTakesWhatTheHexDisplayPrintsAndNamesABadCharacter) {
    m_dlg->m_settings.m_bLooseHex = TRUE;
    SetSend("41 54 0D 0A ", TRUE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dev->Receive(4), "AT\r\n");
    m_dlg->SendQuickCommand("0x41,0x54", TRUE);
    EXPECT_EQ(m_dev->Receive(2), "AT");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 6 Bytes");
    struct {
        const char* text;
        const char* status;
    } refused[] = {
        {"41 G4", "第4个字符'G'无效"},   {"串口 41", "第1个字符'串'无效"},
        {"41，42", "第3个字符'，'无效"}, {"41 5", "第4个字符'5'不成对"},
        {"41\x07", "第3个字符0x07无效"},
    };
    for (const auto& c : refused) {
        SetSend(c.text, TRUE);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), c.status) << c.text;
        EXPECT_EQ(m_dlg->m_nStatusColor, 3);
    }
    EXPECT_EQ(m_dev->Receive(1, 50), "");
    EXPECT_STREQ(Text(IDC_TX_COUNT_STATIC), "TX: 6 Bytes");
}
