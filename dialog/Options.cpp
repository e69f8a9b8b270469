// The options beyond the main window's controls: the settings box, reached from the system
// menu and the receive display's context menu, and putting changed options to work.
#include "dialog/KIVERNDlg.h"
#include "options/PathPorts.h"
#include "options/SettingsDlg.h"
#include "res/resource.h"

void CKIVERNDlg::OnContextMenu(CWnd* pWnd, POINT point) {
    if (!pWnd) return;
    switch (pWnd->GetDlgCtrlID()) {
        case IDC_STATUS_STATIC:
        case IDC_TX_COUNT_STATIC:
        case IDC_RX_COUNT_STATIC:
        case IDC_MODEM_STATIC:
        case IDC_DTR_CHECK:
        case IDC_RTS_CHECK:
            ShowStatusBandMenu(point);
            return;
        case IDC_SEND_EDIT:
            OnSendEditMenu(point);
            return;
        default:
            break;
    }
    if (pWnd->GetDlgCtrlID() != IDC_RECEIVE_EDIT) return;
    CMenu menu;
    menu.CreatePopupMenu();
    BOOL bSelected = (BOOL)m_editReceive.SendMessage(EM_GETSEL, 0, 0);
    menu.AppendMenu(MF_STRING | (bSelected ? 0 : MF_GRAYED), IDM_RX_COPY,
                    AfxTr("CKIVERNDlg", "复制"));
    menu.AppendMenu(MF_STRING, IDM_RX_SELECT_ALL, AfxTr("CKIVERNDlg", "全选"));
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, IDM_RX_FIND, AfxTr("CKIVERNDlg", "查找...\tCtrl+F"));
    menu.AppendMenu(MF_STRING | (m_bPauseScroll ? MF_CHECKED : 0), IDM_RX_PAUSE_SCROLL,
                    AfxTr("CKIVERNDlg", "暂停滚动"));
    menu.AppendMenu(MF_STRING | (m_liveLog.IsLogging() ? MF_CHECKED : 0), IDM_RX_LIVE_LOG,
                    AfxTr("CKIVERNDlg", "实时记录到文件"));
    m_rxColors.AppendMenu(menu);
    menu.AppendMenu(MF_STRING, IDM_PLOT_OPEN, AfxTr("CKIVERNDlg", "绘图...\tCtrl+Shift+P"));
    AppendFileMenu(menu);
    AppendScriptMenu(menu);
    menu.AppendMenu(MF_SEPARATOR);
    AppendDisplayMenu(menu);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, IDM_RX_SETTINGS, AfxTr("CKIVERNDlg", "更多设置...\tCtrl+,"));
    const UINT nCmd = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, point.x, point.y, this);
    if (RunFileMenu(nCmd) || RunScriptMenu(nCmd) || RunDisplayMenu(nCmd) ||
        m_rxColors.RunMenu(nCmd))
        return;
    switch (nCmd) {
        case IDM_RX_COPY:
            m_editReceive.SendMessage(WM_COPY, 0, 0);
            break;
        case IDM_RX_SELECT_ALL:
            m_editReceive.SendMessage(EM_SETSEL, 0, -1);
            break;
        case IDM_RX_FIND:
            OnRxFind();
            break;
        case IDM_RX_PAUSE_SCROLL:
            OnRxPauseScroll();
            break;
        case IDM_RX_LIVE_LOG:
            m_liveLog.Toggle();
            break;
        case IDM_PLOT_OPEN:
            m_plot.Open();
            break;
        case IDM_RX_SETTINGS:
            ShowSettings();
            break;
        default:
            break;
    }
}

// The box edits a copy; only a change is kept, written to the settings file and put to work.
void CKIVERNDlg::ShowSettings() {
    CSettingsDlg dlg(m_settings, this);
    if (dlg.DoModal() != IDOK || dlg.m_settings == m_settings) return;
    m_namedPort.Adopt(dlg.m_settings);
    UpdatePathPortLinks(m_settings, dlg.m_settings);
    m_settings = dlg.m_settings;
    // The file keeps the session's history from now on, or none.
    m_settings.m_history =
        m_settings.m_bKeepHistory ? m_history.ForSaving() : std::vector<CSendHistory::Entry>();
    m_settings.Save();
    ApplySettings();
    RefreshPortList();
}

// Options that act on what is shown now; the others are read where they apply.
void CKIVERNDlg::ApplySettings(BOOL bAtStart) {
    if (!m_settings.m_bReconnect) m_reconnect.End(TRUE);
    // The receive display reads its bytes in the data encoding.
    GetDlgItem(IDC_RECEIVE_EDIT)
        ->SendMessage(EM_KV_SETCODEPAGE, m_settings.m_nEncoding == KV_ENC_UTF8 ? CP_UTF8 : CP_ACP,
                      0);
    m_rxColors.Apply();
    ShowHistory();  // its entries are drawn in the data encoding
    m_rxText.SetLayout(m_settings.m_display);
    if (!bAtStart) m_zoom.Apply(&m_editReceive);
    m_autoReply.Apply(m_settings);
    // The live log follows its options (picking a file may complete them: kept when so). At
    // start it waits for the window, so that a file it cannot use is reported over the window.
    if (bAtStart)
        PostMessage(UM_LIVE_LOG_START, 0, 0);
    else
        OnLiveLogStart(0, 0);
}

LRESULT CKIVERNDlg::OnLiveLogStart(WPARAM, LPARAM) {
    m_liveLog.Apply();
    return 0;
}

// The live log's writer stopped on a failed write: logging ends, the status says so in red.
// The display keeps everything.
LRESULT CKIVERNDlg::OnLiveLogError(WPARAM, LPARAM) {
    int err = m_liveLog.OnWriterFailed();
    if (!err) return 0;
    m_strStatus.Format(AfxTr("CKIVERNDlg", "记录停止:%s"),
                       (const char*)CLiveLog::DescribeFailure(err));
    m_nStatusColor = 3;
    m_stStatus.SetWindowText(m_strStatus);
    m_stStatus.InvalidateRect(nullptr, TRUE);
    return 1;
}
