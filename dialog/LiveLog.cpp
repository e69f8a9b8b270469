// The live log: every piece of the receive text appended to a file as it arrives, written by
// a thread of its own so that the display never waits on the disk; and the display limit,
// which leaves the whole capture to that file.
#include <cerrno>

#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {
// Bytes wait at most this long before they are written.
const DWORD kLiveLogFlushMs = 250;
// A cut of the receive text moves on to a line start this near.
const INT_PTR kLineStartReach = 64 << 10;
}  // namespace

BOOL CKIVERNDlg::IsLiveLogging() const { return m_liveLog.IsOpen() && !m_liveLog.GetError(); }

// Makes the writer match the options: started, stopped, or moved to another file.
void CKIVERNDlg::ApplyLiveLog() {
    if (!m_settings.m_bLiveLog) {
        StopLiveLog();
        return;
    }
    std::string options = m_settings.m_strLiveLogPath + (m_settings.m_bLiveLogTimeName ? "\1" : "");
    if (IsLiveLogging() && options == m_strLiveLogOptions) return;
    StopLiveLog();
    StartLiveLog();
}

// Opens the file the options name: the path, or a name from the local time in the path's
// folder. Without a path the user picks one, and it is kept in the options. A failure is
// reported and leaves the live log off.
BOOL CKIVERNDlg::StartLiveLog() {
    std::string path = m_settings.m_strLiveLogPath;
    if (path.empty()) {
        CFileDialog dlg(FALSE, "txt", m_settings.m_bLiveLogTimeName ? TimeLogName() : "live.txt",
                        OFN_HIDEREADONLY, "TXT Files (*.txt)|*.txt|All Files (*)|*||", this);
        if (dlg.DoModal() != IDOK) {
            m_settings.m_bLiveLog = FALSE;
            return FALSE;
        }
        path = (const char*)dlg.GetPathName();
        m_settings.m_strLiveLogPath =
            m_settings.m_bLiveLogTimeName ? path.substr(0, path.rfind('/') + 1) : path;
    } else if (m_settings.m_bLiveLogTimeName) {
        if (path.back() != '/') path += '/';
        path += (const char*)TimeLogName();
    }
    m_settings.m_bLiveLog = TRUE;
    m_strLiveLogOptions = m_settings.m_strLiveLogPath + (m_settings.m_bLiveLogTimeName ? "\1" : "");
    HWND hWnd = GetSafeHwnd();
    CFileException error;
    if (!m_liveLog.Open(path.c_str(), &error, kLiveLogFlushMs,
                        [hWnd](int) { ::PostMessage(hWnd, UM_LIVE_LOG_ERROR, 0, 0); })) {
        m_settings.m_bLiveLog = FALSE;
        error.ReportError();
        return FALSE;
    }
    m_nLiveLogged = m_strReceive.GetLength();  // what arrives from now on
    return TRUE;
}

// Hands over what is left and closes the file.
void CKIVERNDlg::StopLiveLog() {
    LogReceiveText();
    m_liveLog.Close();
}

// The receive text that grew since the last call goes to the writer.
void CKIVERNDlg::LogReceiveText() {
    INT_PTR nLength = m_strReceive.GetLength();
    if (nLength > m_nLiveLogged && m_liveLog.IsOpen())
        m_liveLog.Append(m_strReceive.GetString() + m_nLiveLogged, size_t(nLength - m_nLiveLogged));
    m_nLiveLogged = nLength;
}

// The context menu's entry: logging on with the current options, or off.
void CKIVERNDlg::OnRxLiveLog() {
    CKivernSettings before = m_settings;
    if (IsLiveLogging()) {
        m_settings.m_bLiveLog = FALSE;
        StopLiveLog();
    } else {
        StopLiveLog();  // a writer that failed
        StartLiveLog();
    }
    if (m_settings != before) m_settings.Save();
}

// The writer stopped on a failed write: logging ends, the status says so in red. The display
// keeps everything.
LRESULT CKIVERNDlg::OnLiveLogError(WPARAM, LPARAM) {
    int err = m_liveLog.GetError();
    if (!err) return 0;  // a writer closed since
    m_liveLog.Close();
    m_settings.m_bLiveLog = FALSE;
    m_settings.Save();
    const char* pszCause = err == ENOSPC || err == EDQUOT ? "磁盘已满"
                           : err == ENOENT                ? "文件已删除"
                                                          : "写入失败";
    m_strStatus.Format("记录停止:%s", pszCause);
    m_nStatusColor = 3;
    m_stStatus.SetWindowText(m_strStatus);
    m_stStatus.InvalidateRect(nullptr, TRUE);
    return 1;
}

// With a display limit, the receive text drops its oldest part once it passes the limit by
// an eighth, back to the limit, starting at a line start where one is near. The counters keep
// the real totals; the live log has what was dropped.
void CKIVERNDlg::LimitReceiveText() {
    if (m_settings.m_nRxLimitMiB <= 0) return;
    INT_PTR nLimit = (INT_PTR)m_settings.m_nRxLimitMiB << 20;
    INT_PTR nLength = m_strReceive.GetLength();
    if (nLength <= nLimit + nLimit / 8) return;
    LogReceiveText();
    INT_PTR nCut = nLength - nLimit;
    const char* p = m_strReceive.GetString();
    for (INT_PTR i = nCut; i < nLength && i < nCut + kLineStartReach; ++i) {
        if (p[i] == '\n') {
            nCut = i + 1;
            break;
        }
    }
    m_strReceive.Delete(0, nCut);
    m_nLiveLogged -= nCut;
    m_nLastRxLength = -1;  // the next refresh shows the text afresh
}
