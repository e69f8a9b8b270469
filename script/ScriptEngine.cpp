// CScriptEngine: the script's thread, its Lua state, the queue of received bytes and the
// on_line handlers.
#include "script/ScriptEngine.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <lua.hpp>

namespace {
// A script may hold this much memory; more is refused as "not enough memory", so a runaway
// string (a gigabyte to send) ends the script instead of the program.
const size_t kMemoryCap = 512u << 20;
// Bytes kept for expect, read and lines that the script has not consumed; older ones go.
const size_t kBufferKeep = 1u << 20;
// Bytes waiting for a script that does not read; older ones go, counted.
const size_t kIncomingKeep = 64u << 20;
// Instructions between looks at the stop request.
const int kHookCount = 1000;

struct Memory {
    size_t used = 0;
};

void* CappedAlloc(void* ud, void* ptr, size_t osize, size_t nsize) {
    Memory* m = static_cast<Memory*>(ud);
    if (!ptr) osize = 0;
    if (nsize == 0) {
        free(ptr);
        m->used -= osize;
        return nullptr;
    }
    if (nsize > osize && m->used - osize + nsize > kMemoryCap) return nullptr;
    void* p = realloc(ptr, nsize);
    if (p) m->used = m->used - osize + nsize;
    return p;
}

// After the main chunk: while on_line handlers are set, lines keep reaching them until the
// script exits, is stopped or the port goes.
int ServeLines(lua_State* L) {
    CScriptEngine* e = ScriptApi::Engine(L);
    while (!ScriptApi::Interrupted(e) && !ScriptApi::Gone(e))
        if (ScriptApi::PumpFor(L, LLONG_MAX, true) < 0) return lua_error(L);
    if (ScriptApi::Interrupted(e)) ScriptApi::RaiseEnd(L);
    return 0;
}
}  // namespace

CScriptEngine::CScriptEngine(IScriptHost* pHost) : m_pHost(pHost) {}

CScriptEngine::~CScriptEngine() {
    Stop();
    if (m_thread.joinable()) m_thread.join();
}

long long CScriptEngine::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool CScriptEngine::Start(const std::string& path, const std::vector<std::string>& args) {
    if (m_bRunning) return false;
    if (m_thread.joinable()) m_thread.join();
    m_path = path;
    m_bStop = false;
    m_bExiting = false;
    m_nExitCode = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_incoming.clear();
        m_bClosed = false;
        m_strClosed.clear();
    }
    m_buffer.clear();
    m_partial.clear();
    m_lines.clear();
    m_nHandlers = 0;
    m_bInHandler = false;
    m_bRunning = true;
    m_thread = std::thread(&CScriptEngine::Run, this, args);
    return true;
}

void CScriptEngine::Feed(const char* p, size_t n) {
    if (!m_bRunning || n == 0) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_incoming.append(p, n);
        if (m_incoming.size() > kIncomingKeep) {
            size_t drop = m_incoming.size() - kIncomingKeep;
            m_incoming.erase(0, drop);
            m_nDropped += drop;
        }
    }
    m_cv.notify_one();
}

void CScriptEngine::PortClosed(const std::string& why) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_bClosed) return;
        m_bClosed = true;
        m_strClosed = why;
    }
    m_cv.notify_one();
}

void CScriptEngine::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_cv.notify_one();
}

bool CScriptEngine::Wait(int ms) {
    const long long end = NowMs() + ms;
    while (m_bRunning) {
        if (NowMs() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (m_thread.joinable()) m_thread.join();
    return true;
}

int CScriptEngine::Pump(lua_State* L, long long deadlineMs, bool bStopAtData) {
    for (;;) {
        std::string got;
        bool bClosed;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            auto ready = [&] { return !m_incoming.empty() || m_bClosed || m_bStop; };
            if (!ready() && deadlineMs > NowMs()) {
                if (deadlineMs == LLONG_MAX)
                    m_cv.wait(lock, ready);
                else
                    m_cv.wait_for(lock, std::chrono::milliseconds(deadlineMs - NowMs()), ready);
            }
            got.swap(m_incoming);
            bClosed = m_bClosed;
            if (bClosed) m_strGone = m_strClosed;
        }
        m_bGone = bClosed;
        if (!got.empty()) {
            m_buffer += got;
            if (m_buffer.size() > kBufferKeep) m_buffer.erase(0, m_buffer.size() - kBufferKeep);
            if (m_nHandlers > 0) {
                size_t start = 0;
                for (;;) {
                    const char* nl =
                        (const char*)memchr(got.data() + start, '\n', got.size() - start);
                    if (!nl) break;
                    size_t end = nl - got.data();
                    m_partial.append(got, start, end - start);
                    if (!m_partial.empty() && m_partial.back() == '\r') m_partial.pop_back();
                    m_lines.push_back(std::move(m_partial));
                    m_partial.clear();
                    start = end + 1;
                }
                m_partial.append(got, start, std::string::npos);
            }
        }
        if (!m_bInHandler && !m_lines.empty() && ScriptApi::RunHandlers(L) < 0) return -1;
        if (m_bStop || m_bExiting || bClosed) return 0;
        if (!got.empty() && bStopAtData) return 0;
        if (NowMs() >= deadlineMs) return 0;
    }
}

void CScriptEngine::Run(std::vector<std::string> args) {
    Memory memory;
    lua_State* L = lua_newstate(CappedAlloc, &memory);
    int code = 0;
    std::string error;
    if (!L) {
        code = 1;
        error = "not enough memory to start a script";
    } else {
        luaL_openlibs(L);
        ScriptApi::Register(L, this, args);
        lua_sethook(L, ScriptApi::StopHook, LUA_MASKCOUNT, kHookCount);
        int status = luaL_loadfilex(L, m_path.c_str(), "t");
        if (status == LUA_OK) status = lua_pcall(L, 0, 0, 0);
        if (status == LUA_OK && m_nHandlers > 0) {
            lua_pushcfunction(L, ServeLines);
            status = lua_pcall(L, 0, 0, 0);
        }
        if (status != LUA_OK && ScriptApi::IsEnd(L, -1)) {
            // exit(), or a stop
            code = m_bExiting ? m_nExitCode : 1;
            if (!m_bExiting) error = "stopped";
        } else if (status != LUA_OK) {
            code = 1;
            size_t n = 0;
            const char* msg = lua_type(L, -1) == LUA_TSTRING ? lua_tolstring(L, -1, &n) : nullptr;
            error = msg ? std::string(msg, n)
                        : std::string("error object is a ") + luaL_typename(L, -1) + " value";
            if (status == LUA_ERRMEM) error += " (a script may use 512 MiB)";
        }
        lua_close(L);
    }
    m_pHost->Finished(code, error);
    m_bRunning = false;
}
