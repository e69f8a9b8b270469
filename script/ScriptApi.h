// The functions a script calls, and the engine's helpers they share. Lua raises errors by
// jumping over C++ frames, so every function does its C++ work in a helper that returns -1
// with the error on the stack, and raises only once that helper has returned.
#pragma once
#include <string>
#include <vector>

#include "script/ScriptEngine.h"

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
    // Raises the value that ends a script (exit or stop), which only the engine takes.
    [[noreturn]] static void RaiseEnd(lua_State* L);
    static bool IsEnd(lua_State* L, int idx);
    // Calls the on_line handlers with the lines waiting; -1 with a handler's error on the stack.
    static int RunHandlers(lua_State* L);
};
