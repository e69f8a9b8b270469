// Scripts in the window: the menu entries and keys, and what a running script asks of the
// window (sends, line settings, signals, files, its log lines, its status). The script and its
// thread are CScriptRunner's.
#include "dialog/KIVERNDlg.h"
#include "res/resource.h"

namespace {
CString Gbk(const std::string& s) { return ConvertCodePage(CString(s.c_str()), CP_UTF8, CP_ACP); }
const char* const kParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
}  // namespace

void CKIVERNDlg::OnRunScript() { m_script.RunAsk(); }

void CKIVERNDlg::OnStopScript() { m_script.Stop(); }

// 运行脚本..., the last five scripts, and 停止脚本 while one runs.
void CKIVERNDlg::AppendScriptMenu(CMenu& menu) {
    const UINT nIdle = m_script.IsBusy() ? MF_GRAYED : 0;
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | nIdle, IDM_SCRIPT_RUN,
                    AfxTr("CKIVERNDlg", "运行脚本...\tCtrl+Shift+L"));
    const std::vector<std::string>& recent = m_script.Recent();
    for (size_t i = 0; i < recent.size() && i < KV_RECENT_SCRIPTS; ++i) {
        CString item;
        item.Format("%d %s", (int)i + 1,
                    (const char*)Gbk(recent[i].substr(recent[i].rfind('/') + 1)));
        menu.AppendMenu(MF_STRING | nIdle, IDM_SCRIPT_RECENT + (UINT)i, item);
    }
    menu.AppendMenu(MF_STRING | (nIdle ? 0 : MF_GRAYED), IDM_SCRIPT_STOP,
                    AfxTr("CKIVERNDlg", "停止脚本\tCtrl+Shift+K"));
}

BOOL CKIVERNDlg::RunScriptMenu(UINT nCmd) {
    if (nCmd == IDM_SCRIPT_RUN) {
        OnRunScript();
    } else if (nCmd == IDM_SCRIPT_STOP) {
        OnStopScript();
    } else if (nCmd >= IDM_SCRIPT_RECENT && nCmd < IDM_SCRIPT_RECENT + KV_RECENT_SCRIPTS) {
        const size_t i = nCmd - IDM_SCRIPT_RECENT;
        if (i < m_script.Recent().size()) m_script.Run(std::string(m_script.Recent()[i]));
    } else {
        return FALSE;
    }
    return TRUE;
}

LRESULT CKIVERNDlg::OnScriptCall(WPARAM wParam, LPARAM) { return m_script.OnCall(wParam); }

LRESULT CKIVERNDlg::OnScriptDone(WPARAM, LPARAM) { return m_script.OnDone(); }

// A line of the script's own on the receive text, marked "LUA> ", in the display's encoding.
void CKIVERNDlg::ShowScriptLine(const std::string& text) {
    CString line(text.data(), (INT_PTR)text.size());
    if (m_settings.m_nEncoding != KV_ENC_UTF8) line = ConvertCodePage(line, CP_UTF8, CP_ACP);
    UpdateData(TRUE);
    const INT_PTR n = m_strReceive.GetLength();
    if (n > 0 && m_strReceive[n - 1] != '\n') m_strReceive += "\r\n";
    m_strReceive += "LUA> ";
    m_strReceive += line;
    m_strReceive += "\r\n";
    m_liveLog.Log();
    UpdateData(FALSE);
    ScrollReceiveToEnd();
}

void CKIVERNDlg::ShowScriptStatus(const CString& strStatus, int nColor) {
    UpdateData(TRUE);
    m_strStatus = strStatus;
    m_tips.AddTool(&m_stStatus, strStatus);
    m_nStatusColor = nColor;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
}

