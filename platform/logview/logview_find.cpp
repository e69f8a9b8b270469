#include "platform/logview/logview_find.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/logview/logview_glyph.h"

namespace {
unsigned char Fold(unsigned char c) {
    return (unsigned char)(c - ((unsigned char)(c - 'a') < 26 ? 32 : 0));
}
// Bytes folded and searched at a time.
constexpr int64_t kFoldChunk = 16 << 10;
// Matches are looked for backwards in windows this large, the last window's first.
constexpr int64_t kBackWindow = 64 << 10;
// A run of high bytes longer than this before a match is taken to end on a character.
constexpr int64_t kGbkRunLimit = 4096;
}  // namespace

LogPattern::LogPattern(std::vector<Alternative> alternatives, bool bGbk, bool bSkipEscapes)
    : m_bGbk(bGbk), m_bSkipEscapes(bSkipEscapes) {
    for (Alternative& in : alternatives) {
        if (in.bytes.empty()) continue;
        Alt a;
        a.bFold = in.bFoldAscii;
        a.bytes = std::move(in.bytes);
        if (a.bFold)
            for (char& c : a.bytes) c = (char)Fold((unsigned char)c);
        m_maxLen = std::max(m_maxLen, (int64_t)a.bytes.size());
        m_alts.push_back(std::move(a));
    }
}

// In GBK text a high byte (0x81..0xFE) leads a two-byte character whose second byte may be
// ASCII. The high bytes just before off pair up from the last byte below them, so an odd run
// means off is the second byte of a character, when it can be one.
bool LogPattern::OnBoundary(const unsigned char* p, int64_t off) const {
    if (!m_bGbk || off == 0) return true;
    unsigned char c = p[off];
    if (c < 0x40 || c == 0x7F || c == 0xFF) return true;
    int64_t k = 0;
    for (int64_t j = off - 1; j >= 0 && p[j] >= 0x81 && p[j] <= 0xFE && k < kGbkRunLimit; --j) ++k;
    return k % 2 == 0 || k == kGbkRunLimit;
}

int64_t LogPattern::FindAlt(const Alt& a, const unsigned char* p, int64_t len, int64_t from,
                            int64_t to, int64_t* pLen) const {
    if (m_bSkipEscapes) return FindAltShown(a, p, len, from, to, pLen);
    const size_t m = a.bytes.size();
    *pLen = (int64_t)m;
    const int64_t end = std::min(len, to + (int64_t)m - 1);  // matches end at or before it
    const char* pat = a.bytes.data();
    // Folded: the bytes are folded a chunk at a time into a buffer (a loop the compiler turns
    // into vector code) and searched there, as fast as the exact search.
    const size_t chunk = std::max<size_t>(kFoldChunk, 2 * m);  // gets past a match's length
    std::vector<unsigned char> buf(a.bFold ? chunk : 0);
    for (int64_t i = from; m > 0 && end - i >= (int64_t)m;) {
        const unsigned char* base = p + i;
        size_t n = (size_t)(end - i);
        if (a.bFold) {
            n = std::min(n, chunk);
            for (size_t k = 0; k < n; ++k) buf[k] = Fold(base[k]);
            base = buf.data();
        }
        const void* r = memmem(base, n, pat, m);
        if (!r) {
            if (!a.bFold || i + (int64_t)n >= end) return -1;
            i += (int64_t)(n - m) + 1;  // the next chunk overlaps: a match may straddle the two
            continue;
        }
        int64_t s = i + ((const unsigned char*)r - base);
        if (OnBoundary(p, s)) return s;
        i = s + 1;
    }
    return -1;
}

namespace {
// Whether byte off is an escape sequence's, its ESC included.
bool InEscape(const unsigned char* p, int64_t len, int64_t off) {
    for (int64_t q = off; q >= 0 && q > off - logview::kMaxCsi; --q) {
        if (p[q] != 0x1B) continue;
        int n = logview::CsiLength(p + q, len - q, true);
        return n > 0 && q + n > off;
    }
    return false;
}

// The end of a match of pat at s that skips escape sequences, or -1.
int64_t MatchShown(const std::string& pat, bool bFold, const unsigned char* p, int64_t len,
                   int64_t s) {
    int64_t j = s;
    for (char want : pat) {
        int n;
        while (j < len && p[j] == 0x1B && (n = logview::CsiLength(p + j, len - j, true)) > 0)
            j += n;
        if (j >= len || (bFold ? Fold(p[j]) : p[j]) != (unsigned char)want) return -1;
        ++j;
    }
    return j;
}
}  // namespace

