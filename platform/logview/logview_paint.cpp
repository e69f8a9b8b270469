// Row painting of the receive display: shaped glyphs kept per character, drawn in batches.
#include "platform/logview/logview_paint.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>

using logview::GlyphKind;

namespace {
// The colour n/255 of the way from base to text.
QColor Shade(const QColor& base, const QColor& text, int n) {
    auto mix = [n](int b, int t) { return b + (t - b) * n / 255; };
    return QColor(mix(base.red(), text.red()), mix(base.green(), text.green()),
                  mix(base.blue(), text.blue()));
}
}  // namespace

void LogPainter::SetFont(const QFont& font) {
    m_font = font;
    QFontMetrics fm(font);
    m_cellW = std::max(1, fm.horizontalAdvance(QLatin1Char('0')));
    m_lineH = std::max(1, fm.lineSpacing());
    m_ascent = fm.ascent();
    m_markerFont = font;
    if (m_markerFont.pointSizeF() > 0)
        m_markerFont.setPointSizeF(m_markerFont.pointSizeF() * 0.7);
    else
        m_markerFont.setPixelSize(std::max(6, m_markerFont.pixelSize() * 7 / 10));
    m_fonts.clear();
    m_chars.clear();
    m_full = FullWidth();
    m_drawn.clear();
    m_markers.assign(256, Shaped{});
    for (Shaped& s : m_markers) s.n = -1;
}

void LogPainter::SetColors(const QColor& text, const QColor& base, const QColor& highlight,
                           const QColor& highlightText) {
    m_text = text;
    m_hl = highlight;
    m_hlText = highlightText;
    m_markerFill = Shade(base, text, 27);    // 0xE4 on white
    m_markerFrame = Shade(base, text, 111);  // 0x90
    m_markerText = Shade(base, text, 175);   // 0x50
}

int LogPainter::FontIndex(const QRawFont& f) {
    for (size_t i = 0; i < m_fonts.size(); ++i)
        if (m_fonts[i] == f) return (int)i;
    m_fonts.push_back(f);
    return (int)m_fonts.size() - 1;
}

// Lays s out once as QPainter::drawText would: at the baseline of the row's font from the
// box's left edge, or centred in the box. Positions are relative to the cells' top left.
LogPainter::Shaped LogPainter::ShapeText(const QString& s, const QFont& f, QRectF box,
                                         bool bCenter) {
    Shaped out;
    QTextLayout layout(s, f);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (!line.isValid()) {
        layout.endLayout();
        return out;
    }
    line.setLineWidth(1e6);
    layout.endLayout();
    QPointF origin = bCenter ? QPointF(box.x() + (box.width() - line.naturalTextWidth()) / 2,
                                       box.y() + (box.height() - line.height()) / 2)
                             : QPointF(box.x(), box.y() + m_ascent - line.ascent());
    for (const QGlyphRun& run : layout.glyphRuns()) {
        QVector<quint32> idx = run.glyphIndexes();
        QVector<QPointF> pos = run.positions();
        int font = FontIndex(run.rawFont());
        for (int i = 0; i < idx.size() && out.n < 2; ++i)
            out.g[out.n++] = {font, idx[i], origin + pos[i]};
    }
    return out;
}

namespace {
int Be16(const QByteArray& t, int at) {
    return at + 1 < t.size() ? ((unsigned char)t[at] << 8 | (unsigned char)t[at + 1]) : -1;
}
}  // namespace

bool LogPainter::ShapeFullWidth(char32_t ch, Shaped& out) {
    FullWidth& f = m_full;
    auto advance = [&f](quint32 g) {
        return Be16(f.hmtx, 4 * (int)std::min<quint32>(g, (quint32)f.nMetrics - 1));
    };
    if (f.state == 0) {
        f.state = -1;
        QRectF box(0, 0, 2 * m_cellW, m_lineH);
        Shaped ref = ShapeText(QString(QChar(0x4E00)), m_font, box, true);
        if (ref.n != 1) return false;
        const QRawFont& raw = m_fonts[ref.g[0].font];
        QByteArray hhea = raw.fontTable("hhea");
        f.hmtx = raw.fontTable("hmtx");
        f.nMetrics = Be16(hhea, 34);
        f.em = (int)raw.unitsPerEm();
        if (f.nMetrics <= 0 || f.hmtx.size() < 4 * f.nMetrics || f.em <= 0 ||
            advance(ref.g[0].glyph) != f.em)
            return false;
        f.font = ref.g[0].font;
        f.pos = ref.g[0].pos;
        f.state = 1;
    }
    if (f.state < 0 || ch > 0xFFFF) return false;  // beyond the plane: the layout finds a font
    QChar c((char16_t)ch);
    quint32 g = 0;
    int n = 1;
    if (!m_fonts[f.font].glyphIndexesForChars(&c, 1, &g, &n) || n != 1 || g == 0 ||
        advance(g) != f.em)
        return false;  // another font's, or not full width: laid out
    out.n = 1;
    out.g[0] = {f.font, g, f.pos};
    return true;
}

