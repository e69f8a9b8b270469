// The settings box and its file: reached from the system menu and the receive display's
// context menu, written only when an option changed, read back by the next start.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <fstream>
#include <functional>

#include "options/AutoReplyDlg.h"
#include "options/Colors.h"
#include "options/SettingsDlg.h"
#include "platform/logview/logview.h"
#include "platform/ui/window_p.h"
#include "support/app_env.h"
#include "support/files.h"
#include "support/msgbox_recorder.h"
#include "support/permissions.h"

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
        CString checksum;
        box->GetDlgItem(IDC_SET_CHECKSUM)->GetWindowText(checksum);
        EXPECT_STREQ(checksum, "无");
        Choose(box, IDC_SET_CHECKSUM, 4);
        Choose(box, IDC_SET_CHECKSUM_ORDER, 1);
        static_cast<CButton*>(box->GetDlgItem(IDC_SET_LOOSE_HEX))->SetCheck(BST_CHECKED);
        box->GetDlgItem(IDC_SET_BREAK_MS)->SetWindowText("500");
        Choose(box, IDC_SET_RESET_LINE, 1);
        box->GetDlgItem(IDC_SET_RESET_MS)->SetWindowText("20000");  // out of range: kept
        static_cast<CButton*>(box->GetDlgItem(IDC_SET_LINE_STAMPS))->SetCheck(BST_CHECKED);
        Choose(box, IDC_SET_HEX_ROW_BYTES, 2);
        box->GetDlgItem(IDC_SET_FONT_PX)->SetWindowText("20");
        static_cast<CButton*>(box->GetDlgItem(IDC_SET_AUTO_REPLY))->SetCheck(BST_CHECKED);
        Choose(box, IDC_SET_LANGUAGE, 1);  // English from the next start
        // Colours: escape sequences read, sent lines in blue, the example highlights.
        static_cast<CButton*>(box->GetDlgItem(IDC_SET_ANSI))->SetCheck(BST_CHECKED);
        Choose(box, IDC_SET_SENT_COLOR, 4);
        QTimer::singleShot(30, [] {
            CWnd* hl =
                CWnd::FromHandle(kvimpl::OwnHandleOfWidget(QApplication::activeModalWidget()));
            ASSERT_NE(hl, nullptr);
            kvtest::Click(hl->GetDlgItem(IDC_HL_EXAMPLE));
            kvtest::Click(hl->GetDlgItem(IDOK));
        });
        kvtest::Click(box->GetDlgItem(IDC_SET_HIGHLIGHTS));
        CString summary;
        box->GetDlgItem(IDC_SET_HIGHLIGHT_SUMMARY)->GetWindowText(summary);
        EXPECT_STREQ(summary, "高亮关键字：3 条规则");
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
    EXPECT_EQ(m_dlg->m_settings.m_nBreakMs, 500);
    EXPECT_EQ(m_dlg->m_settings.m_nResetLine, KV_RESET_RTS);
    EXPECT_EQ(m_dlg->m_settings.m_nResetMs, 100);
    EXPECT_EQ(m_dlg->m_settings.m_nChecksum, KV_CHECK_CRC16_MODBUS);
    EXPECT_EQ(m_dlg->m_settings.m_nChecksumOrder, KV_ORDER_HIGH_FIRST);
    EXPECT_FALSE(m_dlg->m_settings.m_bChecksumText);
    EXPECT_TRUE(m_dlg->m_settings.m_bLooseHex);
    EXPECT_TRUE(m_dlg->m_settings.m_display.m_bLineStamps);
    EXPECT_EQ(m_dlg->m_settings.m_display.m_nHexRowBytes, 32);
    EXPECT_EQ(m_dlg->m_settings.m_display.m_nFontPx, 20);
    EXPECT_TRUE(m_dlg->m_settings.m_bAutoReply);
    EXPECT_EQ(m_dlg->m_settings.m_nLanguage, LANG_ENGLISH);
    EXPECT_EQ(AfxGetLanguage(), LANG_CHINESE);  // this run's language stays
    EXPECT_TRUE(m_dlg->m_settings.m_bAnsiColors);
    EXPECT_EQ(m_dlg->m_settings.m_nSentColor, 3);
    EXPECT_TRUE(m_dlg->m_settings.m_highlights == KvExampleHighlights());
    auto* view = qobject_cast<LogView*>(kvimpl::WidgetOf(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT)));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->AnsiColors());
}

