#include "options/SettingsDlg.h"

#include "convert/Convert.h"
#include "options/AutoReplyDlg.h"
#include "options/PathPorts.h"
#include "res/resource.h"

namespace {
const char* const kEncodingNames[] = {"GBK", "UTF-8"};
const char* const kLineEndingNames[] = {TR_NOOP("CSettingsDlg", "无"), "CR", "LF", "CR LF"};
// DTR offers the driver's state; RTS is held on unless the user turns it off.
const char* const kDtrNames[] = {TR_NOOP("CSettingsDlg", "驱动默认"), TR_NOOP("CSettingsDlg", "开"),
                                 TR_NOOP("CSettingsDlg", "关")};
const char* const kRtsNames[] = {TR_NOOP("CSettingsDlg", "开"), TR_NOOP("CSettingsDlg", "关")};
const char* const kChecksumNames[KV_CHECK_COUNT] = {
    TR_NOOP("CSettingsDlg", "无"), "SUM8",          "XOR8",  "CRC-8/SMBUS", "CRC-16/MODBUS",
    "CRC-16/CCITT-FALSE",          "CRC-16/XMODEM", "CRC-32"};
const char* const kChecksumOrderNames[] = {TR_NOOP("CSettingsDlg", "惯用顺序"),
                                           TR_NOOP("CSettingsDlg", "高字节在前"),
                                           TR_NOOP("CSettingsDlg", "低字节在前")};
const char* const kResetLineNames[] = {"DTR", "RTS"};

// A duration typed in ms: its value when it is a whole number in 1..KV_SIGNAL_MAX_MS, else keep.
int TypedMillis(const CString& str, int keep) {
    if (!IsDecimalNumber(str) || str.GetLength() > 5) return keep;
    const int ms = IntervalValue(str);
    return ms >= 1 && ms <= KV_SIGNAL_MAX_MS ? ms : keep;
}
const char* const kFileProtocolNames[KV_FILE_COUNT] = {TR_NOOP("CSettingsDlg", "原始数据"),
                                                       TR_NOOP("CSettingsDlg", "XMODEM (校验和)"),
                                                       "XMODEM (CRC)",
                                                       "XMODEM-1K",
                                                       "YMODEM",
                                                       "ZMODEM"};
}  // namespace