LogPainter::Shaped LogPainter::ShapeByLayout(char32_t ch) {
    return ShapeText(QString::fromUcs4(&ch, 1), m_font, QRectF(0, 0, 2 * m_cellW, m_lineH), true);
}

const LogPainter::Shaped& LogPainter::Char(char32_t ch, bool bWide) {
    auto it = m_chars.find(ch);
    if (it != m_chars.end()) return it->second;
    Shaped s;
    if (!bWide || !ShapeFullWidth(ch, s))
        s = ShapeText(QString::fromUcs4(&ch, 1), m_font,
                      QRectF(0, 0, (bWide ? 2 : 1) * m_cellW, m_lineH), bWide);
    return m_chars.emplace(ch, s).first->second;
}

const LogPainter::Shaped& LogPainter::Marker(unsigned char b) {
    Shaped& s = m_markers[b];
    if (s.n < 0) {
        QRectF box(1, 2, logview::kMarkerCells * m_cellW - 2, m_lineH - 4);
        s = ShapeText(QString::asprintf("%02X", (unsigned)b), m_markerFont, box, true);
    }
    return s;
}

// Whether a glyph may go out in this paint: one drawn before always may; one never drawn
// counts against the new-glyph limit, and past it is left out and the paint marked deferred.
bool LogPainter::Admit(const Placed& g) {
    if ((size_t)g.font >= m_drawn.size()) m_drawn.resize((size_t)g.font + 1);
    std::vector<bool>& drawn = m_drawn[(size_t)g.font];
    if (g.glyph >= drawn.size()) drawn.resize(std::max<size_t>(g.glyph + 1, 2 * drawn.size()));
    if (drawn[g.glyph]) return true;
    if (m_newLeft <= 0) {
        m_deferred = true;
        return false;
    }
    --m_newLeft;
    drawn[g.glyph] = true;
    return true;
}

void LogPainter::Emit(const Shaped& s, QPointF at, Ink ink) {
    for (int i = 0; i < s.n; ++i) {
        const Placed& g = s.g[i];
        if (!Admit(g)) continue;
        auto it = std::find_if(m_batches.begin(), m_batches.end(),
                               [&](const Batch& b) { return b.font == g.font && b.ink == ink; });
        if (it == m_batches.end())
            it = m_batches.insert(m_batches.end(), Batch{g.font, ink, {}, {}});
        it->glyphs.push_back(g.glyph);
        it->pos.push_back(at + g.pos);
    }
}

void LogPainter::AddRow(const std::vector<LogIndex::Cell>& cells, int y, int64_t selB, int64_t selE,
                        int breakCol) {
    if (breakCol >= 0) m_sel.push_back(QRectF(breakCol * m_cellW, y, m_cellW, m_lineH));
    for (const LogIndex::Cell& c : cells) {
        bool sel = c.off >= selB && c.off < selE;
        int x = c.col * m_cellW;
        if (sel) m_sel.push_back(QRectF(x, y, c.cells * m_cellW, m_lineH));
        switch (c.g.kind) {
            case GlyphKind::Ascii:
                if (c.g.ch != ' ') Emit(Char(c.g.ch, false), QPointF(x, y), sel ? kSelText : kText);
                break;
            case GlyphKind::Narrow:
                Emit(Char(c.g.ch, false), QPointF(x, y), sel ? kSelText : kText);
                break;
            case GlyphKind::Wide:
                Emit(Char(c.g.ch, true), QPointF(x, y), sel ? kSelText : kText);
                break;
            case GlyphKind::Marker:
                (sel ? m_selBoxes : m_boxes)
                    .push_back(QRectF(x + 1, y + 2, c.cells * m_cellW - 2, m_lineH - 4));
                Emit(Marker((unsigned char)c.g.ch), QPointF(x, y), sel ? kSelText : kMarkerText);
                break;
            default:
                break;
        }
    }
}

void LogPainter::Flush(QPainter& p) {
    for (const auto& [rgb, r] : m_backs) p.fillRect(r, QColor::fromRgb(rgb));
    for (const QRectF& r : m_sel) p.fillRect(r, m_hl);
    p.setPen(m_markerFrame);
    if (!m_boxes.isEmpty()) {
        p.setBrush(m_markerFill);
        p.drawRects(m_boxes);
    }
    if (!m_selBoxes.isEmpty()) {
        p.setBrush(m_hl.darker(120));
        p.drawRects(m_selBoxes);
    }
    p.setBrush(Qt::NoBrush);
    for (Batch& b : m_batches) {
        if (b.glyphs.isEmpty()) continue;
        {
            QGlyphRun run;
            run.setRawFont(m_fonts[b.font]);
            run.setGlyphIndexes(b.glyphs);
            run.setPositions(b.pos);
            p.setPen(b.ink == kText ? m_text : b.ink == kSelText ? m_hlText : m_markerText);
            p.drawGlyphRun(QPointF(0, 0), run);
        }  // the run lets go of the vectors, so clearing keeps their memory
        b.glyphs.clear();
        b.pos.clear();
    }
    FlushStyled(p);
    m_sel.clear();
    m_boxes.clear();
    m_selBoxes.clear();
}
