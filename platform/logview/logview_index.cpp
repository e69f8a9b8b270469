// The row index of the receive display.
#include "platform/logview/logview_index.h"

#include <algorithm>
#include <limits>

using logview::DecodeGlyph;
using logview::Glyph;
using logview::GlyphCells;
using logview::GlyphKind;
using logview::IsPlainAscii;

namespace {
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
}

bool LogIndex::Update(const CString* pText, int64_t maxBytes) {
    bool bGrew =
        pText && pText == m_pText && pText->EditEpoch() == m_epoch && pText->GetLength() >= m_seen;
    if (!bGrew) {
        Reset();
        m_pText = pText;
        if (!pText) return false;
        m_epoch = pText->EditEpoch();
    }
    m_seen = pText->GetLength();
    CatchUp(maxBytes);
    return bGrew;
}

void LogIndex::CatchUp(int64_t maxBytes) {
    // At least four bytes: a glyph takes at most four, so every call gets past one.
    int64_t step = std::max<int64_t>(maxBytes, 4);
    m_scanEnd = m_seen - m_len <= step ? m_seen : m_len + step;
    Scan(m_scanEnd);
}

void LogIndex::SetUtf8(bool bUtf8) {
    if (bUtf8 == m_utf8) return;
    m_utf8 = bUtf8;
    Reset();  // every glyph may change: the next Update indexes afresh
}

void LogIndex::SetAnsi(bool bAnsi) {
    if (bAnsi == m_ansi) return;
    m_ansi = bAnsi;
    Reset();
}

bool LogIndex::IsStale() const {
    return m_pText && (m_pText->EditEpoch() != m_epoch || m_pText->GetLength() < m_len);
}

void LogIndex::Reset() {
    // Swap out rather than clear, so that a cleared log gives its memory back.
    std::vector<Line>().swap(m_lines);
    std::vector<int64_t>().swap(m_blockRows);
    std::vector<int64_t>().swap(m_blockRowStart);
    m_wraps.clear();
    m_tail = Wrap();
    m_tailLine = -1;
    m_lines.push_back({0, 0, 1});
    m_blockRows.push_back(1);
    m_blockRowStart.push_back(0);
    m_pText = nullptr;
    m_epoch = 0;
    m_seen = m_len = m_scanEnd = 0;
    m_cells = 0;
}

const unsigned char* LogIndex::Data() const {
    static const unsigned char kEmpty[1] = {0};
    return m_pText ? (const unsigned char*)m_pText->GetString() : kEmpty;
}

LogIndex::Wrap& LogIndex::StartWrap(int64_t line, int64_t len) {
    // Rows of ASCII alone are full rows of m_width cells: their starts need no walk.
    Wrap& w = m_tail;
    m_tailLine = line;
    int64_t start = m_lines[line].start;
    w.cp.assign(1, start);
    w.row = len == 0 ? 0 : (len - 1) / m_width;
    w.col = (int)(len - w.row * m_width);
    for (int64_t r = kCheckpoint; r <= w.row; r += kCheckpoint) w.cp.push_back(start + r * m_width);
    w.pos = start + len;
    return w;
}

LogIndex::Wrap& LogIndex::TailWrap() {
    int64_t last = (int64_t)m_lines.size() - 1;
    if (m_tailLine == last && m_tail.pos == m_len) return m_tail;
    m_tailLine = last;
    auto it = m_wraps.find(last);
    if (it != m_wraps.end() && it->second.pos == m_len) return m_tail = it->second;
    // After a re-wrap a short last line has no walk kept: walk it once.
    return WalkTail(last, m_len);
}

LogIndex::Wrap& LogIndex::WalkTail(int64_t line, int64_t end) {
    m_tailLine = line;
    m_tail = Wrap();
    m_tail.cp.push_back(m_lines[line].start);
    m_tail.pos = Walk(m_lines[line].start, end, m_tail.col, m_tail.row, kNever, kNever, &m_tail);
    return m_tail;
}

