// One row of 自动应答: when a received line holds the pattern (plain text, or a Lua pattern
// when asked), the reply (text, or hex digits) is sent after a delay. Texts are kept in UTF-8,
// as the settings file holds them.
#pragma once
#include <json/json.h>

#include <string>
#include <vector>

struct CAutoReplyRule {
    std::string pattern;
    bool bLuaPattern = false;
    std::string reply;
    bool bHex = false;
    int nDelayMs = 0;  // 0..60000
    bool bOn = true;

    bool operator==(const CAutoReplyRule& o) const {
        return pattern == o.pattern && bLuaPattern == o.bLuaPattern && reply == o.reply &&
               bHex == o.bHex && nDelayMs == o.nDelayMs && bOn == o.bOn;
    }
};

#define KV_AUTO_REPLY_MAX_ROWS 8  // the rows the box shows
#define KV_AUTO_REPLY_MAX_DELAY 60000

Json::Value AutoRepliesToJson(const std::vector<CAutoReplyRule>& rules);
// Rows of the document; a row without a pattern, or of the wrong kind, is left out.
std::vector<CAutoReplyRule> AutoRepliesFromJson(const Json::Value& rows);
