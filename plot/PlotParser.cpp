// Lines of text into samples: separators, names, numbers.
#include "plot/PlotParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

namespace {

inline bool IsSeparator(unsigned char c) {
    return c == ',' || c == ' ' || c == '\t' || c == ';' || c == '\r' || c == '\0';
}
inline bool IsDigit(unsigned char c) { return (unsigned)(c - '0') < 10u; }
inline char Lower(char c) { return (c >= 'A' && c <= 'Z') ? (char)(c + 32) : c; }

bool StartsWordNoCase(const char* p, const char* end, const char* word) {
    size_t n = strlen(word);
    if ((size_t)(end - p) < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(p[i]) != word[i]) return false;
    return true;
}

// 10^0 .. 10^22 are exact in a double; larger powers come from pow.
const double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

double Scale(double m, int e) {
    if (m == 0) return 0;
    if (e >= 0) return e <= 22 ? m * kPow10[e] : m * std::pow(10.0, e);
    return e >= -22 ? m / kPow10[-e] : m * std::pow(10.0, e);
}

}  // namespace

const void* CPlotParser::memchr_(const void* p, int c, size_t n) { return memchr(p, c, n); }

size_t CPlotParser::ParseNumber(const char* p, const char* end, double& value) {
    const char* s = p;
    bool neg = false;
    if (s < end && (*s == '+' || *s == '-')) neg = *s++ == '-';
    if (s < end && !IsDigit(*s) && *s != '.') {
        // nan, inf, infinity (any case)
        if (StartsWordNoCase(s, end, "nan")) {
            value = NAN;
            return (size_t)(s + 3 - p);
        }
        if (StartsWordNoCase(s, end, "infinity")) {
            value = neg ? -INFINITY : INFINITY;
            return (size_t)(s + 8 - p);
        }
        if (StartsWordNoCase(s, end, "inf")) {
            value = neg ? -INFINITY : INFINITY;
            return (size_t)(s + 3 - p);
        }
        return 0;
    }
    uint64_t mant = 0;
    int digits = 0, exp10 = 0;
    bool any = false;
    for (; s < end && IsDigit(*s); ++s, any = true) {
        if (digits < 19) {
            mant = mant * 10 + (uint64_t)(*s - '0');
            if (mant) ++digits;
        } else {
            ++exp10;
        }
    }
    if (s < end && *s == '.') {
        ++s;
        for (; s < end && IsDigit(*s); ++s, any = true) {
            if (digits < 19) {
                mant = mant * 10 + (uint64_t)(*s - '0');
                if (mant) ++digits;
                --exp10;
            }
        }
    }
    if (!any) return 0;
    if (s < end && (*s == 'e' || *s == 'E')) {
        const char* e = s + 1;
        bool eneg = false;
        if (e < end && (*e == '+' || *e == '-')) eneg = *e++ == '-';
        if (e < end && IsDigit(*e)) {
            int x = 0;
            for (; e < end && IsDigit(*e); ++e)
                if (x < 100000) x = x * 10 + (*e - '0');
            exp10 += eneg ? -x : x;
            s = e;
        }
    }
    double v = Scale((double)mant, exp10);
    value = neg ? -v : v;
    return (size_t)(s - p);
}

int CPlotParser::Channel(const char* name, size_t n) {
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i].size() == n && memcmp(m_names[i].data(), name, n) == 0) return (int)i;
    if ((int)m_names.size() >= kMaxChannels) {
        m_bOverflow = true;
        return -1;
    }
    m_names.emplace_back(name, n);
    return (int)m_names.size() - 1;
}

// Column k (from 0) is the channel named k + 1; found once, then remembered.
int CPlotParser::ColumnChannel(int k) {
    if (k >= kMaxChannels) {
        m_bOverflow = true;
        return -1;
    }
    if (m_column[k] < 0) {
        const std::string name = std::to_string(k + 1);
        m_column[k] = Channel(name.data(), name.size());
    }
    return m_column[k];
}

bool CPlotParser::ParseLine(const char* p, size_t n, Line& out) {
    out.mask = 0;
    const char* end = p + n;
    int column = 0;
    while (p < end) {
        while (p < end && IsSeparator((unsigned char)*p)) ++p;
        if (p >= end) break;
        // A name runs to '=' or ':' (printable bytes only), a number to a separator.
        const char* tok = p;
        while (p < end && !IsSeparator((unsigned char)*p) && *p != '=' && *p != ':') ++p;
        const char* tokEnd = p;
        int ch = -1;
        double v;
        if (p < end && (*p == '=' || *p == ':') && tokEnd > tok) {
            ++p;
            while (p < end && (*p == ' ' || *p == '\t')) ++p;  // "t: 23.5"
            size_t len = ParseNumber(p, end, v);
            bool printable = tokEnd - tok <= 64;
            for (const char* q = tok; printable && q < tokEnd; ++q)
                printable = (unsigned char)*q >= 0x20 && *q != 0x7f;
            if (len && (p + len == end || IsSeparator((unsigned char)p[len])) && printable) {
                ch = Channel(tok, (size_t)(tokEnd - tok));
                p += len;
            }
        } else {
            size_t len = ParseNumber(tok, tokEnd, v);
            if (len && tok + len == tokEnd) ch = ColumnChannel(column++);
        }
        if (ch < 0) {
            while (p < end && !IsSeparator((unsigned char)*p)) ++p;  // junk: on to the next
            continue;
        }
        if (!std::isfinite(v) || !std::isfinite((float)v)) continue;
        out.mask |= 1u << ch;
        out.v[ch] = v;
    }
    return out.mask != 0;
}

void CPlotParser::Reset() {
    m_names.clear();
    std::fill(std::begin(m_column), std::end(m_column), -1);
    m_bOverflow = false;
    m_partial.clear();
    m_bOverlong = false;
}
