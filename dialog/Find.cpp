// Find in the receive display: the find box, and Ctrl+F, F3 and Shift+F3 from anywhere in the
// main window.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

// The hex option of a new box follows what the display shows now.
BOOL CKIVERNDlg::IsHexDisplayTicked() const {
    CWnd* pCheck = GetDlgItem(IDC_HEX_DISPLAY_CHECK);
    return pCheck && static_cast<CButton*>(pCheck)->GetCheck() == BST_CHECKED;
}

void CKIVERNDlg::OnRxFind() { m_findDlg.Open(IsHexDisplayTicked()); }

void CKIVERNDlg::OnRxFindNext() { m_findDlg.FindAgain(TRUE, IsHexDisplayTicked()); }

void CKIVERNDlg::OnRxFindPrev() { m_findDlg.FindAgain(FALSE, IsHexDisplayTicked()); }
