// The main window after start-up: its controls, lists, fonts, texts and states.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <iterator>

#include "platform/ui/font.h"
#include "platform/ui/window.h"
#include "platform/ui/window_p.h"
#include "support/app_env.h"
#include "support/layout_classes.h"

namespace {

struct Expected {
    int id;
    const char* kind;
    int x, y, w, h;  // dialog units
    const char* text;
};

// The template, in its order (which is also the tab and Z order).
const Expected kControls[] = {
    {IDC_PORT_GROUP, "groupbox", 4, 5, 104, 184, "串口设置"},
    {IDC_RECEIVE_EDIT, "logedit", 110, 6, 262, 286, ""},
    {IDC_BAUD_LABEL, "label", 8, 50, 40, 9, "波特率："},
    {IDC_DATABITS_LABEL, "label", 8, 68, 40, 9, "数据位："},
    {IDC_PARITY_LABEL, "label", 8, 88, 40, 9, "校验位："},
    {IDC_STOPBITS_LABEL, "label", 8, 106, 40, 9, "停止位："},
    {IDC_OPEN_BUTTON, "pushbutton", 14, 149, 85, 29, "打开串口"},
    {IDC_BAUD_COMBO, "dropdown", 53, 50, 47, 76, nullptr},
    {IDC_DATABITS_COMBO, "droplist", 53, 68, 47, 71, nullptr},
    {IDC_PARITY_COMBO, "droplist", 53, 88, 47, 73, nullptr},
    {IDC_STOPBITS_COMBO, "droplist", 53, 106, 47, 72, nullptr},
    {IDC_SEND_EDIT, "multiedit", 109, 295, 294, 47, ""},
    {IDC_PORT_LABEL, "label", 8, 32, 40, 9, "串  口："},
    {IDC_FLOWCTRL_LABEL, "label", 8, 128, 40, 9, "流  控："},
    {IDC_FLOWCTRL_COMBO, "droplist", 52, 128, 48, 72, nullptr},
    {IDC_RX_GROUP, "groupbox", 4, 195, 104, 77, "接收设置"},
    {IDC_HEX_DISPLAY_CHECK, "checkbox", 11, 213, 44, 10, "HEX显示"},
    {IDC_AUTO_WRAP_CHECK, "checkbox", 11, 229, 48, 10, "自动换行"},
    {IDC_RX_TIME_CHECK, "checkbox", 11, 247, 48, 10, "接收时间"},
    {IDC_TX_GROUP, "groupbox", 4, 279, 103, 80, "发送设置"},
    {IDC_HEX_SEND_CHECK, "checkbox", 11, 297, 44, 10, "HEX发送"},
    {IDC_TIMED_SEND_CHECK, "checkbox", 11, 318, 48, 10, "定时发送"},
    {IDC_INTERVAL_EDIT, "edit", 28, 333, 41, 14, "1000"},
    {IDC_INTERVAL_UNIT_LABEL, "label", 76, 335, 21, 8, "ms/次"},
    {IDC_SAVE_RX_BUTTON, "pushbutton", 59, 241, 41, 19, "保存接收"},
    {IDC_STATUS_GROUP, "groupbox", 4, 359, 502, 23, ""},
    {IDC_STATUS_STATIC, "label", 8, 367, 115, 10, " CLOSED"},
    {IDC_RX_COUNT_STATIC, "label", 135, 367, 91, 11, "RX: 0 Bytes"},
    {IDC_TX_COUNT_STATIC, "label", 243, 367, 82, 13, "TX: 0 Bytes"},
    {IDC_SEND_BUTTON, "pushbutton", 407, 295, 50, 47, "发送"},
    {IDC_CLEAR_RX_BUTTON, "pushbutton", 59, 213, 42, 19, "清空接收"},
    {IDC_PORT_COMBO, "droplist", 53, 30, 47, 71, nullptr},
    {IDC_CMD_GROUP, "groupbox", 374, 2, 133, 290, "指令"},
    {IDC_DTR_CHECK, "checkbox", 332, 367, 28, 10, "DTR"},
    {IDC_RTS_CHECK, "checkbox", 361, 367, 28, 10, "RTS"},
    {IDC_MODEM_STATIC, "label", 394, 367, 109, 10, ""},
};

const int kTemplateOrder[77] = {
    1086, 1004, 1091, 1092, 1093, 1094, 1014, 1017, 1019, 1020, 1021, 1027, 1090, 1095, 1022, 1087,
    1032, 1033, 1034, 1088, 1035, 1036, 1043, 1096, 1045, 1089, 1052, 1051, 1050, 1046, 1047, 1024,
    1097, 1048, 1054, 1100, 1099, 1055, 1098, 1049, 1057, 1053, 1059, 1060, 1062, 1063, 1065, 1066,
    1068, 1069, 1071, 1072, 1074, 1075, 1077, 1078, 1080, 1081, 1082, 1083, 1085, 1025, 1101, 1102,
    1103, 1104, 1056, 1058, 1061, 1064, 1067, 1070, 1073, 1076, 1079, 1105, 1106};
// Controls added after the 77 above, in the free right part of the status band.
const int kAddedOrder[] = {IDC_DTR_CHECK, IDC_RTS_CHECK, IDC_MODEM_STATIC};

std::vector<CString> Items(CComboBox& cb) {
    std::vector<CString> items;
    for (int i = 0; i < cb.GetCount(); ++i) {
        CString s;
        cb.GetLBText(i, s);
        items.push_back(s);
    }
    return items;
}

}  // namespace