int64_t LogPattern::FindAltShown(const Alt& a, const unsigned char* p, int64_t len, int64_t from,
                                 int64_t to, int64_t* pLen) const {
    const unsigned char first = (unsigned char)a.bytes[0];
    for (int64_t s = from; s < std::min(to, len); ++s) {
        if ((a.bFold ? Fold(p[s]) : p[s]) != first) {
            if (a.bFold) continue;
            const void* r = memchr(p + s, first, (size_t)(std::min(to, len) - s));
            if (!r) return -1;
            s = (const unsigned char*)r - p;
        }
        int64_t e = MatchShown(a.bytes, a.bFold, p, len, s);
        if (e >= 0 && OnBoundary(p, s) && !InEscape(p, len, s)) {
            *pLen = e - s;
            return s;
        }
    }
    return -1;
}

int64_t LogPattern::FindFirst(const unsigned char* p, int64_t len, int64_t from, int64_t to,
                              int64_t* pLen) const {
    int64_t best = -1, bestLen = 0;
    for (const Alt& a : m_alts) {
        // A later alternative only matters if it begins before the best match so far.
        int64_t n = 0;
        int64_t s = FindAlt(a, p, len, from, best < 0 ? to : best, &n);
        if (s >= 0) {
            best = s;
            bestLen = n;
        }
    }
    if (pLen) *pLen = bestLen;
    return best;
}

int64_t LogPattern::FindLast(const unsigned char* p, int64_t len, int64_t from, int64_t to,
                             int64_t* pLen) const {
    for (int64_t hi = to; hi > from;) {
        int64_t lo = std::max(from, hi - kBackWindow);
        int64_t best = -1, bestLen = 0;
        for (const Alt& a : m_alts) {
            for (int64_t i = std::max(lo, best + 1);;) {
                int64_t n = 0;
                int64_t s = FindAlt(a, p, len, i, hi, &n);
                if (s < 0) break;
                best = s;
                bestLen = n;
                i = s + 1;
            }
        }
        if (best >= 0) {
            if (pLen) *pLen = bestLen;
            return best;
        }
        hi = lo;
    }
    if (pLen) *pLen = 0;
    return -1;
}

LogSearch::LogSearch(LogPattern pattern, int64_t start, bool bForward)
    : m_pattern(std::move(pattern)),
      m_start(std::max<int64_t>(start, 0)),
      m_bForward(bForward),
      m_pos(m_start) {}

// Looks at the starts in [lo, hi): the first match going forward, the last going backward.
bool LogSearch::Scan(const unsigned char* p, int64_t len, int64_t lo, int64_t hi) {
    if (hi <= lo) return false;
    int64_t n = 0;
    int64_t s = m_bForward ? m_pattern.FindFirst(p, len, lo, hi, &n)
                           : m_pattern.FindLast(p, len, lo, hi, &n);
    m_scanned += hi - lo;
    if (s < 0) return false;
    m_matchBegin = s;
    m_matchEnd = s + n;
    return true;
}

LogSearch::Result LogSearch::Step(const unsigned char* p, int64_t len, int64_t nBytes) {
    if (m_pattern.IsEmpty()) return kNotFound;
    nBytes = std::max<int64_t>(nBytes, 1);
    if (m_bForward && !m_bWrapped) {
        m_start = std::min(m_start, len);
        m_pos = std::min(m_pos, len);
        int64_t to = std::min(m_pos + nBytes, len);
        if (Scan(p, len, m_pos, to)) return kFound;
        m_pos = std::max(m_pos, to);
        if (to < len) return kMore;
        // At the end: the last few starts are looked at again if more bytes come before the
        // next step (a longer alternative may not have fitted yet).
        if (len != m_endSeen) {
            m_endSeen = len;
            m_pos = std::max(m_start, std::min(m_pos, len - m_pattern.MaxLength() + 1));
            return kMore;
        }
        m_bWrapped = true;
        m_pos = 0;
        m_wrapEnd = m_start;
        return kMore;
    }
    if (m_bForward) {
        int64_t to = std::min(m_pos + nBytes, m_wrapEnd);
        if (Scan(p, len, m_pos, to)) return kFound;
        m_pos = std::max(m_pos, to);
        return m_pos < m_wrapEnd ? kMore : kNotFound;
    }
    if (!m_bWrapped) {
        int64_t hi = std::min(m_pos, len), lo = std::max<int64_t>(0, hi - nBytes);
        if (Scan(p, len, lo, hi)) return kFound;
        m_pos = lo;
        if (lo > 0) return kMore;
        m_bWrapped = true;
        m_pos = len;
        m_wrapEnd = std::min(m_start, len);
        return kMore;
    }
    int64_t hi = m_pos, lo = std::max(m_wrapEnd, hi - nBytes);
    if (Scan(p, len, lo, hi)) return kFound;
    m_pos = lo;
    return lo > m_wrapEnd ? kMore : kNotFound;
}
