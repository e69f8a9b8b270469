// Saving the receive text to a file the user picks.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnBnClickedSaveRx() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString strName;
    strName.Format("log_%04d%02d%02d%02d%02d%02d%03d.txt", st.wYear, st.wMonth, st.wDay, st.wHour,
                   st.wMinute, st.wSecond, st.wMilliseconds);
    CFileDialog dlg(FALSE, "txt", strName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "TXT Files (*.txt)|*.txt|Excel Files (*.xls)|*.xls||", this);
    if (dlg.DoModal() != IDOK) return;
    CFile file(dlg.GetPathName(), CFile::modeCreate | CFile::modeReadWrite);
    // All the bytes, in pieces a single write takes.
    const char* p = m_strReceive.GetString();
    for (INT_PTR nLeft = m_strReceive.GetLength(); nLeft > 0;) {
        UINT nPart = (UINT)(nLeft < (1 << 30) ? nLeft : (1 << 30));
        file.Write(p, nPart);
        p += nPart;
        nLeft -= nPart;
    }
    file.Close();
}