// One pass over new bytes, kept as one loop: it runs for every received byte, and its state
// lives in locals that a split would have to pass around.
void LogIndex::Scan(int64_t nEnd) {
    const unsigned char* d = Data();
    const int nCols = m_width;
    int64_t firstLine = (int64_t)m_lines.size() - 1;
    int64_t pos = m_len;
    uint64_t cells = m_cells;
    bool complex = IsComplex(firstLine);
    // A line that still fits one row needs no walk; it starts when the line outgrows it.
    Wrap* tail = complex && cells > (uint64_t)nCols ? &TailWrap() : nullptr;
    auto startTail = [&](int64_t at) {
        int64_t i = (int64_t)m_lines.size() - 1;
        return complex ? &WalkTail(i, at) : &StartWrap(i, at - m_lines[i].start);
    };
    auto closeLine = [&](int64_t end) {
        int64_t i = (int64_t)m_lines.size() - 1;
        Line& l = m_lines[i];
        l.cells = (uint32_t)std::min<uint64_t>(cells, std::numeric_limits<uint32_t>::max());
        if (!complex) {
            l.rows = (uint32_t)std::min<int64_t>(
                std::max<int64_t>(1, (end - l.start + nCols - 1) / nCols), ~kComplex);
            return;
        }
        if (!tail) {
            l.rows = kComplex | 1;
            return;
        }
        l.rows = kComplex | (uint32_t)std::min<int64_t>(tail->row + 1, ~kComplex);
        tail->pos = end;
    };
    while (pos < nEnd) {
        if (IsPlainAscii(d[pos])) {
            int64_t q = pos + 1;
            while (q < nEnd && IsPlainAscii(d[q])) ++q;
            int64_t n = q - pos;
            if (complex && !tail && cells + (uint64_t)n > (uint64_t)nCols) tail = startTail(pos);
            cells += (uint64_t)n;
            if (tail) {
                // n one-cell glyphs from column col: they fill the row, then whole rows.
                Wrap& w = *tail;
                if (w.col + n <= nCols) {
                    w.col += (int)n;
                } else {
                    int64_t fill = std::max<int64_t>(0, nCols - w.col), rest = n - fill;
                    int64_t extra = (rest + nCols - 1) / nCols;
                    for (int64_t r = (w.row / kCheckpoint + 1) * kCheckpoint; r <= w.row + extra;
                         r += kCheckpoint)
                        w.cp.push_back(pos + fill + (r - w.row - 1) * nCols);
                    w.row += extra;
                    w.col = (int)(rest - (extra - 1) * nCols);
                }
            }
            pos = q;
            continue;
        }
        Glyph g = Decode(d + pos, nEnd - pos, false);
        if (g.kind == GlyphKind::Incomplete) break;
        if (g.kind == GlyphKind::Break) {
            closeLine(pos);
            int64_t i = (int64_t)m_lines.size() - 1;
            if (tail && pos - m_lines[i].start > kLongLine) m_wraps[i] = std::move(m_tail);
            m_tailLine = -1;
            m_lines.push_back({pos + g.len, 0, 0});
            cells = 0;
            complex = false;
            tail = nullptr;
            pos += g.len;
            continue;
        }
        uint64_t add = g.kind == GlyphKind::Tab ? logview::kTabStop - cells % logview::kTabStop
                                                : (uint64_t)GlyphCells(g, 0, nCols);
        if (!tail && cells + add > (uint64_t)nCols) tail = startTail(pos);
        complex = true;
        cells += add;
        if (!tail) {
            pos += g.len;
            continue;
        }
        Wrap& w = *tail;
        int cw = GlyphCells(g, w.col, nCols);
        if (w.col > 0 && w.col + cw > nCols) {
            ++w.row;
            w.col = 0;
            if (g.kind == GlyphKind::Tab) cw = GlyphCells(g, 0, nCols);
            if (w.row % kCheckpoint == 0) w.cp.push_back(pos);
        }
        w.col += cw;
        pos += g.len;
    }
    m_cells = cells;
    m_len = pos;
    closeLine(pos);
    UpdateBlocksFrom(firstLine);
}

const LogIndex::Wrap* LogIndex::FindWrap(int64_t line) const {
    if (line == m_tailLine) return &m_tail;
    auto it = m_wraps.find(line);
    return it == m_wraps.end() ? nullptr : &it->second;
}