CSettingsDlg::CSettingsDlg(const CKivernSettings& settings, CWnd* pParent)
    : CDialog(IDD_SETTINGS, pParent),
      m_settings(settings),
      m_nEncoding(settings.m_nEncoding),
      m_nLineEnding(settings.m_nLineEnding),
      m_nDtr(settings.m_nDtrAtOpen),
      m_nRts(settings.m_nRtsAtOpen == KV_LINE_OFF ? 1 : 0),
      m_bShowSent(settings.m_bShowSent),
      m_bReconnect(settings.m_bReconnect),
      m_bLiveLog(settings.m_bLiveLog),
      m_bLiveLogTimeName(settings.m_bLiveLogTimeName),
      m_bKeepHistory(settings.m_bKeepHistory),
      m_nChecksum(settings.m_nChecksum),
      m_nChecksumOrder(settings.m_nChecksumOrder),
      m_bChecksumText(settings.m_bChecksumText),
      m_bLooseHex(settings.m_bLooseHex),
      m_nResetLine(settings.m_nResetLine),
      m_nFileProtocol(settings.m_nFileProtocol),
      m_bAutoReply(settings.m_bAutoReply),
      m_nLanguage(settings.m_nLanguage) {
    m_strFilePause.Format("%d", settings.m_nFilePauseMs);
    m_strFilePauseEvery.Format("%d", settings.m_nFilePauseEvery);
    m_strReconnectSecs.Format("%d", settings.m_nReconnectSecs);
    m_strBreakMs.Format("%d", settings.m_nBreakMs);
    m_strResetMs.Format("%d", settings.m_nResetMs);
    m_strRxLimit.Format("%d", settings.m_nRxLimitMiB);
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SET_ENCODING, m_cbEncoding);
    DDX_Control(pDX, IDC_SET_LINE_END, m_cbLineEnding);
    DDX_Control(pDX, IDC_SET_DTR, m_cbDtr);
    DDX_Control(pDX, IDC_SET_RTS, m_cbRts);
    DDX_Control(pDX, IDC_SET_PORT_LIST, m_cbPorts);
    DDX_Control(pDX, IDC_SET_CHECKSUM, m_cbChecksum);
    DDX_Control(pDX, IDC_SET_CHECKSUM_ORDER, m_cbChecksumOrder);
    DDX_Control(pDX, IDC_SET_RESET_LINE, m_cbResetLine);
    DDX_Control(pDX, IDC_SET_FILE_PROTOCOL, m_cbFileProtocol);
    DDX_CBIndex(pDX, IDC_SET_FILE_PROTOCOL, m_nFileProtocol);
    DDX_Text(pDX, IDC_SET_FILE_PAUSE, m_strFilePause);
    DDX_Text(pDX, IDC_SET_FILE_PAUSE_EVERY, m_strFilePauseEvery);
    DDX_CBIndex(pDX, IDC_SET_ENCODING, m_nEncoding);
    DDX_CBIndex(pDX, IDC_SET_LINE_END, m_nLineEnding);
    DDX_CBIndex(pDX, IDC_SET_DTR, m_nDtr);
    DDX_CBIndex(pDX, IDC_SET_RTS, m_nRts);
    DDX_Check(pDX, IDC_SET_SHOW_SENT, m_bShowSent);
    DDX_CBIndex(pDX, IDC_SET_CHECKSUM, m_nChecksum);
    DDX_CBIndex(pDX, IDC_SET_CHECKSUM_ORDER, m_nChecksumOrder);
    DDX_Check(pDX, IDC_SET_CHECKSUM_TEXT, m_bChecksumText);
    DDX_Check(pDX, IDC_SET_LOOSE_HEX, m_bLooseHex);
    DDX_Text(pDX, IDC_SET_BREAK_MS, m_strBreakMs);
    DDX_CBIndex(pDX, IDC_SET_RESET_LINE, m_nResetLine);
    DDX_Text(pDX, IDC_SET_RESET_MS, m_strResetMs);
    DDX_Check(pDX, IDC_SET_RECONNECT, m_bReconnect);
    DDX_Text(pDX, IDC_SET_RECONNECT_SECS, m_strReconnectSecs);
    DDX_Text(pDX, IDC_SET_PORT_PATH, m_strPortPath);
    DDX_Check(pDX, IDC_SET_LIVE_LOG, m_bLiveLog);
    DDX_Check(pDX, IDC_SET_LIVE_LOG_TIME_NAME, m_bLiveLogTimeName);
    DDX_Text(pDX, IDC_SET_RX_LIMIT, m_strRxLimit);
    DDX_Check(pDX, IDC_SET_KEEP_HISTORY, m_bKeepHistory);
    m_displayGroup.DoDataExchange(pDX);
    m_colors.Exchange(pDX);
    DDX_Check(pDX, IDC_SET_AUTO_REPLY, m_bAutoReply);
    DDX_Control(pDX, IDC_SET_LANGUAGE, m_cbLanguage);
    DDX_CBIndex(pDX, IDC_SET_LANGUAGE, m_nLanguage);
}

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
ON_BN_CLICKED(IDC_SET_PORT_ADD, OnBnClickedPortAdd)
ON_BN_CLICKED(IDC_SET_PORT_REMOVE, OnBnClickedPortRemove)
ON_BN_CLICKED(IDC_SET_LIVE_LOG_BROWSE, OnBnClickedLiveLogBrowse)
ON_BN_CLICKED(IDC_SET_HIGHLIGHTS, OnBnClickedHighlights)
ON_BN_CLICKED(IDC_SET_AUTO_REPLY_EDIT, OnBnClickedAutoReplyEdit)
END_MESSAGE_MAP()

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateData(TRUE);
    // The lists are read back by index only, so their items may be shown in either language.
    auto fill = [](CComboBox& cb, const auto& names) {
        for (const char* s : names) cb.AddString(AfxTr("CSettingsDlg", s));
    };
    fill(m_cbEncoding, kEncodingNames);
    fill(m_cbLineEnding, kLineEndingNames);
    fill(m_cbDtr, kDtrNames);
    fill(m_cbRts, kRtsNames);
    fill(m_cbChecksum, kChecksumNames);
    fill(m_cbChecksumOrder, kChecksumOrderNames);
    fill(m_cbResetLine, kResetLineNames);
    fill(m_cbFileProtocol, kFileProtocolNames);
    m_cbLanguage.AddString("中文");  // not translated: each language in its own words
    m_cbLanguage.AddString("English");
    m_nLanguage = m_settings.m_nLanguage;
    m_nEncoding = m_settings.m_nEncoding;
    m_nLineEnding = m_settings.m_nLineEnding;
    m_nDtr = m_settings.m_nDtrAtOpen;
    m_nRts = m_settings.m_nRtsAtOpen == KV_LINE_OFF ? 1 : 0;
    m_bShowSent = m_settings.m_bShowSent;
    m_bReconnect = m_settings.m_bReconnect;
    m_strReconnectSecs.Format("%d", m_settings.m_nReconnectSecs);
    m_bLiveLog = m_settings.m_bLiveLog;
    m_bLiveLogTimeName = m_settings.m_bLiveLogTimeName;
    m_strRxLimit.Format("%d", m_settings.m_nRxLimitMiB);
    m_bKeepHistory = m_settings.m_bKeepHistory;
    m_nChecksum = m_settings.m_nChecksum;
    m_nChecksumOrder = m_settings.m_nChecksumOrder;
    m_bChecksumText = m_settings.m_bChecksumText;
    m_bLooseHex = m_settings.m_bLooseHex;
    m_strBreakMs.Format("%d", m_settings.m_nBreakMs);
    m_nResetLine = m_settings.m_nResetLine;
    m_strResetMs.Format("%d", m_settings.m_nResetMs);
    m_nFileProtocol = m_settings.m_nFileProtocol;
    m_strFilePause.Format("%d", m_settings.m_nFilePauseMs);
    m_strFilePauseEvery.Format("%d", m_settings.m_nFilePauseEvery);
    FillPortList();
    m_displayGroup.Init();
    m_colors.Init(this, m_settings);
    UpdateData(FALSE);
    // Paths are file-system bytes (UTF-8): the edit is written and read in UTF-8.
    GetDlgItem(IDC_SET_LIVE_LOG_PATH)
        ->SetWindowText(
            ConvertCodePage(CString(m_settings.m_strLiveLogPath.c_str()), CP_UTF8, CP_ACP));
    // Changes that would not last are said so before the user makes them.
    CString strNotice = m_settings.NotSavedNotice();
    if (!strNotice.IsEmpty()) {
        CWnd* pNotice = GetDlgItem(IDC_SET_NOT_SAVED);
        pNotice->SetWindowText(strNotice);
        pNotice->ShowWindow(SW_SHOW);
    }
    return TRUE;
}

