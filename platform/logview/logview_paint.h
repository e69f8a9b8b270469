// Row painting of the receive display (LogView): draws laid-out rows of a LogIndex on the
// view's cell grid. Each character's glyph is shaped once and kept (font, glyph index and its
// place within its cells), and the visible rows go out as a few glyph runs and one batch of
// marker boxes, so a repaint costs no text shaping. Every glyph sits exactly on its cells,
// whatever the font's own advances.
#pragma once
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <unordered_map>
#include <vector>

#include "platform/logview/logview_ansi.h"
#include "platform/logview/logview_index.h"

class QPainter;

class LogPainter {
public:
    // The text font; the metrics of the grid follow it. Drops every cached glyph.
    void SetFont(const QFont& font);
    // Text on base, and the selection's colours. The hex boxes are shades between base and
    // text (on white with black text: light grey boxes, grey frames, dark grey digits), so they
    // stay readable on a dark base too.
    void SetColors(const QColor& text, const QColor& base, const QColor& highlight,
                   const QColor& highlightText);
    int CellWidth() const { return m_cellW; }
    int LineHeight() const { return m_lineH; }

    // Collects one row's selection, boxes and glyphs at pixel row y; Flush draws all collected
    // rows. Cells whose first byte lies in [selB, selE) are selected; breakCol >= 0 highlights
    // the row's selected line break as one cell at that column.
    void AddRow(const std::vector<LogIndex::Cell>& cells, int y, int64_t selB, int64_t selE,
                int breakCol);
    // The same with each cell's own colours (one per cell): its foreground (0: the text
    // colour), its background (0: the base) and boldness. Selected cells and markers are
    // drawn as AddRow draws them. In logview_paint_style.cpp.
    void AddStyledRow(const std::vector<LogIndex::Cell>& cells,
                      const std::vector<logview::SgrState>& styles, int y, int64_t selB,
                      int64_t selE, int breakCol);
    void Flush(QPainter& p);
    // Until the next Flush, at most n glyphs that were never drawn go out; the cells of the
    // others stay empty and Deferred() says so, for a paint soon after. A first glyph costs
    // tens of microseconds (the font engine renders it), so a view full of characters never
    // seen before would otherwise hold the event loop up for a long paint.
    void LimitNewGlyphs(int n) {
        m_newLeft = n;
        m_deferred = false;
    }
    bool Deferred() const { return m_deferred; }

    struct Placed {  // a shaped glyph relative to the top left of its cells
        int font;
        quint32 glyph;
        QPointF pos;
    };
    struct Shaped {
        Placed g[2];
        int n = 0;
    };
    // The two ways of placing a full-width character of the text font on its two cells: the
    // quick way, from the font's character map and advances (false when the character does
    // not take it), and a text layout's. They agree on the glyph, its font and its row, and
    // sit at most half a pixel apart across (the quick way takes the font's design advance
    // where a layout takes the hinted one).
    bool ShapeFullWidth(char32_t ch, Shaped& out);
    Shaped ShapeByLayout(char32_t ch);

private:
    enum Ink { kText, kSelText, kMarkerText };
    struct Batch {
        int font;
        Ink ink;
        QVector<quint32> glyphs;
        QVector<QPointF> pos;
    };

    const Shaped& Char(char32_t ch, bool bWide);
    const Shaped& Marker(unsigned char b);
    Shaped ShapeText(const QString& s, const QFont& f, QRectF box, bool bCenter);
    int FontIndex(const QRawFont& f);
    // The new-glyph limit, which Emit and EmitColored both apply.
    bool Admit(const Placed& g);
    void Emit(const Shaped& s, QPointF at, Ink ink);
    // Coloured glyphs (logview_paint_style.cpp): batched by font and colour, drawn after the
    // others.
    struct ColorBatch {
        int font;
        QRgb rgb;
        QVector<quint32> glyphs;
        QVector<QPointF> pos;
    };
    void EmitColored(const Shaped& s, QPointF at, QRgb rgb);
    void AddStyledCell(const LogIndex::Cell& c, QPointF at, const logview::SgrState& st);
    void FlushStyled(QPainter& p);

    QFont m_font, m_markerFont;
    int m_cellW = 8, m_lineH = 16, m_ascent = 12;
    QColor m_text = Qt::black, m_hl, m_hlText;
    QColor m_markerFill, m_markerFrame, m_markerText;
    std::vector<QRawFont> m_fonts;
    // Full-width characters of the text font all sit where its first ideograph sits, so they
    // are placed from the font's character map and advances, without a text layout (which
    // would load each new glyph once more just to measure it).
    struct FullWidth {
        int state = 0;  // 0: not looked at yet, 1: usable, -1: not usable
        int font = -1;
        QPointF pos;
        QByteArray hmtx;
        int nMetrics = 0;
        int em = 0;
    } m_full;
    std::unordered_map<uint32_t, Shaped> m_chars;  // by character
    std::vector<Shaped> m_markers;                 // by byte value; n < 0: not shaped yet
    std::vector<Batch> m_batches;
    std::vector<std::vector<bool>> m_drawn;  // [font][glyph]: drawn before
    int m_newLeft = 1 << 30;
    bool m_deferred = false;
    QVector<QRectF> m_sel, m_boxes, m_selBoxes;
    std::vector<ColorBatch> m_colorBatches;
    std::vector<std::pair<QRgb, QRectF>> m_backs;  // cells with a background of their own
    std::vector<LogIndex::Cell> m_plainCells;      // of a styled row, those drawn as AddRow does
};