TEST_F(DialogTest, AllControlsInTemplateOrderWithKindTextAndPlace) {
    CreateDialog();
    std::vector<int> ids = kvtest::ChildControlIds(m_dlg.get());
    ASSERT_EQ(ids.size(), 77u + std::size(kAddedOrder));
    for (int i = 0; i < 77; ++i) EXPECT_EQ(ids[(size_t)i], kTemplateOrder[i]) << "position " << i;
    for (size_t i = 0; i < std::size(kAddedOrder); ++i) EXPECT_EQ(ids[77 + i], kAddedOrder[i]);
    // The modem-line toggles wait for an open port.
    EXPECT_FALSE(m_dlg->GetDlgItem(IDC_DTR_CHECK)->IsWindowEnabled());
    EXPECT_FALSE(m_dlg->GetDlgItem(IDC_RTS_CHECK)->IsWindowEnabled());

    // The window may be larger than its template (its minimum size counts the frame).
    RECT rc;
    m_dlg->GetClientRect(&rc);
    const int dx = rc.right - m_dlg->DluToPixelX(509), dy = rc.bottom - m_dlg->DluToPixelY(385);
    for (const Expected& e : kControls) {
        SCOPED_TRACE(e.id);
        CWnd* c = m_dlg->GetDlgItem(e.id);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(kvtest::ControlKind(c), e.kind);
        if (e.text) {
            EXPECT_STREQ(Text(e.id), e.text);
        }
        const char a = ClassOf(e.id);
        const int mx = (a == 'R' || a == 'P') ? dx : 0,
                  my = (a == 'B' || a == 'L' || a == 'R') ? dy : 0;
        const int gw = (a == 'S' || a == 'B') ? dx : 0, gh = a == 'S' ? dy : 0;
        RECT r = ClientRectOf(e.id);
        EXPECT_EQ(r.left, m_dlg->DluToPixelX(e.x) + mx);
        EXPECT_EQ(r.top, m_dlg->DluToPixelY(e.y) + my);
        EXPECT_EQ(r.right - r.left, m_dlg->DluToPixelX(e.w) + gw);
        // A combo box's template height includes its dropped list.
        if (std::string(e.kind).find("drop") == std::string::npos) {
            EXPECT_EQ(r.bottom - r.top, m_dlg->DluToPixelY(e.h) + gh);
        }
    }
    // The quick-command rows.
    const int hexY[12] = {30, 49, 66, 86, 107, 127, 147, 168, 187, 207, 226, 245};
    const int editIds[12] = {1048, 1049, 1053, 1060, 1063, 1066,
                             1069, 1072, 1075, 1078, 1101, 1102};
    const int sendIds[12] = {1054, 1056, 1058, 1061, 1064, 1067,
                             1070, 1073, 1076, 1079, 1105, 1106};
    const int hexIds[12] = {1055, 1057, 1059, 1062, 1065, 1068, 1071, 1074, 1077, 1080, 1103, 1104};
    for (int n = 0; n < 12; ++n) {
        EXPECT_EQ(kvtest::ControlKind(m_dlg->GetDlgItem(hexIds[n])), "checkbox");
        EXPECT_EQ(kvtest::ControlKind(m_dlg->GetDlgItem(editIds[n])), "edit");
        CString caption;
        caption.Format("%d", n + 1);
        EXPECT_STREQ(Text(sendIds[n]), caption);
        EXPECT_EQ(ClientRectOf(hexIds[n]).top, m_dlg->DluToPixelY(hexY[n]));
        EXPECT_EQ(ClientRectOf(editIds[n]).left, m_dlg->DluToPixelX(393) + dx);
        EXPECT_EQ(ClientRectOf(sendIds[n]).left, m_dlg->DluToPixelX(481) + dx);
    }
    // Tab stops: buttons, check boxes, combo boxes and one-line edits; not the rest.
    EXPECT_TRUE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_OPEN_BUTTON)));
    EXPECT_TRUE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_INTERVAL_EDIT)));
    EXPECT_TRUE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_CMD_HEX3)));
    EXPECT_FALSE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_STATUS_STATIC)));
    EXPECT_FALSE(kvtest::IsTabStop(m_dlg->GetDlgItem(IDC_RECEIVE_EDIT)));
}

