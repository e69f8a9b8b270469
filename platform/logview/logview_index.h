// The row index of the receive display: logical lines and wrapped rows over the bytes of a
// CString that the display shows without copying. Following a string that only grew costs
// the new bytes; the row count, the row of a byte and the bytes of a row are cheap for any
// size, also when the whole text is one enormous line (hex display). No Qt here.
//
// Layout: a cell grid nCols wide. ASCII takes one cell, a GBK character two (in UTF-8: a wide
// character two, others one), a marker (a byte that is not text, shown as its hex value in a
// box) two, a tab runs to the next multiple of 8 columns. CR LF and a lone LF end a line; a
// line longer than the row wraps, a glyph that does not fit moves to the next row. A
// character's first bytes or a CR at the very end are not shown until the next byte tells
// what they are.
//
// With escape sequences read (SetAnsi), a CSI sequence (ESC [ ... final byte) is one glyph of
// no cells; one cut off at the end waits for its last bytes like a character does.
#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/core/cstring.h"
#include "platform/logview/logview_glyph.h"

class LogIndex {
public:
    // One glyph of a row, as the painter and the hit test use it.
    struct Cell {
        int64_t off;  // its first byte
        logview::Glyph g;
        int col;    // first cell
        int cells;  // cells taken
    };

    // Shows *pText (nullptr: nothing). The same string that only grew since the last call is
    // indexed from where the last call stopped (returns true); anything else is indexed
    // afresh (returns false). At most maxBytes bytes are indexed; CatchUp goes on from there.
    bool Update(const CString* pText, int64_t maxBytes = std::numeric_limits<int64_t>::max());
    // Whether bytes of the string as the last Update saw it are still to be indexed.
    bool Behind() const { return m_scanEnd < m_seen; }
    // Indexes up to maxBytes more of them. The string must not be stale.
    void CatchUp(int64_t maxBytes);
    // True when the followed string changed other than by appending since Update, so the
    // index must not be used to read its bytes.
    bool IsStale() const;
    const CString* Text() const { return m_pText; }

    // Reads the bytes as UTF-8 instead of GBK (false: GBK, the default). A change drops the
    // index; the next Update indexes the string afresh.
    void SetUtf8(bool bUtf8);
    bool IsUtf8() const { return m_utf8; }
    // Reads CSI sequences as glyphs of no cells (false: ESC is a marker, the default). A
    // change drops the index like SetUtf8.
    void SetAnsi(bool bAnsi);
    bool IsAnsi() const { return m_ansi; }

    // Re-wraps all rows at nCols columns (at least 1).
    void SetWidth(int nCols);
    int Width() const { return m_width; }

    int64_t Length() const { return m_len; }  // bytes shown
    const unsigned char* Data() const;
    int64_t LineCount() const { return (int64_t)m_lines.size(); }
    int64_t RowCount() const;  // at least 1

    int64_t RowOfOffset(int64_t off) const;
    int64_t RowStart(int64_t row) const;  // offset of the row's first byte
    // The glyphs of one row, in order; a row's line break is not among them.
    void LayoutRow(int64_t row, std::vector<Cell>& out) const;
    // Offset just after the row's last glyph (before its line break, if any).
    int64_t RowEnd(int64_t row) const;

    // The first and last rows of the line that holds row.
    void LineRows(int64_t row, int64_t& first, int64_t& last) const;
    // The glyph at off, read no further than end (at most Length()).
    logview::Glyph GlyphAt(int64_t off, int64_t end) const {
        return Decode(Data() + off, end - off, true);
    }

    size_t MemoryBytes() const;  // heap used by the index itself

private:
    struct Line {
        int64_t start;
        uint32_t cells;  // as laid out on one endless row, saturated
        uint32_t rows;   // kComplex | rows at the current width
    };
    // Row starts of a long line that needs a walk: every kCheckpoint-th row, so that any row
    // is found by walking at most kCheckpoint rows; resumable when the line grows.
    struct Wrap {
        std::vector<int64_t> cp;
        int64_t pos = 0;  // walked up to
        int64_t row = 0;  // row at pos
        int col = 0;      // column at pos
    };
    static constexpr uint32_t kComplex = 0x80000000u;
    static constexpr int kBlock = 256;          // lines per block of the row sums
    static constexpr int64_t kLongLine = 4096;  // lines longer than this keep a Wrap
    static constexpr int64_t kCheckpoint = 16;

    void Reset();
    logview::Glyph Decode(const unsigned char* p, int64_t avail, bool bFinal) const {
        if (m_ansi && p[0] == 0x1B) {
            int n = logview::CsiLength(p, avail, bFinal);
            if (n > 0) return {logview::GlyphKind::Escape, (uint8_t)n, 0};
            if (n < 0) return {logview::GlyphKind::Incomplete, 1, 0x1B};
        }
        return m_utf8 ? logview::DecodeGlyphUtf8(p, avail, bFinal)
                      : logview::DecodeGlyph(p, avail, bFinal, m_gbk);
    }
    // Indexes the bytes up to nEnd in one pass: lines, their cells and, for lines holding
    // other glyphs than ASCII, their rows at the current width (the last line's walk goes on
    // in its Wrap from where it stopped).
    void Scan(int64_t nEnd);
    Wrap& TailWrap();                            // the walk of the last line, up to m_len
    Wrap& WalkTail(int64_t line, int64_t end);   // the last line walked afresh up to end
    const Wrap* FindWrap(int64_t line) const;    // the kept walk of a line, if any
    Wrap& StartWrap(int64_t line, int64_t len);  // a line whose first len bytes are ASCII
    int64_t LineEnd(int64_t i) const;            // end of the line's glyphs
    bool IsComplex(int64_t i) const { return m_lines[i].rows & kComplex; }
    int64_t Rows(int64_t i) const { return m_lines[i].rows & ~kComplex; }
    void ComputeRows(int64_t i);
    void UpdateBlocksFrom(int64_t line);
    void LocateRow(int64_t row, int64_t& line, int64_t& rowInLine) const;
    int64_t LineFirstRow(int64_t line) const;
    int64_t LineOfOffset(int64_t off) const;
    int64_t RowStartInLine(int64_t line, int64_t r) const;
    int64_t RowInLine(int64_t line, int64_t off) const;
    // Walks glyphs from pos (at column col, row row) towards end; stops before the first
    // glyph that starts row stopRow or lies at or past stopOff. Returns the offset reached.
    int64_t Walk(int64_t pos, int64_t end, int& col, int64_t& row, int64_t stopRow, int64_t stopOff,
                 Wrap* pWrap = nullptr) const;

    const CString* m_pText = nullptr;
    unsigned long m_epoch = 0;
    int64_t m_seen = 0;     // length of the string at the last Update
    int64_t m_scanEnd = 0;  // where the last scan was told to stop
    int64_t m_len = 0;      // bytes indexed
    uint64_t m_cells = 0;   // cells of the last line so far, not saturated
    int m_width = 80;
    std::vector<Line> m_lines;
    std::vector<int64_t> m_blockRows;      // rows in each block
    std::vector<int64_t> m_blockRowStart;  // rows before each block
    std::unordered_map<int64_t, Wrap> m_wraps;
    Wrap m_tail;              // the walk of the last line while it holds more than ASCII
    int64_t m_tailLine = -1;  // the line m_tail walks, or -1
    const char16_t* m_gbk = logview::GbkTable();
    bool m_utf8 = false;
    bool m_ansi = false;
};
