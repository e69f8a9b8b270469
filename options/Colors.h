// Colours of the receive display beyond its plain text: the named colours offered (each reads
// on a light base and on a dark one), the example highlight set, and the rules the display
// is given, sent lines' included. The options themselves live in CKivernSettings.
#pragma once
#include <json/json.h>

#include <cstdint>
#include <string>

#include "platform/afx.h"

struct KvColor {
    const char* key;   // in the settings file
    const char* name;  // as written; shown through KvColorName
    uint32_t rgb;
};
extern const KvColor g_kvColors[];
extern const int g_nKvColors;
int KvColorOfRgb(uint32_t rgb);  // index into g_kvColors, or -1
CString KvColorName(int i);      // colour i of g_kvColors as the boxes show it

// ERROR in red, WARN in amber, OK in green, each as a word.
LogHighlights KvExampleHighlights();
// A rule as one line of the highlight box's list.
CString KvDescribeHighlight(const LogHighlight& h);

// What the receive display colours: the user's rules in order, then sent lines ("TX> " after
// an optional stamp) in colour nSentColor of g_kvColors, when it is one (-1: none).
LogHighlights KvViewHighlights(const LogHighlights& rules, int nSentColor);

// The colour options in the settings document, and back (missing or invalid: kept).
struct KvColorOptions {
    BOOL& bAnsi;
    int& nSentColor;
    LogHighlights& rules;
};
void KvColorsToJson(BOOL bAnsi, int nSentColor, const LogHighlights& rules, Json::Value& root);
void KvColorsFromJson(const KvColorOptions& o, const Json::Value& root);
