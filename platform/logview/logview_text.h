// The receive display's text in characters, for readers that count UTF-16 units (assistive
// technology): each glyph as it is shown, a line break as "\n", a tab as "\t", a marker as
// the two hex digits its box shows, a character beyond the BMP as two units. Offsets in units
// are mapped to bytes through checkpoints every kStep bytes, taken in one pass over bytes
// never looked at before, so a lookup walks at most kStep bytes and the text is never copied
// whole. No Qt here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/logview/logview_index.h"

class LogTextMap {
public:
    static constexpr int64_t kStep = 4096;

    // Forgets what was counted: the index now shows another text, or the same afresh.
    void Reset();
    // Units of the whole text the index shows.
    int64_t Units(const LogIndex& index);
    // Units before the glyph holding byte off (off at or past the end: all of them).
    int64_t UnitOfOffset(const LogIndex& index, int64_t off);
    // First byte of the glyph holding unit u (u at or past the end: the end).
    int64_t OffsetOfUnit(const LogIndex& index, int64_t u);
    // The glyphs from byte begin (a glyph's first byte) up to byte end as text, at most
    // maxUnits units (a glyph that would cross that limit is left out).
    static std::u16string Text(const LogIndex& index, int64_t begin, int64_t end, int64_t maxUnits);
    static int GlyphUnits(const logview::Glyph& g);

private:
    struct Point {
        int64_t off, units;
    };
    void Extend(const LogIndex& index, int64_t off, int64_t units);  // counts up to either
    const Point& Nearest(int64_t off) const;  // the last checkpoint at or before byte off
    const Point& NearestUnit(int64_t u) const;

    std::vector<Point> m_points{{0, 0}};
    int64_t m_off = 0, m_units = 0;  // counted so far
};
