// CKIVERNDlg: the main dialog. It owns every control wrapper, every value the user edits,
// the counters and flags of the data paths, and the serial-port engine. Its handlers live in
// one source file per concern (start-up and timer ticks, decoration, layout, port list and
// open/close, receive, transmit, timed send, saving, quick commands). The features added to
// the window are classes of their own (the live log, the receive text's path, the reconnect
// wait, the modem lines, the network connecting, the send history, the named port), owned
// here as members and called from the handlers.
#pragma once
#include <cstdint>
#include <string>

#include "convert/Convert.h"
#include "dialog/CommandSlots.h"
#include "dialog/FileTransfer.h"
#include "dialog/FindDlg.h"
#include "dialog/LineSignals.h"
#include "dialog/LiveLog.h"
#include "dialog/ModemLines.h"
#include "dialog/NamedPort.h"
#include "dialog/NetConnect.h"
#include "dialog/PlotWnd.h"
#include "dialog/ReceiveText.h"
#include "dialog/Reconnect.h"
#include "dialog/RxColors.h"
#include "dialog/RxZoom.h"
#include "dialog/ScriptRunner.h"
#include "dialog/SendFraming.h"
#include "dialog/SendHistory.h"
#include "options/Settings.h"
#include "options/StartOptions.h"
#include "platform/afx.h"
#include "script/AutoReply.h"
#include "serial/SerialPort.h"

// Timers of the dialog window.
#define IDT_TIMED_SEND 1
#define IDT_AUTO_WRAP 2
#define IDT_RX_STAMP 3
#define IDT_RX_REFRESH 4
#define IDT_MODEM_LINES 5
#define IDT_RECONNECT 6      // the wait for a lost port's device to come back
#define IDT_LINE_SIGNAL 7    // the end of a BREAK or a reset pulse
#define IDT_FILE_TRANSFER 8  // a file transfer's progress
#define IDT_HEX_ROWS 9       // the silence that ends a block of hex rows
#define IDT_PLOT 10          // the plot window's repaint

