// The settings box and its file: reached from the system menu and the receive display's
// context menu, written only when an option changed, read back by the next start.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <fstream>

#include "app/SettingsDlg.h"
#include "platform/ui/window_p.h"
#include "support/app_env.h"

namespace {
class SettingsTest : public DialogTest {
protected:
    std::string File() const { return m_dir + "/config/kivern/settings.json"; }
    bool FileExists() const { return std::filesystem::exists(File()); }
    void Write(const std::string& text) {
        std::filesystem::create_directories(m_dir + "/config/kivern");
        std::ofstream(File()) << text;
    }
    std::string Read() const {
        std::ifstream in(File());
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Runs the settings box from the system menu; act() gets the box while it is up and
    // ends it.
    void RunBox(const std::function<void(CWnd*)>& act) {
        bool seen = false;
        QTimer::singleShot(30, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            CWnd* self = CWnd::FromHandle(kvimpl::OwnHandleOfWidget(box));
            ASSERT_NE(self, nullptr);
            CString title;
            self->GetWindowText(title);
            seen = title == "更多设置";
            act(self);
        });
        m_dlg->SendMessage(WM_SYSCOMMAND, IDM_SETTINGS, 0);
        EXPECT_TRUE(seen);
    }
    static void Choose(CWnd* box, int id, int index) {
        static_cast<CComboBox*>(box->GetDlgItem(id))->SetCurSel(index);
    }
};

TEST_F(SettingsTest, OkWithoutChangeWritesNothingAndCancelKeepsTheOptions) {
    CreateDialog();
    RunBox([](CWnd* box) {
        CString enc, eol;
        box->GetDlgItem(IDC_SET_ENCODING)->GetWindowText(enc);
        box->GetDlgItem(IDC_SET_LINE_END)->GetWindowText(eol);
        EXPECT_STREQ(enc, "GBK");
        EXPECT_STREQ(eol, "无");
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    EXPECT_FALSE(FileExists());
    RunBox([](CWnd* box) {
        Choose(box, IDC_SET_ENCODING, 1);
        kvtest::Click(box->GetDlgItem(IDCANCEL));
    });
    EXPECT_FALSE(FileExists());
    EXPECT_EQ(m_dlg->m_settings, CKivernSettings());
}

TEST_F(SettingsTest, AChangeIsSavedAndReadByTheNextStart) {
    Write("{ \"laterOption\": { \"path\": \"/tmp/x.log\" } }");  // a member of another version
    CreateDialog();
    RunBox([](CWnd* box) {
        Choose(box, IDC_SET_ENCODING, 1);
        Choose(box, IDC_SET_LINE_END, 3);
        static_cast<CButton*>(box->GetDlgItem(IDC_SET_RECONNECT))->SetCheck(BST_CHECKED);
        box->GetDlgItem(IDC_SET_RECONNECT_SECS)->SetWindowText("12");
        kvtest::Click(box->GetDlgItem(IDOK));
    });
    EXPECT_EQ(m_dlg->m_settings.m_nEncoding, KV_ENC_UTF8);
    std::string text = Read();
    EXPECT_NE(text.find("\"UTF-8\""), std::string::npos) << text;
    EXPECT_NE(text.find("/tmp/x.log"), std::string::npos) << text;
    m_dlg->DestroyWindow();
    CreateDialog();
    EXPECT_EQ(m_dlg->m_settings.m_nEncoding, KV_ENC_UTF8);
    EXPECT_EQ(m_dlg->m_settings.m_nLineEnding, KV_EOL_CRLF);
    EXPECT_TRUE(m_dlg->m_settings.m_bReconnect);
    EXPECT_EQ(m_dlg->m_settings.m_nReconnectSecs, 12);
}

TEST_F(SettingsTest, BadMembersKeepTheDefaultsAndAnUnreadableFileIsLeftAlone) {
    struct {
        const char* doc;
        bool readable;
    } cases[] = {
        {"{\"encoding\":\"latin1\",\"lineEnding\":7,\"rtsAtOpen\":\"driver\",\"reconnectSeconds\":-"
         "5,"
         "\"ports\":[{\"number\":0,\"path\":\"/dev/x\"},{\"number\":3}]}",
         true},
        {"[1,2]", false},
        {"{ not json", false},
    };
    for (const auto& c : cases) {
        Write(c.doc);
        CKivernSettings s;
        EXPECT_EQ(s.Load() != FALSE, c.readable) << c.doc;
        EXPECT_EQ(s, CKivernSettings()) << c.doc;
        s.m_bShowSent = TRUE;
        EXPECT_EQ(s.Save() != FALSE, c.readable) << c.doc;
        if (!c.readable) {
            EXPECT_EQ(Read(), c.doc);
        }
    }
}

TEST_F(SettingsTest, ReceiveContextMenuOffersCopySelectAllAndSettings) {
    CreateDialog();
    CWnd* rx = m_dlg->GetDlgItem(IDC_RECEIVE_EDIT);
    QStringList items;
    bool opened = false;
    QTimer::singleShot(30, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* settings = nullptr;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) continue;
            items << a->text() + (a->isEnabled() ? "" : " (off)");
            if (a->text() == QStringLiteral("更多设置...")) settings = a;
        }
        // The settings box comes up once the menu has closed; cancel it.
        QTimer::singleShot(30, [&] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                opened = true;
                CWnd* self = CWnd::FromHandle(kvimpl::OwnHandleOfWidget(box));
                kvtest::Click(self->GetDlgItem(IDCANCEL));
            }
        });
        if (settings) settings->trigger();
        menu->close();
    });
    m_dlg->SendMessage(WM_CONTEXTMENU, (WPARAM)rx->GetSafeHwnd(), MAKELPARAM(10, 10));
    EXPECT_EQ(
        items.join("|"),
        QStringLiteral("复制 (off)|全选|查找...\tCtrl+F|暂停滚动|实时记录到文件|更多设置..."));
    kvtest::Pump(100);
    EXPECT_TRUE(opened);
}
}  // namespace
