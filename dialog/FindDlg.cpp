#include "dialog/FindDlg.h"

#include <algorithm>
#include <chrono>

#include "convert/Convert.h"
#include "res/resource.h"

namespace {
bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
}  // namespace

BEGIN_MESSAGE_MAP(CFindDlg, CDialog)
ON_BN_CLICKED(IDC_FIND_NEXT, OnFindNext)
ON_BN_CLICKED(IDC_FIND_PREV, OnFindPrev)
ON_COMMAND(IDM_RX_FIND, OnFocusText)
ON_COMMAND(IDM_RX_FIND_NEXT, OnFindNext)
ON_COMMAND(IDM_RX_FIND_PREV, OnFindPrev)
ON_MESSAGE(UM_FIND_STEP, OnFindStep)
END_MESSAGE_MAP()

CFindDlg::CFindDlg(const CString* pText, CWnd* pView, const CKivernSettings* pSettings,
                   CWnd* pParent)
    : CDialog(IDD_FIND, pParent), m_pText(pText), m_pView(pView), m_pSettings(pSettings) {}

BOOL CFindDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    static const ACCEL kKeys[] = {
        {FVIRTKEY | FCONTROL, 'F', IDM_RX_FIND},
        {FVIRTKEY, VK_F3, IDM_RX_FIND_NEXT},
        {FVIRTKEY | FSHIFT, VK_F3, IDM_RX_FIND_PREV},
    };
    SetAccelerators(kKeys, 3);
    return TRUE;
}

void CFindDlg::Open(BOOL bHexDisplay) {
    if (!m_hWnd) {
        if (!Create(IDD_FIND, m_pParentWnd)) return;
        static_cast<CButton*>(GetDlgItem(IDC_FIND_HEX))
            ->SetCheck(bHexDisplay ? BST_CHECKED : BST_UNCHECKED);
    }
    ShowWindow(SW_SHOW);
    OnFocusText();
}

void CFindDlg::OnFocusText() {
    CWnd* pEdit = GetDlgItem(IDC_FIND_TEXT);
    if (!pEdit) return;
    pEdit->SetFocus();
    pEdit->SendMessage(EM_SETSEL, 0, -1);
}

void CFindDlg::FindAgain(BOOL bForward, BOOL bHexDisplay) {
    CString strText;
    if (m_hWnd) GetDlgItem(IDC_FIND_TEXT)->GetWindowText(strText, CP_UTF8);
    if (strText.IsEmpty()) {
        Open(bHexDisplay);
        return;
    }
    Start(bForward);
}

void CFindDlg::OnOK() { OnFindNext(); }

void CFindDlg::OnCancel() {
    m_pSearch.reset();
    ShowWindow(SW_HIDE);
}

void CFindDlg::OnFindNext() { Start(TRUE); }

void CFindDlg::OnFindPrev() { Start(FALSE); }

void CFindDlg::Show(const CString& strStatus) {
    if (CWnd* p = GetDlgItem(IDC_FIND_STATUS)) p->SetWindowText(strStatus);
}

void CFindDlg::Stop(const CString& strStatus) {
    m_pSearch.reset();
    Show(strStatus);
}

// The typed text as the display stores it: text in the display's encoding, or with the hex
// option, the bytes both as received in text display and as "41 0D" in hex display.
BOOL CFindDlg::MakePattern(std::vector<LogPattern::Alternative>& alts, CString& strError) {
    CString strText;
    GetDlgItem(IDC_FIND_TEXT)->GetWindowText(strText, CP_UTF8);
    BOOL bCase = static_cast<CButton*>(GetDlgItem(IDC_FIND_CASE))->GetCheck() == BST_CHECKED;
    BOOL bHex = static_cast<CButton*>(GetDlgItem(IDC_FIND_HEX))->GetCheck() == BST_CHECKED;
    UINT nCodePage = m_pSettings->m_nEncoding == KV_ENC_UTF8 ? CP_UTF8 : CP_ACP;
    m_strWhat = ConvertCodePage(strText, CP_UTF8, CP_ACP);
    if (strText.IsEmpty()) {
        strError = AfxTr("CFindDlg", "请输入要查找的内容");
        return FALSE;
    }
    if (bHex) {
        CString strDigits;
        for (INT_PTR i = 0; i < strText.GetLength(); ++i) {
            char c = strText[i];
            if (c == ' ' || c == '\t' || c == ',') continue;
            if (!IsHexDigit(c)) {
                strDigits = "?";
                break;
            }
            strDigits += c;
        }
        if (strDigits.IsEmpty() || !IsHexString(strDigits)) {
            strError = AfxTr("CFindDlg", "十六进制格式不对，应为 41 0D 这样的字节");
            return FALSE;
        }
        CString bytes = HexToBytes(strDigits);
        CString shown;
        for (INT_PTR i = 0; i < bytes.GetLength(); ++i)
            shown.AppendFormat(i ? " %02X" : "%02X", (unsigned)(unsigned char)bytes[i]);
        alts.push_back({bytes.str(), false});
        alts.push_back({shown.str(), false});
        m_strWhat = shown;
        return TRUE;
    }
    CString bytes = ConvertCodePage(strText, CP_UTF8, nCodePage);
    if (nCodePage == CP_ACP && ConvertCodePage(bytes, CP_ACP, CP_UTF8).Compare(strText) != 0) {
        strError = AfxTr("CFindDlg", "内容里有 GBK 无法表示的字符");
        return FALSE;
    }
    alts.push_back({bytes.str(), !bCase});
    return TRUE;
}

