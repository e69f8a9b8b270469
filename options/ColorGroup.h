// CColorGroup: the 颜色与高亮 group of the settings box: escape sequences read, sent lines'
// colour, and the highlight rules (a summary, and a button opening their own box). The box
// owns one and hands it its exchanges.
#pragma once
#include "options/Settings.h"
#include "platform/afx.h"

class CColorGroup {
public:
    void Exchange(CDataExchange* pDX);
    // Takes the options and fills the controls, once the box has them (before the exchange
    // that shows them).
    void Init(CWnd* pBox, const CKivernSettings& s);
    void Save(CKivernSettings& s) const;
    void EditHighlights(CWnd* pBox);  // the 高亮关键字... button

private:
    void ShowSummary(CWnd* pBox);
    BOOL m_bAnsi = FALSE;
    int m_nSent = 0;  // 0: none, else a colour of g_kvColors and one
    LogHighlights m_rules;
    CComboBox m_cbSent;
};