TEST_F(DialogTest, CaptionAndDialogSize) {
    CreateDialog();
    CString caption;
    m_dlg->GetWindowText(caption);
    EXPECT_STREQ(caption, "Quelmar串口调试助手 V1.9   www.quelmar.example ");
    RECT rc;
    m_dlg->GetClientRect(&rc);
    EXPECT_EQ(rc.right, m_dlg->DluToPixelX(509));
    // The window may have grown to its minimum size, which counts the frame as well.
    EXPECT_GE(rc.bottom, m_dlg->DluToPixelY(385));
}

TEST_F(DialogTest, SettingListsFilledAndSelected) {
    CreateDialog();
    std::vector<CString> baud = Items(m_dlg->m_cbBaud);
    const char* rates[] = {"4800",  "9600",  "14400",  "19200",  "38400",  "56000",
                           "57600", "74880", "115200", "230400", "460800", "921600"};
    ASSERT_EQ(baud.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_STREQ(baud[(size_t)i], rates[i]);
    EXPECT_STREQ(m_dlg->m_strBaud, "9600");
    EXPECT_EQ(m_dlg->m_cbBaud.GetCurSel(), 1);
    EXPECT_EQ(Items(m_dlg->m_cbParity).size(), 5u);
    EXPECT_STREQ(m_dlg->m_strParity, "None");
    EXPECT_STREQ(m_dlg->m_strStopBits, "1");
    EXPECT_EQ(Items(m_dlg->m_cbStopBits).size(), 2u);
    EXPECT_STREQ(m_dlg->m_strDataBits, "8");
    EXPECT_EQ(m_dlg->m_cbDataBits.GetCurSel(), 3);
    std::vector<CString> flow = Items(m_dlg->m_cbFlowCtrl);
    ASSERT_EQ(flow.size(), 3u);
    EXPECT_STREQ(flow[1], "RTS/CTS");
    EXPECT_STREQ(m_dlg->m_strFlowCtrl, "None");
}

TEST_F(DialogTest, StartsClosedWithSendingControlsDisabled) {
    CreateDialog();
    // No port in this machine's (empty) device map.
    EXPECT_EQ(m_dlg->m_cbPort.GetCount(), 0);
    EXPECT_STREQ(m_dlg->m_strPort, "");
    EXPECT_STREQ(Text(IDC_STATUS_STATIC), " CLOSED");
    EXPECT_EQ(m_dlg->m_nStatusColor, 0);
    EXPECT_FALSE(Enabled(IDC_OPEN_BUTTON));
    for (int id : {IDC_HEX_SEND_CHECK, IDC_TIMED_SEND_CHECK, IDC_INTERVAL_EDIT, IDC_SEND_BUTTON,
                   IDC_CMD_SEND1, IDC_CMD_SEND7, IDC_CMD_SEND12})
        EXPECT_FALSE(Enabled(id)) << id;
    for (int id : {IDC_PORT_COMBO, IDC_BAUD_COMBO, IDC_SEND_EDIT, IDC_CMD_EDIT1,
                   IDC_CMD_SAVE_BUTTON, IDC_HIDE_PANEL_BUTTON})
        EXPECT_TRUE(Enabled(id)) << id;
    EXPECT_STREQ(m_dlg->m_strPortState, "关闭");
    EXPECT_EQ(m_dlg->m_nInterval, 1000);
    EXPECT_FALSE(m_dlg->m_bAutoWrap);
    EXPECT_FALSE(m_dlg->m_bPanelHidden);
}

TEST_F(DialogTest, StatusColourFollowsState) {
    CreateDialog();
    CWnd* status = m_dlg->GetDlgItem(IDC_STATUS_STATIC);
    CWnd* other = m_dlg->GetDlgItem(IDC_RX_COUNT_STATIC);
    const COLORREF red = RGB(255, 0, 0), green = RGB(7, 185, 95);
    const COLORREF expected[] = {red, green, green, red};
    for (int state = 0; state < 4; ++state) {
        m_dlg->m_nStatusColor = state;
        CDC dc;
        m_dlg->OnCtlColor(&dc, status, CTLCOLOR_STATIC);
        ASSERT_TRUE(dc.HasTextColor());
        EXPECT_EQ(dc.GetTextColor(), expected[state]) << state;
        CDC dcOther;
        m_dlg->OnCtlColor(&dcOther, other, CTLCOLOR_STATIC);
        EXPECT_FALSE(dcOther.HasTextColor());
    }
    m_dlg->m_nStatusColor = 7;
    CDC dc;
    m_dlg->OnCtlColor(&dc, status, CTLCOLOR_STATIC);
    EXPECT_FALSE(dc.HasTextColor());
}

// The menu ends as the window's own does, with a separator and the About entry, so that Up
// from About reaches 关闭; the settings entry, with its key, comes before the close group.
TEST_F(DialogTest, SystemMenuEndsWithAboutAndHoldsTheSettingsEntryBeforeClose) {
    CreateDialog();
    CMenu* menu = m_dlg->GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    for (int i = 0; i < menu->GetMenuItemCount(); ++i)
        items.push_back(menu->GetItem(i).flags & MF_SEPARATOR ? "-"
                                                              : (const char*)menu->GetItem(i).text);
    const std::vector<std::string> expected = {
        "还原(&R)", "最小化(&N)",       "最大化(&X)", "更多设置...\tCtrl+,",
        "-",        "关闭(&C)\tAlt+F4", "-",          "关于 KIVERN(&A)..."};
    EXPECT_EQ(items, expected);
    EXPECT_EQ(menu->GetItem(3).id, (UINT_PTR)IDM_SETTINGS);
    EXPECT_EQ(menu->GetItem(7).id, (UINT_PTR)IDM_ABOUTBOX);
}

TEST_F(DialogTest, AboutBoxOpensFromSystemMenuAndClosesWithOk) {
    CreateDialog();
    bool seen = false;
    // Once the About box runs, look at it and press its OK button.
    QTimer::singleShot(50, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        CWnd* self = CWnd::FromHandle(kvimpl::OwnHandleOfWidget(about));
        ASSERT_NE(self, nullptr);
        CString title;
        self->GetWindowText(title);
        seen = title == "关于串口工具";
        CWnd* ok = self->GetDlgItem(IDOK);
        ASSERT_NE(ok, nullptr);
        CString text;
        ok->GetWindowText(text);
        EXPECT_STREQ(text, "确定");
        kvtest::Click(ok);
    });
    m_dlg->SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(kvtest::IsDialogVisible(m_dlg.get()));
}

