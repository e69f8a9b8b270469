// The main dialog: its data model, data exchange, message map, start-up and timer ticks.
#include "dialog/KIVERNDlg.h"

#include "dialog/CommandSlots.h"
#include "res/resource.h"

// The choices of the port-setting lists, in the order they are shown.
static const int g_BaudRates[] = {4800,  9600,  14400,  19200,  38400,  56000,
                                  57600, 74880, 115200, 230400, 460800, 921600};
static const int g_DataBits[] = {5, 6, 7, 8};
static const int g_StopBits[] = {1, 2};
static const char* const g_ParityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
static const int g_nParityNames = 5;
static const char* const g_FlowCtrlNames[] = {"None", "RTS/CTS", "XON/XOFF"};
static const int g_nFlowCtrlNames = 3;

CKIVERNDlg::CKIVERNDlg(CWnd* pParent)
    : CDialog(IDD_MAIN_DIALOG, pParent),
      m_bPanelHidden(FALSE),
      m_nRxBytes(0),
      m_nTxBytes(0),
      m_nStatusColor(0),
      m_strSend(""),
      m_strReceive(""),
      m_bHexDisplay(FALSE),
      m_bHexSend(FALSE),
      m_bTimedSend(FALSE),
      m_bAutoWrap(FALSE),
      m_bRxTime(FALSE),
      m_bRxStamped(false),
      m_nInterval(1000),
      m_strStatus(""),
      m_strTxCount("0"),
      m_strRxCount("0"),
      m_strInterval(""),
      m_strPortState("关闭"),
      m_nLastRxLength(0),
      m_bPauseScroll(FALSE) {
    for (int i = 0; i < CMD_COUNT; ++i) m_bCmdHex[i] = FALSE;
    m_rxText.SetStampSource([this] {
        FormatTimeStamp();
        return m_strRxTime;
    });
    m_hIcon = AfxGetApp() ? AfxGetApp()->LoadIcon(IDR_MAINFRAME) : AfxLoadIcon(IDR_MAINFRAME);
}

CKIVERNDlg::~CKIVERNDlg() = default;

void CKIVERNDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PORT_COMBO, m_cbPort);
    DDX_Control(pDX, IDC_BAUD_COMBO, m_cbBaud);
    DDX_Control(pDX, IDC_PARITY_COMBO, m_cbParity);
    DDX_Control(pDX, IDC_DATABITS_COMBO, m_cbDataBits);
    DDX_Control(pDX, IDC_STOPBITS_COMBO, m_cbStopBits);
    DDX_Control(pDX, IDC_FLOWCTRL_COMBO, m_cbFlowCtrl);
    DDX_Control(pDX, IDC_RECEIVE_EDIT, m_editReceive);
    DDX_Control(pDX, IDC_SEND_EDIT, m_editSend);
    DDX_Text(pDX, IDC_PORT_COMBO, m_strPort);
    DDX_Text(pDX, IDC_BAUD_COMBO, m_strBaud);
    DDX_Text(pDX, IDC_PARITY_COMBO, m_strParity);
    DDX_Text(pDX, IDC_DATABITS_COMBO, m_strDataBits);
    DDX_Text(pDX, IDC_STOPBITS_COMBO, m_strStopBits);
    DDX_Text(pDX, IDC_FLOWCTRL_COMBO, m_strFlowCtrl);
    DDX_Control(pDX, IDC_OPEN_BUTTON, m_btnOpen);
    DDX_Text(pDX, IDC_RECEIVE_EDIT, m_strReceive);
    DDX_Text(pDX, IDC_SEND_EDIT, m_strSend);
    DDX_Text(pDX, IDC_TX_COUNT_STATIC, m_strTxCount);
    DDX_Text(pDX, IDC_RX_COUNT_STATIC, m_strRxCount);
    DDX_Text(pDX, IDC_STATUS_STATIC, m_strStatus);
    DDX_Text(pDX, IDC_INTERVAL_EDIT, m_strInterval);
    DDX_Check(pDX, IDC_HEX_SEND_CHECK, m_bHexSend);
    DDX_Check(pDX, IDC_HEX_DISPLAY_CHECK, m_bHexDisplay);
    DDX_Check(pDX, IDC_AUTO_WRAP_CHECK, m_bAutoWrap);
    DDX_Check(pDX, IDC_RX_TIME_CHECK, m_bRxTime);
    DDX_Check(pDX, IDC_TIMED_SEND_CHECK, m_bTimedSend);
    DDX_Control(pDX, IDC_STATUS_STATIC, m_stStatus);
    DDX_Control(pDX, IDC_RX_COUNT_STATIC, m_stRxCount);
    DDX_Control(pDX, IDC_TX_COUNT_STATIC, m_stTxCount);
    for (int i = 0; i < CMD_COUNT; ++i) DDX_Text(pDX, g_CmdEditIds[i], m_strCmd[i]);
    for (int i = 0; i < CMD_COUNT; ++i) DDX_Check(pDX, g_CmdHexIds[i], m_bCmdHex[i]);
    m_modemLines.BindControls(pDX);
    DDX_Control(pDX, IDC_HISTORY_COMBO, m_cbHistory);
}

