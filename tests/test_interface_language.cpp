// The interface language: the default start shows the templates' own texts byte for byte; in
// English no Chinese is left anywhere a user reads, in the window, its menus and its boxes.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include "platform/ui/window_p.h"
#include "support/app_env.h"
#include "support/menu_watcher.h"

namespace {
// The language choice names itself in both languages, and each language in its own words.
const QStringList kBilingual = {QStringLiteral("界面语言 / Language"), QStringLiteral("中文")};

bool Chinese(const QString& s) {
    static const QRegularExpression cjk(
        QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}"
                       "\\x{ff00}-\\x{ffef}]"));
    return !kBilingual.contains(s) && cjk.match(s).hasMatch();
}

// Every text of a window and its controls that holds Chinese, as "where: text".
void ChineseIn(QWidget* top, const QString& where, QStringList& found) {
    QList<QWidget*> all = top->findChildren<QWidget*>();
    all.prepend(top);
    for (QWidget* w : all) {
        QStringList texts = {w->windowTitle(), w->toolTip(), w->accessibleName(),
                             w->accessibleDescription()};
        if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i) texts << c->itemText(i);
        if (auto* m = qobject_cast<QMenu*>(w))
            for (QAction* a : m->actions()) texts << a->text() << a->toolTip();
        for (const QString& t : texts)
            if (Chinese(t)) found << where + ": " + t;
    }
}

void ChineseInMenu(QMenu* menu, const QString& where, QStringList& found) {
    for (QAction* a : menu->actions()) {
        if (Chinese(a->text())) found << where + ": " + a->text();
        if (a->menu()) ChineseInMenu(a->menu(), where, found);
    }
}

// Runs `open`, which brings up a modal box, reads the box, lets `inside` open boxes from it,
// and closes it.
void ScanModal(const QString& where, const std::function<void()>& open, QStringList& found,
               const std::function<void(QWidget*)>& inside = nullptr) {
    QWidget* before = QApplication::activeModalWidget();
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (seen || !box || box == before) return;
        seen = true;
        poll.stop();
        ChineseIn(box, where, found);
        if (inside) inside(box);
        if (auto* d = qobject_cast<QDialog*>(box))
            d->reject();
        else
            box->close();
    });
    poll.start(10);
    open();
    kvtest::PumpUntil([&] { return seen; }, 3000);
    EXPECT_TRUE(seen) << where.toStdString();
}

CWnd* Item(QWidget* box, int id) {
    return CWnd::FromHandle(kvimpl::OwnHandleOfWidget(box))->GetDlgItem(id);
}
}  // namespace

class LanguageTest : public DialogTest {
protected:
    void TearDown() override {
        DialogTest::TearDown();
        AfxSetLanguage(LANG_CHINESE);
    }
};

TEST_F(LanguageTest, TheDefaultStartShowsTheDesignedTextsByteForByte) {
    ASSERT_EQ(AfxGetLanguage(), LANG_CHINESE);
    CreateDialog();
    const DLGTEMPLATE_DATA* t = AfxFindTemplate(IDD_MAIN_DIALOG);
    ASSERT_NE(t, nullptr);
    // The texts the window itself sets at start.
    const int kSetAtStart[] = {IDC_STATUS_STATIC, IDC_RX_COUNT_STATIC, IDC_TX_COUNT_STATIC};
    int compared = 0;
    for (int i = 0; i < t->itemCount; ++i) {
        const DLGITEM& it = t->items[i];
        const bool bCaption = !strcmp(it.className, WC_BUTTON) || !strcmp(it.className, WC_STATIC);
        if (!bCaption || !*it.text ||
            std::count(std::begin(kSetAtStart), std::end(kSetAtStart), it.id))
            continue;
        EXPECT_STREQ(Text(it.id), it.text) << it.id;
        ++compared;
    }
    EXPECT_GT(compared, 20);
    CString title;
    m_dlg->GetWindowText(title);
    EXPECT_STREQ(title, "Quelmar串口调试助手 V1.9   www.quelmar.example ");
}

TEST_F(LanguageTest, InEnglishNoChineseIsLeftInTheWindowItsMenusOrItsBoxes) {
    ASSERT_TRUE(AfxSetLanguage(LANG_ENGLISH));
    CreateDialog();
    kvtest::Pump(50);
    QWidget* w = kvimpl::WidgetOf(m_dlg.get());
    QStringList found;
    ChineseIn(w, "window", found);

    // The menus: the window's, the receive area's and the send area's.
    {
        QString where;
        MenuWatcher menus([&](QMenu* menu) { ChineseInMenu(menu, where, found); });
        where = "system menu";
        m_dlg->GetDlgItem(IDC_SEND_BUTTON)->SetFocus();
        kvtest::PressKey(m_dlg.get(), Qt::Key_Space, Qt::AltModifier);
        for (int id : {IDC_RECEIVE_EDIT, IDC_SEND_EDIT}) {
            where = id == IDC_RECEIVE_EDIT ? "receive menu" : "send menu";
            CWnd* c = m_dlg->GetDlgItem(id);
            const int before = menus.m_nMenus;
            m_dlg->SendMessage(WM_CONTEXTMENU, (WPARAM)c->GetSafeHwnd(), MAKELPARAM(10, 10));
            kvtest::PumpUntil([&] { return menus.m_nMenus > before; }, 2000);
        }
        EXPECT_EQ(menus.m_nMenus, 3);
    }

    // The boxes: settings (and the two it opens), find, about; the plot window.
    ScanModal(
        "settings", [&] { kvtest::PressKey(m_dlg.get(), Qt::Key_Comma, Qt::ControlModifier); },
        found,
        [&](QWidget* box) {
            ScanModal(
                "highlights", [&] { kvtest::Click(Item(box, IDC_SET_HIGHLIGHTS)); }, found);
            ScanModal(
                "auto reply", [&] { kvtest::Click(Item(box, IDC_SET_AUTO_REPLY_EDIT)); }, found);
        });
    ScanModal(
        "about", [&] { m_dlg->SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0); }, found);
    kvtest::PressKey(m_dlg.get(), Qt::Key_F, Qt::ControlModifier);
    kvtest::PressKey(m_dlg.get(), Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    kvtest::Pump(50);
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top != w && top->isVisible() && !qobject_cast<QMenu*>(top)) {
            ++windows;
            ChineseIn(top, "window " + top->windowTitle(), found);
        }
    EXPECT_GE(windows, 2);  // the find box and the plot
    EXPECT_TRUE(found.isEmpty()) << found.join("\n").toStdString();
}
