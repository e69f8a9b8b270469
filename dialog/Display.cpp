// The receive display's layout and size: a stamp on every line and hex rows, switched from
// the context menu as from the settings box, and the zoom (Ctrl+wheel, Ctrl+=, Ctrl+-, Ctrl+0).
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

void CKIVERNDlg::AppendDisplayMenu(CMenu& menu) {
    const CDisplaySettings& d = m_settings.m_display;
    menu.AppendMenu(MF_STRING | (d.m_bLineStamps ? MF_CHECKED : 0), IDM_RX_LINE_STAMPS,
                    AfxTr("CKIVERNDlg", "每行时间戳"));
    menu.AppendMenu(MF_STRING | (d.m_bHexRows ? MF_CHECKED : 0), IDM_RX_HEX_ROWS,
                    AfxTr("CKIVERNDlg", "十六进制按行显示"));
    menu.AppendMenu(MF_STRING, IDM_RX_ZOOM_IN, AfxTr("CKIVERNDlg", "放大\tCtrl+="));
    menu.AppendMenu(MF_STRING, IDM_RX_ZOOM_OUT, AfxTr("CKIVERNDlg", "缩小\tCtrl+-"));
    menu.AppendMenu(MF_STRING | (d.m_nFontPx == KV_FONT_PX_DEFAULT ? MF_GRAYED : 0),
                    IDM_RX_ZOOM_RESET, AfxTr("CKIVERNDlg", "默认大小\tCtrl+0"));
}

BOOL CKIVERNDlg::RunDisplayMenu(UINT nCmd) {
    switch (nCmd) {
        case IDM_RX_LINE_STAMPS:
            OnRxLineStamps();
            return TRUE;
        case IDM_RX_HEX_ROWS:
            OnRxHexRows();
            return TRUE;
        case IDM_RX_ZOOM_IN:
            OnRxZoomIn();
            return TRUE;
        case IDM_RX_ZOOM_OUT:
            OnRxZoomOut();
            return TRUE;
        case IDM_RX_ZOOM_RESET:
            OnRxZoomReset();
            return TRUE;
        default:
            return FALSE;
    }
}

void CKIVERNDlg::OnRxLineStamps() {
    m_settings.m_display.m_bLineStamps = !m_settings.m_display.m_bLineStamps;
    m_settings.Save();
    m_rxText.SetLayout(m_settings.m_display);
}

void CKIVERNDlg::OnRxHexRows() {
    m_settings.m_display.m_bHexRows = !m_settings.m_display.m_bHexRows;
    m_settings.Save();
    m_rxText.SetLayout(m_settings.m_display);
}

void CKIVERNDlg::OnRxZoomIn() { m_zoom.Step(&m_editReceive, 1); }
void CKIVERNDlg::OnRxZoomOut() { m_zoom.Step(&m_editReceive, -1); }
void CKIVERNDlg::OnRxZoomReset() { m_zoom.Reset(&m_editReceive); }

// Only the receive display sends it, for a wheel turned with Ctrl held.
LRESULT CKIVERNDlg::OnRxZoomWheel(WPARAM wParam, LPARAM) {
    m_zoom.Wheel(&m_editReceive, (short)HIWORD(wParam));
    return 0;
}
