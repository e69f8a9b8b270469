// Files: the menu entries and keys of 发送文件 and 接收文件, cancelling a transfer, and its
// progress and end in the status line and the TX count. The work is CFileTransfer's.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

void CKIVERNDlg::OnSendFile() { m_fileTransfer.SendFile(); }

void CKIVERNDlg::OnReceiveFile() { m_fileTransfer.ReceiveFile(); }

void CKIVERNDlg::OnCancelTransfer() { m_fileTransfer.Cancel(); }

void CKIVERNDlg::ShowTransferReport(const CString& strStatus, const CString& strDetail, int nColor,
                                    uint64_t nSent) {
    UpdateData(TRUE);
    if (nSent > 0) {
        m_nTxBytes += (int64_t)nSent;
        m_strTxCount.Format("TX: %lld Bytes", (long long)m_nTxBytes);
    }
    m_strStatus = strStatus;
    m_tips.AddTool(&m_stStatus, strDetail);
    m_nStatusColor = nColor;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
}

// The entries both context menus share: while a transfer runs only its cancel.
void CKIVERNDlg::AppendFileMenu(CMenu& menu) {
    const UINT nIdle = m_fileTransfer.IsRunning() ? MF_GRAYED : 0;
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | nIdle, IDM_FILE_SEND,
                    AfxTr("CKIVERNDlg", "发送文件...\tCtrl+Shift+F"));
    menu.AppendMenu(MF_STRING | nIdle, IDM_FILE_RECEIVE,
                    AfxTr("CKIVERNDlg", "接收文件...\tCtrl+Shift+R"));
    menu.AppendMenu(MF_STRING | (nIdle ? 0 : MF_GRAYED), IDM_FILE_CANCEL,
                    AfxTr("CKIVERNDlg", "取消传输\tEsc"));
}

BOOL CKIVERNDlg::RunFileMenu(UINT nCmd) {
    switch (nCmd) {
        case IDM_FILE_SEND:
            OnSendFile();
            return TRUE;
        case IDM_FILE_RECEIVE:
            OnReceiveFile();
            return TRUE;
        case IDM_FILE_CANCEL:
            OnCancelTransfer();
            return TRUE;
        default:
            return FALSE;
    }
}

// The send edit's menu: its editing entries, then the files'.
void CKIVERNDlg::OnSendEditMenu(POINT point) {
    CMenu menu;
    menu.CreatePopupMenu();
    const BOOL bSelected = (BOOL)m_editSend.SendMessage(EM_GETSEL, 0, 0);
    menu.AppendMenu(MF_STRING | (bSelected ? 0 : MF_GRAYED), IDM_EDIT_CUT,
                    AfxTr("CKIVERNDlg", "剪切"));
    menu.AppendMenu(MF_STRING | (bSelected ? 0 : MF_GRAYED), IDM_EDIT_COPY,
                    AfxTr("CKIVERNDlg", "复制"));
    menu.AppendMenu(MF_STRING, IDM_EDIT_PASTE, AfxTr("CKIVERNDlg", "粘贴"));
    menu.AppendMenu(MF_STRING, IDM_EDIT_SELECT_ALL, AfxTr("CKIVERNDlg", "全选"));
    AppendFileMenu(menu);
    const UINT nCmd = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, point.x, point.y, this);
    if (RunFileMenu(nCmd)) return;
    switch (nCmd) {
        case IDM_EDIT_CUT:
            m_editSend.SendMessage(WM_CUT, 0, 0);
            break;
        case IDM_EDIT_COPY:
            m_editSend.SendMessage(WM_COPY, 0, 0);
            break;
        case IDM_EDIT_PASTE:
            m_editSend.SendMessage(WM_PASTE, 0, 0);
            break;
        case IDM_EDIT_SELECT_ALL:
            m_editSend.SendMessage(EM_SETSEL, 0, -1);
            break;
        default:
            break;
    }
}