class CKIVERNDlg : public CDialog {
public:
    explicit CKIVERNDlg(CWnd* pParent = nullptr);
    ~CKIVERNDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter and Escape do not end the program; the close box and the system menu do.
    void OnOK() override;
    void OnCancel() override;

public:  // the handlers are reached through the message map, and by tests
    // Decoration.
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    // Accessibility: the names a screen reader gives the controls.
    void NameControls();
    // Options: the settings box, the receive display's context menu.
    void OnContextMenu(CWnd* pWnd, POINT point);
    void ShowSettings();
    void ApplySettings(BOOL bAtStart = FALSE);
    // Receive display: find, reading back while data flows.
    void OnRxFind();
    void OnRxFindNext();
    void OnRxFindPrev();
    BOOL IsHexDisplayTicked() const;
    void OnRxPauseScroll();
    // Receive display: stamps on every line, hex rows, zoom.
    void AppendDisplayMenu(CMenu& menu);
    BOOL RunDisplayMenu(UINT nCmd);
    void OnRxLineStamps();
    void OnRxHexRows();
    void OnRxZoomIn();
    void OnRxZoomOut();
    void OnRxZoomReset();
    LRESULT OnRxZoomWheel(WPARAM wParam, LPARAM lParam);
    // Send history: the drop-down list under the send edit and its clear button.
    void OnCbnSelchangeHistory();
    void OnBnClickedClearHistory();
    void LoadHistory();
    void SaveHistory();  // with the keep option: into the settings file, when it changed
    // Files: 发送文件, 接收文件, cancelling a transfer, its progress in the status line.
    void OnSendFile();
    void OnReceiveFile();
    void OnPlotOpen() { m_plot.Open(); }
    void OnCancelTransfer();
    void ShowTransferReport(const CString& strStatus, const CString& strDetail, int nColor,
                            uint64_t nSent);
    void AppendFileMenu(CMenu& menu);
    BOOL RunFileMenu(UINT nCmd);
    void OnSendEditMenu(POINT point);
    // Scripts: 运行脚本..., 停止脚本, the recent scripts, and what a script asks of the window.
    void OnRunScript();
    void OnStopScript();
    void AppendScriptMenu(CMenu& menu);
    BOOL RunScriptMenu(UINT nCmd);
    LRESULT OnScriptCall(WPARAM wParam, LPARAM lParam);
    LRESULT OnScriptDone(WPARAM wParam, LPARAM lParam);
    ScriptWindowCalls ScriptCalls();
    std::string WriteForScript(const std::string& bytes);
    LRESULT OnAutoReply(WPARAM wParam, LPARAM lParam);
    void ShowScriptLine(const std::string& text);
    void ShowScriptStatus(const CString& strStatus, int nColor);
    // Keyboard: Ctrl+Enter in the send edit, Enter in a quick-command edit, focus shortcuts.
    void OnSendEditReturn();
    void OnCmdEditReturn(UINT nID);
    void OnFocusSendEdit();
    void OnFocusReceive();
    // The live log's messages.
    LRESULT OnLiveLogError(WPARAM wParam, LPARAM lParam);
    LRESULT OnLiveLogStart(WPARAM wParam, LPARAM lParam);
    // The command line's port, line settings and --open, at the end of start-up.
    void ApplyStartup();
    LRESULT OnStartupOpen(WPARAM wParam, LPARAM lParam);
    // Layout.
    void LayoutControls(BOOL bCapture);
    void OnSize(UINT nType, int cx, int cy);
    void OnSizing(UINT fwSide, LPRECT pRect);
    // Port list and open/close.
    void RefreshPortList();
    LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
    void OnBnClickedOpen();
    void OnCbnSelchangePort();
    // A network port's connecting in the background, and its end.
    LRESULT OnNetConnected(WPARAM wParam, LPARAM lParam);
    // Timers.
    void OnTimer(UINT_PTR nIDEvent);
    // Receive.
    LRESULT OnSerialReceive(WPARAM wParam, LPARAM lParam);
    void OnBnClickedClearRx();
    void FormatTimeStamp();
    void FormatRxCount();
    void ScrollReceiveToEnd();
    // Transmit and timed send.
    void OnBnClickedSend();
    void SendQuickCommand(CString strCmd, BOOL bHex);
    void OnBnClickedTimedSend();
    void OnEnChangeInterval();
    // Modem lines: the DTR and RTS toggles.
    void OnBnClickedLineDtr();
    void OnBnClickedLineRts();
    // Line signals: a BREAK and the reset pulse, from the status band's menu and keys.
    void OnLineBreak();
    void OnLineReset();
    // Saving.
    void OnBnClickedSaveRx();
    // Quick commands.
    void LoadCommands();
    void OnBnClickedCmdSave();
    void OnBnClickedCmdReset();
    void OnBnClickedHidePanel();
    void OnBnClickedCmdSend1();
    void OnBnClickedCmdSend2();
    void OnBnClickedCmdSend3();
    void OnBnClickedCmdSend4();
    void OnBnClickedCmdSend5();
    void OnBnClickedCmdSend6();
    void OnBnClickedCmdSend7();
    void OnBnClickedCmdSend8();
    void OnBnClickedCmdSend9();
    void OnBnClickedCmdSend10();
    void OnBnClickedCmdSend11();
    void OnBnClickedCmdSend12();