BEGIN_MESSAGE_MAP(CKIVERNDlg, CDialog)
ON_MESSAGE(WM_DEVICECHANGE, OnDeviceChange)
ON_MESSAGE(UM_SERIAL_RXBYTE, OnSerialReceive)
ON_MESSAGE(UM_LIVE_LOG_ERROR, OnLiveLogError)
ON_MESSAGE(UM_STARTUP_OPEN, OnStartupOpen)
ON_MESSAGE(UM_NET_CONNECTED, OnNetConnected)
ON_MESSAGE(UM_LIVE_LOG_START, OnLiveLogStart)
ON_MESSAGE(WM_MOUSEWHEEL, OnRxZoomWheel)
ON_WM_SYSCOMMAND()
ON_WM_CONTEXTMENU()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_OPEN_BUTTON, OnBnClickedOpen)
ON_CBN_SELCHANGE(IDC_PORT_COMBO, OnCbnSelchangePort)
ON_BN_CLICKED(IDC_SEND_BUTTON, OnBnClickedSend)
ON_BN_CLICKED(IDC_CLEAR_RX_BUTTON, OnBnClickedClearRx)
ON_WM_TIMER()
ON_WM_SIZE()
ON_WM_SIZING()
ON_WM_CTLCOLOR()
ON_BN_CLICKED(IDC_TIMED_SEND_CHECK, OnBnClickedTimedSend)
ON_EN_CHANGE(IDC_INTERVAL_EDIT, OnEnChangeInterval)
ON_BN_CLICKED(IDC_SAVE_RX_BUTTON, OnBnClickedSaveRx)
ON_BN_CLICKED(IDC_HIDE_PANEL_BUTTON, OnBnClickedHidePanel)
ON_BN_CLICKED(IDC_CMD_SEND1, OnBnClickedCmdSend1)
ON_BN_CLICKED(IDC_CMD_SEND2, OnBnClickedCmdSend2)
ON_BN_CLICKED(IDC_CMD_SEND3, OnBnClickedCmdSend3)
ON_BN_CLICKED(IDC_CMD_SEND4, OnBnClickedCmdSend4)
ON_BN_CLICKED(IDC_CMD_SEND5, OnBnClickedCmdSend5)
ON_BN_CLICKED(IDC_CMD_SEND6, OnBnClickedCmdSend6)
ON_BN_CLICKED(IDC_CMD_SEND7, OnBnClickedCmdSend7)
ON_BN_CLICKED(IDC_CMD_SEND8, OnBnClickedCmdSend8)
ON_BN_CLICKED(IDC_CMD_SEND9, OnBnClickedCmdSend9)
ON_BN_CLICKED(IDC_CMD_SEND10, OnBnClickedCmdSend10)
ON_BN_CLICKED(IDC_CMD_SEND11, OnBnClickedCmdSend11)
ON_BN_CLICKED(IDC_CMD_SEND12, OnBnClickedCmdSend12)
ON_BN_CLICKED(IDC_CMD_SAVE_BUTTON, OnBnClickedCmdSave)
ON_BN_CLICKED(IDC_CMD_RESET_BUTTON, OnBnClickedCmdReset)
ON_BN_CLICKED(IDC_DTR_CHECK, OnBnClickedLineDtr)
ON_BN_CLICKED(IDC_RTS_CHECK, OnBnClickedLineRts)
ON_CBN_SELCHANGE(IDC_HISTORY_COMBO, OnCbnSelchangeHistory)
ON_BN_CLICKED(IDC_CLEAR_HISTORY_BUTTON, OnBnClickedClearHistory)
ON_CONTROL(EN_KV_RETURN, IDC_SEND_EDIT, OnSendEditReturn)
ON_CONTROL_RANGE(EN_KV_RETURN, IDC_CMD_EDIT1, IDC_CMD_EDIT12, OnCmdEditReturn)
ON_COMMAND(IDM_FOCUS_SEND, OnFocusSendEdit)
ON_COMMAND(IDM_FOCUS_RECEIVE, OnFocusReceive)
ON_COMMAND(IDM_RX_FIND, OnRxFind)
ON_COMMAND(IDM_RX_FIND_NEXT, OnRxFindNext)
ON_COMMAND(IDM_RX_FIND_PREV, OnRxFindPrev)
ON_COMMAND(IDM_RX_SETTINGS, ShowSettings)
ON_COMMAND(IDM_LINE_BREAK, OnLineBreak)
ON_COMMAND(IDM_LINE_RESET, OnLineReset)
ON_COMMAND(IDM_FILE_SEND, OnSendFile)
ON_COMMAND(IDM_FILE_RECEIVE, OnReceiveFile)
ON_COMMAND(IDM_RX_ZOOM_IN, OnRxZoomIn)
ON_COMMAND(IDM_RX_ZOOM_OUT, OnRxZoomOut)
ON_COMMAND(IDM_RX_ZOOM_RESET, OnRxZoomReset)
ON_COMMAND(IDM_SCRIPT_RUN, OnRunScript)
ON_COMMAND(IDM_SCRIPT_STOP, OnStopScript)
ON_MESSAGE(UM_SCRIPT_CALL, OnScriptCall)
ON_MESSAGE(UM_SCRIPT_DONE, OnScriptDone)
ON_MESSAGE(UM_AUTO_REPLY, OnAutoReply)
ON_COMMAND(IDM_PLOT_OPEN, OnPlotOpen)
END_MESSAGE_MAP()

