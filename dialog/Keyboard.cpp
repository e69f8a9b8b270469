// Working the main dialog from the keyboard: Ctrl+Enter in the send edit sends it, Enter in a
// quick-command edit sends that command, and Alt+S / Alt+R take the focus to the send edit and
// the receive display, which the Tab order passes by; Ctrl+, opens the settings box. The
// tooltips tell these keys. Ctrl+B sends a BREAK and Ctrl+Shift+B pulses the reset line;
// Ctrl+Shift+F and Ctrl+Shift+R send and receive a file, Esc
// cancels a transfer. Ctrl+= (or Ctrl++), Ctrl+- and Ctrl+0 zoom the receive display;
// Ctrl+Shift+L runs a script and Ctrl+Shift+K stops it; Ctrl+Shift+P opens the plot window.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

// The main dialog's keys, whichever control has the focus: the focus moves, and find.
static const ACCEL g_Accelerators[] = {
    {FVIRTKEY | FALT, 'S', IDM_FOCUS_SEND},
    {FVIRTKEY | FALT, 'R', IDM_FOCUS_RECEIVE},
    {FVIRTKEY | FCONTROL, 'F', IDM_RX_FIND},
    {FVIRTKEY, VK_F3, IDM_RX_FIND_NEXT},
    {FVIRTKEY | FSHIFT, VK_F3, IDM_RX_FIND_PREV},
    {FVIRTKEY | FCONTROL, VK_OEM_COMMA, IDM_RX_SETTINGS},
    {FVIRTKEY | FCONTROL, 'B', IDM_LINE_BREAK},
    {FVIRTKEY | FCONTROL | FSHIFT, 'B', IDM_LINE_RESET},
    {FVIRTKEY | FCONTROL | FSHIFT, 'F', IDM_FILE_SEND},
    {FVIRTKEY | FCONTROL | FSHIFT, 'R', IDM_FILE_RECEIVE},
    {FVIRTKEY | FCONTROL, VK_OEM_PLUS, IDM_RX_ZOOM_IN},
    {FVIRTKEY | FCONTROL | FSHIFT, VK_OEM_PLUS, IDM_RX_ZOOM_IN},  // Ctrl++ where + is shifted
    {FVIRTKEY | FCONTROL, VK_OEM_MINUS, IDM_RX_ZOOM_OUT},
    {FVIRTKEY | FCONTROL, '0', IDM_RX_ZOOM_RESET},
    {FVIRTKEY | FCONTROL | FSHIFT, 'L', IDM_SCRIPT_RUN},
    {FVIRTKEY | FCONTROL | FSHIFT, 'K', IDM_SCRIPT_STOP},
    {FVIRTKEY | FCONTROL | FSHIFT, 'P', IDM_PLOT_OPEN},
};

void CKIVERNDlg::PrepareKeyboard() {
    SetAccelerators(g_Accelerators, (int)(sizeof g_Accelerators / sizeof g_Accelerators[0]));
    m_tips.Create(this);
    m_tips.AddTool(&m_editSend, AfxTr("CKIVERNDlg", "发送框 (Alt+S)，Ctrl+Enter 发送"));
    m_tips.AddTool(&m_editReceive,
                   AfxTr("CKIVERNDlg", "接收区 (Alt+R)，菜单 Shift+F10，更多设置 Ctrl+,"));
    m_tips.AddTool(GetDlgItem(IDC_SEND_BUTTON),
                   AfxTr("CKIVERNDlg", "发送 (发送框中按 Ctrl+Enter)"));
    for (int id : g_CmdEditIds)
        m_tips.AddTool(GetDlgItem(id), AfxTr("CKIVERNDlg", "按 Enter 发送本条指令"));
    m_tips.AddTool(&m_cbHistory, AfxTr("CKIVERNDlg", "发送历史：选中一条放回发送框"));
}

// As the send button would: not while it cannot be pressed (port closed, a send under way).
void CKIVERNDlg::OnSendEditReturn() {
    if (GetDlgItem(IDC_SEND_BUTTON)->IsWindowEnabled()) OnBnClickedSend();
}

void CKIVERNDlg::OnCmdEditReturn(UINT nID) {
    for (int i = 0; i < CMD_COUNT; ++i)
        if (g_CmdEditIds[i] == (int)nID && GetDlgItem(g_CmdSendIds[i])->IsWindowEnabled())
            SendCommandSlot(i);
}

void CKIVERNDlg::OnFocusSendEdit() { m_editSend.SetFocus(); }

void CKIVERNDlg::OnFocusReceive() { m_editReceive.SetFocus(); }
