#include "options/Colors.h"

#include <cstdio>

// Mid tones: a contrast of at least 3:1 against white and against black.
const KvColor g_kvColors[] = {
    {"red", TR_NOOP("Colors", "红"), 0xE0302A},
    {"amber", TR_NOOP("Colors", "琥珀"), 0xB87800},
    {"green", TR_NOOP("Colors", "绿"), 0x2E9B3A},
    {"blue", TR_NOOP("Colors", "蓝"), 0x3A7BD5},
    {"purple", TR_NOOP("Colors", "紫"), 0xA155D0},
    {"teal", TR_NOOP("Colors", "青"), 0x1A9A9A},
    {"magenta", TR_NOOP("Colors", "品红"), 0xD03C9A},
    {"orange", TR_NOOP("Colors", "橙"), 0xD9622B},
};
const int g_nKvColors = (int)(sizeof(g_kvColors) / sizeof(g_kvColors[0]));

namespace {
// A sent line: "TX> " at the start, or after the stamp and the time since the line before.
const char kSentLine[] = R"(^(\[[^\]]*\] ?|\+[0-9.]+ ?)*TX> )";

std::string RgbText(uint32_t rgb) {
    char buf[8];
    snprintf(buf, sizeof buf, "#%06X", (unsigned)(rgb & 0xFFFFFF));
    return buf;
}

bool ParseRgb(const Json::Value& v, uint32_t& rgb) {
    if (!v.isString()) return false;
    std::string s = v.asString();
    unsigned n = 0;
    int used = 0;
    if (s.size() != 7 || sscanf(s.c_str(), "#%6x%n", &n, &used) != 1 || used != 7) return false;
    rgb = n;
    return true;
}
}  // namespace

CString KvColorName(int i) { return AfxTr("Colors", g_kvColors[i].name); }

int KvColorOfRgb(uint32_t rgb) {
    for (int i = 0; i < g_nKvColors; ++i)
        if (g_kvColors[i].rgb == (rgb & 0xFFFFFF)) return i;
    return -1;
}

LogHighlights KvExampleHighlights() {
    return {{"ERROR", false, false, g_kvColors[0].rgb},
            {"WARN", false, false, g_kvColors[1].rgb},
            {"OK", false, false, g_kvColors[2].rgb}};
}

CString KvDescribeHighlight(const LogHighlight& h) {
    int c = KvColorOfRgb(h.rgb);
    CString s = ConvertCodePage(CString(h.pattern.c_str()), CP_UTF8, CP_ACP);
    s += "  (";
    s += c >= 0 ? KvColorName(c) : CString(RgbText(h.rgb).c_str());
    if (h.bRegex) s += AfxTr("Colors", "，正则");
    if (h.bWholeLine) s += AfxTr("Colors", "，整行");
    s += ")";
    return s;
}

LogHighlights KvViewHighlights(const LogHighlights& rules, int nSentColor) {
    LogHighlights all = rules;
    if (nSentColor >= 0 && nSentColor < g_nKvColors)
        all.push_back({kSentLine, true, true, g_kvColors[nSentColor].rgb});
    return all;
}

void KvColorsToJson(BOOL bAnsi, int nSentColor, const LogHighlights& rules, Json::Value& root) {
    root["ansiColors"] = bAnsi != FALSE;
    root["sentLineColor"] = nSentColor >= 0 ? g_kvColors[nSentColor].key : "none";
    Json::Value list(Json::arrayValue);
    for (const LogHighlight& h : rules) {
        Json::Value e;
        e["pattern"] = h.pattern;
        e["regex"] = h.bRegex;
        e["wholeLine"] = h.bWholeLine;
        e["color"] = RgbText(h.rgb);
        list.append(e);
    }
    root["highlights"] = list;
}

void KvColorsFromJson(const KvColorOptions& o, const Json::Value& root) {
    if (root["ansiColors"].isBool()) o.bAnsi = root["ansiColors"].asBool() ? TRUE : FALSE;
    const Json::Value& sent = root["sentLineColor"];
    if (sent.isString()) {
        if (sent.asString() == "none") o.nSentColor = -1;
        for (int i = 0; i < g_nKvColors; ++i)
            if (sent.asString() == g_kvColors[i].key) o.nSentColor = i;
    }
    const Json::Value& rules = root["highlights"];
    if (!rules.isArray()) return;
    o.rules.clear();
    for (const Json::Value& e : rules) {
        LogHighlight h;
        if (!e.isObject() || !e["pattern"].isString() || e["pattern"].asString().empty() ||
            !ParseRgb(e["color"], h.rgb) || o.rules.size() >= 100)
            continue;
        h.pattern = e["pattern"].asString();
        h.bRegex = e["regex"].isBool() && e["regex"].asBool();
        h.bWholeLine = e["wholeLine"].isBool() && e["wholeLine"].asBool();
        o.rules.push_back(h);
    }
}
