// What the application asks the receive display to colour: a word or a regular expression,
// and whether its colour goes to the match or to the whole line that holds it. No Qt here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct LogHighlight {
    std::string pattern;  // UTF-8; a regular expression (Perl syntax) when bRegex
    bool bRegex = false;
    bool bWholeLine = false;
    uint32_t rgb = 0;  // 0xRRGGBB
    bool operator==(const LogHighlight& o) const {
        return pattern == o.pattern && bRegex == o.bRegex && bWholeLine == o.bWholeLine &&
               rgb == o.rgb;
    }
};
using LogHighlights = std::vector<LogHighlight>;

// Whether the display can use the rule: a pattern that is not empty and, for an expression,
// valid; *pWhy (when given) gets the reason in English otherwise.
bool LogHighlightValid(const LogHighlight& h, std::string* pWhy = nullptr);
