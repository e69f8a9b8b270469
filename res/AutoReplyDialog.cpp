// The 自动应答 box (125): a grid of rows, one control per cell, built once at start.
#include <vector>

#include "res/resources.h"

namespace {
std::vector<DLGITEM> AutoReplyItems() {
    const DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE;
    const DWORD kEdit = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE;
    std::vector<DLGITEM> items = {
        {WC_STATIC, SS_LEFT | WS_VISIBLE, 0, 6, 6, 16, 9, IDC_STATIC, TR_NOOP("Dialog", "启用")},
        {WC_STATIC, SS_LEFT | WS_VISIBLE, 0, 24, 6, 100, 9, IDC_STATIC,
         TR_NOOP("Dialog", "收到的行含有")},
        {WC_STATIC, SS_LEFT | WS_VISIBLE, 0, 162, 6, 100, 9, IDC_STATIC, TR_NOOP("Dialog", "回复")},
        {WC_STATIC, SS_LEFT | WS_VISIBLE, 0, 302, 6, 60, 9, IDC_STATIC,
         TR_NOOP("Dialog", "延时 (ms)")},
    };
    for (int r = 0; r < IDC_AUTO_ROWS; ++r) {
        const short y = (short)(18 + r * 18);
        const int id = IDC_AUTO_ROW0 + r * IDC_AUTO_COLUMNS;
        items.push_back({WC_BUTTON, kCheck, 0, 8, (short)(y + 2), 12, 10, id + IDC_AUTO_ON, ""});
        items.push_back({WC_EDIT, kEdit, 0, 24, y, 104, 14, id + IDC_AUTO_PATTERN, ""});
        items.push_back(
            {WC_BUTTON, kCheck, 0, 131, (short)(y + 2), 30, 10, id + IDC_AUTO_LUA, "Lua"});
        items.push_back({WC_EDIT, kEdit, 0, 162, y, 108, 14, id + IDC_AUTO_REPLY, ""});
        items.push_back(
            {WC_BUTTON, kCheck, 0, 273, (short)(y + 2), 26, 10, id + IDC_AUTO_HEX, "HEX"});
        items.push_back({WC_EDIT, kEdit, 0, 302, y, 36, 14, id + IDC_AUTO_DELAY, ""});
    }
    // The help, one static per line (a static does not wrap).
    const char* const help[] = {
        TR_NOOP("Dialog", "收到的一行含有左边的内容时（勾选 Lua 则按 Lua 模式匹配），"),
        TR_NOOP("Dialog", "延时后发送回复。回复按“发送换行”和校验的设置发送；"),
        TR_NOOP("Dialog", "勾选 HEX 时填十六进制字节。")};
    for (int i = 0; i < 3; ++i)
        items.push_back({WC_STATIC, SS_LEFT | WS_VISIBLE, 0, 6, (short)(166 + 9 * i), 266, 9,
                         IDC_STATIC, help[i]});
    items.push_back({WC_BUTTON, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 276, 180, 30, 14,
                     IDOK, TR_NOOP("Dialog", "确定")});
    items.push_back({WC_BUTTON, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0, 310, 180, 30, 14,
                     IDCANCEL, TR_NOOP("Dialog", "取消")});
    return items;
}

const std::vector<DLGITEM> g_AutoReplyItems = AutoReplyItems();
}  // namespace

const DLGTEMPLATE_DATA g_AutoReplyDialog = {
    IDD_AUTO_REPLY,
    DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT,
    0,
    0,
    0,
    346,
    200,
    TR_NOOP("Dialog", "自动应答"),
    9,
    FW_NORMAL,
    GB2312_CHARSET,
    "宋体",
    g_AutoReplyItems.data(),
    (int)g_AutoReplyItems.size(),
};
