// The live log: the receive text appended to a file as it arrives.
#include "dialog/LiveLog.h"

#include <cerrno>

#include "options/Settings.h"

namespace {
// Bytes wait at most this long before they are written.
const DWORD kLiveLogFlushMs = 250;
}  // namespace

CString TimeLogName() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    CString strName;
    strName.Format("log_%04d%02d%02d%02d%02d%02d%03d.txt", st.wYear, st.wMonth, st.wDay, st.wHour,
                   st.wMinute, st.wSecond, st.wMilliseconds);
    return strName;
}

std::string CLiveLog::OptionsKey() const {
    return m_pSettings->m_strLiveLogPath + (m_pSettings->m_bLiveLogTimeName ? "\1" : "");
}

void CLiveLog::Apply() {
    CKivernSettings before = *m_pSettings;
    if (!m_pSettings->m_bLiveLog)
        Stop();
    else if (!IsLogging() || OptionsKey() != m_strStarted) {
        Stop();
        Start();
    }
    if (*m_pSettings != before) m_pSettings->Save();
}

void CLiveLog::Toggle() {
    CKivernSettings before = *m_pSettings;
    if (IsLogging()) {
        m_pSettings->m_bLiveLog = FALSE;
        Stop();
    } else {
        Stop();  // a writer that failed
        Start();
    }
    if (*m_pSettings != before) m_pSettings->Save();
}

// Opens the file the options name: the path, or a name from the local time in the path's
// folder. Without a path the user picks one, and it is kept in the options. A failure is
// reported and leaves the live log off.
BOOL CLiveLog::Start() {
    CKivernSettings& s = *m_pSettings;
    std::string path = s.m_strLiveLogPath;
    if (path.empty()) {
        CFileDialog dlg(FALSE, "txt", s.m_bLiveLogTimeName ? TimeLogName() : "live.txt",
                        OFN_HIDEREADONLY, "TXT Files (*.txt)|*.txt|All Files (*)|*||", m_pOwner);
        if (dlg.DoModal() != IDOK) {
            s.m_bLiveLog = FALSE;
            return FALSE;
        }
        path = (const char*)dlg.GetPathName();
        s.m_strLiveLogPath = s.m_bLiveLogTimeName ? path.substr(0, path.rfind('/') + 1) : path;
    } else if (s.m_bLiveLogTimeName) {
        if (path.back() != '/') path += '/';
        path += (const char*)TimeLogName();
    }
    s.m_bLiveLog = TRUE;
    m_strStarted = OptionsKey();
    HWND hWnd = m_pOwner->GetSafeHwnd();
    CFileException error;
    if (!m_writer.Open(path.c_str(), &error, kLiveLogFlushMs,
                       [hWnd](int) { ::PostMessage(hWnd, UM_LIVE_LOG_ERROR, 0, 0); })) {
        s.m_bLiveLog = FALSE;
        error.ReportError();
        return FALSE;
    }
    m_nLogged = m_pText->GetLength();  // what arrives from now on
    return TRUE;
}

// Hands over what is left and closes the file.
void CLiveLog::Stop() {
    Log();
    m_writer.Close();
}

void CLiveLog::Log() {
    INT_PTR nLength = m_pText->GetLength();
    if (nLength > m_nLogged && m_writer.IsOpen())
        m_writer.Append(m_pText->GetString() + m_nLogged, size_t(nLength - m_nLogged));
    m_nLogged = nLength;
}

int CLiveLog::OnWriterFailed() {
    int err = m_writer.GetError();
    if (!err) return 0;  // a writer closed since
    m_writer.Close();
    m_pSettings->m_bLiveLog = FALSE;
    m_pSettings->Save();
    return err;
}

CString CLiveLog::DescribeFailure(int err) {
    if (err == ENOSPC || err == EDQUOT) return AfxTr("CLiveLog", "磁盘已满");
    return err == ENOENT ? AfxTr("CLiveLog", "文件已删除") : AfxTr("CLiveLog", "写入失败");
}
