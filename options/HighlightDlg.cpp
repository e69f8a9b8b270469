#include "options/HighlightDlg.h"

#include <algorithm>

#include "options/Colors.h"
#include "res/resource.h"

CHighlightDlg::CHighlightDlg(const LogHighlights& rules, CWnd* pParent)
    : CDialog(IDD_HIGHLIGHTS, pParent), m_rules(rules) {}

BEGIN_MESSAGE_MAP(CHighlightDlg, CDialog)
ON_CBN_SELCHANGE(IDC_HL_LIST, OnSelChangeList)
ON_BN_CLICKED(IDC_HL_ADD, OnBnClickedAdd)
ON_BN_CLICKED(IDC_HL_CHANGE, OnBnClickedChange)
ON_BN_CLICKED(IDC_HL_REMOVE, OnBnClickedRemove)
ON_BN_CLICKED(IDC_HL_EXAMPLE, OnBnClickedExample)
END_MESSAGE_MAP()

void CHighlightDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HL_LIST, m_cbList);
    DDX_Control(pDX, IDC_HL_COLOR, m_cbColor);
    DDX_Control(pDX, IDC_HL_REGEX, m_btRegex);
    DDX_Control(pDX, IDC_HL_LINE, m_btLine);
}

BOOL CHighlightDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateData(FALSE);
    for (int i = 0; i < g_nKvColors; ++i) m_cbColor.AddString(KvColorName(i));
    m_cbColor.SetCurSel(0);
    FillList(0);
    OnSelChangeList();
    return TRUE;
}

void CHighlightDlg::FillList(int nSelect) {
    m_cbList.ResetContent();
    for (const LogHighlight& h : m_rules) m_cbList.AddString(KvDescribeHighlight(h));
    if (!m_rules.empty())
        m_cbList.SetCurSel(std::min<int>(std::max(nSelect, 0), (int)m_rules.size() - 1));
    GetDlgItem(IDC_HL_CHANGE)->EnableWindow(!m_rules.empty());
    GetDlgItem(IDC_HL_REMOVE)->EnableWindow(!m_rules.empty());
}

// The picked rule goes into the fields, to be changed or taken as the start of a new one.
void CHighlightDlg::OnSelChangeList() {
    int n = m_cbList.GetCurSel();
    if (n < 0 || n >= (int)m_rules.size()) return;
    const LogHighlight& h = m_rules[n];
    GetDlgItem(IDC_HL_PATTERN)->SendMessage(WM_KV_SETTEXT, CP_UTF8, (LPARAM)h.pattern.c_str());
    m_btRegex.SetCheck(h.bRegex ? BST_CHECKED : BST_UNCHECKED);
    m_btLine.SetCheck(h.bWholeLine ? BST_CHECKED : BST_UNCHECKED);
    int c = KvColorOfRgb(h.rgb);
    if (c >= 0) m_cbColor.SetCurSel(c);
}

BOOL CHighlightDlg::ReadFields(LogHighlight& h) {
    CString strPattern;
    GetDlgItem(IDC_HL_PATTERN)->GetWindowText(strPattern, CP_UTF8);
    h.pattern = (const char*)strPattern;
    h.bRegex = m_btRegex.GetCheck() == BST_CHECKED;
    h.bWholeLine = m_btLine.GetCheck() == BST_CHECKED;
    int c = std::max(0, m_cbColor.GetCurSel());
    h.rgb = g_kvColors[c].rgb;
    std::string why;
    if (LogHighlightValid(h, &why)) return TRUE;
    CString strMessage = h.pattern.empty()
                             ? AfxTr("CHighlightDlg", "请填写要高亮的文字或表达式。")
                             : AfxTr("CHighlightDlg", "这不是有效的正则表达式：") + why.c_str();
    AfxMessageBox(strMessage, MB_OK | MB_ICONWARNING);
    return FALSE;
}

void CHighlightDlg::OnBnClickedAdd() {
    LogHighlight h;
    if (!ReadFields(h)) return;
    m_rules.push_back(h);
    FillList((int)m_rules.size() - 1);
}

void CHighlightDlg::OnBnClickedChange() {
    int n = m_cbList.GetCurSel();
    LogHighlight h;
    if (n < 0 || n >= (int)m_rules.size() || !ReadFields(h)) return;
    m_rules[n] = h;
    FillList(n);
}

void CHighlightDlg::OnBnClickedRemove() {
    int n = m_cbList.GetCurSel();
    if (n < 0 || n >= (int)m_rules.size()) return;
    m_rules.erase(m_rules.begin() + n);
    FillList(n);
    OnSelChangeList();
}

// The example rules that are not there yet, after the others.
void CHighlightDlg::OnBnClickedExample() {
    for (const LogHighlight& h : KvExampleHighlights())
        if (std::find(m_rules.begin(), m_rules.end(), h) == m_rules.end()) m_rules.push_back(h);
    FillList((int)m_rules.size() - 1);
    OnSelChangeList();
}
