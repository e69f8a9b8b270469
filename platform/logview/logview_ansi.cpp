// SGR escape sequences of the receive display: their colours, and the state at any byte.
#include "platform/logview/logview_ansi.h"

#include <algorithm>
#include <cstring>

namespace logview {

namespace {
constexpr uint32_t kOpaque = 0xFF000000u;

// The 16 named colours, a mid tone for the normal ones and a lighter one for the bright ones,
// so that coloured text stays readable on a white base and on a black one.
constexpr uint32_t kNamed[16] = {
    0x000000, 0xCC0000, 0x4E9A06, 0xC4A000, 0x3465A4, 0x75507B, 0x06989A, 0xD3D7CF,
    0x555753, 0xEF2929, 0x8AE234, 0xFCE94F, 0x729FCF, 0xAD7FA8, 0x34E2E2, 0xEEEEEC,
};

uint32_t Rgb(int r, int g, int b) {
    auto c = [](int v) { return (uint32_t)std::clamp(v, 0, 255); };
    return kOpaque | c(r) << 16 | c(g) << 8 | c(b);
}

// The parameters of one SGR sequence: groups split by ';', each with its sub-parameters
// split by ':' (38:2::r:g:b). An empty parameter is -1.
struct Params {
    std::vector<std::vector<int>> groups;
};

Params Parse(const unsigned char* p, int len) {
    Params out;
    out.groups.emplace_back(1, -1);
    for (int i = 2; i < len - 1; ++i) {
        unsigned char c = p[i];
        std::vector<int>& g = out.groups.back();
        if (c >= '0' && c <= '9')
            g.back() = std::min((g.back() < 0 ? 0 : g.back()) * 10 + (c - '0'), 1 << 20);
        else if (c == ':')
            g.push_back(-1);
        else if (c == ';')
            out.groups.emplace_back(1, -1);
    }
    return out;
}

// An extended colour (after 38 or 48): 5;n or 2;r;g;b, from the group's own sub-parameters
// when it has them, else from the groups that follow (consumed). 0 when it is not valid.
uint32_t Extended(const Params& ps, size_t& i) {
    const std::vector<int>& g = ps.groups[i];
    std::vector<int> v;
    if (g.size() > 1) {
        v.assign(g.begin() + 1, g.end());
        if (v.size() == 5 && v[0] == 2) v.erase(v.begin() + 1);  // 2:colour-space:r:g:b
    } else {
        size_t n = i + 1 < ps.groups.size() && ps.groups[i + 1][0] == 5 ? 2 : 4;
        for (size_t k = 1; k <= n && i + k < ps.groups.size(); ++k)
            v.push_back(ps.groups[i + k][0]);
        i += v.size();
    }
    if (v.size() >= 2 && v[0] == 5 && v[1] >= 0 && v[1] <= 255) return AnsiColor(v[1]);
    if (v.size() >= 4 && v[0] == 2) return Rgb(v[1], v[2], v[3]);
    return 0;
}
}  // namespace

uint32_t AnsiColor(int n) {
    if (n < 16) return kOpaque | kNamed[std::max(0, n)];
    if (n < 232) {
        static const int kLevel[6] = {0, 95, 135, 175, 215, 255};
        n -= 16;
        return Rgb(kLevel[n / 36], kLevel[n / 6 % 6], kLevel[n % 6]);
    }
    int v = 8 + 10 * (std::min(n, 255) - 232);
    return Rgb(v, v, v);
}

void ApplySgr(const unsigned char* p, int len, SgrState& s) {
    if (len < 3 || p[len - 1] != 'm') return;
    // A private marker (< = > ?) or an intermediate byte makes it another function.
    for (int i = 2; i < len - 1; ++i)
        if (p[i] < 0x30 || p[i] >= 0x3C) return;
    Params ps = Parse(p, len);
    for (size_t i = 0; i < ps.groups.size(); ++i) {
        int n = ps.groups[i][0];
        if (n <= 0)
            s = SgrState();
        else if (n == 1)
            s.bold = true;
        else if (n == 22)
            s.bold = false;
        else if (n >= 30 && n <= 37)
            s.fg = AnsiColor(n - 30);
        else if (n >= 90 && n <= 97)
            s.fg = AnsiColor(n - 90 + 8);
        else if (n == 39)
            s.fg = 0;
        else if (n >= 40 && n <= 47)
            s.bg = AnsiColor(n - 40);
        else if (n >= 100 && n <= 107)
            s.bg = AnsiColor(n - 100 + 8);
        else if (n == 49)
            s.bg = 0;
        else if (n == 38)
            s.fg = Extended(ps, i);
        else if (n == 48)
            s.bg = Extended(ps, i);
    }
}

}  // namespace logview

using logview::SgrState;

int64_t LogAnsiStyles::Apply(const LogIndex& index, int64_t from, int64_t to, SgrState& s) {
    const unsigned char* d = index.Data();
    const int64_t len = index.Length();
    int64_t pos = from;
    while (pos < to) {
        const void* hit = memchr(d + pos, 0x1B, (size_t)(to - pos));
        if (!hit) return to;
        int64_t q = (const unsigned char*)hit - d;
        int n = logview::CsiLength(d + q, len - q, true);
        if (n > 0) logview::ApplySgr(d + q, n, s);
        pos = q + std::max(n, 1);
    }
    return pos;
}

SgrState LogAnsiStyles::StateAt(const LogIndex& index, int64_t off) {
    off = std::clamp<int64_t>(off, 0, index.Length());
    if (!m_points.empty() && m_points.back().resume > index.Length()) Reset();
    if (m_points.empty()) m_points.push_back({0, SgrState()});
    const int64_t k = off / kStep;
    while ((int64_t)m_points.size() <= k) {
        Point p = m_points.back();
        int64_t next = (int64_t)m_points.size() * kStep;
        p.resume = Apply(index, p.resume, next, p.s);
        m_points.push_back(p);
    }
    SgrState s = m_points[k].s;
    Apply(index, m_points[k].resume, off, s);
    return s;
}
