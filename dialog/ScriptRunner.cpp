#include "dialog/ScriptRunner.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {
struct WindowCall {
    const std::function<std::string()>* fn;
    std::string result;
    bool ran = false;
};

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }
// A UTF-8 text (a path, a Lua message) in the program's code page.
CString Gbk(const std::string& s) { return ConvertCodePage(CString(s.c_str()), CP_UTF8, CP_ACP); }
}  // namespace

CScriptRunner::CScriptRunner(CKivernSettings* pSettings, CWnd* pWnd, ScriptWindowCalls calls)
    : m_pSettings(pSettings), m_pWnd(pWnd), m_calls(std::move(calls)) {}

CScriptRunner::~CScriptRunner() {
    if (!m_engine) return;
    m_engine->Stop();
    // The script may be waiting for the window: its messages run while it ends. One stuck
    // inside a single library call (a pattern that backtracks for ever) is left to the
    // process's end.
    MSG msg;
    for (int i = 0; i < 150 && !m_engine->Wait(20); ++i) PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);
    if (m_engine->IsRunning()) (void)m_engine.release();
}

void CScriptRunner::RunAsk() {
    if (m_bBusy) return;
    CFileDialog dlg(TRUE, "lua", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                    AfxTr("CScriptRunner", "Lua 脚本 (*.lua)|*.lua|所有文件 (*)|*||"), m_pWnd);
    if (dlg.DoModal() != IDOK) return;
    Run(dlg.GetPathName().GetString());
}

void CScriptRunner::Run(const std::string& path) {
    if (m_bBusy) return;
    std::vector<std::string>& recent = m_pSettings->m_recentScripts;
    recent.erase(std::remove(recent.begin(), recent.end(), path), recent.end());
    recent.insert(recent.begin(), path);
    if (recent.size() > KV_RECENT_SCRIPTS) recent.resize(KV_RECENT_SCRIPTS);
    m_pSettings->Save();

    if (!m_engine) m_engine = std::make_unique<CScriptEngine>(this);
    ScriptFraming f;
    f.lineEnding = m_pSettings->m_nLineEnding;
    f.checksum = m_pSettings->m_nChecksum;
    f.checksumOrder = m_pSettings->m_nChecksumOrder;
    f.checksumText = m_pSettings->m_bChecksumText;
    m_engine->SetFraming(f);
    m_bBusy = TRUE;
    m_bStopAsked = false;
    m_engine->Start(path, {});
    m_calls.status(RunningText(), 2);
}

void CScriptRunner::Stop() {
    m_bStopAsked = true;
    if (m_engine) m_engine->Stop();
}

void CScriptRunner::Feed(const unsigned char* p, INT_PTR n) {
    if (m_bBusy && n > 0) m_engine->Feed(reinterpret_cast<const char*>(p), (size_t)n);
}

void CScriptRunner::PortClosed() {
    if (m_bBusy) m_engine->PortClosed("the port was closed");
}

CString CScriptRunner::RunningText() const {
    CString s;
    if (m_engine)
        s.Format(AfxTr("CScriptRunner", "脚本运行中: %s"),
                 (const char*)Gbk(BaseName(m_engine->Path())));
    return s;
}

LRESULT CScriptRunner::OnCall(WPARAM wParam) {
    WindowCall* call = reinterpret_cast<WindowCall*>(wParam);
    call->result = (*call->fn)();
    call->ran = true;
    return 1;
}

LRESULT CScriptRunner::OnDone() {
    if (!m_bBusy) return 0;
    m_engine->Wait(1000);
    m_bBusy = FALSE;
    const std::string name = BaseName(m_engine->Path());
    CString s;
    if (m_strError == "stopped")
        s.Format(AfxTr("CScriptRunner", "脚本已停止: %s"), (const char*)Gbk(name));
    else if (!m_strError.empty())
        s.Format(AfxTr("CScriptRunner", "脚本出错: %s"), (const char*)Gbk(m_strError));
    else
        s.Format(AfxTr("CScriptRunner", "脚本结束: %s (%d)"), (const char*)Gbk(name), m_nCode);
    m_calls.status(s, m_strError.empty() && m_nCode == 0 ? 2 : 3);
    if (!m_strError.empty() && m_strError != "stopped") m_calls.log(m_strError);
    return 1;
}

std::string CScriptRunner::OnWindow(const std::function<std::string()>& fn) {
    WindowCall call{&fn, "", false};
    ::SendMessage(m_pWnd->GetSafeHwnd(), UM_SCRIPT_CALL, (WPARAM)&call, 0);
    return call.ran ? call.result : "the window is closed";
}

void CScriptRunner::Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string CScriptRunner::Write(const std::string& bytes) {
    return OnWindow([&] { return m_calls.write(bytes); });
}

std::string CScriptRunner::SetLine(const ScriptLineSettings& s) {
    return OnWindow([&] { return m_calls.setLine(s); });
}

std::string CScriptRunner::SendBreak(int ms) {
    std::string why = OnWindow([&] { return m_calls.setBreak(TRUE); });
    if (!why.empty()) return why;
    Sleep(ms);
    return OnWindow([&] { return m_calls.setBreak(FALSE); });
}

std::string CScriptRunner::Pulse(bool bDtr, int ms) {
    std::string why = OnWindow([&] { return m_calls.setOutput(bDtr, FALSE); });
    if (!why.empty()) return why;
    Sleep(ms);
    return OnWindow([&] { return m_calls.setOutput(bDtr, TRUE); });
}

// The transfer runs as 发送文件 would; the script waits for its end (a stop cancels it).
std::string CScriptRunner::SendFile(const std::string& path, int protocol) {
    std::string why = OnWindow([&] { return m_calls.startFile(path, protocol); });
    if (!why.empty()) return why;
    for (;;) {
        bool bEnded = false;
        std::string result = OnWindow([&] {
            std::string w;
            bEnded = m_calls.fileEnded(w);
            return w;
        });
        if (bEnded) return result;
        if (result == "the window is closed") return result;
        if (m_bStopAsked)
            OnWindow([&] {
                m_calls.cancelFile();
                return std::string();
            });
        Sleep(50);
    }
}

void CScriptRunner::Log(const std::string& text) {
    OnWindow([&] {
        m_calls.log(text);
        return std::string();
    });
}

void CScriptRunner::Print(const std::string& text) {
    std::string line = text;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    Log(line);
}

void CScriptRunner::Finished(int code, const std::string& error) {
    m_nCode = code;
    m_strError = error;
    ::PostMessage(m_pWnd->GetSafeHwnd(), UM_SCRIPT_DONE, 0, 0);
}