TEST_F(DialogTest, EnterAndEscapeDoNotCloseTheWindow) {
    CreateDialog();
    for (int id : {IDC_INTERVAL_EDIT, IDC_CMD_EDIT1, IDC_RECEIVE_EDIT}) {
        m_dlg->GetDlgItem(id)->EnableWindow(TRUE);
        m_dlg->GetDlgItem(id)->SetFocus();
        kvtest::PressKey(m_dlg.get(), Qt::Key_Return);
        kvtest::PressKey(m_dlg.get(), Qt::Key_Escape);
        EXPECT_TRUE(kvtest::IsDialogVisible(m_dlg.get())) << id;
    }
    // Enter in the send edit is a line break there.
    m_dlg->GetDlgItem(IDC_SEND_EDIT)->SetFocus();
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "A");
    kvtest::PressKey(m_dlg.get(), Qt::Key_Return);
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_SEND_EDIT), "B");
    m_dlg->UpdateData(TRUE);
    EXPECT_STREQ(m_dlg->m_strSend, "A\r\nB");
}

TEST_F(DialogTest, UpdateDataRoundTripKeepsGbkText) {
    CreateDialog();
    m_dlg->m_strSend = "你好, 串口\r\n第二行";
    m_dlg->m_strCmd[4] = "AT+NAME=测试";
    m_dlg->m_bCmdHex[4] = TRUE;
    m_dlg->UpdateData(FALSE);
    m_dlg->m_strSend.Empty();
    m_dlg->m_strCmd[4].Empty();
    m_dlg->m_bCmdHex[4] = FALSE;
    m_dlg->UpdateData(TRUE);
    EXPECT_STREQ(m_dlg->m_strSend, "你好, 串口\r\n第二行");
    EXPECT_STREQ(m_dlg->m_strCmd[4], "AT+NAME=测试");
    EXPECT_TRUE(m_dlg->m_bCmdHex[4]);
}

