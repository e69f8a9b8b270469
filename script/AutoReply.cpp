#include "script/AutoReply.h"

#include <chrono>
#include <climits>
#include <cstring>
#include <lua.hpp>
#include <map>

#include "convert/Checksum.h"
#include "convert/Convert.h"

namespace {
const size_t kLineKeep = 4096;  // a longer line is matched by its first 4 KiB
const size_t kIncomingKeep = 16u << 20;

long long NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// string.find(line, pattern) in a state that has nothing but the string library.
bool LuaFind(lua_State* L, const std::string& line, const std::string& pattern) {
    lua_getglobal(L, "string");
    lua_getfield(L, -1, "find");
    lua_remove(L, -2);
    lua_pushlstring(L, line.data(), line.size());
    lua_pushlstring(L, pattern.data(), pattern.size());
    if (lua_pcall(L, 2, 1, 0) != LUA_OK) {  // a malformed pattern finds nothing
        lua_pop(L, 1);
        return false;
    }
    bool found = !lua_isnil(L, -1);
    lua_pop(L, 1);
    return found;
}
}  // namespace

CAutoReply::~CAutoReply() { StopThread(); }

std::string CAutoReply::ReplyBytes(const CAutoReplyRule& rule, const ScriptFraming& f, bool bUtf8) {
    std::string bytes;
    int kind = f.checksum;
    if (rule.bHex) {
        CString out;
        INT_PTR nBad = 0;
        BOOL bUnpaired = FALSE;
        if (!ReadLooseHex(CString(rule.reply.c_str()), out, nBad, bUnpaired)) return "";
        bytes.assign(out.GetString(), out.GetLength());
    } else {
        CString text(rule.reply.c_str());
        if (!bUtf8) text = ConvertCodePage(text, CP_UTF8, CP_ACP);
        text = AppendLineEnding(text, f.lineEnding);
        bytes.assign(text.GetString(), text.GetLength());
        if (!f.checksumText) kind = KV_CHECK_NONE;
    }
    if (bytes.empty()) return bytes;
    CString framed =
        AppendChecksum(CString(bytes.data(), (INT_PTR)bytes.size()), kind, f.checksumOrder);
    return std::string(framed.GetString(), framed.GetLength());
}

void CAutoReply::StopThread() {
    if (!m_thread.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
    }
    m_cv.notify_one();
    m_thread.join();
}

void CAutoReply::Apply(const CKivernSettings& settings) {
    StopThread();
    m_rules.clear();
    const bool bUtf8 = settings.m_nEncoding == KV_ENC_UTF8;
    ScriptFraming f;
    f.lineEnding = settings.m_nLineEnding;
    f.checksum = settings.m_nChecksum;
    f.checksumOrder = settings.m_nChecksumOrder;
    f.checksumText = settings.m_bChecksumText;
    if (settings.m_bAutoReply) {
        for (const CAutoReplyRule& r : settings.m_autoReplies) {
            if (!r.bOn || r.pattern.empty()) continue;
            std::string reply = ReplyBytes(r, f, bUtf8);
            if (reply.empty()) continue;
            CString pattern(r.pattern.c_str());
            if (!bUtf8) pattern = ConvertCodePage(pattern, CP_UTF8, CP_ACP);
            m_rules.push_back({std::string(pattern.GetString(), pattern.GetLength()), r.bLuaPattern,
                               reply, r.nDelayMs});
        }
    }
    if (m_rules.empty()) return;
    m_incoming.clear();
    m_bQuit = false;
    m_thread = std::thread(&CAutoReply::Run, this);
}

void CAutoReply::Feed(const char* p, size_t n) {
    if (!m_thread.joinable() || n == 0) return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_incoming.size() + n > kIncomingKeep) return;  // a flood it cannot keep up with
        m_incoming.append(p, n);
    }
    m_cv.notify_one();
}

void CAutoReply::Run() {
    lua_State* L = luaL_newstate();
    if (L) {
        luaL_requiref(L, "string", luaopen_string, 1);
        lua_pop(L, 1);
    }
    std::multimap<long long, std::string> due;  // replies waiting for their delay
    std::string line;
    std::vector<bool> fired(m_rules.size(), false);  // on the unfinished line
    auto match = [&](bool bComplete) {
        for (size_t i = 0; i < m_rules.size(); ++i) {
            const Rule& r = m_rules[i];
            if (fired[i]) continue;
            bool hit = r.bLua ? (L && LuaFind(L, line, r.pattern))
                              : line.find(r.pattern) != std::string::npos;
            if (!hit) continue;
            due.emplace(NowMs() + r.nDelayMs, r.reply);
            if (!bComplete) fired[i] = true;
        }
    };
    for (;;) {
        std::string got;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            auto ready = [&] { return m_bQuit || !m_incoming.empty(); };
            if (due.empty())
                m_cv.wait(lock, ready);
            else
                m_cv.wait_for(
                    lock, std::chrono::milliseconds(std::max(0LL, due.begin()->first - NowMs())),
                    ready);
            if (m_bQuit) break;
            got.swap(m_incoming);
        }
        for (char c : got) {
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                match(true);
                line.clear();
                fired.assign(fired.size(), false);
            } else if (line.size() < kLineKeep) {
                line += c;
            }
        }
        if (!line.empty()) match(false);
        while (!due.empty() && due.begin()->first <= NowMs()) {
            m_send(due.begin()->second);
            due.erase(due.begin());
        }
    }
    if (L) lua_close(L);
}
