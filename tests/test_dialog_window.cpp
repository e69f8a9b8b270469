// The main window as the user meets it: Alt+Space, the ways to close it, check boxes changed
// through assistive technology, status changes told to it, lists refilled, long quick commands and
// the limit of what the user enters.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <functional>

#include "platform/logview/logview_hooks.h"
#include "platform/logview/logview_tell.h"
#include "platform/ui/dialog_widget.h"
#include "platform/ui/label_name.h"
#include "platform/ui/qtext.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"
#include "support/menu_watcher.h"
#include "support/port_dialog.h"

inline void PrintTo(const QString& s, std::ostream* os) { *os << s.toStdString(); }

// Alt+Space, Shift+F10 and the Menu key open a menu and do nothing else: the window's menu,
// except that the last two give the receive area's own menu where it has the focus.
TEST_F(PortDialogTest, MenuKeysOpenTheWindowOrReceiveMenuFromAnyControlAndDoNothingElse) {
    AddDevice(1);
    CreateDialog();
    m_dlg->m_strCmd[0] = "AT";
    m_dlg->UpdateData(FALSE);
    QString first;
    MenuWatcher menus([&](QMenu* menu) {
        first = menu->actions().isEmpty() ? QString() : menu->actions()[0]->text();
    });
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
    } keys[] = {{Qt::Key_Space, Qt::AltModifier},
                {Qt::Key_F10, Qt::ShiftModifier},
                {Qt::Key_Menu, Qt::NoModifier}};
    const int focused[] = {IDC_OPEN_BUTTON, IDC_HEX_DISPLAY_CHECK, IDC_CMD_EDIT1,   IDC_SEND_EDIT,
                           IDC_BAUD_COMBO,  IDC_PORT_COMBO,        IDC_RECEIVE_EDIT};
    for (const auto& k : keys) {
        for (int id : focused) {
            m_dlg->GetDlgItem(id)->SetFocus();
            int before = menus.m_nMenus;
            kvtest::PressKey(m_dlg.get(), k.key, k.mods);
            EXPECT_EQ(menus.m_nMenus, before + 1) << id << " key " << k.key;
            bool bReceiveMenu = id == IDC_RECEIVE_EDIT && k.key != Qt::Key_Space;
            EXPECT_EQ(first, bReceiveMenu ? QStringLiteral("复制") : QStringLiteral("还原(&R)"))
                << id << " key " << k.key;
        }
    }
    // Ctrl+, opens the settings box from any control.
    for (int id : {IDC_SEND_EDIT, IDC_RECEIVE_EDIT}) {
        m_dlg->GetDlgItem(id)->SetFocus();
        QString title;
        QTimer::singleShot(50, [&] {
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                box->reject();
            }
        });
        kvtest::PressKey(m_dlg.get(), Qt::Key_Comma, Qt::ControlModifier);
        EXPECT_EQ(title, QStringLiteral("更多设置")) << id;
    }
    kvtest::Pump(50);
    m_dlg->UpdateData(TRUE);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), "COM1 CLOSED");
    EXPECT_FALSE(m_dlg->m_bHexDisplay);
    EXPECT_STREQ(m_dlg->m_strCmd[0], "AT");
    EXPECT_STREQ(m_dlg->m_strSend, "");
    EXPECT_STREQ(m_dlg->m_strBaud, "9600");
}

// Each way of closing runs on a dialog of its own, whose modal run must end with IDCANCEL.
TEST_F(AppEnv, TheCloseBoxAltF4AndTheSystemMenusCloseEndTheModalRun) {
    const std::function<void(CKIVERNDlg&)> ways[] = {
        [](CKIVERNDlg& d) { kvimpl::WidgetOf(&d)->close(); },  // the close box
        [](CKIVERNDlg& d) { kvtest::PressKey(&d, Qt::Key_F4, Qt::AltModifier); },
        [](CKIVERNDlg& d) {
            MenuWatcher closer([](QMenu* m) {
                QAction* close = ActionStartingWith(m, QStringLiteral("关闭"));
                ASSERT_NE(close, nullptr);
                close->trigger();
            });
            kvtest::PressKey(&d, Qt::Key_Space, Qt::AltModifier);
        },
    };
    for (size_t i = 0; i < std::size(ways); ++i) {
        CKIVERNDlg dlg;
        bool acted = false, timedOut = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (acted || !kvtest::IsDialogVisible(&dlg)) return;
            acted = true;
            ways[i](dlg);
        });
        poll.start(10);
        QTimer::singleShot(5000, [&] {
            if (!kvtest::IsDialogVisible(&dlg)) return;
            timedOut = true;
            dlg.EndDialog(IDOK);
        });
        EXPECT_EQ(dlg.DoModal(), IDCANCEL) << "way " << i;
        EXPECT_TRUE(acted && !timedOut) << "way " << i;
    }
}

