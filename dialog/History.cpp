// The send history: texts sent with the send button, offered again in the drop-down list
// under the send edit. It lasts the session; with the keep option it is saved in the settings
// file when the program ends or the option is turned on, and read back at the start.
#include "dialog/KIVERNDlg.h"

// The send edit's text as typed (UTF-8, every character kept), with its HEX state.
void CKIVERNDlg::AddToHistory() {
    CString text;
    m_editSend.GetWindowText(text, CP_UTF8);
    if (m_history.Push(std::string(text.GetString(), (size_t)text.GetLength()),
                       m_bHexSend != FALSE))
        ShowHistory();
}

// The list shows no choice of its own: a choice is only ever a text to take. Each entry is
// drawn as it would be sent in the data encoding.
void CKIVERNDlg::ShowHistory() {
    const bool bUtf8 = m_settings.m_nEncoding == KV_ENC_UTF8;
    m_cbHistory.ResetContent();
    for (const CSendHistory::Entry& e : m_history.Entries())
        m_cbHistory.AddString(CSendHistory::Label(e, bUtf8).c_str(), CP_UTF8);
    m_cbHistory.SetCurSel(-1);
}

void CKIVERNDlg::OnCbnSelchangeHistory() {
    int i = m_cbHistory.GetCurSel();
    if (i < 0 || i >= (int)m_history.Entries().size()) return;
    const CSendHistory::Entry e = m_history.Entries()[(size_t)i];
    UpdateData(TRUE);
    m_bHexSend = e.second ? TRUE : FALSE;
    m_strSend = ConvertCodePage(CString(e.first.c_str()), CP_UTF8, CP_ACP);
    UpdateData(FALSE);
    // The member has '?' for characters GBK lacks; the edit gets them all back.
    m_editSend.SetWindowText(e.first.c_str(), CP_UTF8);
}

void CKIVERNDlg::OnBnClickedClearHistory() {
    m_history.Clear();
    ShowHistory();
}

void CKIVERNDlg::LoadHistory() {
    if (m_settings.m_bKeepHistory) m_history.Assign(m_settings.m_history);
    ShowHistory();
}

// Without the keep option the file holds no history: one saved before is removed.
void CKIVERNDlg::SaveHistory() {
    std::vector<CSendHistory::Entry> saved;
    if (m_settings.m_bKeepHistory) saved = m_history.ForSaving();
    if (saved == m_settings.m_history) return;
    m_settings.m_history = saved;
    m_settings.Save();
}
