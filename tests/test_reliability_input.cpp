// Bad input on the send and open paths: huge and empty send texts, texts holding 0x00 and
// bytes that are not GBK, and typed baud rates that no port takes. Nothing crashes, every
// byte counted as sent reaches the device, and each refusal is the box or status text the
// program gives for it.
#include "support/port_dialog.h"
#include "support/reliability.h"

namespace {

class InputTest : public PortDialogTest {
protected:
    void SetUp() override {
        PortDialogTest::SetUp();
        m_dev = &AddDevice(3);
        CreateDialog();
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

}  // namespace

TEST_F(InputTest, HugeEmptyZeroAndNonGbkSendTextsGoOutAsCounted) {
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    MessageBoxRecorder boxes;
    kvtest::PatternStreamer device(m_dev->master(), 0);
    device.Pause();  // only takes what the port sends
    int64_t nSent = 0;

    // 10 MiB of text through the send edit.
    std::string big(10u << 20, 'x');
    for (size_t i = 0; i < big.size(); i += 1000) big[i] = '\n';
    m_dlg->m_strSend = CString(big.data(), (INT_PTR)big.size());
    m_dlg->m_bHexSend = FALSE;
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    nSent = m_dlg->m_nTxBytes;
    EXPECT_GE(nSent, (int64_t)big.size());  // LF may come back as CR LF from the edit
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");
    EXPECT_TRUE(kvtest::PumpUntil([&] { return (int64_t)device.Swallowed() >= nSent; }, 20000));

    // A long hex text: one line of 10 MiB, as hex text has no breaks.
    const size_t nHex = kvtest::EnvNumber("KIVERN_HEX_SEND_BYTES", 10 << 20);
    m_dlg->m_strSend = CString(std::string(nHex, 'a').c_str());
    m_dlg->m_bHexSend = TRUE;
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dlg->m_nTxBytes - nSent, (int64_t)(nHex / 2));
    nSent = m_dlg->m_nTxBytes;

    // Nothing at all, as text and as hex.
    for (BOOL bHex : {FALSE, TRUE}) {
        m_dlg->m_strSend = "";
        m_dlg->m_bHexSend = bHex;
        m_dlg->UpdateData(FALSE);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
        EXPECT_EQ(m_dlg->m_nTxBytes, nSent);
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send OK");
    }

    // A text holding 0x00 and bytes that are no GBK character: whatever the edit gives back
    // is what goes out, all of it.
    const char odd[] = "A\0B\x80\xFF\xB4";
    m_dlg->m_strSend = CString(odd, sizeof odd - 1);
    m_dlg->m_bHexSend = FALSE;
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_EQ(m_dlg->m_nTxBytes - nSent, m_dlg->m_strSend.GetLength());
    EXPECT_GT(m_dlg->m_strSend.GetLength(), 0);
    nSent = m_dlg->m_nTxBytes;
    // The same bytes as hex are no hex text: refused, nothing sent.
    m_dlg->m_strSend = CString(
        "4\0"
        "1",
        3);
    m_dlg->m_bHexSend = TRUE;
    m_dlg->UpdateData(FALSE);
    kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "Send Data Error");
    EXPECT_EQ(m_dlg->m_nTxBytes, nSent);

    EXPECT_TRUE(kvtest::PumpUntil([&] { return (int64_t)device.Swallowed() >= nSent; }, 20000));
    EXPECT_EQ((int64_t)device.Swallowed(), nSent);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(m_dlg->m_SerialPort.GetOverflowCount(), 0u);
}

TEST_F(InputTest, TypedBaudRatesThatNoPortTakesAreReportedAndThePortStillCloses) {
    struct Case {
        const char* typed;
        const char* failedCall;  // nullptr: the driver takes it
    };
    // A pseudo-terminal takes any speed the kernel can express; 0 and a text are no speed.
    const Case cases[] = {{"0", "BuildCommDCB()"},
                          {"1", nullptr},
                          {"4000000", nullptr},
                          {"2147483648", nullptr},
                          {"fast", "BuildCommDCB()"},
                          {"-9600", nullptr},
                          {"99999999999999999999", nullptr}};
    for (const Case& c : cases) {
        MessageBoxRecorder boxes;
        OpenPort("COM3", c.typed);
        // The port is open whatever the driver made of the rate, and says what was typed.
        EXPECT_STREQ(m_dlg->m_strPortState, "打开") << c.typed;
        EXPECT_STREQ(Text(IDC_STATUS_STATIC), (std::string("COM3 OPENED, ") + c.typed).c_str());
        if (c.failedCall) {
            ASSERT_EQ(boxes.Count(), 1u) << c.typed;
            EXPECT_STREQ(boxes.Records()[0].strCaption, "Application Error");
            EXPECT_NE(boxes.Records()[0].strText.Find(c.failedCall), -1)
                << c.typed << ": " << boxes.Records()[0].strText.GetString();
            EXPECT_NE(boxes.Records()[0].strText.Find("Port: 3\n"), -1);
        } else {
            // Either taken, or refused with one box naming the call that refused it.
            ASSERT_LE(boxes.Count(), 1u) << c.typed;
            if (boxes.Count() == 1) {
                EXPECT_STREQ(boxes.Records()[0].strCaption, "Application Error") << c.typed;
            }
        }
        // Data still flows and the port closes.
        m_dev->Send("ok");
        EXPECT_TRUE(WaitReceived(2)) << c.typed;
        kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
        EXPECT_STREQ(m_dlg->m_strPortState, "关闭") << c.typed;
        kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_RX_BUTTON));
    }
}
