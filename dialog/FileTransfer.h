// CFileTransfer: 发送文件 and 接收文件. A raw send streams the file to the port (CFileSend);
// XMODEM, YMODEM and ZMODEM run lrzsz's programs relayed to the port (CTransferProgram). The
// protocol and a raw send's pauses come from the settings. While a transfer runs the window
// keeps answering: a timer shows its progress (bytes, percent, rate, time left) in the status
// line, and Cancel (Esc, or 取消传输 in the context menus) stops it. Its end is told in the
// status line, and a failure in a box as well. Bad input (a file that cannot be sent, a
// missing program, no open port) gets a box and changes nothing.
#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "options/Settings.h"
#include "platform/afx.h"
#include "serial/SerialPort.h"
#include "serial/Transfer.h"

class CTransferProgram;

class CFileTransfer {
public:
    // The tick's report to the window: the status text (short, for the status line), the
    // whole of it (for its tooltip), its color (2 under way or done, 3 failed), and the bytes
    // written to the port since the last report (for the TX count).
    using Report = std::function<void(const CString& strStatus, const CString& strDetail,
                                      int nColor, uint64_t nSent)>;

    CFileTransfer(CSerialPort* pPort, const CKivernSettings* pSettings, CWnd* pWnd, UINT_PTR nTimer,
                  Report report);
    ~CFileTransfer();

    // Asks for the file (or, receiving, the folder or file) and starts the transfer.
    void SendFile();
    void ReceiveFile();
    void Cancel();
    BOOL IsRunning() const { return m_job != nullptr; }
    // Starts sending the file by the protocol (KV_FILE_*) without asking or a box: "" when it
    // started, else why not (in English, for a script). LastEnd() tells how it ended.
    std::string SendPath(const std::string& path, int nProtocol);
    TransferEnd LastEnd() const { return m_lastEnd; }
    // Received bytes: TRUE when a transfer program takes them (they are not to be shown).
    BOOL TakeReceived(const unsigned char* p, INT_PTR n);
    // The timer's tick: progress, and the end once the transfer has ended.
    void OnTick();
    // The port closes under the transfer (the close button, a removed device): it is ended,
    // and the next tick reports it.
    void PortClosing();

private:
    BOOL CanStart();
    void Begin(std::unique_ptr<CTransferJob> job, const CString& strWhat);
    void Finish();
    std::string ProgramFor(bool bSend) const {
        return ProgramFor(bSend, m_pSettings->m_nFileProtocol);
    }
    static std::string ProgramFor(bool bSend, int nProtocol);

    CSerialPort* m_pPort;
    const CKivernSettings* m_pSettings;
    CWnd* m_pWnd;
    UINT_PTR m_nTimer;
    Report m_report;
    std::unique_ptr<CTransferJob> m_job;
    CTransferProgram* m_pProgram = nullptr;  // m_job, when it is a program
    CString m_strWhat;                       // "发送 name" / "接收"
    std::chrono::steady_clock::time_point m_start;
    uint64_t m_nReported = 0;  // written bytes already reported
    BOOL m_bPortClosed = FALSE;
    TransferEnd m_lastEnd = TRANSFER_DONE;
};
