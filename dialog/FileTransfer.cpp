// CFileTransfer: choosing the file, starting the job, its progress and its end.
#include "dialog/FileTransfer.h"

#include <cstdio>

#include "serial/FileSend.h"
#include "serial/TransferProgram.h"

namespace {
// The most written at once in a raw send: about 50 ms of the line at a high rate, so that a
// cancel is taken soon; no less than the send button's block of 1 KiB, at most 64 KiB.
size_t ChunkFor(const CSerialPort& port) {
    size_t n = port.GetBaudRate() / 10 / 20;
    return n < 1024 ? 1024 : n > 65536 ? 65536 : n;
}

CString Size(uint64_t n) {
    CString s;
    if (n < 10 * 1024)
        s.Format("%llu B", (unsigned long long)n);
    else if (n < 10ull * 1024 * 1024)
        s.Format("%.1f KiB", n / 1024.0);
    else
        s.Format("%.1f MiB", n / 1048576.0);
    return s;
}

// The same, short, for the status line: 980B, 12K, 3.4M, 512M.
CString ShortSize(uint64_t n) {
    CString s;
    if (n < 1000)
        s.Format("%lluB", (unsigned long long)n);
    else if (n < 1000 * 1024)
        s.Format("%.0fK", n / 1024.0);
    else if (n < 100ull * 1024 * 1024)
        s.Format("%.1fM", n / 1048576.0);
    else
        s.Format("%.0fM", n / 1048576.0);
    return s;
}

CString BaseName(const CString& path) {
    std::string p(path.GetString());
    return ConvertCodePage(CString(p.substr(p.rfind('/') + 1).c_str()), CP_UTF8, CP_ACP);
}

// The words of a transfer command; false, after a box naming the package, when its program is
// not installed.
bool ProgramArgs(const std::string& program, std::vector<std::string>& argv) {
    size_t start = 0;
    while (start < program.size()) {
        size_t sp = program.find(' ', start);
        if (sp == std::string::npos) sp = program.size();
        argv.push_back(program.substr(start, sp - start));
        start = sp + 1;
    }
    if (!CTransferProgram::FindProgram(argv[0]).empty()) return true;
    CString text;
    text.Format(AfxTr("CFileTransfer", "找不到程序 %s。请安装软件包 lrzsz (apt install lrzsz)。"),
                argv[0].c_str());
    AfxMessageBox(text, MB_ICONWARNING);
    return false;
}
}  // namespace

CFileTransfer::CFileTransfer(CSerialPort* pPort, const CKivernSettings* pSettings, CWnd* pWnd,
                             UINT_PTR nTimer, Report report)
    : m_pPort(pPort),
      m_pSettings(pSettings),
      m_pWnd(pWnd),
      m_nTimer(nTimer),
      m_report(std::move(report)) {}

CFileTransfer::~CFileTransfer() {
    if (m_job) m_job->Cancel();
}

BOOL CFileTransfer::CanStart() {
    if (m_job) return FALSE;
    if (!m_pPort->IsMonitoring()) {
        AfxMessageBox(AfxTr("CFileTransfer", "请先打开串口。"), MB_ICONWARNING);
        return FALSE;
    }
    return TRUE;
}

// lrzsz's program for the protocol and direction, with its options.
std::string CFileTransfer::ProgramFor(bool bSend, int nProtocol) {
    switch (nProtocol) {
        case KV_FILE_XMODEM:
            return bSend ? "sx" : "rx";
        case KV_FILE_XMODEM_CRC:
            return bSend ? "sx" : "rx -c";
        case KV_FILE_XMODEM_1K:
            return bSend ? "sx -k" : "rx -c";
        case KV_FILE_YMODEM:
            return bSend ? "sb -k" : "rb -E";
        case KV_FILE_ZMODEM:
            return bSend ? "sz" : "rz -E";
        default:
            return "";
    }
}

