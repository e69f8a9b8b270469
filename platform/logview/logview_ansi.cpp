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

// The parameters of one SGR sequence, without allocating: groups split by ';', each with
// its sub-parameters split by ':' (38:2::r:g:b). An empty parameter is -1. Parameters beyond
// the limits are dropped.
struct Params {
    static constexpr int kGroups = 32, kSubs = 6;
    int v[kGroups][kSubs];
    int subs[kGroups];
    int n = 1;
};

void Parse(const unsigned char* p, int len, Params& out) {
    out.n = 1;
    out.subs[0] = 1;
    out.v[0][0] = -1;
    for (int i = 2; i < len - 1; ++i) {
        unsigned char c = p[i];
        int g = out.n - 1;
        int& cur = out.v[g][out.subs[g] - 1];
        if (c >= '0' && c <= '9') {
            cur = std::min((cur < 0 ? 0 : cur) * 10 + (c - '0'), 1 << 20);
        } else if (c == ':' && out.subs[g] < Params::kSubs) {
            out.v[g][out.subs[g]++] = -1;
        } else if (c == ';' && out.n < Params::kGroups) {
            out.subs[out.n] = 1;
            out.v[out.n++][0] = -1;
        }
    }
}

// An extended colour (after 38 or 48): 5;n or 2;r;g;b, from the group's own sub-parameters
// when it has them, else from the groups that follow (consumed). 0 when it is not valid.
uint32_t Extended(const Params& ps, int& i) {
    int v[5], n = 0;
    if (ps.subs[i] > 1) {
        for (int k = 1; k < ps.subs[i] && n < 5; ++k) v[n++] = ps.v[i][k];
        if (n == 5 && v[0] == 2) {  // 2:colour-space:r:g:b
            v[1] = v[2], v[2] = v[3], v[3] = v[4];
            n = 4;
        }
    } else {
        int want = i + 1 < ps.n && ps.v[i + 1][0] == 5 ? 2 : 4;
        for (int k = 1; k <= want && i + k < ps.n; ++k) v[n++] = ps.v[i + k][0];
        i += n;
    }
    if (n >= 2 && v[0] == 5 && v[1] >= 0 && v[1] <= 255) return AnsiColor(v[1]);
    if (n >= 4 && v[0] == 2) return Rgb(v[1], v[2], v[3]);
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
    Params ps;
    Parse(p, len, ps);
    for (int i = 0; i < ps.n; ++i) {
        int n = ps.v[i][0];
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
    // Rows are styled in order: the last answer is often the nearest start.
    if (m_lastOff >= 0 && m_lastOff <= off && m_lastOff >= off / kStep * kStep) {
        SgrState s = m_last;
        Apply(index, m_lastOff, off, s);
        m_lastOff = off;
        return m_last = s;
    }
    const int64_t k = off / kStep;
    while ((int64_t)m_points.size() <= k) {
        Point p = m_points.back();
        int64_t next = (int64_t)m_points.size() * kStep;
        p.resume = Apply(index, p.resume, next, p.s);
        m_points.push_back(p);
    }
    SgrState s = m_points[k].s;
    Apply(index, std::min(m_points[k].resume, off), off, s);
    m_lastOff = off;
    return m_last = s;
}
