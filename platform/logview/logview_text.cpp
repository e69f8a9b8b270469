// The receive display's text in UTF-16 units, mapped to and from its bytes.
#include "platform/logview/logview_text.h"

#include <algorithm>

using logview::Glyph;
using logview::GlyphKind;

namespace {
// As the index reads it: escape sequences, when it reads them, are glyphs of no units.
Glyph DecodeAt(const LogIndex& index, int64_t pos) { return index.GlyphAt(pos, index.Length()); }

const char16_t kHex[] = u"0123456789ABCDEF";
}  // namespace

int LogTextMap::GlyphUnits(const Glyph& g) {
    switch (g.kind) {
        case GlyphKind::Marker:
            return 2;
        case GlyphKind::Wide:
        case GlyphKind::Narrow:
            return g.ch > 0xFFFF ? 2 : 1;
        case GlyphKind::Incomplete:
        case GlyphKind::Escape:
            return 0;
        default:
            return 1;
    }
}

void LogTextMap::Reset() {
    m_points.assign(1, Point{0, 0});
    m_off = m_units = 0;
}

void LogTextMap::Extend(const LogIndex& index, int64_t off, int64_t units) {
    if (m_off > index.Length()) Reset();  // the text went away without a word
    const unsigned char* d = index.Data();
    int64_t end = index.Length();
    while (m_off < end && (m_off < off || m_units < units)) {
        // Up to the next checkpoint: ASCII counts a unit a byte without decoding.
        int64_t stop = std::min(end, (m_off / kStep + 1) * kStep);
        if (units > m_units) stop = std::min(stop, m_off + (units - m_units));
        while (m_off < stop && d[m_off] >= 0x20 && d[m_off] < 0x7F) ++m_off, ++m_units;
        while (m_off < stop && !(d[m_off] >= 0x20 && d[m_off] < 0x7F)) {
            Glyph g = DecodeAt(index, m_off);
            m_off += g.len;
            m_units += GlyphUnits(g);
        }
        if (m_off / kStep > m_points.back().off / kStep) m_points.push_back({m_off, m_units});
    }
}

const LogTextMap::Point& LogTextMap::Nearest(int64_t off) const {
    auto it = std::upper_bound(m_points.begin(), m_points.end(), off,
                               [](int64_t o, const Point& p) { return o < p.off; });
    return *(it - 1);
}

const LogTextMap::Point& LogTextMap::NearestUnit(int64_t u) const {
    auto it = std::upper_bound(m_points.begin(), m_points.end(), u,
                               [](int64_t v, const Point& p) { return v < p.units; });
    return *(it - 1);
}

int64_t LogTextMap::Units(const LogIndex& index) {
    Extend(index, index.Length(), 0);
    return m_units;
}

int64_t LogTextMap::UnitOfOffset(const LogIndex& index, int64_t off) {
    off = std::clamp<int64_t>(off, 0, index.Length());
    Extend(index, off, 0);
    Point p = Nearest(off);
    while (p.off < off) {
        Glyph g = DecodeAt(index, p.off);
        if (p.off + g.len > off) break;  // off lies inside this glyph
        p.off += g.len;
        p.units += GlyphUnits(g);
    }
    return p.units;
}

int64_t LogTextMap::OffsetOfUnit(const LogIndex& index, int64_t u) {
    u = std::max<int64_t>(u, 0);
    Extend(index, 0, u + 1);
    if (u >= m_units && m_off >= index.Length()) return index.Length();
    Point p = NearestUnit(u);
    while (p.off < index.Length()) {
        Glyph g = DecodeAt(index, p.off);
        if (p.units + GlyphUnits(g) > u) break;
        p.off += g.len;
        p.units += GlyphUnits(g);
    }
    return p.off;
}

std::u16string LogTextMap::Text(const LogIndex& index, int64_t begin, int64_t end,
                                int64_t maxUnits) {
    std::u16string out;
    end = std::min(end, index.Length());
    for (int64_t pos = std::max<int64_t>(begin, 0); pos < end;) {
        Glyph g = DecodeAt(index, pos);
        if ((int64_t)out.size() + GlyphUnits(g) > maxUnits) break;
        switch (g.kind) {
            case GlyphKind::Break:
                out += u'\n';
                break;
            case GlyphKind::Marker:
                out += kHex[(g.ch >> 4) & 0xF];
                out += kHex[g.ch & 0xF];
                break;
            case GlyphKind::Incomplete:
            case GlyphKind::Escape:
                break;
            default:
                if (g.ch > 0xFFFF) {
                    out += (char16_t)(0xD800 + ((g.ch - 0x10000) >> 10));
                    out += (char16_t)(0xDC00 + ((g.ch - 0x10000) & 0x3FF));
                } else {
                    out += (char16_t)g.ch;
                }
        }
        pos += g.len;
    }
    return out;
}
