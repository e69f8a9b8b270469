// Cell colours of the receive display: escape sequences and highlights.
#include "platform/logview/logview_style.h"

#include <algorithm>

using logview::Glyph;
using logview::GlyphKind;
using logview::SgrState;

namespace {
constexpr size_t kCacheLines = 2048;

// The shown text of bytes [begin, end) in UTF-16 units, with the byte of each unit (and end).
void ShownText(const LogIndex& index, int64_t begin, int64_t end, QString& text,
               std::vector<int64_t>& offs) {
    text.clear();
    offs.clear();
    for (int64_t pos = begin; pos < end;) {
        Glyph g = index.GlyphAt(pos, end);
        switch (g.kind) {
            case GlyphKind::Ascii:
            case GlyphKind::Narrow:
            case GlyphKind::Wide:
            case GlyphKind::Tab: {
                char32_t ch = g.ch;
                for (QChar c : QString::fromUcs4(&ch, 1)) {
                    text += c;
                    offs.push_back(pos);
                }
                break;
            }
            case GlyphKind::Marker:
                text += QChar(0xFFFD);
                offs.push_back(pos);
                break;
            default:
                break;
        }
        pos += std::max<int>(g.len, 1);
    }
    offs.push_back(end);
}
}  // namespace

bool LogHighlightValid(const LogHighlight& h, std::string* pWhy) {
    if (h.pattern.empty()) {
        if (pWhy) *pWhy = "empty";
        return false;
    }
    if (!h.bRegex) return true;
    QRegularExpression re(QString::fromUtf8(h.pattern.data(), (qsizetype)h.pattern.size()));
    if (pWhy) *pWhy = re.errorString().toStdString();
    return re.isValid();
}

void LogStyler::SetHighlights(const LogHighlights& rules) {
    m_rules.clear();
    for (const LogHighlight& h : rules) {
        QString p = QString::fromUtf8(h.pattern.data(), (qsizetype)h.pattern.size());
        if (p.isEmpty()) continue;
        QRegularExpression re(h.bRegex ? p : QRegularExpression::escape(p));
        if (!re.isValid()) continue;
        re.optimize();
        m_rules.push_back({re, h.bWholeLine, 0xFF000000u | (h.rgb & 0xFFFFFF)});
    }
    m_cache.clear();
}

void LogStyler::Reset() {
    m_ansi.Reset();
    m_cache.clear();
}

std::vector<LogStyler::Match> LogStyler::MatchRange(const LogIndex& index, int64_t begin,
                                                    int64_t end) const {
    std::vector<Match> out;
    if (m_rules.empty() || begin >= end) return out;
    QString text;
    std::vector<int64_t> offs;
    ShownText(index, begin, end, text, offs);
    for (const Rule& r : m_rules) {
        QRegularExpressionMatchIterator it = r.re.globalMatch(text);
        while (it.hasNext()) {
            QRegularExpressionMatch m = it.next();
            if (m.capturedLength() == 0) continue;
            if (r.bWholeLine) {
                out.push_back({begin, end, r.rgb});
                break;
            }
            out.push_back({offs[m.capturedStart()], offs[m.capturedEnd()], r.rgb});
        }
    }
    return out;
}

const std::vector<LogStyler::Match>& LogStyler::MatchesFor(const LogIndex& index, int64_t row) {
    int64_t first, last;
    index.LineRows(row, first, last);
    int64_t b = index.RowStart(first), e = index.RowEnd(last);
    if (e - b > kMaxMatchedLine) {
        b = index.RowStart(row);
        e = index.RowEnd(row);
    }
    auto it = m_cache.find(b);
    if (it != m_cache.end() && it->second.end == e) return it->second.m;
    if (m_cache.size() >= kCacheLines) m_cache.clear();
    LineMatches& lm = m_cache[b];
    lm.end = e;
    lm.m = MatchRange(index, b, e);
    return lm.m;
}

void LogStyler::StyleRow(const LogIndex& index, int64_t row,
                         const std::vector<LogIndex::Cell>& cells, std::vector<SgrState>& out) {
    out.assign(cells.size(), SgrState());
    if (cells.empty()) return;
    if (m_bAnsi && index.IsAnsi()) {
        SgrState s = m_ansi.StateAt(index, cells[0].off);
        for (size_t i = 0; i < cells.size(); ++i) {
            const LogIndex::Cell& c = cells[i];
            if (c.g.kind == GlyphKind::Escape) logview::ApplySgr(index.Data() + c.off, c.g.len, s);
            out[i] = s;
        }
    }
    if (m_rules.empty()) return;
    const std::vector<Match>& ms = MatchesFor(index, row);
    // The first rule wins: later ones are laid down first.
    for (auto m = ms.rbegin(); m != ms.rend(); ++m)
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].off >= m->b && cells[i].off < m->e) out[i].fg = m->rgb;
}