void CFileTransfer::SendFile() {
    if (!CanStart()) return;
    CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                    AfxTr("CFileTransfer", "所有文件 (*)|*||"), m_pWnd);
    if (dlg.DoModal() != IDOK) return;
    const CString path = dlg.GetPathName();
    uint64_t nSize = 0;
    std::string why = CFileSend::CheckFile(path.GetString(), nSize);
    if (!why.empty()) {
        CString text;
        text.Format("%s\n\n%s", (const char*)ConvertCodePage(path, CP_UTF8, CP_ACP), why.c_str());
        AfxMessageBox(text, MB_ICONWARNING);
        return;
    }
    CString strWhat;
    strWhat.Format(AfxTr("CFileTransfer", "发送 %s"), (const char*)BaseName(path));
    std::string program = ProgramFor(true);
    if (program.empty()) {
        auto job = std::make_unique<CFileSend>(m_pPort);
        FileSendPacing pacing;
        pacing.nPauseMs = m_pSettings->m_nFilePauseMs;
        pacing.nEvery = m_pSettings->m_nFilePauseEvery;
        if (!job->Start(path.GetString(), pacing, ChunkFor(*m_pPort))) {
            AfxMessageBox(CString(job->Message().c_str()), MB_ICONWARNING);
            return;
        }
        Begin(std::move(job), strWhat);
        return;
    }
    std::vector<std::string> argv;
    if (!ProgramArgs(program, argv)) return;
    argv.push_back(path.GetString());
    auto job = std::make_unique<CTransferProgram>(m_pPort);
    if (!job->Start(argv, "", nSize)) {
        AfxMessageBox(CString(job->Message().c_str()), MB_ICONWARNING);
        return;
    }
    m_pProgram = job.get();
    Begin(std::move(job), strWhat);
}

std::string CFileTransfer::SendPath(const std::string& path, int nProtocol) {
    if (m_job) return "a file transfer is under way";
    if (!m_pPort->IsMonitoring()) return "the port is not open";
    uint64_t nSize = 0;
    std::string why = CFileSend::CheckFile(path, nSize);
    if (!why.empty()) return path + ": " + why;
    std::vector<std::string> argv;
    const std::string program = ProgramFor(true, nProtocol);
    for (size_t start = 0, sp; start < program.size(); start = sp + 1) {
        sp = program.find(' ', start);
        if (sp == std::string::npos) sp = program.size();
        argv.push_back(program.substr(start, sp - start));
    }
    if (argv.empty() || CTransferProgram::FindProgram(argv[0]).empty())
        return "no program " + (argv.empty() ? program : argv[0]) + " (install lrzsz)";
    argv.push_back(path);
    auto job = std::make_unique<CTransferProgram>(m_pPort);
    if (!job->Start(argv, "", nSize)) return job->Message();
    m_pProgram = job.get();
    CString strWhat;
    strWhat.Format(AfxTr("CFileTransfer", "发送 %s"), (const char*)BaseName(CString(path.c_str())));
    Begin(std::move(job), strWhat);
    return "";
}

void CFileTransfer::ReceiveFile() {
    if (!CanStart()) return;
    std::string program = ProgramFor(false);
    if (program.empty()) {
        AfxMessageBox(
            AfxTr("CFileTransfer",
                  "接收文件要用 XMODEM、YMODEM 或 ZMODEM：请在 更多设置 中选择文件协议。"),
            MB_ICONINFORMATION);
        return;
    }
    std::vector<std::string> argv;
    if (!ProgramArgs(program, argv)) return;
    std::string dir;
    if (argv[0] == "rx") {
        // XMODEM carries no name: the user names the file.
        CFileDialog dlg(FALSE, nullptr, "received.bin", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                        AfxTr("CFileTransfer", "所有文件 (*)|*||"), m_pWnd);
        if (dlg.DoModal() != IDOK) return;
        // Run in the file's folder with the bare name: lrzsz refuses paths by default.
        std::string path = dlg.GetPathName().GetString();
        dir = path.substr(0, path.rfind('/') + 1);
        argv.push_back(path.substr(path.rfind('/') + 1));
    } else {
        CFileDialog dlg(TRUE, nullptr, nullptr, OFN_PICKFOLDER, nullptr, m_pWnd);
        if (dlg.DoModal() != IDOK) return;
        dir = dlg.GetPathName().GetString();
    }
    auto job = std::make_unique<CTransferProgram>(m_pPort);
    if (!job->Start(argv, dir, 0)) {
        AfxMessageBox(CString(job->Message().c_str()), MB_ICONWARNING);
        return;
    }
    m_pProgram = job.get();
    Begin(std::move(job), AfxTr("CFileTransfer", "接收文件"));
}

