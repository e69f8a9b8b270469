// CScriptEngine: one Lua 5.4 script at a time, run on a thread of its own. The script reaches
// the port through a small API (send, expect, read, lines, on_line, sleep, set, send_break,
// pulse, send_file, checksum, log, exit); what touches the port or the screen goes to the
// host (the window, or the runner without one). Received bytes are fed in by the host's thread
// and wait in a queue until the script asks for them, so the host never waits on the script.
// Stop ends the script within a few thousand Lua instructions, or at once when it waits.
#pragma once
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct lua_State;

// Line settings a script asks for; -1 (or 0 for parity) leaves a setting as it is.
struct ScriptLineSettings {
    long baud = -1;
    char parity = 0;  // 'N', 'O', 'E', 'M', 'S'
    int dataBits = -1;
    int stopBits = -1;
    int dtr = -1;  // 0 off, 1 on
    int rts = -1;
};

// What send and send_hex add by default: the window's line ending (KV_EOL_*) and checksum.
struct ScriptFraming {
    int lineEnding = 0;
    int checksum = 0;  // KV_CHECK_*
    int checksumOrder = 0;
    bool checksumText = false;  // text sends get the checksum too
};

// The host runs these on the script's thread (the window passes them to its own). Each
// returns "" when done, or why not; the script gets nil and that text.
class IScriptHost {
public:
    virtual ~IScriptHost() = default;
    virtual std::string Write(const std::string& bytes) = 0;
    virtual std::string SetLine(const ScriptLineSettings& s) = 0;
    virtual std::string SendBreak(int ms) = 0;
    virtual std::string Pulse(bool bDtr, int ms) = 0;
    // protocol: KV_FILE_RAW, KV_FILE_XMODEM_CRC, KV_FILE_YMODEM or KV_FILE_ZMODEM.
    virtual std::string SendFile(const std::string& path, int protocol) = 0;
    virtual void Log(const std::string& text) = 0;    // a "LUA> " line
    virtual void Print(const std::string& text) = 0;  // print's line, with its line end
    // The script has ended: its exit code, and for an error its file, line and message.
    virtual void Finished(int code, const std::string& error) = 0;
};

class CScriptEngine {
public:
    explicit CScriptEngine(IScriptHost* pHost);
    ~CScriptEngine();  // stops the script and waits for its thread
    CScriptEngine(const CScriptEngine&) = delete;
    CScriptEngine& operator=(const CScriptEngine&) = delete;

    void SetFraming(const ScriptFraming& f) { m_framing = f; }
    // Starts the script file with `arg` holding args. FALSE when one is still running.
    bool Start(const std::string& path, const std::vector<std::string>& args);
    // Received bytes, from the host's thread.
    void Feed(const char* p, size_t n);
    // The port is gone: waits end with nil and this reason.
    void PortClosed(const std::string& why);
    // Asks the script to end; it reports code 1 with "stopped" unless it had exited already.
    void Stop();
    bool IsRunning() const { return m_bRunning; }
    // Waits for the thread to end (after Finished); false when ms passed first.
    bool Wait(int ms);
    const std::string& Path() const { return m_path; }
    // Milliseconds of the steady clock.
    static long long NowMs();

    // Longest single send, so that a runaway string is refused with a message.
    static constexpr size_t kMaxSend = 16u << 20;

private:
    friend struct ScriptApi;
    void Run(std::vector<std::string> args);
    // Takes received bytes, runs on_line handlers, waits until deadlineMs (steady clock ms;
    // -1 no wait) or until data comes. Returns 0, or -1 with a handler's error on the stack.
    int Pump(lua_State* L, long long deadlineMs, bool bStopAtData);
    bool Interrupted() const { return m_bStop || m_bExiting; }

    IScriptHost* m_pHost;
    ScriptFraming m_framing;
    std::thread m_thread;
    std::atomic<bool> m_bRunning{false};
    std::atomic<bool> m_bStop{false};
    bool m_bExiting = false;  // exit() was called (script thread only)
    int m_nExitCode = 0;
    std::string m_path;

    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_incoming;  // fed, not yet taken by the script
    bool m_bClosed = false;
    std::string m_strClosed;  // why the port went
    std::atomic<uint64_t> m_nDropped{0};

    // Script thread only.
    std::string m_buffer;   // what expect, read and lines have not consumed
    std::string m_partial;  // the unfinished line, for on_line
    std::deque<std::string> m_lines;
    int m_nHandlers = 0;  // on_line handlers (in the registry's handler table)
    bool m_bInHandler = false;
    bool m_bGone = false;  // the port went (m_strGone says why)
    std::string m_strGone;
};

// The functions a script calls (ScriptEngineApi.cpp), and the engine's helpers they share. Lua
// raises errors by jumping over C++ frames, so every function does its C++ work in a helper
// that returns -1 with the error on the stack, and raises only once that helper has returned.
struct ScriptApi {
    // The globals: send, send_hex, expect, read, lines, on_line, sleep, set, send_break,
    // pulse, send_file, checksum, log, exit, print (and os.exit as exit), and `arg`.
    static void Register(lua_State* L, CScriptEngine* e, const std::vector<std::string>& args);
    static CScriptEngine* Engine(lua_State* L);
    static bool Interrupted(const CScriptEngine* e) { return e->Interrupted(); }
    static bool Gone(const CScriptEngine* e) { return e->m_bGone; }
    static int PumpFor(lua_State* L, long long deadlineMs, bool bStopAtData) {
        return Engine(L)->Pump(L, deadlineMs, bStopAtData);
    }
    static IScriptHost* Host(lua_State* L) { return Engine(L)->m_pHost; }
    static ScriptFraming Framing(lua_State* L) { return Engine(L)->m_framing; }
    static std::string& Buffer(lua_State* L) { return Engine(L)->m_buffer; }
    static const std::string& GoneWhy(lua_State* L) { return Engine(L)->m_strGone; }
    static void AddHandler(lua_State* L) { ++Engine(L)->m_nHandlers; }
    static void SetExit(lua_State* L, int code) {
        Engine(L)->m_nExitCode = code;
        Engine(L)->m_bExiting = true;
    }
    // The instruction-count hook: raises the end once a stop or exit is asked for.
    static void StopHook(lua_State* L, struct lua_Debug* ar);
    // Raises the value that ends a script (exit or stop), which only the engine takes. From
    // then on every instruction raises it again, so a pcall that caught it cannot keep the
    // script going.
    [[noreturn]] static void RaiseEnd(lua_State* L);
    static bool IsEnd(lua_State* L, int idx);
    // Checksums: a kind by its name (raises for an unknown one), its bytes appended to s in
    // the order asked for, and checksum(name, bytes) itself.
    static int CheckKind(lua_State* L, int idx);
    static void AppendChecksum(std::string& s, int kind, int order);
    static int Checksum(lua_State* L);
    // Calls the on_line handlers with the lines waiting; -1 with a handler's error on the stack.
    static int RunHandlers(lua_State* L);
};
