// The send history: its list rules, and the drop-down list under the send edit that offers
// the texts sent with the send button again.
#include <QComboBox>
#include <fstream>

#include "platform/ui/window_p.h"
#include "support/port_dialog.h"

namespace {
using Entries = std::vector<CSendHistory::Entry>;

TEST(SendHistoryList, NewestFirstNoDuplicatesAndLimits) {
    const std::string tooLong(CSendHistory::kMaxTextBytes + 1, 'x');
    struct Case {
        Entries pushes;  // in the order sent
        Entries expected;
    } cases[] = {
        {{{"A", false}, {"B", false}, {"A", false}}, {{"A", false}, {"B", false}}},
        {{{"01", false}, {"01", true}}, {{"01", true}, {"01", false}}},
        {{{"A", false}, {"", true}, {tooLong, false}}, {{"A", false}}},
    };
    for (const Case& c : cases) {
        CSendHistory h;
        for (const auto& p : c.pushes) h.Push(p.first, p.second);
        EXPECT_EQ(h.Entries(), c.expected) << c.pushes.size();
    }
    CSendHistory h;
    for (int i = 0; i < 130; ++i) h.Push(std::string(9000, 'a') + std::to_string(i), false);
    ASSERT_EQ(h.Entries().size(), CSendHistory::kMaxEntries);
    EXPECT_EQ(h.Entries().back().first, std::string(9000, 'a') + "30");
    // The settings file takes the newest texts that fit.
    Entries saved = h.ForSaving();
    EXPECT_EQ(saved.size(), 29u);
    EXPECT_EQ(saved.front(), h.Entries().front());
    // A line of the drop-down list (UTF-8) is the text as it goes out in the data encoding.
    struct LabelCase {
        CSendHistory::Entry e;
        bool bUtf8;
        const char* expected;
    } labels[] = {
        {{"A\r\nB\n\tC", true},
         false,
         "[HEX] A\xE2\x86\x99"
         "B\xE2\x86\x99 C"},
        {{"\xE2\x9C\x93ok", false}, true, "\xE2\x9C\x93ok"},  // a check mark GBK lacks
        {{"\xE2\x9C\x93ok", false}, false, "?ok"},
    };
    for (const LabelCase& c : labels)
        EXPECT_EQ(CSendHistory::Label(c.e, c.bUtf8), c.expected) << c.expected;
}

class HistoryDialogTest : public PortDialogTest {
protected:
    void Open() {
        m_dev = &AddDevice(3);
        CreateDialog();
        OpenPort("COM3");
    }
    void Send(const char* utf8, BOOL bHex) {
        m_dlg->m_editSend.SetWindowText(utf8, CP_UTF8);
        static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK))->SetCheck(bHex);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    }
    void Choose(int i) {  // as the user chooses
        auto* cb = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbHistory));
        cb->setCurrentIndex(i);
        emit cb->activated(i);
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(HistoryDialogTest, ChoosingRestoresTextAndHexStateAndTheOptionKeepsThem) {
    std::filesystem::create_directories(m_dir + "/config/kivern");
    std::ofstream(m_dir + "/config/kivern/settings.json")
        << R"({"keepHistory": true, "history": [{"text": "old", "hex": false}]})";
    Open();
    const char* check = "\xE6\xB8\xA9 \xE2\x9C\x93";  // 温 and a check mark GBK lacks
    Send(check, FALSE);
    Send("0d0a", TRUE);
    EXPECT_EQ(m_dev->Receive(6), "\xCE\xC2 ?\r\n");
    ASSERT_EQ(m_dlg->m_cbHistory.GetCount(), 3);
    Choose(1);
    CString text;
    m_dlg->m_editSend.GetWindowText(text, CP_UTF8);
    EXPECT_STREQ(text, check);
    EXPECT_EQ(static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK))->GetCheck(), 0);
    // Switched to UTF-8, the list draws the check mark it now sends.
    m_dlg->m_settings.m_nEncoding = KV_ENC_UTF8;
    m_dlg->ApplySettings();
    auto* cb = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbHistory));
    EXPECT_EQ(cb->itemText(1), QString::fromUtf8(check));

    m_dlg->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);  // the end of the session saves it
    CKivernSettings saved;
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_history, (Entries{{"0d0a", true}, {check, false}, {"old", false}}));
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_HISTORY_BUTTON));
    EXPECT_EQ(m_dlg->m_cbHistory.GetCount(), 0);
    m_dlg->m_settings.m_bKeepHistory = FALSE;  // turned off: the file forgets the texts
    m_dlg->SaveHistory();
    ASSERT_TRUE(saved.Load());
    EXPECT_TRUE(saved.m_history.empty());
}
}  // namespace
