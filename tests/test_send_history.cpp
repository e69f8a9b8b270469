// The send history: its list rules, and the drop-down list under the send edit that offers
// the texts sent with the send button again.
#include <QComboBox>
#include <fstream>

#include "dialog/SendHistory.h"
#include "platform/ui/window_p.h"
#include "support/port_dialog.h"

namespace {
using Entries = std::vector<CSendHistory::Entry>;

TEST(SendHistoryList, PushKeepsNewestFirstWithoutDuplicates) {
    struct Case {
        const char* name;
        Entries pushes;  // in the order sent
        Entries expected;
    } cases[] = {
        {"newest first", {{"A", false}, {"B", false}}, {{"B", false}, {"A", false}}},
        {"a repeat moves up",
         {{"A", false}, {"B", false}, {"A", false}},
         {{"A", false}, {"B", false}}},
        {"HEX state tells apart", {{"01", false}, {"01", true}}, {{"01", true}, {"01", false}}},
        {"empty not kept", {{"A", false}, {"", true}}, {{"A", false}}},
        {"too long not kept",
         {{"A", false}, {std::string(CSendHistory::kMaxTextBytes + 1, 'x'), false}},
         {{"A", false}}},
    };
    for (const Case& c : cases) {
        CSendHistory h;
        for (const auto& p : c.pushes) h.Push(p.first, p.second);
        EXPECT_EQ(h.Entries(), c.expected) << c.name;
    }
}

TEST(SendHistoryList, CapsAndSavingBudget) {
    CSendHistory h;
    for (int i = 0; i < 130; ++i) h.Push("cmd" + std::to_string(i), false);
    ASSERT_EQ(h.Entries().size(), CSendHistory::kMaxEntries);
    EXPECT_EQ(h.Entries().front().first, "cmd129");
    EXPECT_EQ(h.Entries().back().first, "cmd30");
    // Read back as saved, newest first, the order stays.
    CSendHistory again;
    again.Assign(h.Entries());
    EXPECT_EQ(again.Entries(), h.Entries());
    // The settings file takes the newest texts that fit; control bytes count as escaped.
    CSendHistory big;
    for (int i = 0; i < 40; ++i)
        big.Push(std::string(10000, 'a' + i % 26) + std::to_string(i), i % 2);
    Entries saved = big.ForSaving();
    ASSERT_LT(saved.size(), 40u);
    EXPECT_EQ(saved.front(), big.Entries().front());
    CSendHistory ctl;
    ctl.Push(std::string(CSendHistory::kMaxTextBytes, '\x01'), false);
    ctl.Push("x", false);
    EXPECT_EQ(ctl.ForSaving().size(), 2u);  // 96 KiB escaped still fits
}

TEST(SendHistoryList, LabelsAreOneLine) {
    struct Case {
        CSendHistory::Entry e;
        const char* label;
    } cases[] = {
        {{"AT", false}, "AT"},
        {{"0102", true}, "[HEX] 0102"},
        {{"A\r\nB\nC", false}, "A↙B↙C"},
        {{"a\tb", false}, "a b"},
        {{std::string(100, 'x'), false}, nullptr},
    };
    for (const Case& c : cases) {
        CString label = CSendHistory::Label(c.e);
        if (c.label)
            EXPECT_STREQ(label, c.label) << c.e.first;
        else
            EXPECT_STREQ(label, CString(std::string(CSendHistory::kLabelChars, 'x').c_str()) + "…");
    }
}

class HistoryDialogTest : public PortDialogTest {
protected:
    void Open() {
        m_dev = &AddDevice(3);
        CreateDialog();
        OpenPort("COM3");
        ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    }
    void Send(const char* utf8, BOOL bHex) {
        m_dlg->m_editSend.SetWindowText(utf8, CP_UTF8);
        static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK))->SetCheck(bHex);
        kvtest::Click(m_dlg->GetDlgItem(IDC_SEND_BUTTON));
    }
    // A user's choice in the list.
    void Choose(int i) {
        auto* cb = qobject_cast<QComboBox*>(kvimpl::WidgetOf(&m_dlg->m_cbHistory));
        cb->setCurrentIndex(i);
        emit cb->activated(i);
    }
    CString SendEditUtf8() {
        CString s;
        m_dlg->m_editSend.GetWindowText(s, CP_UTF8);
        return s;
    }
    kvtest::FakeDevice* m_dev = nullptr;
};

TEST_F(HistoryDialogTest, SentTextsAreOfferedAgainWithTheirHexState) {
    Open();
    Send("AT", FALSE);
    Send("0d0a", TRUE);
    Send("\xE6\xB8\xA9\xE5\xBA\xA6 \xE2\x9C\x93", FALSE);  // 温度 and a check mark GBK lacks
    Send("AT", FALSE);
    EXPECT_EQ(m_dev->Receive(12).size(), 12u);  // 温度 ? in GBK: 6 bytes
    ASSERT_EQ(m_dlg->m_cbHistory.GetCount(), 3);
    CString item;
    m_dlg->m_cbHistory.GetLBText(1, item);
    EXPECT_STREQ(item, "温度 ?");
    m_dlg->m_cbHistory.GetLBText(2, item);
    EXPECT_STREQ(item, "[HEX] 0d0a");

    Choose(2);
    EXPECT_STREQ(SendEditUtf8(), "0d0a");
    EXPECT_EQ(static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK))->GetCheck(), 1);
    Choose(1);
    EXPECT_STREQ(SendEditUtf8(), "\xE6\xB8\xA9\xE5\xBA\xA6 \xE2\x9C\x93");
    EXPECT_EQ(static_cast<CButton*>(m_dlg->GetDlgItem(IDC_HEX_SEND_CHECK))->GetCheck(), 0);
    // Choosing sends nothing and reorders nothing.
    EXPECT_EQ(m_dlg->m_history.Entries().front().first, "AT");

    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_HISTORY_BUTTON));
    EXPECT_EQ(m_dlg->m_cbHistory.GetCount(), 0);
    EXPECT_TRUE(m_dlg->m_history.Entries().empty());
}

TEST_F(HistoryDialogTest, KeptAcrossSessionsOnlyWithTheOption) {
    std::filesystem::create_directories(m_dir + "/config/kivern");
    {
        std::ofstream f(m_dir + "/config/kivern/settings.json");
        f << R"({"keepHistory": true, "history": [{"text": "old", "hex": false}]})";
    }
    Open();
    ASSERT_EQ(m_dlg->m_cbHistory.GetCount(), 1);
    Send("new", FALSE);
    m_dlg->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);  // the end of the session saves it
    CKivernSettings saved;
    ASSERT_TRUE(saved.Load());
    EXPECT_EQ(saved.m_history, (Entries{{"new", false}, {"old", false}}));

    // Without the option the next session starts empty, and the file forgets the texts.
    m_dlg->m_settings.m_bKeepHistory = FALSE;
    m_dlg->SaveHistory();
    ASSERT_TRUE(saved.Load());
    EXPECT_TRUE(saved.m_history.empty());
}
}  // namespace