// Forward from the end of the display's selection, backward from its start.
void CFindDlg::Start(BOOL bForward) {
    if (!m_hWnd) return;
    std::vector<LogPattern::Alternative> alts;
    CString strError;
    if (!MakePattern(alts, strError)) {
        Stop(strError);
        return;
    }
    DWORD dwBegin = 0, dwEnd = 0;
    m_pView->SendMessage(EM_GETSEL, (WPARAM)&dwBegin, (LPARAM)&dwEnd);
    bool bGbk = m_pSettings->m_nEncoding != KV_ENC_UTF8;
    // With escape sequences read, the text is searched as it is shown.
    bool bShown = m_pSettings->m_bAnsiColors != FALSE;
    m_pSearch = std::make_unique<LogSearch>(LogPattern(std::move(alts), bGbk, bShown),
                                            bForward ? dwEnd : dwBegin, bForward != FALSE);
    m_nEpoch = m_pText->EditEpoch();
    m_nSeen = m_pText->GetLength();
    Show(AfxTr("CFindDlg", "正在查找..."));
    PostStep();
}

// One step waits in the queue at a time, also when a new search replaces a running one.
void CFindDlg::PostStep() {
    if (m_bStepPosted) return;
    m_bStepPosted = true;
    PostMessage(UM_FIND_STEP);
}

LRESULT CFindDlg::OnFindStep(WPARAM, LPARAM) {
    m_bStepPosted = false;
    if (!m_pSearch) return 0;
    // Emptied or cut short meanwhile: the offsets the search holds mean nothing now.
    if (m_pText->EditEpoch() != m_nEpoch || m_pText->GetLength() < m_nSeen) {
        Stop(AfxTr("CFindDlg", "接收区已清空或裁剪，查找已停止"));
        return 0;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(m_pText->GetString());
    int64_t len = m_pText->GetLength();
    m_nSeen = len;
    auto t0 = std::chrono::steady_clock::now();
    LogSearch::Result r;
    do {
        r = m_pSearch->Step(p, len, kSliceBytes);
    } while (r == LogSearch::kMore &&
             std::chrono::steady_clock::now() - t0 < std::chrono::milliseconds(kStepBudgetMs));
    if (r == LogSearch::kMore) {
        CString s;
        int64_t nDone = len ? std::min<int64_t>(m_pSearch->Scanned() * 100 / len, 99) : 0;
        s.Format(AfxTr("CFindDlg", "正在查找... %d%%"), (int)nDone);
        Show(s);
        PostStep();
        return 0;
    }
    if (r == LogSearch::kNotFound) {
        CString s;
        s.Format(AfxTr("CFindDlg", "找不到“%s”"), (const char*)m_strWhat);
        Stop(s);
        return 0;
    }
    m_pView->SendMessage(EM_SETSEL, (WPARAM)m_pSearch->MatchBegin(), (LPARAM)m_pSearch->MatchEnd());
    m_pView->SendMessage(EM_SCROLLCARET);
    const CString strWhere = !m_pSearch->Wrapped() ? AfxTr("CFindDlg", "找到")
                             : m_pSearch->Forward() ? AfxTr("CFindDlg", "已到末尾，从开头找到")
                                                    : AfxTr("CFindDlg", "已到开头，从末尾找到");
    CString s;
    s.Format(AfxTr("CFindDlg", "%s（位置 %lld）"), (const char*)strWhere,
             (long long)m_pSearch->MatchBegin());
    Stop(s);
    return 0;
}
