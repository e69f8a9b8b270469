// CAutoReply: 自动应答. Received bytes are cut into lines on a thread of its own; a line (or
// the unfinished line, once) that holds a row's pattern gets that row's reply after its delay.
// Plain patterns are found as they are; Lua patterns by Lua's string.find, on that thread, so
// that a pattern that backtracks badly never holds up the window. Off until rules are set.
#pragma once
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "options/Settings.h"
#include "script/ScriptEngine.h"

class CAutoReply {
public:
    // Sends a reply's bytes; called on the matching thread.
    using Send = std::function<void(const std::string& bytes)>;
    explicit CAutoReply(Send send) : m_send(std::move(send)) {}
    ~CAutoReply();
    CAutoReply(const CAutoReply&) = delete;
    CAutoReply& operator=(const CAutoReply&) = delete;

    // The rows in force from the settings (off, or no row on: nothing is matched), with the
    // data encoding the texts go out in and the send framing.
    void Apply(const CKivernSettings& settings);
    void Feed(const char* p, size_t n);
    bool IsOn() const { return m_thread.joinable(); }

    // A row's reply as it goes on the wire: text in the data encoding with the line ending and
    // (when asked for text) the checksum; hex digits with the checksum. "" for bad hex.
    static std::string ReplyBytes(const CAutoReplyRule& rule, const ScriptFraming& f, bool bUtf8);

private:
    struct Rule {
        std::string pattern;  // in the data encoding
        bool bLua;
        std::string reply;  // the bytes
        int nDelayMs;
    };
    void StopThread();
    void Run();

    Send m_send;
    std::vector<Rule> m_rules;  // the thread's, set while it is stopped
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::string m_incoming;
    bool m_bQuit = false;
};
