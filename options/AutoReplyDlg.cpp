#include "options/AutoReplyDlg.h"

#include "convert/Convert.h"

namespace {
int Id(int row, int column) { return IDC_AUTO_ROW0 + row * IDC_AUTO_COLUMNS + column; }
CString Gbk(const std::string& s) { return ConvertCodePage(CString(s.c_str()), CP_UTF8, CP_ACP); }
std::string Utf8(const CString& s) { return ConvertCodePage(s, CP_ACP, CP_UTF8).GetString(); }
}  // namespace

CAutoReplyDlg::CAutoReplyDlg(const std::vector<CAutoReplyRule>& rules, CWnd* pParent)
    : CDialog(IDD_AUTO_REPLY, pParent), m_rules(rules) {
    for (int r = 0; r < IDC_AUTO_ROWS; ++r) {
        const bool has = r < (int)rules.size();
        m_bOn[r] = has ? rules[r].bOn : TRUE;
        m_strPattern[r] = has ? Gbk(rules[r].pattern) : CString();
        m_bLua[r] = has && rules[r].bLuaPattern;
        m_strReply[r] = has ? Gbk(rules[r].reply) : CString();
        m_bHex[r] = has && rules[r].bHex;
        m_strDelay[r].Format("%d", has ? rules[r].nDelayMs : 0);
    }
}

void CAutoReplyDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    for (int r = 0; r < IDC_AUTO_ROWS; ++r) {
        DDX_Check(pDX, Id(r, IDC_AUTO_ON), m_bOn[r]);
        DDX_Text(pDX, Id(r, IDC_AUTO_PATTERN), m_strPattern[r]);
        DDX_Check(pDX, Id(r, IDC_AUTO_LUA), m_bLua[r]);
        DDX_Text(pDX, Id(r, IDC_AUTO_REPLY), m_strReply[r]);
        DDX_Check(pDX, Id(r, IDC_AUTO_HEX), m_bHex[r]);
        DDX_Text(pDX, Id(r, IDC_AUTO_DELAY), m_strDelay[r]);
    }
}

// Rows without a pattern are left out; a bad delay or hex reply is named and kept open.
void CAutoReplyDlg::OnOK() {
    UpdateData(TRUE);
    std::vector<CAutoReplyRule> rules;
    for (int r = 0; r < IDC_AUTO_ROWS; ++r) {
        if (m_strPattern[r].IsEmpty()) continue;
        CAutoReplyRule rule;
        rule.pattern = Utf8(m_strPattern[r]);
        rule.bLuaPattern = m_bLua[r] != FALSE;
        rule.reply = Utf8(m_strReply[r]);
        rule.bHex = m_bHex[r] != FALSE;
        rule.bOn = m_bOn[r] != FALSE;
        CString why;
        int nBadField = IDC_AUTO_REPLY;  // where the focus goes when the row is refused
        // A delay is a whole number of ms, 0 (a new row's) included.
        const CString& strDelay = m_strDelay[r];
        if (strDelay != "0" && (!IsDecimalNumber(strDelay) || strDelay.GetLength() > 5 ||
                                IntervalValue(strDelay) > KV_AUTO_REPLY_MAX_DELAY)) {
            why.Format(AfxTr("CAutoReplyDlg", "第 %d 行：延时应为 0 到 %d 毫秒。"), r + 1,
                       KV_AUTO_REPLY_MAX_DELAY);
            nBadField = IDC_AUTO_DELAY;
        } else {
            rule.nDelayMs = IntervalValue(strDelay);
            CString bytes;
            INT_PTR nBad = 0;
            BOOL bUnpaired = FALSE;
            if (rule.bHex && !ReadLooseHex(m_strReply[r], bytes, nBad, bUnpaired))
                why.Format(
                    AfxTr("CAutoReplyDlg", "第 %d 行：回复不是十六进制字节（第 %d 个字符）。"),
                    r + 1, (int)nBad + 1);
            else if (rule.reply.empty())
                why.Format(AfxTr("CAutoReplyDlg", "第 %d 行：没有回复。"), r + 1);
        }
        if (!why.IsEmpty()) {
            AfxMessageBox(why, MB_ICONWARNING);
            GetDlgItem(Id(r, nBadField))->SetFocus();
            return;
        }
        rules.push_back(rule);
    }
    m_rules = rules;
    EndDialog(IDOK);
}
