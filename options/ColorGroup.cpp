#include "options/ColorGroup.h"

#include "options/Colors.h"
#include "options/HighlightDlg.h"
#include "res/resource.h"

void CColorGroup::Exchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_SET_ANSI, m_bAnsi);
    DDX_Control(pDX, IDC_SET_SENT_COLOR, m_cbSent);
    DDX_CBIndex(pDX, IDC_SET_SENT_COLOR, m_nSent);
}

void CColorGroup::Init(CWnd* pBox, const CKivernSettings& s) {
    m_bAnsi = s.m_bAnsiColors;
    m_nSent = s.m_nSentColor + 1;
    m_rules = s.m_highlights;
    m_cbSent.ResetContent();
    m_cbSent.AddString(AfxTr("CColorGroup", "不着色"));
    for (int i = 0; i < g_nKvColors; ++i) m_cbSent.AddString(KvColorName(i));
    m_cbSent.SetCurSel(m_nSent);
    ShowSummary(pBox);
}

void CColorGroup::Save(CKivernSettings& s) const {
    s.m_bAnsiColors = m_bAnsi;
    if (m_nSent >= 0) s.m_nSentColor = m_nSent - 1;
    s.m_highlights = m_rules;
}

void CColorGroup::ShowSummary(CWnd* pBox) {
    CString str = AfxTr("CColorGroup", "高亮关键字：无");
    if (!m_rules.empty())
        str.Format(AfxTr("CColorGroup", "高亮关键字：%d 条规则"), (int)m_rules.size());
    pBox->GetDlgItem(IDC_SET_HIGHLIGHT_SUMMARY)->SetWindowText(str);
}

void CColorGroup::EditHighlights(CWnd* pBox) {
    CHighlightDlg dlg(m_rules, pBox);
    if (dlg.DoModal() != IDOK) return;
    m_rules = dlg.m_rules;
    ShowSummary(pBox);
}
