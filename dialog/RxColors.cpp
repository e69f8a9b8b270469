#include "dialog/RxColors.h"

#include "options/Colors.h"
#include "res/resource.h"

void CRxColors::Apply() {
    int nAnsi = m_pSettings->m_bAnsiColors ? 1 : 0;
    if (nAnsi != m_nAnsi) {
        m_pView->SendMessage(EM_KV_SETANSI, nAnsi, 0);
        m_nAnsi = nAnsi;
    }
    LogHighlights rules = KvViewHighlights(m_pSettings->m_highlights, m_pSettings->m_nSentColor);
    if (rules == m_told) return;
    m_pView->SendMessage(EM_KV_SETHIGHLIGHTS, 0, (LPARAM)&rules);
    m_told = rules;
}

void CRxColors::AppendMenu(CMenu& menu) const {
    menu.AppendMenu(MF_STRING | (m_pSettings->m_bAnsiColors ? MF_CHECKED : 0), IDM_RX_ANSI,
                    AfxTr("CRxColors", "解析 ANSI 颜色"));
}

BOOL CRxColors::RunMenu(UINT nCmd) {
    if (nCmd != IDM_RX_ANSI) return FALSE;
    m_pSettings->m_bAnsiColors = !m_pSettings->m_bAnsiColors;
    m_pSettings->Save();
    Apply();
    return TRUE;
}