BOOL CKIVERNDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // The About entry of the system menu.
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (pSysMenu != nullptr) {
        CString strAboutMenu;
        AfxLoadString(IDS_ABOUTBOX, strAboutMenu);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
        // The settings entry goes with the window's own entries, before the one that closes
        // it, so that the menu still ends with the About entry.
        CString strSettingsMenu;
        if (AfxLoadString(IDS_SETTINGS, strSettingsMenu)) {
            int nAt = pSysMenu->GetMenuItemCount();
            for (int i = 0; i < pSysMenu->GetMenuItemCount(); ++i)
                if (pSysMenu->GetItem(i).id == SC_CLOSE)
                    nAt = (i > 0 && (pSysMenu->GetItem(i - 1).flags & MF_SEPARATOR)) ? i - 1 : i;
            pSysMenu->InsertMenu((UINT)nAt, MF_BYPOSITION | MF_STRING, IDM_SETTINGS,
                                 strSettingsMenu + "\tCtrl+,");
        }
    }
    m_settings.Load();
    ApplySettings(TRUE);
    SendMessage(WM_SETICON, 1, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, 0, (LPARAM)m_hIcon);

    UpdateData(TRUE);
    CString strText;
    for (int rate : g_BaudRates) {
        strText.Format("%d", rate);
        m_cbBaud.AddString(strText);
    }
    m_cbBaud.SetCurSel(m_cbBaud.FindString(0, "9600"));
    for (int i = 0; i < g_nParityNames; ++i) m_cbParity.AddString(g_ParityNames[i]);
    m_cbParity.SetCurSel(m_cbParity.FindString(0, "None"));
    for (int bits : g_StopBits) {
        strText.Format("%d", bits);
        m_cbStopBits.AddString(strText);
    }
    m_cbStopBits.SetCurSel(m_cbStopBits.FindString(0, "1"));
    for (int bits : g_DataBits) {
        strText.Format("%d", bits);
        m_cbDataBits.AddString(strText);
    }
    m_cbDataBits.SetCurSel(m_cbDataBits.FindString(0, "8"));
    for (int i = 0; i < g_nFlowCtrlNames; ++i) m_cbFlowCtrl.AddString(g_FlowCtrlNames[i]);
    m_cbFlowCtrl.SetCurSel(m_cbFlowCtrl.FindString(0, "None"));

    RefreshPortList();

    UpdateData(TRUE);
    m_strTxCount = "TX: 0 Bytes";
    m_strRxCount = "RX: 0 Bytes";
    m_strStatus.Format("%s CLOSED", (const char*)m_strPort);
    m_strInterval = "1000";
    m_bAutoWrap = FALSE;

    // The fonts live as long as the process: the controls use them to the end.
    static CFont s_fontText, s_fontCmd, s_fontStatus;
    if (!s_fontText.IsCreated())
        s_fontText.CreateFontA(14, 0, 0, 0, 550, FALSE, FALSE, 0, DEFAULT_CHARSET, 0, 0x20, 2, 0,
                               "新宋体");
    GetDlgItem(IDC_RECEIVE_EDIT)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontText, TRUE);
    GetDlgItem(IDC_SEND_EDIT)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontText, TRUE);
    m_zoom.Apply(&m_editReceive, TRUE);  // a size or face the user chose
    if (!s_fontCmd.IsCreated())
        s_fontCmd.CreateFontA(15, 0, 0, 0, 400, FALSE, FALSE, 0, DEFAULT_CHARSET, 0, 0x20, 2, 0,
                              "Arial");
    for (int id : g_CmdEditIds)
        GetDlgItem(id)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontCmd, TRUE);

    UpdateData(FALSE);

    if (!s_fontStatus.IsCreated())
        s_fontStatus.CreateFontA(16, 0, 0, 0, 800, FALSE, FALSE, 0, ANSI_CHARSET, 0, 0x20, 2, 0x20,
                                 "Consolas");
    GetDlgItem(IDC_TX_COUNT_STATIC)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontStatus, TRUE);
    GetDlgItem(IDC_RX_COUNT_STATIC)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontStatus, TRUE);
    GetDlgItem(IDC_STATUS_STATIC)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontStatus, TRUE);
    // The modem lines beside them read as part of the same status band.
    for (int id : {IDC_DTR_CHECK, IDC_RTS_CHECK, IDC_MODEM_STATIC})
        GetDlgItem(id)->SendMessage(WM_SETFONT, (WPARAM)(HFONT)s_fontStatus, TRUE);
    m_stStatus.InvalidateRect(nullptr, TRUE);

    LayoutControls(TRUE);
    LayoutControls(FALSE);
    NameControls();

    LoadCommands();
    LoadHistory();
    PrepareKeyboard();

    GetDlgItem(IDC_HEX_SEND_CHECK)->EnableWindow(FALSE);
    GetDlgItem(IDC_TIMED_SEND_CHECK)->EnableWindow(FALSE);
    GetDlgItem(IDC_INTERVAL_EDIT)->EnableWindow(FALSE);
    GetDlgItem(IDC_SEND_BUTTON)->EnableWindow(FALSE);
    for (int id : g_CmdSendIds) GetDlgItem(id)->EnableWindow(FALSE);
    ApplyStartup();
    return TRUE;
}

