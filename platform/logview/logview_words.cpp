// Reading the receive display's text: UTF-8 for copying, and words.
#include "platform/logview/logview_words.h"

#include <algorithm>
#include <cctype>
#include <vector>

using logview::Glyph;
using logview::GlyphKind;

std::string LogTextUtf8(const LogIndex& index, int64_t begin, int64_t end) {
    std::string out;
    const int64_t len = index.Length();
    begin = std::clamp<int64_t>(begin, 0, len);
    end = std::clamp<int64_t>(end, 0, len);
    if (begin >= end) return out;
    int64_t pos = index.RowStart(index.RowOfOffset(begin));
    while (pos < end) {
        Glyph g = index.GlyphAt(pos, len);
        if (pos >= begin) logview::AppendUtf8(out, g);
        pos += g.len;
    }
    return out;
}

void LogWordAt(const LogIndex& index, int64_t off, int64_t& begin, int64_t& end) {
    begin = end = std::clamp<int64_t>(off, 0, index.Length());
    if (index.Length() == 0) return;
    int64_t row = index.RowOfOffset(off);
    int64_t first, last;
    index.LineRows(row, first, last);
    std::vector<LogIndex::Cell> cells, rowCells;
    for (int64_t r = std::max(first, row - 8); r <= std::min(last, row + 8); ++r) {
        index.LayoutRow(r, rowCells);
        cells.insert(cells.end(), rowCells.begin(), rowCells.end());
    }
    if (cells.empty()) return;
    auto cls = [](const Glyph& g) {
        if (g.kind == GlyphKind::Wide) return 2;
        if (g.kind == GlyphKind::Ascii && (isalnum((int)g.ch) || g.ch == '_')) return 1;
        if (g.kind == GlyphKind::Narrow) return 3;
        return 0;
    };
    size_t k = 0;
    while (k + 1 < cells.size() && cells[k + 1].off <= off) ++k;
    int c = cls(cells[k].g);
    size_t a = k, b = k;
    if (c != 0) {
        while (a > 0 && cls(cells[a - 1].g) == c) --a;
        while (b + 1 < cells.size() && cls(cells[b + 1].g) == c) ++b;
    }
    begin = cells[a].off;
    end = cells[b].off + cells[b].g.len;
}