TEST_F(SettingsTest, BadMembersKeepTheDefaultsAndAnUnreadableFileIsLeftAlone) {
    // Each file is set up by its row; an unusable one loads the defaults at once (no wait, no
    // crash, no read of an endless device), is never written, and says why.
    const std::string deep = "{\"a\":" + std::string(1000, '[') + std::string(1000, ']') + "}";
    struct {
        const char* name;
        std::function<void()> make;
        bool readable;
        const char* problem;
    } cases[] = {
        {"bad members",
         [&] {
             Write(
                 "{\"encoding\":\"latin1\",\"lineEnding\":7,\"rtsAtOpen\":\"driver\","
                 "\"reconnectSeconds\":-5,\"ports\":[{\"number\":0,\"path\":\"/dev/x\"},"
                 "{\"number\":3}],\"checksum\":\"CRC-99\",\"checksumOrder\":1,"
                 "\"looseHex\":\"yes\",\"breakMs\":0,\"resetLine\":\"DSR\","
                 "\"resetMs\":10001,\"hexRowBytes\":12,\"rxFontPx\":500,\"ansiColors\":\"yes\","
                 "\"sentLineColor\":\"pink\","
                 "\"highlights\":[{\"pattern\":\"\",\"color\":\"#FF0000\"},"
                 "{\"pattern\":\"E\",\"color\":\"red\"},{\"color\":\"#FF0000\"}]}");
         },
         true, ""},
        {"not an object", [&] { Write("[1,2]"); }, false, "not a JSON object"},
        {"not JSON", [&] { Write("{ not json"); }, false, "not valid JSON"},
        {"nested 1000 deep", [&] { Write(deep); }, false, "not valid JSON"},
        {"FIFO", [&] { ASSERT_EQ(mkfifo(File().c_str(), 0600), 0); }, false, "not a regular file"},
        {"link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", File()); }, false,
         "not a regular file"},
        {"over the cap", [&] { Write(std::string((1u << 20) + 1, ' ')); }, false, "larger than"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::create_directories(m_dir + "/config/kivern");
        std::filesystem::remove(File());
        c.make();
        auto type = std::filesystem::symlink_status(File()).type();
        std::string before = type == std::filesystem::file_type::regular ? Read() : "";
        CKivernSettings s;
        EXPECT_EQ(s.Load() != FALSE, c.readable);
        EXPECT_EQ(s, CKivernSettings());
        EXPECT_NE(s.LoadProblem().find(c.problem), std::string::npos) << s.LoadProblem();
        s.m_bShowSent = TRUE;
        EXPECT_EQ(s.Save() != FALSE, c.readable);
        if (!c.readable) {
            EXPECT_EQ(std::filesystem::symlink_status(File()).type(), type);
            if (type == std::filesystem::file_type::regular) {
                EXPECT_TRUE(Read() == before);
            }
        }
    }
}