// Each timer's tick goes to the part it belongs to.
void CKIVERNDlg::OnTimer(UINT_PTR nIDEvent) {
    switch (nIDEvent) {
        case IDT_TIMED_SEND:
            OnTimedSendTick();
            break;
        case IDT_AUTO_WRAP:
            OnAutoWrapTick();
            break;
        case IDT_RX_STAMP:
            m_bRxStamped = false;  // the next data is stamped again
            break;
        case IDT_RX_REFRESH:
            OnRxRefreshTick();
            break;
        case IDT_RECONNECT:  // the wait tries again until its time is up
            m_reconnect.CountTick();
            TryReconnect();
            m_reconnect.EndIfTimeUp();
            break;
        case IDT_MODEM_LINES:
            m_modemLines.OnTick();
            break;
        case IDT_LINE_SIGNAL:
            OnLineSignalTick();
            break;
        case IDT_FILE_TRANSFER:
            m_fileTransfer.OnTick();
            break;
        case IDT_HEX_ROWS:
            OnHexRowsTick();
            break;
        case IDT_PLOT:
            m_plot.OnTick();
            break;
        default:
            break;
    }
}

// A stray Enter or Escape would otherwise end the program at once, throwing the whole receive
// log away and closing an open port without a word. The close box, Alt+F4 and the system
// menu's close still end it (OnSysCommand).
void CKIVERNDlg::OnOK() {}
void CKIVERNDlg::OnCancel() { m_fileTransfer.Cancel(); }  // Esc stops a file transfer

// The modem lines' toggles.
void CKIVERNDlg::OnBnClickedLineDtr() { m_modemLines.OnClickedDtr(); }
void CKIVERNDlg::OnBnClickedLineRts() { m_modemLines.OnClickedRts(); }
