// The script's functions. Port failures and time-outs return nil and a reason; misuse (a bad
// argument, bad hex, a send too large) raises an error with the script's file and line.
#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <lua.hpp>

#include "convert/Convert.h"
#include "options/Settings.h"
#include "script/ScriptEngine.h"

namespace {
char g_endKey;       // the value that ends a script
char g_handlersKey;  // the registry's table of on_line handlers
char g_findKey;      // string.find as the script found it at start
const lua_Integer kDefaultTimeoutMs = 10000;
const size_t kWriteChunk = 4096;  // a stop is seen between pieces of a long send

#define E(L) ScriptApi::Engine(L)

// Helpers' results: n >= 0 values to return, or -1 with the error on the stack.
int Raise(lua_State* L, int n) { return n >= 0 ? n : lua_error(L); }

int Fail(lua_State* L, const std::string& why) {
    lua_pushnil(L);
    lua_pushlstring(L, why.data(), why.size());
    return 2;
}

int End(lua_State* L) {
    lua_sethook(L, ScriptApi::StopHook, LUA_MASKCOUNT, 1);
    lua_pushlightuserdata(L, &g_endKey);
    return -1;
}

// Writes in pieces, so that a stop ends even a long send soon.
int WriteAll(lua_State* L, const std::string& bytes) {
    for (size_t off = 0; off < bytes.size(); off += kWriteChunk) {
        if (ScriptApi::Interrupted(E(L))) return End(L);
        std::string why = ScriptApi::Host(L)->Write(bytes.substr(off, kWriteChunk));
        if (!why.empty()) return Fail(L, why);
    }
    lua_pushboolean(L, 1);
    return 1;
}

// send(text [, {eol=, checksum=}]) and send_hex(text [, {checksum=}]).
int SendImpl(lua_State* L, bool hex) {
    size_t n = 0;
    const char* s = luaL_checklstring(L, 1, &n);
    const ScriptFraming f = ScriptApi::Framing(L);
    int eol = hex ? KV_EOL_NONE : f.lineEnding;
    int kind = (hex || f.checksumText) ? f.checksum : KV_CHECK_NONE;
    if (!lua_isnoneornil(L, 2)) {
        luaL_checktype(L, 2, LUA_TTABLE);
        if (lua_getfield(L, 2, "eol") != LUA_TNIL) {
            static const char* const eols[] = {"none", "cr", "lf", "crlf", nullptr};
            eol = luaL_checkoption(L, -1, nullptr, eols);
        }
        lua_pop(L, 1);
        int t = lua_getfield(L, 2, "checksum");
        if (t == LUA_TBOOLEAN)
            kind = lua_toboolean(L, -1) ? f.checksum : KV_CHECK_NONE;
        else if (t != LUA_TNIL)
            kind = ScriptApi::CheckKind(L, -1);
        lua_pop(L, 1);
    }
    if (ScriptApi::Interrupted(E(L))) return End(L);
    if (n > CScriptEngine::kMaxSend) {
        luaL_where(L, 1);
        lua_pushfstring(L,
                        "send of %I bytes refused: one send takes at most 16 MiB (use "
                        "send_file for more)",
                        (lua_Integer)n);
        lua_concat(L, 2);
        return -1;
    }
    std::string bytes;
    if (hex) {
        CString out;
        INT_PTR nBad = 0;
        BOOL bUnpaired = FALSE;
        if (!ReadLooseHex(CString(s, (int)n), out, nBad, bUnpaired)) {
            luaL_where(L, 1);
            lua_pushfstring(L, "send_hex: not hex at character %d", (int)nBad + 1);
            lua_concat(L, 2);
            return -1;
        }
        bytes.assign(out.GetString(), out.GetLength());
    } else {
        bytes.assign(s, n);
        static const char* const ends[] = {"", "\r", "\n", "\r\n"};
        bytes += ends[eol];
    }
    if (!bytes.empty()) ScriptApi::AppendChecksum(bytes, kind, f.checksumOrder);
    return WriteAll(L, bytes);
}

int l_send(lua_State* L) { return Raise(L, SendImpl(L, false)); }
int l_send_hex(lua_State* L) { return Raise(L, SendImpl(L, true)); }

int ExpectImpl(lua_State* L) {
    luaL_checkstring(L, 1);
    const lua_Integer timeout = luaL_optinteger(L, 2, kDefaultTimeoutMs);
    const long long deadline = CScriptEngine::NowMs() + (timeout < 0 ? 0 : timeout);
    for (;;) {
        if (ScriptApi::Interrupted(E(L))) return End(L);
        std::string& buf = ScriptApi::Buffer(L);
        const int base = lua_gettop(L);
        lua_rawgetp(L, LUA_REGISTRYINDEX, &g_findKey);
        lua_pushlstring(L, buf.data(), buf.size());
        lua_pushvalue(L, 1);
        if (lua_pcall(L, 2, LUA_MULTRET, 0) != LUA_OK) {
            luaL_where(L, 1);
            lua_pushliteral(L, "expect: ");
            lua_rotate(L, -3, -1);
            lua_concat(L, 3);
            return -1;
        }
        if (!lua_isnil(L, base + 1)) {
            const lua_Integer s = lua_tointeger(L, base + 1), e = lua_tointeger(L, base + 2);
            lua_pushlstring(L, buf.data() + s - 1, (size_t)(e - s + 1));
            lua_replace(L, base + 1);
            lua_remove(L, base + 2);
            buf.erase(0, (size_t)e);
            return lua_gettop(L) - base;
        }
        lua_settop(L, base);
        if (ScriptApi::Gone(E(L))) return Fail(L, "port closed: " + ScriptApi::GoneWhy(L));
        if (CScriptEngine::NowMs() >= deadline) return Fail(L, "timeout");
        if (ScriptApi::PumpFor(L, deadline, true) < 0) return -1;
    }
}
int l_expect(lua_State* L) { return Raise(L, ExpectImpl(L)); }

// read([timeout_ms]): the bytes waiting, or the first to come.
int ReadImpl(lua_State* L) {
    const lua_Integer timeout = luaL_optinteger(L, 1, kDefaultTimeoutMs);
    const long long deadline = CScriptEngine::NowMs() + (timeout < 0 ? 0 : timeout);
    for (;;) {
        if (ScriptApi::Interrupted(E(L))) return End(L);
        std::string& buf = ScriptApi::Buffer(L);
        if (!buf.empty()) {
            lua_pushlstring(L, buf.data(), buf.size());
            buf.clear();
            return 1;
        }
        if (ScriptApi::Gone(E(L))) return Fail(L, "port closed: " + ScriptApi::GoneWhy(L));
        if (CScriptEngine::NowMs() >= deadline) return Fail(L, "timeout");
        if (ScriptApi::PumpFor(L, deadline, true) < 0) return -1;
    }
}
int l_read(lua_State* L) { return Raise(L, ReadImpl(L)); }

// The iterator lines() returns: the next whole line without its ending; nil at the time-out
// (its upvalue; -1 waits for ever) or once the port has gone.
int LineImpl(lua_State* L) {
    const lua_Integer timeout = lua_tointeger(L, lua_upvalueindex(1));
    const long long deadline =
        timeout < 0 ? LLONG_MAX : CScriptEngine::NowMs() + (long long)timeout;
    for (;;) {
        if (ScriptApi::Interrupted(E(L))) return End(L);
        std::string& buf = ScriptApi::Buffer(L);
        size_t nl = buf.find('\n');
        if (nl != std::string::npos) {
            size_t len = nl > 0 && buf[nl - 1] == '\r' ? nl - 1 : nl;
            lua_pushlstring(L, buf.data(), len);
            buf.erase(0, nl + 1);
            return 1;
        }
        if (ScriptApi::Gone(E(L)) || CScriptEngine::NowMs() >= deadline) {
            lua_pushnil(L);
            return 1;
        }
        if (ScriptApi::PumpFor(L, deadline, true) < 0) return -1;
    }
}
int l_line(lua_State* L) { return Raise(L, LineImpl(L)); }
int l_lines(lua_State* L) {
    lua_pushinteger(L, luaL_optinteger(L, 1, -1));
    lua_pushcclosure(L, l_line, 1);
    return 1;
}

int l_on_line(lua_State* L) {
    luaL_checktype(L, 1, LUA_TFUNCTION);
    lua_rawgetp(L, LUA_REGISTRYINDEX, &g_handlersKey);
    lua_pushvalue(L, 1);
    lua_rawseti(L, -2, (lua_Integer)lua_rawlen(L, -2) + 1);
    ScriptApi::AddHandler(L);
    return 0;
}

int l_sleep(lua_State* L) {
    const lua_Integer ms = luaL_checkinteger(L, 1);
    const long long deadline = CScriptEngine::NowMs() + (ms < 0 ? 0 : ms);
    while (!ScriptApi::Interrupted(E(L)) && CScriptEngine::NowMs() < deadline)
        if (ScriptApi::PumpFor(L, deadline, false) < 0) return lua_error(L);
    if (ScriptApi::Interrupted(E(L))) ScriptApi::RaiseEnd(L);
    return 0;
}

// Calls a host function that reports with a text; true, or nil and the text.
int HostResult(lua_State* L, const std::string& why) {
    if (!why.empty()) return Fail(L, why);
    lua_pushboolean(L, 1);
    return 1;
}

int l_set(lua_State* L) {
    luaL_checktype(L, 1, LUA_TTABLE);
    ScriptLineSettings s;
    if (lua_getfield(L, 1, "baud") != LUA_TNIL) s.baud = (long)luaL_checkinteger(L, -1);
    if (lua_getfield(L, 1, "data") != LUA_TNIL) s.dataBits = (int)luaL_checkinteger(L, -1);
    if (lua_getfield(L, 1, "stop") != LUA_TNIL) s.stopBits = (int)luaL_checkinteger(L, -1);
    if (lua_getfield(L, 1, "parity") != LUA_TNIL) {
        static const char* const names[] = {"N", "O", "E", "M", "S", nullptr};
        const char* p = luaL_checkstring(L, -1);
        char c = (char)toupper((unsigned char)p[0]);
        lua_pushlstring(L, &c, 1);
        s.parity = "NOEMS"[luaL_checkoption(L, -1, nullptr, names)];
    }
    if (lua_getfield(L, 1, "dtr") != LUA_TNIL) s.dtr = lua_toboolean(L, -1);
    if (lua_getfield(L, 1, "rts") != LUA_TNIL) s.rts = lua_toboolean(L, -1);
    if (s.baud == 0 || s.baud < -1) return luaL_error(L, "set: bad baud rate");
    if (s.dataBits != -1 && (s.dataBits < 5 || s.dataBits > 8))
        return luaL_error(L, "set: data bits are 5 to 8");
    if (s.stopBits != -1 && s.stopBits != 1 && s.stopBits != 2)
        return luaL_error(L, "set: stop bits are 1 or 2");
    if (ScriptApi::Interrupted(E(L))) ScriptApi::RaiseEnd(L);
    return HostResult(L, ScriptApi::Host(L)->SetLine(s));
}

int CheckMs(lua_State* L, int idx, lua_Integer def) {
    lua_Integer ms = luaL_optinteger(L, idx, def);
    luaL_argcheck(L, ms >= 1 && ms <= KV_SIGNAL_MAX_MS, idx, "1 to 10000 ms");
    return (int)ms;
}

int l_send_break(lua_State* L) {
    int ms = CheckMs(L, 1, 250);
    if (ScriptApi::Interrupted(E(L))) ScriptApi::RaiseEnd(L);
    return HostResult(L, ScriptApi::Host(L)->SendBreak(ms));
}

int l_pulse(lua_State* L) {
    static const char* const lines[] = {"dtr", "rts", nullptr};
    int line = luaL_checkoption(L, 1, nullptr, lines);
    int ms = CheckMs(L, 2, 100);
    if (ScriptApi::Interrupted(E(L))) ScriptApi::RaiseEnd(L);
    return HostResult(L, ScriptApi::Host(L)->Pulse(line == 0, ms));
}

// A raw file goes out here, in pieces, so that a stop ends it; the protocols go to the host.
int SendFileImpl(lua_State* L) {
    const char* path = luaL_checkstring(L, 1);
    static const char* const kinds[] = {"raw", "xmodem", "ymodem", "zmodem", nullptr};
    static const int protocols[] = {KV_FILE_RAW, KV_FILE_XMODEM_CRC, KV_FILE_YMODEM,
                                    KV_FILE_ZMODEM};
    int kind = luaL_checkoption(L, 2, "raw", kinds);
    if (kind != 0) return HostResult(L, ScriptApi::Host(L)->SendFile(path, protocols[kind]));
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Fail(L, std::string(path) + ": " + strerror(errno));
    std::string chunk(64 * 1024, '\0');
    int r = 1;
    for (;;) {
        ssize_t n = ::read(fd, &chunk[0], chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            r = Fail(L, std::string(path) + ": " + strerror(errno));
            break;
        }
        if (n == 0) {
            lua_pushboolean(L, 1);
            break;
        }
        r = WriteAll(L, chunk.substr(0, (size_t)n));
        if (r != 1) break;
        lua_pop(L, 1);
    }
    close(fd);
    return r;
}
int l_send_file(lua_State* L) { return Raise(L, SendFileImpl(L)); }

// The arguments as print shows them: tostring'd, tab between.
void Joined(lua_State* L) {
    const int n = lua_gettop(L);
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    for (int i = 1; i <= n; ++i) {
        luaL_tolstring(L, i, nullptr);
        luaL_addvalue(&b);
        if (i < n) luaL_addchar(&b, '\t');
    }
    luaL_pushresult(&b);
}

int l_log(lua_State* L) {
    Joined(L);
    size_t n = 0;
    const char* s = lua_tolstring(L, -1, &n);
    ScriptApi::Host(L)->Log(std::string(s, n));
    return 0;
}

int l_print(lua_State* L) {
    Joined(L);
    lua_pushliteral(L, "\n");
    lua_concat(L, 2);
    size_t n = 0;
    const char* s = lua_tolstring(L, -1, &n);
    ScriptApi::Host(L)->Print(std::string(s, n));
    return 0;
}

int l_exit(lua_State* L) {
    int code = 0;
    if (lua_isboolean(L, 1))
        code = lua_toboolean(L, 1) ? 0 : 1;
    else
        code = (int)luaL_optinteger(L, 1, 0);
    ScriptApi::SetExit(L, code);
    ScriptApi::RaiseEnd(L);
}
}  // namespace

