// The quick commands: the store in cmd.json (load, save, reset) and the panel (sending a
// slot, hiding and showing the panel).
#include <algorithm>
#include <vector>

#include "dialog/CmdDocument.h"
#include "dialog/CommandSlots.h"
#include "dialog/KIVERNDlg.h"

static const char g_szCmdFile[] = "cmd.json";
static const char g_szCmdBackup[] = "cmd.json.bak";

// The largest document a save of typed commands can write: the user types at most 32767
// characters into each edit, and a character takes at most 6 bytes (a control character as
// \u00XX), so twelve come to about 2.4 MB with the layout. The cap leaves room for hand-made
// comments and white space; a larger file is not a command store and, like an unusable one, is
// left alone and not read, since building the parsed tree of tens of megabytes takes seconds
// and far more memory.
static const ULONGLONG g_nMaxDocument = 4u << 20;

// Shows the commands of a document in the panel; an unusable document changes nothing and
// gives FALSE.
BOOL CKIVERNDlg::ShowCommandDocument(const char* pDoc, INT_PTR nLength) {
    CString strCmd[CMD_COUNT];
    if (!ParseCommandDocument(pDoc, (size_t)nLength, strCmd)) return FALSE;
    for (int i = 0; i < CMD_COUNT; ++i) {
        m_strCmd[i] = strCmd[i];
        m_bCmdHex[i] = FALSE;  // the HEX switches are stored, not restored
    }
    UpdateData(FALSE);
    return TRUE;
}

// Each operation opens cmd.json for reading and writing without sharing it, creating it when
// missing. A file error is reported in the framework's box naming the file, and ends the
// operation; the start-up then goes on with empty slots.
void CKIVERNDlg::LoadCommands() {
    try {
        CFile file(g_szCmdFile, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        ULONGLONG nLength = file.GetLength();
        if (nLength == 0) {
            std::string doc = WriteCommandDocument(BuildDefaultCommands());
            file.ReplaceContent(doc.data(), (UINT)doc.size());
            file.Seek(0, CFile::begin);
            nLength = doc.size();
        }
        m_bCmdFileUnused = TRUE;
        if (nLength <= g_nMaxDocument) {
            std::vector<char> buffer((size_t)nLength + 1, 0);
            UINT nRead = file.Read(buffer.data(), (UINT)nLength);
            m_bCmdFileUnused = !ShowCommandDocument(buffer.data(), nRead);
        }
        file.Close();
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
    }
}

// A file that could not be used at start (too large, or no command store) is the user's, not
// ours to drop: before the first save or reset replaces it, its bytes are kept beside it as
// cmd.json.bak. A failure to keep them ends the operation with the file untouched.
void CKIVERNDlg::KeepUnusedCommandFile(CFile& file) {
    if (!m_bCmdFileUnused) return;
    std::string bytes((size_t)file.GetLength(), '\0');
    file.SeekToBegin();
    size_t nDone = 0;
    for (UINT nRead = 1; nRead > 0 && nDone < bytes.size(); nDone += nRead)
        nRead = file.Read(&bytes[nDone], (UINT)std::min<size_t>(bytes.size() - nDone, 1u << 30));
    bytes.resize(nDone);
    CFile backup(g_szCmdBackup, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
    backup.ReplaceContent(bytes.data(), bytes.size());
    backup.Close();
    m_bCmdFileUnused = FALSE;
}

void CKIVERNDlg::OnBnClickedCmdSave() {
    try {
        CFile file(g_szCmdFile, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        KeepUnusedCommandFile(file);
        UpdateData(TRUE);
        std::string doc = WriteCommandDocument(BuildCommandDocument(m_strCmd, m_bCmdHex));
        // The new document replaces the whole content at once: a failed write (a full disk)
        // leaves the previous file as it was.
        file.ReplaceContent(doc.data(), (UINT)doc.size());
        file.Seek(0, CFile::begin);
        AfxMessageBox(AfxTr("CKIVERNDlg", "保存成功!"), MB_OK);
        file.Close();
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
    }
}

void CKIVERNDlg::OnBnClickedCmdReset() {
    try {
        CFile file(g_szCmdFile, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        KeepUnusedCommandFile(file);
        std::string doc = WriteCommandDocument(BuildDefaultCommands());
        file.ReplaceContent(doc.data(), (UINT)doc.size());
        file.Seek(0, CFile::begin);
        std::vector<char> buffer(doc.size() + 1, 0);
        UINT nRead = file.Read(buffer.data(), (UINT)doc.size());
        // The panel's own edits are discarded, but what is typed elsewhere (the send edit)
        // must survive the write-out of the new commands.
        UpdateData(TRUE);
        ShowCommandDocument(buffer.data(), nRead);
        file.Close();
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
        return;
    }
    AfxMessageBox(AfxTr("CKIVERNDlg", "重置成功!"), MB_OK);
}

void CKIVERNDlg::SendCommandSlot(int nSlot) {
    UpdateData(TRUE);
    SendQuickCommand(m_strCmd[nSlot], m_bCmdHex[nSlot]);
}

void CKIVERNDlg::OnBnClickedCmdSend1() { SendCommandSlot(0); }
void CKIVERNDlg::OnBnClickedCmdSend2() { SendCommandSlot(1); }
void CKIVERNDlg::OnBnClickedCmdSend3() { SendCommandSlot(2); }
void CKIVERNDlg::OnBnClickedCmdSend4() { SendCommandSlot(3); }
void CKIVERNDlg::OnBnClickedCmdSend5() { SendCommandSlot(4); }
void CKIVERNDlg::OnBnClickedCmdSend6() { SendCommandSlot(5); }
void CKIVERNDlg::OnBnClickedCmdSend7() { SendCommandSlot(6); }
void CKIVERNDlg::OnBnClickedCmdSend8() { SendCommandSlot(7); }
void CKIVERNDlg::OnBnClickedCmdSend9() { SendCommandSlot(8); }
void CKIVERNDlg::OnBnClickedCmdSend10() { SendCommandSlot(9); }
void CKIVERNDlg::OnBnClickedCmdSend11() { SendCommandSlot(10); }
void CKIVERNDlg::OnBnClickedCmdSend12() { SendCommandSlot(11); }

void CKIVERNDlg::OnBnClickedHidePanel() {
    int nRightOffset;
    if (!m_bPanelHidden) {
        m_bPanelHidden = TRUE;
        for (int id : g_PanelIds) GetDlgItem(id)->ShowWindow(SW_HIDE);
        nRightOffset = 12;
    } else {
        m_bPanelHidden = FALSE;
        for (int id : g_PanelIds) GetDlgItem(id)->ShowWindow(SW_SHOW);
        nRightOffset = 220;
    }
    CWnd* pReceive = GetDlgItem(IDC_RECEIVE_EDIT);
    RECT r, w;
    pReceive->GetWindowRect(&r);
    ScreenToClient(&r);
    GetWindowRect(&w);
    ScreenToClient(&w);
    pReceive->MoveWindow(r.left, r.top, (w.right - nRightOffset) - r.left, r.bottom - r.top, TRUE);
    LayoutControls(TRUE);
    LayoutControls(FALSE);
}