int64_t LogIndex::LineEnd(int64_t i) const {
    if (i + 1 >= (int64_t)m_lines.size()) return m_len;
    int64_t start = m_lines[i].start;
    int64_t e = m_lines[i + 1].start - 1;  // the LF
    if (e > start && Data()[e - 1] == '\r') --e;
    return e;
}

int64_t LogIndex::Walk(int64_t pos, int64_t end, int& col, int64_t& row, int64_t stopRow,
                       int64_t stopOff, Wrap* pWrap) const {
    const unsigned char* d = Data();
    const int nCols = m_width;
    while (pos < end) {
        unsigned char b = d[pos];
        Glyph g;
        int w;
        if (IsPlainAscii(b)) {
            g = {GlyphKind::Ascii, 1, b};
            w = 1;
        } else {
            g = Decode(d + pos, end - pos, true);
            w = GlyphCells(g, col, nCols);
        }
        if (col > 0 && col + w > nCols) {
            ++row;
            col = 0;
            if (g.kind == GlyphKind::Tab) w = GlyphCells(g, 0, nCols);
            if (pWrap && row % kCheckpoint == 0) pWrap->cp.push_back(pos);
        }
        if (row >= stopRow || pos >= stopOff) return pos;
        col += w;
        pos += g.len;
    }
    return pos;
}

void LogIndex::ComputeRows(int64_t i) {
    Line& l = m_lines[i];
    uint32_t flag = l.rows & kComplex;
    int64_t start = l.start, end = LineEnd(i);
    int64_t rows;
    if (!flag) {
        rows = std::max<int64_t>(1, (end - start + m_width - 1) / m_width);
    } else if (l.cells <= (uint32_t)m_width) {
        rows = 1;
        if (!m_wraps.empty()) m_wraps.erase(i);
    } else if (end - start <= kLongLine) {
        int col = 0;
        int64_t row = 0;
        Walk(start, end, col, row, kNever, kNever);
        rows = row + 1;
    } else {
        Wrap& w = m_wraps[i];
        if (w.cp.empty()) {
            w.cp.push_back(start);
            w.pos = start;
        }
        w.pos = Walk(w.pos, end, w.col, w.row, kNever, kNever, &w);
        rows = w.row + 1;
    }
    l.rows = flag | (uint32_t)std::min<int64_t>(rows, ~kComplex);
}

void LogIndex::UpdateBlocksFrom(int64_t line) {
    int64_t nLines = (int64_t)m_lines.size();
    int64_t nBlocks = (nLines + kBlock - 1) / kBlock;
    m_blockRows.resize(nBlocks);
    m_blockRowStart.resize(nBlocks);
    for (int64_t b = line / kBlock; b < nBlocks; ++b) {
        int64_t sum = 0;
        for (int64_t i = b * kBlock, e = std::min(nLines, i + kBlock); i < e; ++i) sum += Rows(i);
        m_blockRows[b] = sum;
        m_blockRowStart[b] = b == 0 ? 0 : m_blockRowStart[b - 1] + m_blockRows[b - 1];
    }
}

void LogIndex::SetWidth(int nCols) {
    nCols = std::max(1, nCols);
    if (nCols == m_width) return;
    m_width = nCols;
    m_wraps.clear();
    m_tailLine = -1;  // walked at the old width
    if (m_lines.empty()) return;
    for (int64_t i = 0; i < (int64_t)m_lines.size(); ++i) ComputeRows(i);
    UpdateBlocksFrom(0);
}

int64_t LogIndex::RowCount() const {
    if (m_blockRows.empty()) return 1;
    return m_blockRowStart.back() + m_blockRows.back();
}

void LogIndex::LocateRow(int64_t row, int64_t& line, int64_t& rowInLine) const {
    line = rowInLine = 0;
    if (m_lines.empty()) return;
    row = std::clamp<int64_t>(row, 0, RowCount() - 1);
    int64_t b = std::upper_bound(m_blockRowStart.begin(), m_blockRowStart.end(), row) -
                m_blockRowStart.begin() - 1;
    int64_t r = row - m_blockRowStart[b];
    int64_t i = b * kBlock, e = std::min<int64_t>(m_lines.size(), i + kBlock);
    for (; i < e - 1 && r >= Rows(i); ++i) r -= Rows(i);
    line = i;
    rowInLine = std::min(r, Rows(i) - 1);
}