// As the send button sends: counted in TX and echoed as "TX> " when echo is on.
std::string CKIVERNDlg::WriteForScript(const std::string& b) {
    if (m_strPortState == "关闭" || !m_SerialPort.IsMonitoring()) return "the port is not open";
    if (m_SerialPort.IsSending() || m_SerialPort.IsTransferActive())
        return "the port is busy with another send";
    if (!m_SerialPort.SendBytes(b.data(), (INT_PTR)b.size())) return "write failed";
    EchoSent(CString(b.data(), (INT_PTR)b.size()));
    m_nTxBytes += (int64_t)b.size();
    m_strTxCount.Format("TX: %lld Bytes", (long long)m_nTxBytes);
    m_stTxCount.SetWindowText(m_strTxCount);
    return "";
}

// A reply of 自动应答: sent as a script's send is, dropped while the port is closed or busy.
LRESULT CKIVERNDlg::OnAutoReply(WPARAM wParam, LPARAM) {
    std::unique_ptr<std::string> bytes(reinterpret_cast<std::string*>(wParam));
    WriteForScript(*bytes);
    return 1;
}

ScriptWindowCalls CKIVERNDlg::ScriptCalls() {
    ScriptWindowCalls c;
    c.write = [this](const std::string& b) { return WriteForScript(b); };
    c.setLine = [this](const ScriptLineSettings& s) -> std::string {
        if (!m_SerialPort.IsMonitoring()) return "the port is not open";
        if ((s.baud > 0 || s.parity || s.dataBits > 0 || s.stopBits > 0) &&
            !m_SerialPort.SetLineSettings(s.baud > 0 ? (UINT)s.baud : 0, s.parity,
                                          s.dataBits > 0 ? (UINT)s.dataBits : 0,
                                          s.stopBits > 0 ? (UINT)s.stopBits : 0))
            return "the port refused the settings";
        // The lists show what the port now runs at.
        UpdateData(TRUE);
        if (s.baud > 0) m_strBaud.Format("%ld", s.baud);
        if (s.dataBits > 0) m_strDataBits.Format("%d", s.dataBits);
        if (s.stopBits > 0) m_strStopBits.Format("%d", s.stopBits);
        if (s.parity) m_strParity = kParityNames[strchr("NOEMS", s.parity) - "NOEMS"];
        UpdateData(FALSE);
        if (s.dtr >= 0 && !m_SerialPort.SetDTR(s.dtr)) return "DTR cannot be set on this port";
        if (s.rts >= 0 && !m_SerialPort.SetRTS(s.rts)) return "RTS cannot be set on this port";
        return "";
    };
    c.setBreak = [this](BOOL bOn) -> std::string {
        if (!m_SerialPort.IsMonitoring()) return "the port is not open";
        if (!m_SerialPort.SetBreak(bOn)) return "this port cannot send a BREAK";
        return "";
    };
    c.setOutput = [this](bool bDtr, BOOL bOn) -> std::string {
        if (!m_SerialPort.IsMonitoring()) return "the port is not open";
        if (!(bDtr ? m_SerialPort.SetDTR(bOn) : m_SerialPort.SetRTS(bOn)))
            return bDtr ? "DTR cannot be set on this port" : "RTS cannot be set on this port";
        return "";
    };
    c.startFile = [this](const std::string& path, int nProtocol) {
        return m_fileTransfer.SendPath(path, nProtocol);
    };
    c.fileEnded = [this](std::string& why) {
        if (m_fileTransfer.IsRunning()) return false;
        switch (m_fileTransfer.LastEnd()) {
            case TRANSFER_DONE:
                why.clear();
                break;
            case TRANSFER_CANCELLED:
                why = "the transfer was cancelled";
                break;
            case TRANSFER_PORT_LOST:
                why = "the port closed during the transfer";
                break;
            default:
                why = "the transfer failed";
        }
        return true;
    };
    c.cancelFile = [this] { m_fileTransfer.Cancel(); };
    c.log = [this](const std::string& text) { ShowScriptLine(text); };
    c.status = [this](const CString& s, int nColor) { ShowScriptStatus(s, nColor); };
    return c;
}