TEST_F(PortDialogTest, ACheckBoxChangedThroughAssistiveTechnologyReachesItsHandler) {
    AddDevice(1);
    CreateDialog();
    OpenPort("COM1");
    HWND hDlg = m_dlg->GetSafeHwnd();
    CWnd* box = m_dlg->GetDlgItem(IDC_TIMED_SEND_CHECK);
    QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(kvimpl::WidgetOf(box));
    ASSERT_TRUE(acc && acc->actionInterface());
    // Toggling starts the timed send, toggling again stops it.
    acc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(kvtest::TimerPeriod(hDlg, IDT_TIMED_SEND), 1000);
    acc->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(kvtest::TimerPeriod(hDlg, IDT_TIMED_SEND), -1);
    // Pressing is a click.
    acc->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    auto* check = static_cast<CButton*>(box);
    ASSERT_TRUE(kvtest::PumpUntil([&] { return check->GetCheck() == BST_CHECKED; }, 2000));
    EXPECT_EQ(kvtest::TimerPeriod(hDlg, IDT_TIMED_SEND), 1000);
    // A change the program makes is no click: the timer runs on.
    check->SetCheck(BST_UNCHECKED);
    m_dlg->m_bTimedSend = FALSE;
    m_dlg->UpdateData(FALSE);
    EXPECT_EQ(kvtest::TimerPeriod(hDlg, IDT_TIMED_SEND), 1000);
}

// What a screen reader calls each control that has no caption of its own, or whose caption
// does not say what it is; captions stay as they are.
TEST_F(PortDialogTest, ControlsHaveAccessibleNamesAndKeepTheirCaptions) {
    AddDevice(1);
    CreateDialog();
    const struct {
        int nID;
        const char16_t* name;
    } names[] = {
        {IDC_PORT_COMBO, u"串口"},
        {IDC_BAUD_COMBO, u"波特率"},
        {IDC_DATABITS_COMBO, u"数据位"},
        {IDC_PARITY_COMBO, u"校验位"},
        {IDC_STOPBITS_COMBO, u"停止位"},
        {IDC_FLOWCTRL_COMBO, u"流控"},
        {IDC_RECEIVE_EDIT, u"接收区"},
        {IDC_SEND_EDIT, u"发送区"},
        {IDC_INTERVAL_EDIT, u"定时发送间隔"},
        {IDC_HISTORY_COMBO, u"发送历史"},
        {IDC_CMD_EDIT3, u"指令 3"},
        {IDC_CMD_HEX3, u"指令 3 HEX"},
        {IDC_CMD_SEND12, u"发送指令 12"},
        {IDC_DTR_CHECK, u"DTR 控制线"},
        {IDC_MODEM_STATIC, u"输入线"},
        {IDC_OPEN_BUTTON, u"打开串口"},
        {IDC_TIMED_SEND_CHECK, u"定时发送"},
    };
    // A list box is named by its label (its own name is its current text), the rest by name.
    auto name = [this](int id) {
        QAccessibleInterface* acc =
            QAccessible::queryAccessibleInterface(kvimpl::WidgetOf(m_dlg->GetDlgItem(id)));
        if (!acc) return QString();
        auto labels = acc->relations(QAccessible::Label);
        if (!labels.isEmpty())
            return kvimpl::LabelAsName(labels.first().first->text(QAccessible::Name));
        return acc->text(QAccessible::Name);
    };
    for (const auto& n : names) EXPECT_EQ(name(n.nID), QString::fromUtf16(n.name)) << n.nID;
    EXPECT_STREQ(Text(IDC_CMD_SEND12), "12");
    EXPECT_STREQ(Text(IDC_DTR_CHECK), "DTR");
    // The input lines are named in words while a port is open.
    OpenPort("COM1");
    EXPECT_TRUE(name(IDC_MODEM_STATIC).startsWith(QString::fromUtf16(u"输入线：")))
        << qPrintable(name(IDC_MODEM_STATIC));
}

// The texts told, in GBK.
std::vector<std::string> g_toldNames;
void RecordNameChanged(QAccessibleEvent* ev) {
    auto* label = qobject_cast<QLabel*>(ev->object());
    if (ev->type() == QAccessible::NameChanged && label)
        g_toldNames.push_back((const char*)kvimpl::ToGbk(label->text()));
}

