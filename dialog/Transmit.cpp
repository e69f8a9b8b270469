// Sending: the send button, quick commands and the report in the status line.
#include "dialog/KIVERNDlg.h"

void CKIVERNDlg::ReportSendError(const char* pszStatus) {
    UpdateData(TRUE);
    m_strStatus = pszStatus;
    m_nStatusColor = 3;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
}

// A write that fails is reported by the port in a box, and the send reports "Send Data
// Error" without counting. A port closed under the send (while such a box was up) has already
// had its closing reported in the status line, which is left as it is.
void CKIVERNDlg::SendAndReport(const CString& bytes) {
    BOOL bSent = m_SerialPort.SendBytes(bytes.GetString(), bytes.GetLength());
    if (m_strPortState == "关闭") return;
    if (!bSent) {
        ReportSendError();
        return;
    }
    EchoSent(bytes);
    m_nTxBytes += bytes.GetLength();
    m_strTxCount.Format("TX: %lld Bytes", (long long)m_nTxBytes);
    m_strStatus = "Send OK";
    m_nStatusColor = 2;
    m_stStatus.InvalidateRect(nullptr, TRUE);
    UpdateData(FALSE);
}

// What the send edit stands for on the wire: the bytes of its hex text, or its text in the data
// encoding with the line ending; then the frame's checksum. A hex text that breaks the hex rule
// is reported instead (FALSE). In UTF-8 the edit is read afresh, since the GBK member holds '?'
// for what GBK lacks.
BOOL CKIVERNDlg::SendEditBytes(CString& bytes) {
    if (m_bHexSend) {
        CString strError;
        if (!m_framing.ReadHex(m_strSend, bytes, strError)) {
            ReportSendError(strError);
            return FALSE;
        }
    } else {
        CString text = m_strSend;
        if (m_settings.m_nEncoding == KV_ENC_UTF8) m_editSend.GetWindowText(text, CP_UTF8);
        bytes = AppendLineEnding(text, m_settings.m_nLineEnding);
    }
    bytes = m_framing.Frame(bytes, m_bHexSend);
    return TRUE;
}

void CKIVERNDlg::OnBnClickedSend() {
    if (m_SerialPort.IsSending()) return;
    UpdateData(TRUE);
    if (m_strPortState == "关闭") {
        AfxMessageBox(AfxTr("CKIVERNDlg", "请首先打开串口"), MB_OK);
        return;
    }
    CString bytes;
    if (!SendEditBytes(bytes)) return;
    AddToHistory();
    SendAndReport(bytes);
    ScrollReceiveToEnd();
}

void CKIVERNDlg::SendQuickCommand(CString strCmd, BOOL bHex) {
    if (m_SerialPort.IsSending()) return;
    UpdateData(TRUE);
    if (m_strPortState == "关闭") {
        AfxMessageBox(AfxTr("CKIVERNDlg", "请首先打开串口"), MB_OK);
        return;
    }
    CString bytes;
    if (bHex) {
        CString strError;
        if (!m_framing.ReadHex(strCmd, bytes, strError)) {
            ReportSendError(strError);
            return;
        }
        m_strSend = strCmd;
        m_bHexSend = TRUE;
    } else {
        m_strSend = strCmd + "\r\n";
        // The stored commands are GBK; in UTF-8 they go out converted.
        bytes = m_settings.m_nEncoding == KV_ENC_UTF8 ? ConvertCodePage(m_strSend, CP_ACP, CP_UTF8)
                                                      : m_strSend;
    }
    SendAndReport(m_framing.Frame(bytes, bHex));
    ScrollReceiveToEnd();
}
