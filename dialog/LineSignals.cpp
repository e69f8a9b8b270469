// A BREAK and the reset pulse on the open port, each ended by the owner's timer.
#include "dialog/LineSignals.h"

#include "dialog/ModemLines.h"
#include "options/Settings.h"
#include "serial/SerialPort.h"

BOOL CLineSignals::Refused(const char* pszWhy, CString& strStatus) const {
    strStatus = pszWhy;
    return FALSE;
}

BOOL CLineSignals::StartBreak(CString& strEcho, CString& strStatus) {
    if (m_pPort->GetPortKind() == 0) return Refused(AfxTr("CLineSignals", "串口未打开"), strStatus);
    if (IsRunning()) return Refused(AfxTr("CLineSignals", "上个信号未结束"), strStatus);
    if (!m_pPort->SetBreak(TRUE)) {
        const DWORD err = GetLastError();
        if (err == EOPNOTSUPP || err == ENOTTY || err == EINVAL)
            return Refused(AfxTr("CLineSignals", "端口不支持 BREAK"), strStatus);
        strStatus.Format(AfxTr("CLineSignals", "BREAK 失败:%lu"), (unsigned long)err);
        return FALSE;
    }
    m_nRunning = BREAK;
    m_nMs = m_pSettings->m_nBreakMs;
    m_pOwner->SetTimer(m_nTimerId, (UINT)m_nMs, nullptr);
    strEcho.Format("<BREAK %d ms>", m_nMs);
    strStatus.Format(AfxTr("CLineSignals", "发送 BREAK %dms"), m_nMs);
    return TRUE;
}

// The lines are read first, so that the pulse can leave them as they were. RTS under RTS/CTS
// belongs to the driver and cannot be pulsed.
BOOL CLineSignals::StartReset(CString& strEcho, CString& strStatus) {
    if (m_pPort->GetPortKind() == 0) return Refused(AfxTr("CLineSignals", "串口未打开"), strStatus);
    if (IsRunning()) return Refused(AfxTr("CLineSignals", "上个信号未结束"), strStatus);
    m_bResetRts = m_pSettings->m_nResetLine == KV_RESET_RTS;
    const char* pszLine = m_bResetRts ? "RTS" : "DTR";
    BOOL bDtr = FALSE, bRts = FALSE;
    if (!m_pPort->GetOutputLines(&bDtr, &bRts))
        return Refused(AfxTr("CLineSignals", "无控制线，不能复位"), strStatus);
    if (m_bResetRts && m_pPort->IsRtsHandshake())
        return Refused(AfxTr("CLineSignals", "RTS 由流控占用"), strStatus);
    m_bLineWasOn = m_bResetRts ? bRts : bDtr;
    if (!(m_bResetRts ? m_pPort->SetRTS(FALSE) : m_pPort->SetDTR(FALSE))) {
        m_pModemLines->Refresh();
        strStatus.Format(AfxTr("CLineSignals", "复位失败:%s"), pszLine);
        return FALSE;
    }
    m_pModemLines->Refresh();
    m_nRunning = RESET;
    m_nMs = m_pSettings->m_nResetMs;
    m_pOwner->SetTimer(m_nTimerId, (UINT)m_nMs, nullptr);
    strEcho.Format("<RESET %s %d ms>", pszLine, m_nMs);
    strStatus.Format(AfxTr("CLineSignals", "复位 %s %dms"), pszLine, m_nMs);
    return TRUE;
}

// The pulse's end: the line on again, the edge a reset circuit answers to, then as before.
BOOL CLineSignals::EndReset() {
    BOOL bOk = m_bResetRts ? m_pPort->SetRTS(TRUE) : m_pPort->SetDTR(TRUE);
    if (!m_bLineWasOn) bOk = (m_bResetRts ? m_pPort->SetRTS(FALSE) : m_pPort->SetDTR(FALSE)) && bOk;
    m_pModemLines->Refresh();
    return bOk;
}

BOOL CLineSignals::OnTick(CString& strStatus, BOOL& bFailed) {
    m_pOwner->KillTimer(m_nTimerId);
    const int nRunning = m_nRunning;
    m_nRunning = NONE;
    bFailed = FALSE;
    if (nRunning == BREAK) {
        bFailed = !m_pPort->SetBreak(FALSE);
        if (bFailed)
            strStatus = AfxTr("CLineSignals", "BREAK 未能结束");
        else
            strStatus.Format(AfxTr("CLineSignals", "BREAK %dms 完成"), m_nMs);
    } else if (nRunning == RESET) {
        bFailed = !EndReset();
        if (bFailed)
            strStatus = AfxTr("CLineSignals", "控制线未能恢复");
        else
            strStatus.Format(AfxTr("CLineSignals", "已复位 %s %dms"), m_bResetRts ? "RTS" : "DTR",
                             m_nMs);
    }
    return nRunning != NONE;
}

void CLineSignals::Stop() {
    if (!IsRunning()) return;
    CString strUnused;
    BOOL bUnused;
    OnTick(strUnused, bUnused);
}
