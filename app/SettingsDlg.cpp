#include "app/SettingsDlg.h"

#include "app/PathPorts.h"
#include "convert/Convert.h"
#include "res/resource.h"

namespace {
const char* const kEncodingNames[] = {"GBK", "UTF-8"};
const char* const kLineEndingNames[] = {"无", "CR", "LF", "CR LF"};
// DTR offers the driver's state; RTS is held on unless the user turns it off.
const char* const kDtrNames[] = {"驱动默认", "开", "关"};
const char* const kRtsNames[] = {"开", "关"};
}  // namespace

CSettingsDlg::CSettingsDlg(const CKivernSettings& settings, CWnd* pParent)
    : CDialog(IDD_SETTINGS, pParent),
      m_settings(settings),
      m_nEncoding(settings.m_nEncoding),
      m_nLineEnding(settings.m_nLineEnding),
      m_nDtr(settings.m_nDtrAtOpen),
      m_nRts(settings.m_nRtsAtOpen == KV_LINE_OFF ? 1 : 0),
      m_bShowSent(settings.m_bShowSent),
      m_bReconnect(settings.m_bReconnect) {
    m_strReconnectSecs.Format("%d", settings.m_nReconnectSecs);
}

void CSettingsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SET_ENCODING, m_cbEncoding);
    DDX_Control(pDX, IDC_SET_LINE_END, m_cbLineEnding);
    DDX_Control(pDX, IDC_SET_DTR, m_cbDtr);
    DDX_Control(pDX, IDC_SET_RTS, m_cbRts);
    DDX_Control(pDX, IDC_SET_PORT_LIST, m_cbPorts);
    DDX_CBIndex(pDX, IDC_SET_ENCODING, m_nEncoding);
    DDX_CBIndex(pDX, IDC_SET_LINE_END, m_nLineEnding);
    DDX_CBIndex(pDX, IDC_SET_DTR, m_nDtr);
    DDX_CBIndex(pDX, IDC_SET_RTS, m_nRts);
    DDX_Check(pDX, IDC_SET_SHOW_SENT, m_bShowSent);
    DDX_Check(pDX, IDC_SET_RECONNECT, m_bReconnect);
    DDX_Text(pDX, IDC_SET_RECONNECT_SECS, m_strReconnectSecs);
    DDX_Text(pDX, IDC_SET_PORT_PATH, m_strPortPath);
}

BEGIN_MESSAGE_MAP(CSettingsDlg, CDialog)
ON_BN_CLICKED(IDC_SET_PORT_ADD, OnBnClickedPortAdd)
ON_BN_CLICKED(IDC_SET_PORT_REMOVE, OnBnClickedPortRemove)
END_MESSAGE_MAP()

BOOL CSettingsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    UpdateData(TRUE);
    for (const char* s : kEncodingNames) m_cbEncoding.AddString(s);
    for (const char* s : kLineEndingNames) m_cbLineEnding.AddString(s);
    for (const char* s : kDtrNames) m_cbDtr.AddString(s);
    for (const char* s : kRtsNames) m_cbRts.AddString(s);
    m_nEncoding = m_settings.m_nEncoding;
    m_nLineEnding = m_settings.m_nLineEnding;
    m_nDtr = m_settings.m_nDtrAtOpen;
    m_nRts = m_settings.m_nRtsAtOpen == KV_LINE_OFF ? 1 : 0;
    m_bShowSent = m_settings.m_bShowSent;
    m_bReconnect = m_settings.m_bReconnect;
    m_strReconnectSecs.Format("%d", m_settings.m_nReconnectSecs);
    FillPortList();
    UpdateData(FALSE);
    return TRUE;
}

void CSettingsDlg::FillPortList() {
    m_cbPorts.ResetContent();
    CString item;
    for (const auto& p : m_settings.m_ports) {
        item.Format("COM%u  %s", p.first, p.second.c_str());
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
    m_settings.m_bReconnect = m_bReconnect;
    EndDialog(IDOK);
}

// Adds the typed path as a port; the caller makes its link when the box ends with OK.
void CSettingsDlg::OnBnClickedPortAdd() {
    UpdateData(TRUE);
    std::string path = (const char*)m_strPortPath;
    path.erase(0, path.find_first_not_of(" \t"));
    path.erase(path.find_last_not_of(" \t") + 1);
    if (path.empty()) return;
    if (path[0] != '/') path = "/dev/" + path;  // "ttyUSB0"
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
