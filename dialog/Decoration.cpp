// The frame of the main dialog: the About box, the minimised icon, the status colour.
#include "dialog/AboutDlg.h"
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

void CKIVERNDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else if ((nID & 0xFFF0) == IDM_SETTINGS) {
        ShowSettings();
    } else if ((nID & 0xFFF0) == SC_CLOSE) {
        // Enter and Escape no longer end the dialog, so closing ends it here.
        SaveHistory();
        m_zoom.SaveIfPending();
        EndDialog(IDCANCEL);
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CKIVERNDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
        int cxIcon = GetSystemMetrics(SM_CXICON);
        int cyIcon = GetSystemMetrics(SM_CYICON);
        RECT rect;
        GetClientRect(&rect);
        int x = (rect.right - rect.left - cxIcon + 1) / 2;
        int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CKIVERNDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

HBRUSH CKIVERNDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd && pWnd->GetDlgCtrlID() == IDC_STATUS_STATIC) {
        switch (m_nStatusColor) {
            case 0:
            case 3:
                pDC->SetTextColor(RGB(255, 0, 0));
                break;
            case 1:
            case 2:
                pDC->SetTextColor(RGB(7, 185, 95));
                break;
            default:
                break;
        }
    }
    return hbr;
}