// The status line is told to a screen reader when it changes although it never has the focus:
// an opening and a closing each, a burst of changes a few times a second and its last text.
TEST_F(PortDialogTest, StatusChangesAreToldAFewTimesASecondEndingWithTheLast) {
    AddDevice(1);
    CreateDialog();
    g_toldNames.clear();
    SetLogViewEventHook(&RecordNameChanged);
    OpenPort("COM1");
    ASSERT_TRUE(kvtest::PumpUntil([] { return !g_toldNames.empty(); }, 2000));
    EXPECT_EQ(g_toldNames.back(), "COM1 OPENED, 9600");
    kvtest::Pump(300);
    g_toldNames.clear();
    for (int i = 0; i < 50; ++i) {
        m_dlg->m_stStatus.SetWindowText(i % 2 ? "Send OK" : "Send Data Error");
        kvtest::Pump(5);
    }
    m_dlg->m_stStatus.SetWindowText("COM1 等待重连...");
    ASSERT_TRUE(kvtest::PumpUntil(
        [] { return !g_toldNames.empty() && g_toldNames.back() == "COM1 等待重连..."; }, 2000));
    EXPECT_LE(g_toldNames.size(), 5u);
    kvtest::Click(m_dlg->GetDlgItem(IDC_OPEN_BUTTON));
    ASSERT_TRUE(kvtest::PumpUntil([] { return g_toldNames.back() == "COM1 CLOSED"; }, 2000));
    SetLogViewEventHook(nullptr);
}

TEST_F(PortDialogTest, AListEmptiedAndRefilledHasNoSelectionUntilOneIsSet) {
    AddDevice(3);
    CreateDialog();
    // The open port's device goes away: the close reads the list while nothing is selected.
    OpenPort("COM3");
    ASSERT_STREQ(m_dlg->m_strPortState, "打开");
    AddDevice(4);
    m_devices[0].reset();
    m_dlg->SendMessage(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), " CLOSED");
    EXPECT_EQ(m_dlg->m_cbPort.GetCurSel(), 0);
    // A drop-down list and a list with an edit field alike.
    for (CComboBox* cb : {&m_dlg->m_cbPort, &m_dlg->m_cbBaud}) {
        cb->ResetContent();
        cb->AddString("COM5");
        cb->AddString("COM6");
        EXPECT_EQ(cb->GetCurSel(), CB_ERR);
        CString text;
        cb->GetWindowText(text);
        EXPECT_STREQ(text, "");
        cb->SetCurSel(1);
        cb->AddString("COM7");  // a selection stays where it is
        EXPECT_EQ(cb->GetCurSel(), 1);
        cb->GetWindowText(text);
        EXPECT_STREQ(text, "COM6");
    }
}

TEST_F(DialogTest, AQuickCommandOfAnyLengthKeepsItsTail) {
    CreateDialog();
    CString longCmd;
    for (int i = 0; i < 5000; ++i) longCmd += "AT+LONG;";  // 40000 characters
    longCmd += "END";
    m_dlg->m_strCmd[11] = longCmd;
    m_dlg->UpdateData(FALSE);
    m_dlg->m_strCmd[11].Empty();
    m_dlg->UpdateData(TRUE);
    EXPECT_EQ(m_dlg->m_strCmd[11].GetLength(), longCmd.GetLength());
    EXPECT_TRUE(m_dlg->m_strCmd[11] == longCmd);
}

// A user's paste that would make an edit longer than its limit is refused whole; one that fits,
// or one into an edit the program filled past the limit that does not lengthen it, goes in.
TEST_F(DialogTest, WhatTheUserPastesIsLimitedWhatTheProgramSetsIsNot) {
    CreateDialog();
    auto lines = [](int n) {  // n characters in lines of 64, quick to lay out
        QString s(n, QChar('A'));
        for (int i = 63; i < n; i += 64) s[i] = QChar('\n');
        return s;
    };
    struct Case {
        int id;
        int nBefore;  // characters the program put in first
        int nPasted;
        bool bTaken;
    } cases[] = {
        {IDC_CMD_EDIT1, 0, 32767, true},          {IDC_CMD_EDIT1, 0, 32768, false},
        {IDC_CMD_EDIT1, 40000, 1, false},         {IDC_SEND_EDIT, 0, 1 << 20, true},
        {IDC_SEND_EDIT, 0, (1 << 20) + 1, false}, {IDC_SEND_EDIT, 2 << 20, 0, true},
    };
    for (const Case& c : cases) {
        QWidget* w = kvimpl::WidgetOf(m_dlg->GetDlgItem(c.id));
        QString before = c.id == IDC_SEND_EDIT ? lines(c.nBefore) : QString(c.nBefore, QChar('B'));
        if (auto* le = qobject_cast<QLineEdit*>(w)) le->setText(before);
        if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) pe->setPlainText(before);
        QApplication::clipboard()->setText(c.id == IDC_SEND_EDIT ? lines(c.nPasted)
                                                                 : QString(c.nPasted, QChar('x')));
        m_dlg->GetDlgItem(c.id)->SetFocus();
        kvtest::PressKey(m_dlg.get(), Qt::Key_V, Qt::ControlModifier);
        auto* le = qobject_cast<QLineEdit*>(w);
        qsizetype nText =
            le ? le->text().size() : qobject_cast<QPlainTextEdit*>(w)->toPlainText().size();
        EXPECT_EQ(nText, c.nBefore + (c.bTaken ? c.nPasted : 0))
            << c.id << " " << c.nBefore << "+" << c.nPasted;
    }
}
