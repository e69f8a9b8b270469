// Finding bytes in the receive text. LogPattern says what matches; LogSearch walks a growing
// text in steps of a bounded number of start offsets, forward or backward, wrapping around
// once, so that a search over hundreds of MiB runs between turns of the event loop. The text
// is only read during a step: between steps it may grow or move in memory. No Qt here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

class LogPattern {
public:
    struct Alternative {
        std::string bytes;
        bool bFoldAscii;  // ASCII letters match either case
    };
    // Any of the alternatives matches; empty ones never do. With bGbk a match must begin on a
    // character of GBK text, never on the second byte of a two-byte character. With
    // bSkipEscapes the text is matched as the display shows it when it reads escape sequences:
    // a match neither begins inside a CSI sequence (ESC [ ... final byte) nor sees the
    // sequences within it, and its length counts their bytes.
    LogPattern(std::vector<Alternative> alternatives, bool bGbk, bool bSkipEscapes = false);
    bool IsEmpty() const { return m_alts.empty(); }
    int64_t MaxLength() const { return m_maxLen; }

    // The first match that begins in [from, to) of p[0, len), or -1; it may run past `to`, not
    // past len. *pLen gets its length.
    int64_t FindFirst(const unsigned char* p, int64_t len, int64_t from, int64_t to,
                      int64_t* pLen) const;
    // The last match that begins in [from, to), or -1.
    int64_t FindLast(const unsigned char* p, int64_t len, int64_t from, int64_t to,
                     int64_t* pLen) const;

private:
    struct Alt {
        std::string bytes;  // folded to upper case when bFold
        bool bFold;
    };
    int64_t FindAlt(const Alt& a, const unsigned char* p, int64_t len, int64_t from, int64_t to,
                    int64_t* pLen) const;
    int64_t FindAltShown(const Alt& a, const unsigned char* p, int64_t len, int64_t from,
                         int64_t to, int64_t* pLen) const;
    bool OnBoundary(const unsigned char* p, int64_t off) const;
    std::vector<Alt> m_alts;
    int64_t m_maxLen = 0;
    bool m_bGbk;
    bool m_bSkipEscapes;
};

class LogSearch {
public:
    enum Result { kMore, kFound, kNotFound };
    // Forward: the first match at or after `start`, then from the text's beginning up to it.
    // Backward: the last match beginning before `start`, then from the text's end down to it.
    LogSearch(LogPattern pattern, int64_t start, bool bForward);
    // Looks at up to nBytes more start offsets of the text p[0, len). The text may have grown
    // since the last step, never shrunk or changed (a new search is due then). A forward
    // search follows the growth until a step finds nothing new at the end.
    Result Step(const unsigned char* p, int64_t len, int64_t nBytes);
    int64_t MatchBegin() const { return m_matchBegin; }
    int64_t MatchEnd() const { return m_matchEnd; }
    bool Wrapped() const { return m_bWrapped; }
    bool Forward() const { return m_bForward; }
    int64_t Scanned() const { return m_scanned; }  // start offsets looked at so far

private:
    bool Scan(const unsigned char* p, int64_t len, int64_t lo, int64_t hi);
    LogPattern m_pattern;
    int64_t m_start;
    bool m_bForward;
    bool m_bWrapped = false;
    int64_t m_pos;           // next start to look at (forward), or end of the next window
    int64_t m_endSeen = -1;  // forward: the text's length when a step last reached its end
    int64_t m_wrapEnd = 0;   // where the wrapped part ends (backward: begins)
    int64_t m_matchBegin = -1, m_matchEnd = -1;
    int64_t m_scanned = 0;
};