TEST_F(SettingsTest, ASaveFollowsNoPlantedLinkAndTwoWritersLeaveOneWholeFile) {
    // A link planted at a temporary name, or as the file itself by another user, is not
    // followed: the file it leads to keeps its bytes.
    std::filesystem::create_directories(m_dir + "/config/kivern");
    const std::string victim = m_dir + "/victim";
    WriteBytes(victim, "another user's file");
    std::filesystem::create_symlink(victim, File() + ".tmp");
    CKivernSettings s;
    ASSERT_TRUE(s.Load());
    s.m_bShowSent = TRUE;
    EXPECT_TRUE(s.Save());
    EXPECT_EQ(ReadBytes(victim), "another user's file");
    std::filesystem::remove(File());
    std::filesystem::create_symlink(victim, File());
    if (lchown(File().c_str(), 4242, 4242) == 0) {
        EXPECT_FALSE(s.Save());
        EXPECT_EQ(ReadBytes(victim), "another user's file");
    }
    std::filesystem::remove(File());

    // Two programs saving at once, over and over, while a third reads: every read finds one
    // whole document.
    pid_t writers[2];
    for (int w = 0; w < 2; ++w) {
        writers[w] = fork();
        ASSERT_GE(writers[w], 0);
        if (writers[w] == 0) {
            CKivernSettings mine;
            mine.m_bKeepHistory = TRUE;
            for (int i = 0; i < 100; ++i)
                mine.m_history.emplace_back(std::string(300 + w * 77, char('a' + w)), false);
            int failed = 0;
            for (int i = 0; i < 100; ++i) {
                mine.m_nReconnectSecs = 1 + i;
                if (!mine.Save()) ++failed;
            }
            _exit(failed);
        }
    }
    int reads = 0;
    int status[2] = {-1, -1};
    for (;;) {
        bool running = false;
        for (int w = 0; w < 2; ++w)
            if (status[w] == -1 && waitpid(writers[w], &status[w], WNOHANG) == 0) {
                status[w] = -1;
                running = true;
            }
        // (The first save creates the file empty, which reads as the defaults, until its
        // document is renamed over it.)
        if (FileExists() && std::filesystem::file_size(File()) > 0) {
            CKivernSettings r;
            EXPECT_TRUE(r.Load()) << r.LoadProblem();
            EXPECT_EQ(r.m_history.size(), 100u);
            ++reads;
        }
        if (!running) break;
    }
    EXPECT_EQ(status[0], 0) << "saves failed";
    EXPECT_EQ(status[1], 0) << "saves failed";
    CKivernSettings last;
    EXPECT_TRUE(last.Load()) << last.LoadProblem();
    EXPECT_EQ(last.m_nReconnectSecs, 100);
    EXPECT_GT(reads, 0);
}

