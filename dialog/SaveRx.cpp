// Saving the receive text to a file the user picks.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::OnBnClickedSaveRx() {
    CFileDialog dlg(FALSE, "txt", TimeLogName(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    "TXT Files (*.txt)|*.txt|Excel Files (*.xls)|*.xls||", this);
    if (dlg.DoModal() != IDOK) return;
    // The file is opened without emptying it, and the whole text replaces its content at
    // once: a save that fails part-way (a full disk) leaves the previous file as it was.
    CFile file(dlg.GetPathName(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    file.ReplaceContent(m_strReceive.GetString(), (size_t)m_strReceive.GetLength());
    file.Close();
}
