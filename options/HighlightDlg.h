// CHighlightDlg: the "高亮关键字" box, opened from the settings box. It edits a copy of the
// highlight rules: words or regular expressions, each with a colour for the match or its line.
#pragma once
#include "platform/afx.h"

class CHighlightDlg : public CDialog {
public:
    explicit CHighlightDlg(const LogHighlights& rules, CWnd* pParent = nullptr);

    LogHighlights m_rules;  // as the user left them (valid after IDOK)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

public:
    void OnSelChangeList();
    void OnBnClickedAdd();
    void OnBnClickedChange();
    void OnBnClickedRemove();
    void OnBnClickedExample();
    DECLARE_MESSAGE_MAP()

private:
    void FillList(int nSelect);
    // The rule in the fields; FALSE (and the user told why) when it cannot be used.
    BOOL ReadFields(LogHighlight& h);

    CComboBox m_cbList;
    CComboBox m_cbColor;
    CButton m_btRegex;
    CButton m_btLine;
};
