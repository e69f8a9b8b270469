// CSettingsDlg: the "更多设置" box, reached from the system menu and the receive display's
// context menu. It edits a copy of the options; the caller keeps them when it returns IDOK.
#pragma once
#include "options/ColorGroup.h"
#include "options/DisplayGroup.h"
#include "options/Settings.h"
#include "platform/afx.h"

class CSettingsDlg : public CDialog {
public:
    explicit CSettingsDlg(const CKivernSettings& settings, CWnd* pParent = nullptr);

    // The options as the user left them (valid after IDOK).
    CKivernSettings m_settings;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

public:
    void OnBnClickedPortAdd();
    void OnBnClickedPortRemove();
    void OnBnClickedLiveLogBrowse();
    void OnBnClickedHighlights();
    void OnBnClickedAutoReplyEdit();
    DECLARE_MESSAGE_MAP()

private:
    void FillPortList();

    CComboBox m_cbEncoding;
    CComboBox m_cbLineEnding;
    CComboBox m_cbDtr;
    CComboBox m_cbRts;
    CComboBox m_cbPorts;
    CComboBox m_cbChecksum;
    CComboBox m_cbChecksumOrder;
    CComboBox m_cbResetLine;
    CComboBox m_cbFileProtocol;
    int m_nEncoding;
    int m_nLineEnding;
    int m_nDtr;
    int m_nRts;
    BOOL m_bShowSent;
    BOOL m_bReconnect;
    CString m_strReconnectSecs;
    CString m_strPortPath;
    BOOL m_bLiveLog;
    BOOL m_bLiveLogTimeName;
    CString m_strRxLimit;
    BOOL m_bKeepHistory;
    int m_nChecksum;
    int m_nChecksumOrder;
    BOOL m_bChecksumText;
    BOOL m_bLooseHex;
    CString m_strBreakMs;
    int m_nResetLine;
    CString m_strResetMs;
    int m_nFileProtocol;
    CString m_strFilePause;
    CString m_strFilePauseEvery;
    CDisplayGroup m_displayGroup{m_settings.m_display};
    CColorGroup m_colors;
    BOOL m_bAutoReply;
    CComboBox m_cbLanguage;
    int m_nLanguage;  // LANG_*, the combo's index
};