int64_t LogIndex::LineFirstRow(int64_t line) const {
    int64_t b = line / kBlock;
    int64_t row = m_blockRowStart[b];
    for (int64_t i = b * kBlock; i < line; ++i) row += Rows(i);
    return row;
}

int64_t LogIndex::LineOfOffset(int64_t off) const {
    auto it = std::upper_bound(m_lines.begin(), m_lines.end(), off,
                               [](int64_t o, const Line& l) { return o < l.start; });
    return std::max<int64_t>(0, it - m_lines.begin() - 1);
}

int64_t LogIndex::RowStartInLine(int64_t line, int64_t r) const {
    int64_t start = m_lines[line].start;
    if (r <= 0) return start;
    if (!IsComplex(line)) return start + r * m_width;
    int64_t pos = start, row = 0;
    if (const Wrap* pw = FindWrap(line)) {
        const Wrap& w = *pw;
        int64_t k = std::min<int64_t>(r / kCheckpoint, (int64_t)w.cp.size() - 1);
        pos = w.cp[k];
        row = k * kCheckpoint;
        if (row == r) return pos;
    }
    int col = 0;
    return Walk(pos, LineEnd(line), col, row, r, kNever);
}

int64_t LogIndex::RowInLine(int64_t line, int64_t off) const {
    int64_t rows = Rows(line);
    if (rows <= 1) return 0;
    int64_t start = m_lines[line].start;
    if (!IsComplex(line)) return std::min((off - start) / m_width, rows - 1);
    int64_t pos = start, row = 0;
    if (const Wrap* pw = FindWrap(line)) {
        const std::vector<int64_t>& cp = pw->cp;
        int64_t k = std::upper_bound(cp.begin(), cp.end(), off) - cp.begin() - 1;
        k = std::max<int64_t>(0, k);
        pos = cp[k];
        row = k * kCheckpoint;
    }
    int col = 0;
    Walk(pos, LineEnd(line), col, row, kNever, off);
    return std::min(row, rows - 1);
}

int64_t LogIndex::RowOfOffset(int64_t off) const {
    if (m_lines.empty()) return 0;
    off = std::clamp<int64_t>(off, 0, m_len);
    int64_t line = LineOfOffset(off);
    return LineFirstRow(line) + RowInLine(line, std::min(off, LineEnd(line)));
}

int64_t LogIndex::RowStart(int64_t row) const {
    if (m_lines.empty()) return 0;
    int64_t line, r;
    LocateRow(row, line, r);
    return RowStartInLine(line, r);
}

int64_t LogIndex::RowEnd(int64_t row) const {
    if (m_lines.empty()) return 0;
    int64_t line, r;
    LocateRow(row, line, r);
    if (r + 1 < Rows(line)) return RowStartInLine(line, r + 1);
    return LineEnd(line);
}

void LogIndex::LayoutRow(int64_t row, std::vector<Cell>& out) const {
    out.clear();
    if (m_lines.empty()) return;
    int64_t line, r;
    LocateRow(row, line, r);
    int64_t pos = RowStartInLine(line, r), end = LineEnd(line);
    const unsigned char* d = Data();
    int col = 0;
    while (pos < end) {
        Glyph g = Decode(d + pos, end - pos, true);
        int w = GlyphCells(g, col, m_width);
        if (col > 0 && col + w > m_width) break;
        out.push_back({pos, g, col, w});
        col += w;
        pos += g.len;
    }
}

void LogIndex::LineRows(int64_t row, int64_t& first, int64_t& last) const {
    first = last = 0;
    if (m_lines.empty()) return;
    int64_t line = LineOfOffset(RowStart(row));
    first = LineFirstRow(line);
    last = first + Rows(line) - 1;
}

size_t LogIndex::MemoryBytes() const {
    size_t n = m_lines.capacity() * sizeof(Line) +
               (m_blockRows.capacity() + m_blockRowStart.capacity()) * sizeof(int64_t);
    for (const auto& w : m_wraps) n += sizeof(w) + 16 + w.second.cp.capacity() * sizeof(int64_t);
    n += m_tail.cp.capacity() * sizeof(int64_t);
    return n;
}