void CSettingsDlg::FillPortList() {
    m_cbPorts.ResetContent();
    CString item;
    for (const auto& p : m_settings.m_ports) {
        item.Format("COM%u  %s", p.first,
                    (const char*)ConvertCodePage(CString(p.second.c_str()), CP_UTF8, CP_ACP));
        m_cbPorts.AddString(item);
    }
    if (m_cbPorts.GetCount() > 0) m_cbPorts.SetCurSel(0);
}

void CSettingsDlg::OnOK() {
    UpdateData(TRUE);
    // A waiting time that is not a whole number of seconds keeps the one before.
    int secs = IsDecimalNumber(m_strReconnectSecs) ? IntervalValue(m_strReconnectSecs) : 0;
    if (secs >= 1 && secs <= 3600) m_settings.m_nReconnectSecs = secs;
    if (m_nEncoding >= 0) m_settings.m_nEncoding = m_nEncoding;
    if (m_nLineEnding >= 0) m_settings.m_nLineEnding = m_nLineEnding;
    if (m_nDtr >= 0) m_settings.m_nDtrAtOpen = m_nDtr;
    if (m_nRts >= 0) m_settings.m_nRtsAtOpen = m_nRts == 1 ? KV_LINE_OFF : KV_LINE_ON;
    m_settings.m_bShowSent = m_bShowSent;
    if (m_nChecksum >= 0) m_settings.m_nChecksum = m_nChecksum;
    if (m_nChecksumOrder >= 0) m_settings.m_nChecksumOrder = m_nChecksumOrder;
    m_settings.m_bChecksumText = m_bChecksumText;
    m_settings.m_bLooseHex = m_bLooseHex;
    // A duration that is not a whole number of ms in range keeps the one before.
    m_settings.m_nBreakMs = TypedMillis(m_strBreakMs, m_settings.m_nBreakMs);
    if (m_nResetLine >= 0) m_settings.m_nResetLine = m_nResetLine;
    m_settings.m_nResetMs = TypedMillis(m_strResetMs, m_settings.m_nResetMs);
    if (m_nFileProtocol >= 0) m_settings.m_nFileProtocol = m_nFileProtocol;
    // A pause that is not a whole number (of ms up to a minute, of bytes) keeps the one before.
    if (m_strFilePause == "0" || IsDecimalNumber(m_strFilePause)) {
        int ms = m_strFilePause == "0" ? 0 : IntervalValue(m_strFilePause);
        if (ms >= 0 && ms <= 60000) m_settings.m_nFilePauseMs = ms;
    }
    if (m_strFilePauseEvery == "0" || IsDecimalNumber(m_strFilePauseEvery)) {
        int n = m_strFilePauseEvery == "0" ? 0 : IntervalValue(m_strFilePauseEvery);
        if (n >= 0) m_settings.m_nFilePauseEvery = n;
    }
    m_settings.m_bReconnect = m_bReconnect;
    // A display limit that is not a whole number of MiB keeps the one before.
    if (m_strRxLimit == "0") {
        m_settings.m_nRxLimitMiB = 0;
    } else if (IsDecimalNumber(m_strRxLimit)) {
        int mib = IntervalValue(m_strRxLimit);
        if (mib <= 65536) m_settings.m_nRxLimitMiB = mib;
    }
    CString strLogPath;
    GetDlgItem(IDC_SET_LIVE_LOG_PATH)->GetWindowText(strLogPath, CP_UTF8);
    m_settings.m_strLiveLogPath = (const char*)strLogPath;
    m_settings.m_bLiveLog = m_bLiveLog;
    m_settings.m_bLiveLogTimeName = m_bLiveLogTimeName;
    m_settings.m_bKeepHistory = m_bKeepHistory;
    m_displayGroup.Read(m_settings.m_display);
    m_colors.Save(m_settings);
    m_settings.m_bAutoReply = m_bAutoReply;
    if (m_nLanguage == LANG_CHINESE || m_nLanguage == LANG_ENGLISH)
        m_settings.m_nLanguage = m_nLanguage;
    EndDialog(IDOK);
}

