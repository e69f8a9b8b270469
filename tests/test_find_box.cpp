// The find box over the receive display, driven on the real dialog: Ctrl+F from any control,
// next and previous selecting byte ranges, hex and the display's encoding, what the box tells,
// a clear that stops a running search, and captions shown whole.
#include <QAbstractButton>
#include <QApplication>

#include "platform/ui/window_p.h"
#include "support/app_env.h"

namespace {
class FindBoxTest : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        CreateDialog();
    }
    void Show(const char* bytes) {
        m_dlg->m_strReceive = bytes;
        m_dlg->UpdateData(FALSE);
    }
    CFindDlg& Box() { return m_dlg->m_findDlg; }
    CWnd* Item(int id) { return Box().GetDlgItem(id); }
    void Find(const std::string& utf8, int button = IDC_FIND_NEXT) {
        Item(IDC_FIND_TEXT)->SetWindowText("");
        kvtest::TypeText(Item(IDC_FIND_TEXT), utf8);
        Press(button);
    }
    void Press(int button) {
        kvtest::Click(Item(button));
        ASSERT_TRUE(kvtest::PumpUntil([&] { return !Box().IsSearching(); }, 5000));
    }
    std::pair<DWORD, DWORD> Selection() {
        DWORD b = 0, e = 0;
        m_dlg->m_editReceive.SendMessage(EM_GETSEL, (WPARAM)&b, (LPARAM)&e);
        return {b, e};
    }
    CString Status() {
        CString s;
        Item(IDC_FIND_STATUS)->GetWindowText(s);
        return s;
    }
    void Tick(int id, bool on) {
        static_cast<CButton*>(Item(id))->SetCheck(on ? BST_CHECKED : BST_UNCHECKED);
    }
};

using Sel = std::pair<DWORD, DWORD>;

TEST_F(FindBoxTest, CtrlFFromAnyControlOpensTheBoxAndEscapeHidesIt) {
    for (int id : {IDC_SEND_EDIT, IDC_RECEIVE_EDIT, IDC_OPEN_BUTTON}) {
        m_dlg->GetDlgItem(id)->SetFocus();
        kvtest::PressKey(m_dlg.get(), Qt::Key_F, Qt::ControlModifier);
        ASSERT_TRUE(Box().GetSafeHwnd()) << id;
        CString title;
        Box().GetWindowText(title);
        EXPECT_STREQ(title, "查找");
        EXPECT_TRUE(Box().IsWindowVisible()) << id;
        if (id == IDC_SEND_EDIT) kvtest::TypeText(Item(IDC_FIND_TEXT), "ok");
        kvtest::PressKey(&Box(), Qt::Key_Escape);
        EXPECT_FALSE(Box().IsWindowVisible()) << id;
    }
    CString text;
    Item(IDC_FIND_TEXT)->GetWindowText(text);
    EXPECT_STREQ(text, "ok");  // reopening keeps the last text
}

TEST_F(FindBoxTest, NextAndPreviousSelectTheMatchesAndWrap) {
    Show("ok AT ok at OK");
    m_dlg->OnRxFind();
    Find("ok");
    EXPECT_EQ(Selection(), Sel(0, 2));
    Press(IDC_FIND_NEXT);
    EXPECT_EQ(Selection(), Sel(6, 8));
    kvtest::PressKey(&Box(), Qt::Key_Return);  // Enter in the text field finds the next
    ASSERT_TRUE(kvtest::PumpUntil([&] { return !Box().IsSearching(); }, 5000));
    EXPECT_EQ(Selection(), Sel(12, 14));
    Press(IDC_FIND_NEXT);
    EXPECT_EQ(Selection(), Sel(0, 2));
    EXPECT_STREQ(Status(), "已到末尾，从开头找到（位置 0）");
    Press(IDC_FIND_PREV);
    EXPECT_EQ(Selection(), Sel(12, 14));
    Tick(IDC_FIND_CASE, true);
    Find("OK", IDC_FIND_PREV);
    EXPECT_EQ(Selection(), Sel(12, 14));  // wrapped past "ok" and "ok" to the only "OK"
    Find("zz");
    EXPECT_STREQ(Status(), "找不到“zz”");
    EXPECT_EQ(Selection(), Sel(12, 14));                           // the last match stays selected
    kvtest::PressKey(m_dlg.get(), Qt::Key_F3, Qt::ShiftModifier);  // F3 keys: the same text
    ASSERT_TRUE(kvtest::PumpUntil([&] { return !Box().IsSearching(); }, 5000));
    EXPECT_STREQ(Status(), "找不到“zz”");
}

TEST_F(FindBoxTest, HexBytesAndTheDisplayEncoding) {
    Show("41 54 0D 0A AT\r\n");
    m_dlg->OnRxFind();
    Tick(IDC_FIND_HEX, true);
    Find("54 0d");
    EXPECT_EQ(Selection(), Sel(3, 8));
    Find("540D0A");
    EXPECT_EQ(Selection(), Sel(13, 16));  // after the selection: the bytes as received
    Find("4G");
    EXPECT_STREQ(Status(), "十六进制格式不对，应为 41 0D 这样的字节");

    // UTF-8 display: the typed text is looked for as UTF-8 bytes.
    Tick(IDC_FIND_HEX, false);
    m_dlg->m_settings.m_nEncoding = KV_ENC_UTF8;
    m_dlg->ApplySettings();
    Show(u8"t=温度 25");
    Find(u8"度");
    EXPECT_EQ(Selection(), Sel(5, 8));
}

TEST_F(FindBoxTest, ClearingTheReceiveTextStopsARunningSearch) {
    Show("abc");
    m_dlg->OnRxFind();
    kvtest::TypeText(Item(IDC_FIND_TEXT), "zz");
    kvtest::Click(Item(IDC_FIND_NEXT));  // the search's first step is posted, not run yet
    ASSERT_TRUE(Box().IsSearching());
    m_dlg->OnBnClickedClearRx();
    ASSERT_TRUE(kvtest::PumpUntil([&] { return !Box().IsSearching(); }, 5000));
    EXPECT_STREQ(Status(), "接收区已清空或裁剪，查找已停止");
}

}  // namespace

// The check boxes' captions are shown whole.
TEST_F(FindBoxTest, TheCheckBoxCaptionsFitTheirControls) {
    kvtest::PressKey(m_dlg.get(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(Box().IsWindowVisible());
    for (int id : {IDC_FIND_CASE, IDC_FIND_HEX}) {
        auto* button = qobject_cast<QAbstractButton*>(kvimpl::WidgetOf(Item(id)));
        ASSERT_NE(button, nullptr) << id;
        EXPECT_LE(button->sizeHint().width(), button->width()) << button->text().toStdString();
    }
}