TEST_F(SettingsTest, TheBoxSaysWhenChangesWillNotLast) {
    struct {
        const char* name;
        const char* doc;  // nullptr: no file
        mode_t folderMode;
        const char* notice;
    } cases[] = {
        {"usable", "{}", 0755, ""},
        {"unusable file", "{ not json", 0755, "settings.json 无法使用，\n更改不会保存。"},
        {"read-only folder", nullptr, 0555, "settings.json 无法写入，\n更改不会保存。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_dir + "/config");
        std::filesystem::create_directories(m_dir + "/config/kivern");
        if (c.doc) Write(c.doc);
        chmod((m_dir + "/config/kivern").c_str(), c.folderMode);
        FilePermissionsEnforced enforced;
        if (!enforced.Ok()) GTEST_SKIP() << "cannot drop the permission override";
        CreateDialog();
        CString shown;
        bool visible = false;
        RunBox([&](CWnd* box) {
            box->GetDlgItem(IDC_SET_NOT_SAVED)->GetWindowText(shown);
            visible = box->GetDlgItem(IDC_SET_NOT_SAVED)->IsWindowVisible() != FALSE;
            kvtest::Click(box->GetDlgItem(IDCANCEL));
        });
        EXPECT_STREQ(shown, c.notice);
        EXPECT_EQ(visible, *c.notice != 0);
        m_dlg->DestroyWindow();
        chmod((m_dir + "/config/kivern").c_str(), 0755);
    }
}

// A refused row of the auto-reply box is named, and the focus goes to its field at fault, in
// either language; a row with a delay of 0 is taken.
TEST_F(SettingsTest, TheAutoReplyBoxTakesGoodRowsAndFocusesTheFieldOfARefusedOne) {
    struct ChineseAgain {
        ~ChineseAgain() { AfxSetLanguage(LANG_CHINESE); }
    } chineseAgain;
    CreateDialog();
    struct {
        const char* name;
        const char* reply;
        bool hex;
        const char* delay;
        int field;            // 0: the row is taken
        const char* english;  // how the message starts
    } cases[] = {
        {"no delay", "ok", false, "0", 0, nullptr},
        {"longest delay", "ok", false, "60000", 0, nullptr},
        {"delay too long", "ok", false, "60001", IDC_AUTO_DELAY, "Row 1: the delay must be"},
        {"bad delay", "ok", false, "x", IDC_AUTO_DELAY, "Row 1: the delay must be"},
        {"bad hex", "zz", true, "0", IDC_AUTO_REPLY, "Row 1: the reply is not hex"},
        {"no reply", "", false, "0", IDC_AUTO_REPLY, "Row 1: no reply."},
    };
    for (int lang : {LANG_CHINESE, LANG_ENGLISH}) {
        ASSERT_TRUE(AfxSetLanguage(lang));
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (lang == LANG_ENGLISH ? ", English" : ""));
            CAutoReplyDlg box({}, m_dlg.get());
            ASSERT_TRUE(box.Create(IDD_AUTO_REPLY, m_dlg.get()));
            auto item = [&](int column) { return box.GetDlgItem(IDC_AUTO_ROW0 + column); };
            item(IDC_AUTO_PATTERN)->SetWindowText("AT");
            item(IDC_AUTO_REPLY)->SetWindowText(c.reply);
            static_cast<CButton*>(item(IDC_AUTO_HEX))->SetCheck(c.hex ? BST_CHECKED : 0);
            item(IDC_AUTO_DELAY)->SetWindowText(c.delay);
            MessageBoxRecorder boxes;
            kvtest::Click(box.GetDlgItem(IDOK));
            if (!c.field) {
                EXPECT_EQ(boxes.Count(), 0u) << boxes.Last().strText;
                ASSERT_EQ(box.m_rules.size(), 1u);
                EXPECT_EQ(box.m_rules[0].nDelayMs, atoi(c.delay));
            } else {
                ASSERT_EQ(boxes.Count(), 1u);
                if (lang == LANG_ENGLISH) {
                    EXPECT_EQ(boxes.Last().strText.Find(c.english), 0) << boxes.Last().strText;
                }
                EXPECT_EQ(kvimpl::WidgetOf(&box)->focusWidget(), kvimpl::WidgetOf(item(c.field)));
            }
            box.DestroyWindow();
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
            if (a->text().startsWith(QStringLiteral("更多设置...\tCtrl+,"))) settings = a;
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
        QStringLiteral("复制 (off)|全选|查找...\tCtrl+F|暂停滚动|实时记录到文件|解析 ANSI 颜色|"
                       "绘图...\tCtrl+Shift+P|发送文件...\tCtrl+Shift+F|接收文件...\tCtrl+Shift+R|"
                       "取消传输\tEsc (off)|运行脚本...\tCtrl+Shift+L|停止脚本\tCtrl+Shift+K (off)|"
                       "每行时间戳|十六进制按行显示|放大\tCtrl+=|缩小\tCtrl+-|默认大小\tCtrl+0 "
                       "(off)|更多设置...\tCtrl+,"));
    kvtest::Pump(100);
    EXPECT_TRUE(opened);
}
}  // namespace

namespace {
// Sent lines take their colour after a stamp and the time since the line before, and only
// at a line's start.
TEST(SentLineColour, ColoursSentLinesWholeAndNothingElse) {
    const uint32_t blue = 0xFF000000u | g_kvColors[3].rgb;
    struct {
        const char* text;
        bool coloured;
    } cases[] = {
        {"TX> AT", true},
        {"[2026/12/10 11:20:00.123] TX> AT", true},
        {"[2026/12/10 11:20:00.123] +0.012 TX> AT", true},
        {"OK TX> AT", false},
        {"RX> TX> ", false},
    };
    for (const auto& c : cases) {
        CString text(c.text);
        LogIndex index;
        index.Update(&text);
        LogStyler styler;
        styler.SetHighlights(KvViewHighlights({}, 3));
        auto m = styler.MatchRange(index, 0, index.Length());
        bool whole = m.size() == 1 && m[0].b == 0 && m[0].e == index.Length() && m[0].rgb == blue;
        EXPECT_EQ(whole, c.coloured) << c.text;
        EXPECT_EQ(m.empty(), !c.coloured) << c.text;
    }
}
}  // namespace
