// Row painting of the receive display in the colours of its cells (escape sequences,
// highlights): coloured glyphs in batches by font and colour, backgrounds as rectangles.
#include <QGlyphRun>
#include <QPainter>
#include <algorithm>

#include "platform/logview/logview_paint.h"

using logview::GlyphKind;

void LogPainter::EmitColored(const Shaped& s, QPointF at, QRgb rgb) {
    for (int i = 0; i < s.n; ++i) {
        const Placed& g = s.g[i];
        if (!Admit(g)) continue;
        auto it =
            std::find_if(m_colorBatches.begin(), m_colorBatches.end(),
                         [&](const ColorBatch& b) { return b.font == g.font && b.rgb == rgb; });
        if (it == m_colorBatches.end())
            it = m_colorBatches.insert(m_colorBatches.end(), ColorBatch{g.font, rgb, {}, {}});
        it->glyphs.push_back(g.glyph);
        it->pos.push_back(at + g.pos);
    }
}

// A text cell in its own colours; bold is drawn twice, a pixel apart.
void LogPainter::AddStyledCell(const LogIndex::Cell& c, QPointF at, const logview::SgrState& st) {
    if (st.bg) m_backs.push_back({st.bg, QRectF(at.x(), at.y(), c.cells * m_cellW, m_lineH)});
    if (c.g.kind == GlyphKind::Tab || (c.g.kind == GlyphKind::Ascii && c.g.ch == ' ')) return;
    const Shaped& s = Char(c.g.ch, c.g.kind == GlyphKind::Wide);
    QRgb rgb = st.fg ? st.fg : m_text.rgba();
    EmitColored(s, at, rgb);
    if (st.bold) EmitColored(s, at + QPointF(1, 0), rgb);
}

void LogPainter::AddStyledRow(const std::vector<LogIndex::Cell>& cells,
                              const std::vector<logview::SgrState>& styles, int y, int64_t selB,
                              int64_t selE, int breakCol) {
    m_plainCells.clear();
    for (size_t i = 0; i < cells.size(); ++i) {
        const LogIndex::Cell& c = cells[i];
        if (c.cells == 0) continue;  // an escape sequence
        bool sel = c.off >= selB && c.off < selE;
        if (sel || c.g.kind == GlyphKind::Marker ||
            (styles[i].fg == 0 && styles[i].bg == 0 && !styles[i].bold))
            m_plainCells.push_back(c);
        else
            AddStyledCell(c, QPointF(c.col * m_cellW, y), styles[i]);
    }
    AddRow(m_plainCells, y, selB, selE, breakCol);
}

void LogPainter::FlushStyled(QPainter& p) {
    for (ColorBatch& b : m_colorBatches) {
        if (b.glyphs.isEmpty()) continue;
        {
            QGlyphRun run;
            run.setRawFont(m_fonts[b.font]);
            run.setGlyphIndexes(b.glyphs);
            run.setPositions(b.pos);
            p.setPen(QColor::fromRgba(b.rgb));
            p.drawGlyphRun(QPointF(0, 0), run);
        }  // the run lets go of the vectors, so clearing keeps their memory
        b.glyphs.clear();
        b.pos.clear();
    }
    m_backs.clear();
}