void CFileTransfer::Begin(std::unique_ptr<CTransferJob> job, const CString& strWhat) {
    m_job = std::move(job);
    m_strWhat = strWhat;
    m_start = std::chrono::steady_clock::now();
    m_nReported = 0;
    m_bPortClosed = FALSE;
    m_pWnd->SetTimer(m_nTimer, 200, nullptr);
    OnTick();
}

void CFileTransfer::Cancel() {
    if (m_job) m_job->Cancel();
}

void CFileTransfer::PortClosing() {
    if (!m_job) return;
    m_bPortClosed = TRUE;
    m_job->Cancel();
}

BOOL CFileTransfer::TakeReceived(const unsigned char* p, INT_PTR n) {
    if (!m_pProgram || !m_job || m_job->Ended()) return FALSE;
    m_pProgram->Feed(reinterpret_cast<const char*>(p), (size_t)n);
    return TRUE;
}

void CFileTransfer::OnTick() {
    if (!m_job) return;
    if (m_job->Ended()) {
        Finish();
        return;
    }
    const uint64_t nDone = m_job->Done(), nTotal = m_job->Total();
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
    const double rate = secs > 0.2 ? nDone / secs : 0;
    // The status line is narrow: the short form there, the whole in its tooltip.
    CString s, d, t;
    d.Format("%s: %s", (const char*)m_strWhat, (const char*)Size(nDone));
    if (nTotal > 0) {
        t.Format(" / %s (%d%%)", (const char*)Size(nTotal), (int)(nDone * 100 / nTotal));
        d += t;
        t.Format("%d%% ", (int)(nDone * 100 / nTotal));
        s += t;
    }
    s += ShortSize(nDone);
    if (rate > 0) {
        t.Format(", %s/s", (const char*)Size((uint64_t)rate));
        d += t;
        s += " " + ShortSize((uint64_t)rate) + "/s";
        if (nTotal > nDone) {
            long left = (long)((nTotal - nDone) / rate + 0.5);
            t.Format(AfxTr("CFileTransfer", ", 剩余 %ld:%02ld"), left / 60, left % 60);
            d += t;
            t.Format(" %ld:%02ld", left / 60, left % 60);
            s += t;
        }
    }
    d += AfxTr("CFileTransfer", "  (Esc 取消)");
    const uint64_t nWritten = m_job->Written();
    m_report(s, d, 2, nWritten - m_nReported);
    m_nReported = nWritten;
}

void CFileTransfer::Finish() {
    m_pWnd->KillTimer(m_nTimer);
    std::unique_ptr<CTransferJob> job = std::move(m_job);
    m_pProgram = nullptr;
    job->Join();
    const uint64_t nWritten = job->Written();
    const TransferEnd end = job->End();
    m_lastEnd = m_bPortClosed ? TRANSFER_PORT_LOST : end;
    CString s, d, box;
    int color = 3;
    if (m_bPortClosed || end == TRANSFER_PORT_LOST) {
        s = AfxTr("CFileTransfer", "传输中止：串口已关闭");
        d.Format(AfxTr("CFileTransfer", "%s 中止：串口已关闭"), (const char*)m_strWhat);
        box = AfxTr("CFileTransfer", "串口已关闭或设备已移除，文件传输已中止。");
    } else if (end == TRANSFER_DONE) {
        s = AfxTr("CFileTransfer", "文件传输完成");
        d.Format(AfxTr("CFileTransfer", "%s 完成：%s"), (const char*)m_strWhat,
                 (const char*)Size(job->Done()));
        color = 2;
    } else if (end == TRANSFER_CANCELLED) {
        s = AfxTr("CFileTransfer", "文件传输已取消");
        d.Format(AfxTr("CFileTransfer", "%s 已取消"), (const char*)m_strWhat);
    } else {
        s = AfxTr("CFileTransfer", "文件传输失败");
        box = CString(job->Message().c_str());
        d.Format(AfxTr("CFileTransfer", "%s 失败：%s"), (const char*)m_strWhat, (const char*)box);
    }
    job.reset();
    m_report(s, d, color, nWritten - m_nReported);
    m_nReported = 0;
    if (!box.IsEmpty()) AfxMessageBox(box, MB_ICONWARNING);
}