    DECLARE_MESSAGE_MAP()

private:
    void OnTimedSendTick();
    void OnAutoWrapTick();
    void OnRxRefreshTick();
    void OnHexRowsTick();
    void TryReconnect();
    BOOL ConnectInBackground(UINT nPort, UINT nBaud, char cParity, UINT nDataBits, UINT nStopBits);
    void ShowConnecting(BOOL bConnecting);
    void CancelConnecting();
    void ReportSendError(const char* pszStatus = "Send Data Error");
    void SendAndReport(const CString& bytes);
    BOOL SendEditBytes(CString& bytes);
    void EchoSent(const CString& bytes);
    void RestoreReceiveScroll(int nPos);
    void SetOpenPortControls(BOOL bOpen);
    void SendCommandSlot(int nSlot);
    BOOL ShowCommandDocument(const char* pDoc, INT_PTR nLength);
    void KeepUnusedCommandFile(CFile& file);
    void AddToHistory();
    void ShowHistory();
    void PrepareKeyboard();
    void ShowStatusBandMenu(POINT point);
    void ShowLineSignal(BOOL bStarted, const CString& strEcho, const CString& strStatus);
    void OnLineSignalTick();
    // The last layout was scaled down to a client area below the least size.
    BOOL m_bLayoutScaled = FALSE;

public:
    // The data model, in declaration order.
    BOOL m_bPanelHidden;
    int64_t m_nRxBytes;  // 64-bit: a day-long capture passes 2 GiB
    int64_t m_nTxBytes;
    CSerialPort m_SerialPort;
    int m_nStatusColor;
    CButton m_btnOpen;
    CComboBox m_cbStopBits;
    CComboBox m_cbParity;
    CComboBox m_cbPort;
    CComboBox m_cbBaud;
    CComboBox m_cbDataBits;
    CComboBox m_cbFlowCtrl;
    CStatic m_stStatus;
    CStatic m_stRxCount;
    CStatic m_stTxCount;
    CEdit m_editReceive;
    CEdit m_editSend;
    CString m_strSend;
    CString m_strReceive;
    BOOL m_bHexDisplay;
    BOOL m_bHexSend;
    BOOL m_bTimedSend;
    BOOL m_bAutoWrap;
    BOOL m_bRxTime;
    bool m_bRxStamped;
    int m_nInterval;
    CString m_strStatus;
    CString m_strTxCount;
    CString m_strRxCount;
    CString m_strInterval;
    CString m_strPortState;
    CString m_strRxTime;
    CString m_strPort;
    CString m_strBaud;
    CString m_strDataBits;
    CString m_strStopBits;
    CString m_strParity;
    CString m_strFlowCtrl;
    CString m_strCmd[CMD_COUNT];
    BOOL m_bCmdHex[CMD_COUNT];
    HICON m_hIcon;

    // cmd.json could not be used at start: its bytes go to cmd.json.bak before it is replaced.
    BOOL m_bCmdFileUnused = FALSE;

    // Length of the receive text at the previous refresh tick.
    INT_PTR m_nLastRxLength;

    // The options of the settings box, as loaded at start-up and changed there.
    CKivernSettings m_settings;
    BOOL m_bPauseScroll;  // the refresh leaves the view where the user put it
    CSendHistory m_history;
    // Hex send texts read by the chosen rule, and a checksum after each frame.
    CSendFraming m_framing{&m_settings};
    CComboBox m_cbHistory;
    CToolTipCtrl m_tips;
    // What the command line asks for at start (set before the window is created).
    CKivernStartup m_startup;
    // The port the command line named: kept selected, and for this run only.
    CNamedPort m_namedPort;

    // A network port connecting in the background, and the status its connecting replaced.
    CNetConnect m_netConnect;
    CString m_strConnectingStatus;
    // The wait for a lost port's device to come back, to reopen it.
    CReconnect m_reconnect{
        &m_settings, &m_netConnect, &m_strStatus, &m_stStatus, this, IDT_RECONNECT,
    };

    // The modem lines in the status band.
    CModemLines m_modemLines{&m_SerialPort, this, IDT_MODEM_LINES};
    // A BREAK and the reset pulse, ended on a timer.
    CLineSignals m_lineSignals{&m_SerialPort, &m_modemLines, &m_settings, this, IDT_LINE_SIGNAL};

    // The find box over the receive display, created when first opened.
    CFindDlg m_findDlg{&m_strReceive, &m_editReceive, &m_settings, this};
    // The live log, and the path from received bytes to the receive text and that log.
    CLiveLog m_liveLog{&m_strReceive, &m_settings, this};
    CRxColors m_rxColors{&m_editReceive, &m_settings};
    CReceiveText m_rxText{&m_strReceive, &m_liveLog};
    // The receive display's font size and face.
    CRxZoom m_zoom{&m_settings};
    // The plot window of the numbers received, parsing only while open.
    CPlotWnd m_plot{&m_settings, this, IDT_PLOT};
    // Sending and receiving files.
    CFileTransfer m_fileTransfer{
        &m_SerialPort,
        &m_settings,
        this,
        IDT_FILE_TRANSFER,
        [this](const CString& s, const CString& d, int c, uint64_t n) {
            ShowTransferReport(s, d, c, n);
        },
    };
    // A Lua script run in the window.
    CScriptRunner m_script{&m_settings, this, ScriptCalls()};
    // 自动应答: replies to received lines, sent on the window's thread.
    CAutoReply m_autoReply{[this](const std::string& bytes) {
        auto* p = new std::string(bytes);
        if (!::PostMessage(GetSafeHwnd(), UM_AUTO_REPLY, (WPARAM)p, 0)) delete p;
    }};
};
