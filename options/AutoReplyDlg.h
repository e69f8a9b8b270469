// CAutoReplyDlg: the 自动应答 box, a grid of rows (on, pattern, Lua pattern, reply, hex, delay).
// It edits a copy; the caller keeps m_rules when it returns IDOK.
#pragma once
#include <vector>

#include "options/AutoReplyRule.h"
#include "platform/afx.h"
#include "res/resource.h"

class CAutoReplyDlg : public CDialog {
public:
    CAutoReplyDlg(const std::vector<CAutoReplyRule>& rules, CWnd* pParent = nullptr);

    std::vector<CAutoReplyRule> m_rules;  // valid after IDOK

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

private:
    BOOL m_bOn[IDC_AUTO_ROWS];
    CString m_strPattern[IDC_AUTO_ROWS];  // GBK, as the controls hold it
    BOOL m_bLua[IDC_AUTO_ROWS];
    CString m_strReply[IDC_AUTO_ROWS];
    BOOL m_bHex[IDC_AUTO_ROWS];
    CString m_strDelay[IDC_AUTO_ROWS];
};
