// The names a screen reader gives the main window's controls where a caption does not say
// what a control is: lists and edits after their labels or their place, the quick-command
// slots after their number. Captions stay as they are.
#include "dialog/CommandSlots.h"
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {

struct ControlName {
    int nID;
    const char* pszName;
};

const ControlName g_ControlNames[] = {
    {IDC_PORT_COMBO, TR_NOOP("CKIVERNDlg", "串口")},
    {IDC_BAUD_COMBO, TR_NOOP("CKIVERNDlg", "波特率")},
    {IDC_DATABITS_COMBO, TR_NOOP("CKIVERNDlg", "数据位")},
    {IDC_PARITY_COMBO, TR_NOOP("CKIVERNDlg", "校验位")},
    {IDC_STOPBITS_COMBO, TR_NOOP("CKIVERNDlg", "停止位")},
    {IDC_FLOWCTRL_COMBO, TR_NOOP("CKIVERNDlg", "流控")},
    {IDC_RECEIVE_EDIT, TR_NOOP("CKIVERNDlg", "接收区")},
    {IDC_SEND_EDIT, TR_NOOP("CKIVERNDlg", "发送区")},
    {IDC_INTERVAL_EDIT, TR_NOOP("CKIVERNDlg", "定时发送间隔")},
    {IDC_HISTORY_COMBO, TR_NOOP("CKIVERNDlg", "发送历史")},
    {IDC_DTR_CHECK, TR_NOOP("CKIVERNDlg", "DTR 控制线")},
    {IDC_RTS_CHECK, TR_NOOP("CKIVERNDlg", "RTS 控制线")},
    // The lines' states follow this name while a port is open.
    {IDC_MODEM_STATIC, TR_NOOP("CKIVERNDlg", "输入线")},
};

}  // namespace

void CKIVERNDlg::NameControls() {
    for (const ControlName& c : g_ControlNames)
        GetDlgItem(c.nID)->SetAccessibleName(AfxTr("CKIVERNDlg", c.pszName));
    // The status line says what became of an opening, a closing or a sending; a screen reader
    // speaks it although the focus stays where it is.
    m_stStatus.SetTellsChanges(TRUE);
    CString strName;
    for (int i = 0; i < CMD_COUNT; ++i) {
        strName.Format(AfxTr("CKIVERNDlg", "指令 %d"), i + 1);
        GetDlgItem(g_CmdEditIds[i])->SetAccessibleName(strName);
        strName.Format(AfxTr("CKIVERNDlg", "指令 %d HEX"), i + 1);
        GetDlgItem(g_CmdHexIds[i])->SetAccessibleName(strName);
        strName.Format(AfxTr("CKIVERNDlg", "发送指令 %d"), i + 1);
        GetDlgItem(g_CmdSendIds[i])->SetAccessibleName(strName);
    }
}
