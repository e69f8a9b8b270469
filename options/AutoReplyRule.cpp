#include "options/AutoReplyRule.h"

Json::Value AutoRepliesToJson(const std::vector<CAutoReplyRule>& rules) {
    Json::Value rows(Json::arrayValue);
    for (const CAutoReplyRule& r : rules) {
        Json::Value e;
        e["pattern"] = r.pattern;
        e["luaPattern"] = r.bLuaPattern;
        e["reply"] = r.reply;
        e["hex"] = r.bHex;
        e["delayMs"] = r.nDelayMs;
        e["on"] = r.bOn;
        rows.append(e);
    }
    return rows;
}

std::vector<CAutoReplyRule> AutoRepliesFromJson(const Json::Value& rows) {
    std::vector<CAutoReplyRule> rules;
    if (!rows.isArray()) return rules;
    for (const Json::Value& e : rows) {
        if (!e.isObject() || !e["pattern"].isString() || e["pattern"].asString().empty()) continue;
        if (rules.size() >= KV_AUTO_REPLY_MAX_ROWS) break;
        CAutoReplyRule r;
        r.pattern = e["pattern"].asString();
        r.bLuaPattern = e["luaPattern"].isBool() && e["luaPattern"].asBool();
        r.reply = e["reply"].isString() ? e["reply"].asString() : "";
        r.bHex = e["hex"].isBool() && e["hex"].asBool();
        if (e["delayMs"].isInt()) {
            int ms = e["delayMs"].asInt();
            r.nDelayMs = ms < 0 ? 0 : ms > KV_AUTO_REPLY_MAX_DELAY ? KV_AUTO_REPLY_MAX_DELAY : ms;
        }
        r.bOn = !e["on"].isBool() || e["on"].asBool();
        rules.push_back(r);
    }
    return rules;
}