void CSettingsDlg::OnBnClickedHighlights() { m_colors.EditHighlights(this); }

// Adds the typed path as a port; the caller makes its link when the box ends with OK.
void CSettingsDlg::OnBnClickedPortAdd() {
    UpdateData(TRUE);
    CString strPath;
    GetDlgItem(IDC_SET_PORT_PATH)->GetWindowText(strPath, CP_UTF8);
    std::string path = (const char*)strPath;
    path.erase(0, path.find_first_not_of(" \t"));
    path.erase(path.find_last_not_of(" \t") + 1);
    if (path.empty()) return;
    if (path[0] != '/' && !LooksLikeNetPortUrl(path)) path = "/dev/" + path;  // "ttyUSB0"
    unsigned nNumber = 0;
    KvPathPort result = AddPathPort(m_settings, path, nNumber);
    if (result == KV_PATH_NO_TERMINAL || result == KV_PATH_NO_NUMBER) {
        ReportPathPortRefused(result, path);
        return;
    }
    FillPortList();
    for (size_t i = 0; i < m_settings.m_ports.size(); ++i)
        if (m_settings.m_ports[i].first == nNumber) m_cbPorts.SetCurSel((int)i);
    m_strPortPath.Empty();
    UpdateData(FALSE);
}

void CSettingsDlg::OnBnClickedPortRemove() {
    int nSel = m_cbPorts.GetCurSel();
    if (nSel < 0 || nSel >= (int)m_settings.m_ports.size()) return;
    m_settings.m_ports.erase(m_settings.m_ports.begin() + nSel);
    FillPortList();
}

// Picks the live log's file; with names from the local time, the folder of the one picked.
void CSettingsDlg::OnBnClickedLiveLogBrowse() {
    UpdateData(TRUE);
    CString strPath;
    GetDlgItem(IDC_SET_LIVE_LOG_PATH)->GetWindowText(strPath, CP_UTF8);
    CFileDialog dlg(FALSE, "txt", m_bLiveLogTimeName || strPath.IsEmpty() ? "live.txt" : strPath,
                    OFN_HIDEREADONLY, "TXT Files (*.txt)|*.txt|All Files (*)|*||", this);
    if (dlg.DoModal() != IDOK) return;
    std::string path = (const char*)dlg.GetPathName();
    if (m_bLiveLogTimeName) path.erase(path.rfind('/') + 1);
    GetDlgItem(IDC_SET_LIVE_LOG_PATH)
        ->SetWindowText(ConvertCodePage(CString(path.c_str()), CP_UTF8, CP_ACP));
}

// The rows are edited in a box of their own; they count once this box is confirmed.
void CSettingsDlg::OnBnClickedAutoReplyEdit() {
    CAutoReplyDlg dlg(m_settings.m_autoReplies, this);
    if (dlg.DoModal() == IDOK) m_settings.m_autoReplies = dlg.m_rules;
}