CScriptEngine* ScriptApi::Engine(lua_State* L) {
    return *static_cast<CScriptEngine**>(lua_getextraspace(L));
}

void ScriptApi::StopHook(lua_State* L, lua_Debug*) {
    if (Interrupted(Engine(L))) RaiseEnd(L);
}

void ScriptApi::RaiseEnd(lua_State* L) {
    lua_sethook(L, StopHook, LUA_MASKCOUNT, 1);
    lua_pushlightuserdata(L, &g_endKey);
    lua_error(L);
    for (;;) {
    }
}

bool ScriptApi::IsEnd(lua_State* L, int idx) {
    return lua_touserdata(L, idx) == &g_endKey && lua_islightuserdata(L, idx);
}

void ScriptApi::Register(lua_State* L, CScriptEngine* e, const std::vector<std::string>& args) {
    *static_cast<CScriptEngine**>(lua_getextraspace(L)) = e;
    lua_newtable(L);
    lua_rawsetp(L, LUA_REGISTRYINDEX, &g_handlersKey);
    lua_getglobal(L, "string");
    lua_getfield(L, -1, "find");
    lua_rawsetp(L, LUA_REGISTRYINDEX, &g_findKey);
    lua_pop(L, 1);
    static const luaL_Reg fns[] = {
        {"send", l_send},
        {"send_hex", l_send_hex},
        {"expect", l_expect},
        {"read", l_read},
        {"lines", l_lines},
        {"on_line", l_on_line},
        {"sleep", l_sleep},
        {"set", l_set},
        {"send_break", l_send_break},
        {"pulse", l_pulse},
        {"send_file", l_send_file},
        {"checksum", ScriptApi::Checksum},
        {"log", l_log},
        {"exit", l_exit},
        {"print", l_print},
        {nullptr, nullptr},
    };
    lua_pushglobaltable(L);
    luaL_setfuncs(L, fns, 0);
    lua_pop(L, 1);
    // os.exit would end the whole program and leave the port as it is.
    lua_getglobal(L, "os");
    lua_pushcfunction(L, l_exit);
    lua_setfield(L, -2, "exit");
    lua_pop(L, 1);
    lua_createtable(L, (int)args.size(), 1);
    lua_pushstring(L, e->Path().c_str());
    lua_rawseti(L, -2, 0);
    for (size_t i = 0; i < args.size(); ++i) {
        lua_pushlstring(L, args[i].data(), args[i].size());
        lua_rawseti(L, -2, (lua_Integer)i + 1);
    }
    lua_setglobal(L, "arg");
}

int ScriptApi::RunHandlers(lua_State* L) {
    CScriptEngine* e = Engine(L);
    e->m_bInHandler = true;
    int r = 0;
    while (!e->m_lines.empty() && !e->Interrupted()) {
        lua_rawgetp(L, LUA_REGISTRYINDEX, &g_handlersKey);
        const lua_Integer n = (lua_Integer)lua_rawlen(L, -1);
        for (lua_Integer i = 1; i <= n && r == 0; ++i) {
            lua_rawgeti(L, -1, i);
            const std::string& line = e->m_lines.front();
            lua_pushlstring(L, line.data(), line.size());
            if (lua_pcall(L, 1, 0, 0) != LUA_OK) r = -1;
        }
        if (r < 0) {
            lua_remove(L, -2);  // the handler table, under the error
            e->m_lines.pop_front();
            break;
        }
        lua_pop(L, 1);
        e->m_lines.pop_front();
    }
    e->m_bInHandler = false;
    return r;
}
