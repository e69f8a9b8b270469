// CScriptRunner: a Lua script in the window (运行脚本..., 停止脚本, the last five scripts). The
// script runs on its own thread (CScriptEngine); what it asks of the port and the screen is
// passed to the window's thread by a sent message and done there, so the window keeps taking
// clicks and received bytes while the script waits or loops. Its end (an error with file and
// line, a stop) is shown in the status line; only that script ends.
#pragma once
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "options/Settings.h"
#include "platform/afx.h"
#include "script/ScriptEngine.h"

#define UM_SCRIPT_CALL (WM_USER + 126)  // wParam: a call to run on the window's thread
#define UM_SCRIPT_DONE (WM_USER + 127)  // the script has ended
#define UM_AUTO_REPLY (WM_USER + 125)   // wParam: a std::string* of reply bytes to send
#define KV_RECENT_SCRIPTS 5

// What the runner asks of the window; each runs on the window's thread.
struct ScriptWindowCalls {
    std::function<std::string(const std::string& bytes)> write;  // sent, counted, echoed
    std::function<std::string(const ScriptLineSettings& s)> setLine;
    std::function<std::string(BOOL bOn)> setBreak;
    std::function<std::string(bool bDtr, BOOL bOn)> setOutput;
    std::function<std::string(const std::string& path, int nProtocol)> startFile;
    std::function<bool(std::string& why)> fileEnded;  // true once the transfer has ended
    std::function<void()> cancelFile;
    std::function<void(const std::string& text)> log;  // a "LUA> " line
    std::function<void(const CString& status, int nColor)> status;
};

class CScriptRunner : public IScriptHost {
public:
    CScriptRunner(CKivernSettings* pSettings, CWnd* pWnd, ScriptWindowCalls calls);
    ~CScriptRunner() override;

    // Asks for a script file and runs it.
    void RunAsk();
    // Runs the file (UTF-8 path); it becomes the first of the recent scripts.
    void Run(const std::string& path);
    void Stop();
    BOOL IsRunning() const { return m_engine && m_engine->IsRunning(); }
    // The script ahead of the engine's thread's end (UM_SCRIPT_DONE has not come yet).
    BOOL IsBusy() const { return m_bBusy; }
    // Received bytes, and the port's closing, from the window.
    void Feed(const unsigned char* p, INT_PTR n);
    void PortClosed();
    // The window's side of the messages.
    LRESULT OnCall(WPARAM wParam);
    LRESULT OnDone();
    // Recent scripts, newest first, for the context menu.
    const std::vector<std::string>& Recent() const { return m_pSettings->m_recentScripts; }
    // The status line's text while a script runs.
    CString RunningText() const;

    // IScriptHost, on the script's thread.
    std::string Write(const std::string& bytes) override;
    std::string SetLine(const ScriptLineSettings& s) override;
    std::string SendBreak(int ms) override;
    std::string Pulse(bool bDtr, int ms) override;
    std::string SendFile(const std::string& path, int protocol) override;
    void Log(const std::string& text) override;
    void Print(const std::string& text) override;
    void Finished(int code, const std::string& error) override;

private:
    // Runs fn on the window's thread and waits for it; "window closed" when it is gone.
    std::string OnWindow(const std::function<std::string()>& fn);
    void Sleep(int ms);

    CKivernSettings* m_pSettings;
    CWnd* m_pWnd;
    ScriptWindowCalls m_calls;
    std::unique_ptr<CScriptEngine> m_engine;
    BOOL m_bBusy = FALSE;
    std::atomic<bool> m_bStopAsked{false};
    int m_nCode = 0;  // the ended script's
    std::string m_strError;
};