TEST_F(DialogTest, NoNotificationWhileDataIsWrittenOut) {
    CreateDialog();
    m_dlg->GetDlgItem(IDC_INTERVAL_EDIT)->EnableWindow(TRUE);
    m_dlg->m_strStatus = "unchanged";
    m_dlg->m_strInterval = "abc";
    m_dlg->UpdateData(FALSE);  // the interval edit changes, but its handler must not run
    EXPECT_STREQ(m_dlg->m_strStatus, "unchanged");
    EXPECT_EQ(m_dlg->m_nInterval, 1000);
    // A user's edit does reach the handler.
    kvtest::TypeText(m_dlg->GetDlgItem(IDC_INTERVAL_EDIT), "x");
    EXPECT_STREQ(m_dlg->m_strStatus, "Time Input Error");
    EXPECT_EQ(m_dlg->m_nInterval, 0);
}

TEST_F(DialogTest, HistoryControlsDoNothing) {
    CreateDialog();
    m_dlg->UpdateData(TRUE);
    CString before = m_dlg->m_strStatus;
    kvtest::Click(m_dlg->GetDlgItem(IDC_CLEAR_HISTORY_BUTTON));
    m_dlg->UpdateData(TRUE);
    EXPECT_STREQ(m_dlg->m_strStatus, before);
    auto* history = static_cast<CComboBox*>(m_dlg->GetDlgItem(IDC_HISTORY_COMBO));
    EXPECT_EQ(history->GetCount(), 0);
    EXPECT_EQ(history->GetCurSel(), CB_ERR);
    EXPECT_TRUE(Enabled(IDC_HISTORY_COMBO));
    EXPECT_TRUE(Enabled(IDC_CLEAR_HISTORY_BUTTON));
}

TEST_F(DialogTest, TheThreeFontsReachTheirControls) {
    CreateDialog();
    for (int id : {IDC_RECEIVE_EDIT, IDC_SEND_EDIT}) {
        EXPECT_EQ(kvtest::FontPixelSize(m_dlg->GetDlgItem(id)), 14) << id;
        EXPECT_EQ(kvtest::FontWeight(m_dlg->GetDlgItem(id)), 550) << id;
    }
    for (int id : {IDC_CMD_EDIT1, IDC_CMD_EDIT12})
        EXPECT_EQ(kvtest::FontPixelSize(m_dlg->GetDlgItem(id)), 15) << id;
    // The status face asked at 16 pixels is as large as its stand-in's metrics allow.
    const int statusPx = kvimpl::TemplateFont("Consolas", 16, 800).pixelSize();
    EXPECT_LE(statusPx, 16);
    for (int id : {IDC_TX_COUNT_STATIC, IDC_RX_COUNT_STATIC, IDC_STATUS_STATIC}) {
        EXPECT_EQ(kvtest::FontPixelSize(m_dlg->GetDlgItem(id)), statusPx) << id;
        EXPECT_EQ(kvtest::FontWeight(m_dlg->GetDlgItem(id)), 800) << id;
    }
    // The rest keep the template's font: 9 points.
    EXPECT_EQ(kvtest::FontPixelSize(m_dlg->GetDlgItem(IDC_OPEN_BUTTON)), 12);
}
